#pragma once

#include "platform/file_system.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::platform {

// A profile (INI) file read and written key by key, with the semantics of the classic profile
// functions: section and key names compare case-insensitively (ASCII letters) with surrounding
// blanks ignored, values are trimmed of blanks and of one pair of enclosing quotes, and a write
// keeps every other line, comment and the file's own line ending untouched. The file is GB18030
// on disk; names and values are UTF-8 here. Every call reads the file afresh, so two objects on
// one file never disagree.
class IniFile {
public:
    explicit IniFile(std::filesystem::path path, const FileSystem& fileSystem = realFileSystem());

    const std::filesystem::path& path() const { return m_path; }

    // The key's value, or defaultValue when the file, the section or the key is missing. The
    // value is cut to bufferSize - 1 bytes of GB18030 (a character is never split), as a
    // profile read into a buffer of that size is.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) const;

    // readString of each key of one section, the file read and parsed once: for a reader of many
    // keys, whose one by one reads would cost a parse of the whole file per key.
    std::vector<std::string> readStrings(std::string_view section,
                                         std::span<const std::string_view> keys,
                                         std::string_view defaultValue,
                                         std::size_t bufferSize) const;

    // True when the section holds the key (whatever its value).
    bool hasKey(std::string_view section, std::string_view key) const;

    // Sets the key, creating the file (readable by its owner only), the section and the key as
    // needed. Returns 0 or the errno of the failure; EINVAL when a name or the value holds a line
    // break, or a name holds '=' or ']', since either would change other keys of the file.
    int writeString(std::string_view section, std::string_view key, std::string_view value) const;

private:
    std::filesystem::path m_path;
    const FileSystem& m_fileSystem;
};

// atoi's reading of a profile value: leading blanks, an optional sign, then digits; anything
// else reads as 0 and a value out of range saturates.
int profileInt(std::string_view value);

} // namespace tarnel::platform
