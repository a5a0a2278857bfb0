#include "platform/desktop_open.h"

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnel::platform {
namespace {

constexpr int kExecFailed = 127;

} // namespace

int Opener::openFolder(const std::filesystem::path& folder) const {
    pid_t child = ::fork();
    if (child < 0) {
        return errno;
    }
    if (child == 0) {
        ::execlp("xdg-open", "xdg-open", folder.c_str(), static_cast<char*>(nullptr));
        ::_exit(kExecFailed);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return errno;
        }
    }
    if (!WIFEXITED(status)) {
        return EIO;
    }
    int code = WEXITSTATUS(status);
    return code == 0 ? 0 : code == kExecFailed ? ENOENT : EIO;
}

const Opener& systemOpener() {
    static const Opener opener;
    return opener;
}

} // namespace tarnel::platform
