#include "platform/directory_names.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace tarnel::platform {

std::vector<std::string> fileNamesIn(const std::filesystem::path& folder, int& err) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        err = errno;
        return names;
    }
    err = 0;
    while (dirent* entry = ::readdir(dir)) {
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // Some file systems do not say; a symbolic link counts as what it points to.
            struct stat st {};
            isFile = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (isFile) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tarnel::platform
