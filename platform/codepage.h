#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The system's files and wire formats are in GB18030 (a superset of GBK); every text in memory is
// UTF-8. These functions are the only place where the two meet.
namespace tarnel::platform {

// Decodes GB18030 bytes to UTF-8. Every byte that does not start a valid GB18030 character
// decodes to U+FFFD (one per byte; a character cut short at the end gives one U+FFFD).
std::string gbToUtf8(std::string_view gb);
// The same, appended to out: a reader that decodes text piece by piece makes no string of each.
void appendGbAsUtf8(std::string_view gb, std::string& out);

// Encodes UTF-8 text to GB18030. Bytes that are not valid UTF-8 encode as U+FFFD, so nothing
// vanishes silently; the few private-use code points without a GB18030 form become "?".
std::string utf8ToGb(std::string_view utf8);

// The bytes as UTF-8 text: well-formed UTF-8 is kept as it is, every other byte becomes U+FFFD.
std::string validUtf8(std::string_view bytes);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Length of the next GB18030 character starting at gb[0] by its byte structure: 1, 2 or 4; 0 for
// an empty view. It does not check the trail bytes beyond what tells the length apart.
std::size_t gbCharLength(std::string_view gb);

// The longest prefix of the GB18030 bytes that is at most maxBytes long and ends on a character
// boundary.
std::string_view cutGb(std::string_view gb, std::size_t maxBytes);

// The longest prefix of the UTF-8 text whose GB18030 form is at most maxBytes long; a character
// is never split. This is how a byte-limited buffer of the system is filled.
std::string cutUtf8ToGbBytes(std::string_view utf8, std::size_t maxBytes);

// Number of bytes the UTF-8 text takes in GB18030.
std::size_t gbByteLength(std::string_view utf8);

} // namespace tarnel::platform
