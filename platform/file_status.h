#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tarnel::platform {

// What the installer of an update needs to know of a path beyond the file-system interface.
struct FileStatus {
    unsigned mode = 0;        // permission bits (07777)
    std::uint64_t device = 0; // the file system it lies on
    bool isSymlink = false;
};

// The status of the path itself (a link is not followed); nullopt when it does not exist.
std::optional<FileStatus> fileStatus(const std::filesystem::path& path);

// Sets the permission bits. Returns 0 or the errno of the failure.
int setFileMode(const std::filesystem::path& path, unsigned mode);

// True when this process may create and rename entries in the folder.
bool isWritableFolder(const std::filesystem::path& folder);

} // namespace tarnel::platform
