// Reads arbitrary bytes as rich text: no input may crash, hang or exhaust memory; whatever was
// read must write as rich text that reads back to the same document, and text extraction must
// agree with the document and with what the read says of the bytes.
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
    PlainTextResult extracted = extractPlainText(bytes);
    if (extracted.text != documentText(read.document) || extracted.status != read.status ||
        extracted.message != read.message) {
        std::abort();
    }
    return 0;
}
