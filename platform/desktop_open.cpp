#include "platform/desktop_open.h"

#include "platform/file_uri.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tarnel::platform {
namespace {

constexpr int kExecFailed = 127;

enum class Output { Inherited, Discarded };

// Runs the program with its arguments, without a shell, and waits for it. 0, ENOENT when it
// could not be started, EIO when it ended with a failure.
int runProgram(const std::vector<std::string>& argv, Output output = Output::Inherited) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t child = ::fork();
    if (child < 0) {
        return errno;
    }
    if (child == 0) {
        if (output == Output::Discarded) {
            int null = ::open("/dev/null", O_WRONLY);
            if (null >= 0) {
                ::dup2(null, STDOUT_FILENO);
                ::dup2(null, STDERR_FILENO);
            }
        }
        ::execvp(args[0], args.data());
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

} // namespace

int Opener::openFolder(const std::filesystem::path& folder) const {
    return runProgram({"xdg-open", folder.string()});
}

int Opener::openFile(const std::filesystem::path& file) const {
    return runProgram({"xdg-open", file.string()});
}

int Opener::showItem(const std::filesystem::path& file) const {
    // A failed call (no session bus, no file manager on it) means nobody offers it.
    int rc = runProgram({"dbus-send", "--session", "--print-reply", "--reply-timeout=5000",
                         "--dest=org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                         "org.freedesktop.FileManager1.ShowItems", "array:string:" + fileUri(file),
                         "string:"},
                        Output::Discarded);
    return rc == EIO ? ENOENT : rc;
}

const Opener& systemOpener() {
    static const Opener opener;
    return opener;
}

} // namespace tarnel::platform
