#include "platform/file_status.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel::platform {

std::optional<FileStatus> fileStatus(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileStatus{static_cast<unsigned>(st.st_mode & 07777),
                      static_cast<std::uint64_t>(st.st_dev), S_ISLNK(st.st_mode)};
}

int setFileMode(const std::filesystem::path& path, unsigned mode) {
    return ::chmod(path.c_str(), static_cast<mode_t>(mode & 07777)) == 0 ? 0 : errno;
}

bool isWritableFolder(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace tarnel::platform
