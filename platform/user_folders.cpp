#include "platform/user_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tarnel::platform {

fs::path userDataHome() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && fs::path(dataHome).is_absolute()) {
        return fs::path(dataHome);
    }
    const char* home = std::getenv("HOME");
    fs::path homePath;
    if (home && *home) {
        homePath = home;
    } else if (const passwd* entry = ::getpwuid(::getuid())) {
        homePath = entry->pw_dir;
    }
    return homePath / ".local" / "share";
}

fs::path favouritesFolder() {
    return userDataHome() / "Tarnel" / "Favorites";
}

} // namespace tarnel::platform
