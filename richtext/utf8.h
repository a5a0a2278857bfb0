#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The few UTF-8 steps the codec needs beside platform/codepage.
namespace tarnel::richtext {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends the UTF-8 form of a code point; surrogates and values above U+10FFFF append U+FFFD.
void appendUtf8(std::string& out, char32_t codePoint);

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
char32_t nextCodePoint(std::string_view text, std::size_t& pos);

} // namespace tarnel::richtext
