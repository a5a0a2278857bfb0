#include "platform/program_launcher.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnel::platform {
namespace {

void writeErrorAndExit(int fd, int err) {
    [[maybe_unused]] ssize_t n = ::write(fd, &err, sizeof err);
    ::_exit(127);
}

} // namespace

int ProgramLauncher::start(const std::filesystem::path& program,
                           const std::filesystem::path& workingDirectory) const {
    // The exec's failure comes back through a pipe that closes on a successful exec.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return errno;
    }
    pid_t child = ::fork();
    if (child < 0) {
        int err = errno;
        ::close(report[0]);
        ::close(report[1]);
        return err;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        // The grandchild is adopted by init, so nothing has to wait for it.
        pid_t grandchild = ::fork();
        if (grandchild < 0) {
            writeErrorAndExit(report[1], errno);
        }
        if (grandchild > 0) {
            ::_exit(0);
        }
        if (::chdir(workingDirectory.c_str()) != 0) {
            writeErrorAndExit(report[1], errno);
        }
        char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
        ::execv(program.c_str(), argv);
        writeErrorAndExit(report[1], errno);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t n = 0;
    do {
        n = ::read(report[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    return n == static_cast<ssize_t>(sizeof err) ? err : 0;
}

int ProgramLauncher::replaceThisProcess(const std::filesystem::path& program,
                                        const std::filesystem::path& workingDirectory) const {
    if (::chdir(workingDirectory.c_str()) != 0) {
        return errno;
    }
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
    ::execv(program.c_str(), argv);
    return errno;
}

const ProgramLauncher& systemLauncher() {
    static const ProgramLauncher launcher;
    return launcher;
}

} // namespace tarnel::platform
