#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The few UTF-8 steps the codec needs beside platform/codepage.
namespace tarnel::richtext {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends the UTF-8 form of a code point; surrogates and values above U+10FFFF append U+FFFD.
void appendUtf8(std::string& out, char32_t codePoint);

// Decodes the character at text[pos] and advances pos past it. A byte that does not start a
// well-formed sequence decodes to U+FFFD and advances by one.
char32_t nextCodePoint(std::string_view text, std::size_t& pos);

} // namespace tarnel::richtext
