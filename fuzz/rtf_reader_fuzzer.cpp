// Reads arbitrary bytes as rich text: no input may crash, hang or exhaust memory; whatever was
// read must write as rich text that reads back to the same document, with the same bytes when
// written while its blocks are handed over, and text extraction must agree with the document and
// with what a read without pictures says of the bytes.
#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnel::richtext;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ReadResult read = RtfReader().read(bytes);
    std::string written = RtfWriter().write(read.document);
    ReadResult again = RtfReader().read(written);
    if (again.status != ReadStatus::Complete || !(again.document == read.document)) {
        std::abort();
    }
    // Written while its blocks are handed over one at a time, the document gives the same bytes.
    Document made;
    made.paragraphs.reserve(read.document.paragraphs.size());
    RtfStreamWriter streamed(made.paragraphs);
    for (const Paragraph& block : read.document.paragraphs) {
        made.paragraphs.push_back(block);
        streamed.ready(made.paragraphs.size());
    }
    std::string streamedBytes;
    streamed.finish(made, [&](std::string_view piece) { streamedBytes += piece; });
    if (streamedBytes != written) {
        std::abort();
    }
    // Extraction reads as a read that leaves pictures out, which passes over a picture's groups
    // without opening them: a file cut inside one counts fewer open groups.
    ReadResult withoutPictures = RtfReader(ReadOptions{PictureData::Omit}).read(bytes);
    PlainTextResult extracted = extractPlainText(bytes);
    if (extracted.text != documentText(read.document) ||
        extracted.status != withoutPictures.status ||
        extracted.message != withoutPictures.message) {
        std::abort();
    }
    return 0;
}
