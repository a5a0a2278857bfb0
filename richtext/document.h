#pragma once

#include "richtext/shared_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// The document model that the rich-text reader fills and the writer writes: blocks that are
// paragraphs of text runs and pictures or tables, whose cells hold blocks of their own. Every text
// is UTF-8. Plain values throughout; a document owns everything in it.
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

struct Table;

struct Paragraph {
    Alignment alignment = Alignment::Left;
    // Twips; the first-line indent is relative to the left indent and may be negative.
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    // A list item: the kind of its level, the level (0 outermost, at most kMaxListLevel), the
    // number its level starts at and, for a bullet, the text it shows (empty for the round
    // bullet U+2022); for a number, the texts before and after it ("(", ")" for "(a)"), and how
    // many of the levels just above its own show their numbers before it, each followed by the
    // joint ("1.2." is one such level and "." for the second item under the first). Items of
    // one listId (1 and up, in the order lists first appear) are numbered together, whatever
    // stands between them; a level's numbers start again after an item of a level above it.
    ListKind list = ListKind::None;
    int listLevel = 0;
    int listStart = 1;
    int listOuterNumbers = 0;
    std::string listBullet;
    std::string listNumberPrefix;
    std::string listNumberSuffix = ".";
    std::string listNumberJoint;
    int listId = 0;
    std::vector<Inline> content;
    // A table block holds its table here (exactly one) and has no content; a paragraph of text
    // holds none.
    std::vector<Table> table;

    bool isTable() const { return !table.empty(); }
    bool operator==(const Paragraph&) const = default;
};

inline constexpr int kMaxListLevel = 8;
// Tables inside table cells are kept to this depth; deeper ones are read as paragraphs of the
// deepest cell kept.
inline constexpr int kMaxTableDepth = 4;

enum class CellMerge { None, First, Continue };

// One side of a cell's frame; a width of 0 draws no line.
struct Border {
    int width = 0; // twips
    std::optional<Color> color;

    bool operator==(const Border&) const = default;
};

struct TableCell {
    // Twips from the left margin to the cell's right edge (\cellx).
    int rightBoundary = 0;
    // Merged with the cells to its right (First) or into the one to its left (Continue); with the
    // cells below or into the one above.
    CellMerge horizontalMerge = CellMerge::None;
    CellMerge verticalMerge = CellMerge::None;
    Border top;
    Border left;
    Border bottom;
    Border right;
    std::optional<Color> shading;
    // The cell's own blocks: paragraphs and tables nested in it. A cell always holds at least
    // one paragraph, the one its end mark closes.
    std::vector<Paragraph> paragraphs;

    bool operator==(const TableCell&) const = default;
};

struct TableRow {
    // Twips: positive at least that high, negative exactly that high, 0 as high as the text.
    int height = 0;
    Alignment alignment = Alignment::Left; // where the row sits between the margins
    // Twips from the margin to the left edge of the row's first cell's text, and half the space
    // between the text of two cells.
    int leftEdge = 0;
    int cellGap = 0;
    std::vector<TableCell> cells;

    bool operator==(const TableRow&) const = default;
};

struct Table {
    std::vector<TableRow> rows;

    bool operator==(const Table&) const = default;
};

struct Document {
    std::vector<Paragraph> paragraphs;

    bool operator==(const Document&) const = default;
};

} // namespace tarnel::richtext
