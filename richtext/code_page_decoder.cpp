#include "richtext/code_page_decoder.h"

#include "platform/codepage.h"
#include "richtext/rtf_format.h"
#include "richtext/utf8.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>
#include <string>

namespace tarnel::richtext {
namespace {

constexpr int kCodePageGb18030 = 54936;

// Windows-1252 0x80-0x9F; the rest of the upper half is Latin-1. Windows maps the five unassigned
// bytes to the C1 controls of the same value, so nothing read is lost.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendWindows1252(std::string_view bytes, std::string& out) {
    for (unsigned char byte : bytes) {
        if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else if (byte < 0xA0) {
            appendUtf8(out, kWindows1252High[byte - 0x80]);
        } else {
            appendUtf8(out, byte);
        }
    }
}

class IconvDecoder {
public:
    explicit IconvDecoder(const std::string& from) : m_cd(iconv_open("UTF-8", from.c_str())) {}
    ~IconvDecoder() {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    IconvDecoder(const IconvDecoder&) = delete;
    IconvDecoder& operator=(const IconvDecoder&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // A byte that cannot be decoded becomes U+FFFD and decoding goes on after it.
    void append(std::string_view bytes, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t rc = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                appendUtf8(out, kReplacementCharacter);
                ++in;
                --inLeft;
                iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            }
        }
    }

private:
    iconv_t m_cd;
};

std::string iconvName(int codePage) {
    switch (codePage) {
    case 10000:
        return "MACINTOSH";
    case 1361:
        return "JOHAB";
    default:
        return "CP" + std::to_string(codePage);
    }
}

// Null when the system has no converter for the code page.
IconvDecoder* decoderFor(int codePage) {
    thread_local std::map<int, std::unique_ptr<IconvDecoder>> decoders;
    auto found = decoders.find(codePage);
    if (found == decoders.end()) {
        auto decoder = std::make_unique<IconvDecoder>(iconvName(codePage));
        if (!decoder->valid()) {
            decoder.reset();
        }
        found = decoders.emplace(codePage, std::move(decoder)).first;
    }
    return found->second.get();
}

bool isAscii(std::string_view bytes) {
    for (unsigned char byte : bytes) {
        if (byte >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

void appendDecoded(std::string_view bytes, int codePage, std::string& out) {
    if (isAscii(bytes)) {
        out += bytes;
        return;
    }
    if (codePage == kCodePageGbk || codePage == kCodePageGb18030) {
        platform::appendGbAsUtf8(bytes, out);
        return;
    }
    IconvDecoder* decoder = codePage == kCodePageAnsi ? nullptr : decoderFor(codePage);
    if (decoder == nullptr) {
        appendWindows1252(bytes, out);
        return;
    }
    decoder->append(bytes, out);
}

} // namespace tarnel::richtext
