#pragma once

#include "platform/file_system.h"
#include "richtext/rtf_reader.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tarnel::richtext {

// Where extracted text goes, piece by piece in reading order, as UTF-8. A piece never ends inside
// a character; a word may be cut between two pieces.
class TextSink {
public:
    virtual ~TextSink() = default;

    // Returns false to end the extraction (what was sought has been found).
    virtual bool text(std::string_view utf8) = 0;
};

// The visible text of a rich-text or plain-text file, extracted in one pass over its bytes as
// they arrive, without a document model: no pictures are decoded, nothing but the text is kept.
// The text is the one documentText gives for the document RtfReader reads from the same bytes
// (paragraphs and line breaks as '\n', hidden text, field instructions, pictures and the
// destinations a reader skips left out); a plain-text file decodes as documentFromPlainText
// says. Damaged or truncated input gives all the text that could be read. Memory stays small
// whatever the file's size, except for a plain-text file beyond ASCII, which is decoded whole
// at its end because only its whole decides between UTF-8 and GB18030, and for a paragraph
// while a table is open, which is held until its end tells where in the tables it goes.
class TextExtractor {
public:
    explicit TextExtractor(TextSink& sink);
    ~TextExtractor();
    TextExtractor(const TextExtractor&) = delete;
    TextExtractor& operator=(const TextExtractor&) = delete;

    // Takes the next bytes of the file. Returns false once the sink has ended the extraction or
    // the rich text's outer group has closed: the rest of the file need not be read.
    bool feed(std::string_view bytes);
    // The file has ended: the text still held goes to the sink. Call once, after the last feed.
    ReadStatus finish();
    // Known after the first bytes; PlainText for a file shorter than the rich-text signature.
    SourceFormat source() const;
    // After finish: what was wrong and at which byte, as RtfReader's message for the same bytes
    // says it; empty when the text is complete.
    std::string message() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

struct FileText {
    int error = 0; // 0, or the errno of opening or reading the file
    SourceFormat source = SourceFormat::PlainText;
    ReadStatus status = ReadStatus::Complete;
};

// Streams the file through a TextExtractor into the sink, reading no further than the sink
// wants. A read that fails part way has sent the text of the bytes read before it.
FileText extractFileText(const platform::FileSystem& fileSystem, const std::filesystem::path& file,
                         TextSink& sink);

} // namespace tarnel::richtext
