#pragma once

#include "richtext/shared_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// The document model that the rich-text reader fills and the writer writes: paragraphs of text
// runs and pictures. Every text is UTF-8. Plain values throughout; a document owns everything in
// it.
namespace tarnel::richtext {

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const Color&) const = default;
};

// Twelve points, the size a reader assumes when a file names none.
inline constexpr int kDefaultFontSizeHalfPoints = 24;

struct CharFormat {
    // Empty when the file named no font for the text.
    SharedText font;
    int sizeHalfPoints = kDefaultFontSizeHalfPoints;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeThrough = false;
    // Kept so that a save keeps it; not part of the visible or searchable text.
    bool hidden = false;
    // Absent: the automatic colour (text) or no background.
    std::optional<Color> color;
    std::optional<Color> background;
    // The target of the hyperlink the text belongs to; empty when it is no link.
    SharedText link;

    bool operator==(const CharFormat&) const = default;
};

// A stretch of text in one format. A tab is '\t' and a line break inside the paragraph is '\n'.
struct TextRun {
    CharFormat format;
    std::string text;

    bool operator==(const TextRun&) const = default;
};

enum class PictureFormat { Png, Jpeg, Bmp, Wmf, Emf };

// An embedded picture. data holds the picture's own bytes: a PNG or JPEG file, a device-independent
// bitmap (a BMP file without its 14-byte file header), or a Windows metafile or enhanced metafile.
struct Picture {
    PictureFormat format = PictureFormat::Png;
    std::string data;
    // The picture's own size: pixels for bitmaps, hundredths of a millimetre for metafiles.
    int width = 0;
    int height = 0;
    // The size it is shown at, in twips (1/1440 inch); 0 when the file gave none.
    int goalWidth = 0;
    int goalHeight = 0;
    // Scaling in percent.
    int scaleX = 100;
    int scaleY = 100;
    // The mapping mode of a Windows metafile (8 is anisotropic, what editors write).
    int metafileMapMode = 8;
    // The GIF file of an animated picture, whose first frame data holds as PNG (what other
    // programs show); empty for a still picture.
    std::string animation;

    bool operator==(const Picture&) const = default;
};

using Inline = std::variant<TextRun, Picture>;

enum class Alignment { Left, Center, Right, Justify };

enum class ListKind { None, Bullet, Decimal, LowerLetter, UpperLetter, LowerRoman, UpperRoman };

struct Paragraph {
    Alignment alignment = Alignment::Left;
    // Twips; the first-line indent is relative to the left indent and may be negative.
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    ListKind list = ListKind::None;
    std::vector<Inline> content;

    bool operator==(const Paragraph&) const = default;
};

struct Document {
    std::vector<Paragraph> paragraphs;

    bool operator==(const Document&) const = default;
};

} // namespace tarnel::richtext
