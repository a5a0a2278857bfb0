#include "platform/instance_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarnel::platform {

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

InstanceLock::Result InstanceLock::acquire(const std::filesystem::path& file) {
    if (m_fd >= 0) {
        return Result::Acquired;
    }
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Result::CannotOpen;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? Result::Held : Result::CannotOpen;
    }
    m_fd = fd;
    return Result::Acquired;
}

} // namespace tarnel::platform
