#pragma once

#include <cstddef>

// The table file: rows only, no file header. A row is two bytes of length L (big-endian), L bytes
// of row text XOR-ed with kScrambleKey, then kRowTerminator. The row text is the row's values
// joined by kValueSeparator; the first row names the columns. The reader and the writer share
// these constants and nothing else.
namespace tarnel::store::table_format {

inline constexpr unsigned char kScrambleKey = 0x5D;
inline constexpr char kValueSeparator = 0x08;
inline constexpr char kRowTerminator = 0;
inline constexpr std::size_t kLengthBytes = 2;
// The row text must stay shorter than 65536 bytes, so that its length fits in two bytes.
inline constexpr std::size_t kMaxRowText = 65535;

} // namespace tarnel::store::table_format
