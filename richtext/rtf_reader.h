#pragma once

#include "richtext/document.h"

#include <string>
#include <string_view>

namespace tarnel::richtext {

// Omit leaves pictures out of the document without decoding their bytes (for text extraction).
enum class PictureData { Keep, Omit };

struct ReadOptions {
    PictureData pictures = PictureData::Keep;
};

enum class SourceFormat { Rtf, PlainText };

enum class ReadStatus {
    Complete,
    // The input ended early (inside a group or a control's data); the document holds what came
    // before.
    Truncated,
    // Malformed parts were met and passed over; the document holds everything else.
    Damaged,
};

struct ReadResult {
    Document document;
    SourceFormat source = SourceFormat::Rtf;
    ReadStatus status = ReadStatus::Complete;
    // Empty when complete; else what was wrong and at which byte.
    std::string message;
    // Pictures left out because the model holds no such format (Macintosh PICT, OS/2 metafiles,
    // device-dependent bitmaps).
    int omittedPictures = 0;
    // Content the model keeps only the text of: embedded objects (their result stays) and fields
    // other than hyperlinks (their result stays).
    bool droppedObjects = false;
    bool droppedFields = false;
    // Table rows whose structure the model could not keep whole: rows nested deeper than
    // kMaxTableDepth (their cells read as paragraphs of the deepest cell kept) and rows with cells
    // merged into cells that do not exist (read unmerged). Their text is all there.
    int unkeptTableRows = 0;
};

// Reads rich-text bytes into a document. Input that does not begin with "{\rtf" is plain text and
// reads as the rich-edit control reads it (see documentFromPlainText). Never throws and never
// fails: bad input gives as much of the document as could be read, with the status saying why
// the rest is missing. Memory and time grow linearly with the input, whatever its nesting.
class RtfReader {
public:
    explicit RtfReader(ReadOptions options = {}) : m_options(options) {}

    ReadResult read(std::string_view bytes) const;

private:
    ReadOptions m_options;
};

} // namespace tarnel::richtext
