#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The few UTF-8 steps the codec needs beside platform/codepage.
namespace tarnel::richtext {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

inline constexpr std::size_t kMaxUtf8Bytes = 4;

// Writes the UTF-8 form of a code point to out and returns its length; surrogates and values
// above U+10FFFF give U+FFFD.
std::size_t encodeUtf8(char32_t codePoint, char (&out)[kMaxUtf8Bytes]);

// Appends the UTF-8 form of a code point, as encodeUtf8 gives it.
inline void appendUtf8(std::string& out, char32_t codePoint) {
    char bytes[kMaxUtf8Bytes];
    out.append(bytes, encodeUtf8(codePoint, bytes));
}

// The UTF-16 unit a \uN stands for: older writers give units above 32767 as negative numbers;
// a value that fits in neither form is U+FFFD.
char32_t unicodeUnitOf(std::int32_t value);

// Joins the UTF-16 units of successive \uN words into code points. A high surrogate waits for its
// low one; one that is not followed by a low one (the next unit is another, or a text or group
// boundary comes first) is U+FFFD, and so is a low surrogate alone.
class Utf16Joiner {
public:
    // Calls append for each code point the unit completes; a unit of 0 is no character.
    template <class Append> void take(char32_t unit, Append&& append) {
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            flush(append);
            m_high = unit;
            return;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            char32_t high = m_high;
            m_high = 0;
            append(high == 0 ? kReplacementCharacter
                             : 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            return;
        }
        flush(append);
        if (unit != 0) {
            append(unit);
        }
    }

    // Something other than a \uN comes: a waiting high surrogate is U+FFFD.
    template <class Append> void flush(Append&& append) {
        if (m_high != 0) {
            m_high = 0;
            append(kReplacementCharacter);
        }
    }

private:
    char32_t m_high = 0;
};

// Decodes the character at text[pos] and advances pos past it. A byte that does not start a
// well-formed sequence decodes to U+FFFD and advances by one.
inline char32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kReplacementCharacter;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacementCharacter;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kReplacementCharacter;
        }
        value = (value << 6) | (byte(pos + i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kReplacementCharacter;
    }
    pos += length;
    return value;
}

} // namespace tarnel::richtext
