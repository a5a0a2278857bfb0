#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <vector>

namespace tarnel::platform {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// One converter per direction and thread: iconv_open is far too costly to call per string.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    enum class Stop { Done, Invalid, Truncated };

    // Converts as much of [in, in + len) as it can, appending to out; advances in and len.
    Stop convert(const char*& in, std::size_t& len, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[4096];
        while (len > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            char* inPtr = const_cast<char*>(in);
            std::size_t rc = iconv(m_cd, &inPtr, &len, &outPtr, &outLeft);
            in = inPtr;
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc != static_cast<std::size_t>(-1)) {
                continue;
            }
            if (errno == E2BIG) {
                continue;
            }
            return errno == EINVAL ? Stop::Truncated : Stop::Invalid;
        }
        return Stop::Done;
    }

private:
    iconv_t m_cd;
};

Converter& gbDecoder() {
    thread_local Converter converter("UTF-8", "GB18030");
    return converter;
}

Converter& gbEncoder() {
    thread_local Converter converter("GB18030", "UTF-8");
    return converter;
}

bool isAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

// Length of a well-formed UTF-8 sequence at the start of s, or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view s) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    auto isTrail = [&](std::size_t i) { return i < s.size() && (byte(i) & 0xC0) == 0x80; };
    if (s.empty()) {
        return 0;
    }
    unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return isTrail(1) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!isTrail(1) || !isTrail(2)) {
            return 0;
        }
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0)) {
            return 0;
        }
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!isTrail(1) || !isTrail(2) || !isTrail(3)) {
            return 0;
        }
        if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90)) {
            return 0;
        }
        return 4;
    }
    return 0;
}

// Replaces every byte that is not part of well-formed UTF-8 with U+FFFD.
std::string sanitizedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::size_t n = utf8SequenceLength(text);
        if (n == 0) {
            out += kReplacementUtf8;
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, n));
            text.remove_prefix(n);
        }
    }
    return out;
}

// The two-byte characters of GB18030 (lead 0x81-0xFE, trail 0x40-0x7E or 0x80-0xFE) hold
// nearly every name a user writes. Their UTF-8 forms are taken once from the system converter,
// a row of one lead byte per call, so that decoding them needs no converter call at all.
class TwoByteTable {
public:
    static const TwoByteTable& instance() {
        static const TwoByteTable table;
        return table;
    }

    // Writes the UTF-8 form of the pair at out, three bytes whatever its length, and returns
    // where it ends; null when the table has none.
    char* write(unsigned char lead, unsigned char trail, char* out) const {
        if (lead < kFirstLead || lead == 0xFF || trail < kFirstTrail || trail == 0x7F ||
            trail == 0xFF) {
            return nullptr;
        }
        const Entry& entry = m_entries[index(lead, trail)];
        if (entry.length == 0) {
            return nullptr;
        }
        std::memcpy(out, entry.bytes.data(), entry.bytes.size());
        return out + entry.length;
    }

private:
    static constexpr unsigned char kFirstLead = 0x81;
    static constexpr unsigned char kFirstTrail = 0x40;
    static constexpr std::size_t kTrailCount = 0xFF - kFirstTrail;

    struct Entry {
        std::array<char, 3> bytes{};
        std::uint8_t length = 0;
    };

    static std::size_t index(unsigned char lead, unsigned char trail) {
        return static_cast<std::size_t>(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail);
    }

    static std::vector<unsigned char> trailBytes() {
        std::vector<unsigned char> trails;
        for (unsigned trail = kFirstTrail; trail < 0xFF; ++trail) {
            if (trail != 0x7F) {
                trails.push_back(static_cast<unsigned char>(trail));
            }
        }
        return trails;
    }

    TwoByteTable() : m_entries(static_cast<std::size_t>(0xFF - kFirstLead) * kTrailCount) {
        Converter decoder("UTF-8", "GB18030");
        if (!decoder.valid()) {
            return;
        }
        std::vector<unsigned char> trails = trailBytes();
        for (unsigned lead = kFirstLead; lead < 0xFF; ++lead) {
            std::string row;
            for (unsigned char trail : trails) {
                row += static_cast<char>(lead);
                row += static_cast<char>(trail);
            }
            const char* in = row.data();
            std::size_t len = row.size();
            std::string utf8;
            if (decoder.convert(in, len, utf8) != Converter::Stop::Done) {
                continue;
            }
            fillRow(static_cast<unsigned char>(lead), trails, utf8);
        }
    }

    // Spreads one converted row over its entries; a row that does not split into exactly one
    // character of at most three bytes per pair is left out, and decodes through the converter.
    void fillRow(unsigned char lead, const std::vector<unsigned char>& trails,
                 std::string_view utf8) {
        std::vector<Entry> row;
        while (!utf8.empty()) {
            std::size_t n = utf8SequenceLength(utf8);
            if (n == 0 || n > 3) {
                return;
            }
            Entry entry;
            std::copy_n(utf8.begin(), n, entry.bytes.begin());
            entry.length = static_cast<std::uint8_t>(n);
            row.push_back(entry);
            utf8.remove_prefix(n);
        }
        if (row.size() != trails.size()) {
            return;
        }
        for (std::size_t i = 0; i < trails.size(); ++i) {
            m_entries[index(lead, trails[i])] = row[i];
        }
    }

    std::vector<Entry> m_entries;
};

// ASCII and two-byte characters only; false (out as it was) as soon as anything else (a four-byte
// character, an invalid byte) needs the converter's handling. Written straight into room made
// for the longest result: most of the text of a Chinese document comes here a few characters at
// a time.
bool decodeThroughTable(std::string_view gb, std::string& out) {
    const TwoByteTable& table = TwoByteTable::instance();
    const std::size_t start = out.size();
    out.resize(start + gb.size() * 2);
    char* written = out.data() + start;
    for (std::size_t i = 0; i < gb.size();) {
        auto lead = static_cast<unsigned char>(gb[i]);
        if (lead < 0x80) {
            *written++ = static_cast<char>(lead);
            ++i;
            continue;
        }
        written = i + 1 < gb.size()
                      ? table.write(lead, static_cast<unsigned char>(gb[i + 1]), written)
                      : nullptr;
        if (written == nullptr) {
            out.resize(start);
            return false;
        }
        i += 2;
    }
    out.resize(static_cast<std::size_t>(written - out.data()));
    return true;
}

} // namespace

std::string gbToUtf8(std::string_view gb) {
    std::string out;
    appendGbAsUtf8(gb, out);
    return out;
}

void appendGbAsUtf8(std::string_view gb, std::string& out) {
    if (isAscii(gb)) {
        out += gb;
        return;
    }
    if (decodeThroughTable(gb, out)) {
        return;
    }
    const char* in = gb.data();
    std::size_t len = gb.size();
    Converter& decoder = gbDecoder();
    while (len > 0) {
        switch (decoder.convert(in, len, out)) {
        case Converter::Stop::Done:
            break;
        case Converter::Stop::Invalid:
            out += kReplacementUtf8;
            ++in;
            --len;
            break;
        case Converter::Stop::Truncated:
            out += kReplacementUtf8;
            len = 0;
            break;
        }
    }
}

std::string utf8ToGb(std::string_view utf8) {
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
    std::string clean = isValidUtf8(utf8) ? std::string(utf8) : sanitizedUtf8(utf8);
    std::string out;
    out.reserve(clean.size());
    const char* in = clean.data();
    std::size_t len = clean.size();
    Converter& encoder = gbEncoder();
    while (len > 0) {
        if (encoder.convert(in, len, out) != Converter::Stop::Done) {
            // A few private-use code points have no form in glibc's table; mark each and keep
            // going rather than drop the rest of the text.
            out += '?';
            std::size_t n = utf8SequenceLength(std::string_view(in, len));
            n = n == 0 ? 1 : n;
            in += n;
            len -= n;
        }
    }
    return out;
}

std::string validUtf8(std::string_view bytes) {
    return isValidUtf8(bytes) ? std::string(bytes) : sanitizedUtf8(bytes);
}

bool isValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t n = utf8SequenceLength(bytes);
        if (n == 0) {
            return false;
        }
        bytes.remove_prefix(n);
    }
    return true;
}

std::size_t gbCharLength(std::string_view gb) {
    if (gb.empty()) {
        return 0;
    }
    auto lead = static_cast<unsigned char>(gb[0]);
    if (lead < 0x81 || lead == 0xFF) {
        return 1;
    }
    if (gb.size() >= 2) {
        auto second = static_cast<unsigned char>(gb[1]);
        if (second >= 0x30 && second <= 0x39) {
            return 4;
        }
    }
    return 2;
}

std::string_view cutGb(std::string_view gb, std::size_t maxBytes) {
    std::size_t pos = 0;
    while (pos < gb.size()) {
        std::size_t n = gbCharLength(gb.substr(pos));
        if (pos + n > maxBytes || pos + n > gb.size()) {
            break;
        }
        pos += n;
    }
    return gb.substr(0, pos);
}

std::string cutUtf8ToGbBytes(std::string_view utf8, std::size_t maxBytes) {
    if (isAscii(utf8)) {
        return std::string(utf8.substr(0, std::min(maxBytes, utf8.size())));
    }
    std::string gb = utf8ToGb(utf8);
    if (gb.size() <= maxBytes) {
        return isValidUtf8(utf8) ? std::string(utf8) : gbToUtf8(gb);
    }
    return gbToUtf8(cutGb(gb, maxBytes));
}

std::size_t gbByteLength(std::string_view utf8) {
    return isAscii(utf8) ? utf8.size() : utf8ToGb(utf8).size();
}

} // namespace tarnel::platform
