// Streams arbitrary bytes through the text extractor in pieces of a size the input chooses (its
// first byte): no input may crash, hang or exhaust memory, and the text, status and message must
// be those of the whole bytes' extraction, however the bytes are cut.
#include "richtext/plain_text.h"
#include "richtext/text_extractor.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct Collected : tarnel::richtext::TextSink {
    std::string all;
    bool text(std::string_view utf8) override {
        all += utf8;
        return true;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnel::richtext;
    if (size == 0) {
        return 0;
    }
    std::size_t piece = 1 + data[0] % 64;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    Collected collected;
    TextExtractor extractor(collected);
    for (std::size_t pos = 0; pos < bytes.size(); pos += piece) {
        extractor.feed(bytes.substr(pos, piece));
    }
    ReadStatus status = extractor.finish();
    PlainTextResult full = extractPlainText(bytes);
    if (collected.all != full.text || status != full.status ||
        extractor.message() != full.message) {
        std::abort();
    }
    return 0;
}
