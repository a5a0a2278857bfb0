#include "platform/directory_names.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel::platform {
namespace {

bool isRegularFile(int folder, const dirent64& entry) {
    if (entry.d_type == DT_REG) {
        return true;
    }
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) {
        return false;
    }
    // Some file systems do not say; a symbolic link counts as what it points to.
    struct stat st {};
    return ::fstatat(folder, entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

} // namespace

// The entries are read straight into one buffer: a folder of a few dozen files needs a single
// call, and none of the look-ups a directory stream makes first.
std::vector<std::string> fileNamesIn(const std::filesystem::path& folder, int& err) {
    std::vector<std::string> names;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return names;
    }
    alignas(dirent64) char buffer[16384];
    for (;;) {
        ssize_t n = ::getdents64(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            err = n < 0 ? errno : 0;
            break;
        }
        for (ssize_t offset = 0; offset < n;) {
            const auto& entry = *reinterpret_cast<const dirent64*>(buffer + offset);
            if (isRegularFile(fd, entry)) {
                names.emplace_back(entry.d_name);
            }
            offset += entry.d_reclen;
        }
    }
    ::close(fd);
    if (err != 0) {
        names.clear();
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tarnel::platform
