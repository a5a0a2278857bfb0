#pragma once

#include <filesystem>
#include <string>

namespace tarnel::platform {

// The path with every byte outside the unreserved URI characters (letters, digits, "-", ".",
// "_", "~") and "/" written as "%XX" in upper-case hexadecimal: how the Trash's info files and
// file URIs carry a path.
std::string percentEncodedPath(const std::filesystem::path& path);

// "file://" and the percent-encoded absolute path.
std::string fileUri(const std::filesystem::path& absolutePath);

} // namespace tarnel::platform
