#pragma once

#include <string>
#include <string_view>

// Decoding of the Windows code pages that rich-text files name in \ansicpg, \cpg and \fcharset.
namespace tarnel::richtext {

// Appends the UTF-8 form of bytes in a Windows code page to out. 936 (and 54936) decode as
// GB18030; 1252 and an unknown or unsupported code page decode as Windows-1252 (the format's
// default). A byte that does not start a valid character in the code page decodes to U+FFFD, one
// per byte. Callable from any thread.
void appendDecoded(std::string_view bytes, int codePage, std::string& out);

} // namespace tarnel::richtext
