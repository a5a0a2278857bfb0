#include "platform/file_writer.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tarnel::platform {

FileWriter::~FileWriter() {
    close();
}

int FileWriter::open(const std::filesystem::path& path, Mode mode) {
    close();
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::Append ? O_APPEND : O_TRUNC);
    m_fd = ::open(path.c_str(), flags, 0644);
    m_notWrittenBack = 0;
    return m_fd >= 0 ? 0 : errno;
}

int FileWriter::write(std::string_view data) {
    if (m_fd < 0) {
        return EBADF;
    }
    while (!data.empty()) {
        ssize_t n = ::write(m_fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
        m_notWrittenBack += static_cast<std::size_t>(n);
    }
    if (m_notWrittenBack >= kWriteBackBytes) {
        // Starts the write-out of the file's dirty pages; a failure shows at the flush.
        ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        m_notWrittenBack = 0;
    }
    return 0;
}

int FileWriter::syncAndClose() {
    if (m_fd < 0) {
        return EBADF;
    }
    int err = ::fsync(m_fd) == 0 ? 0 : errno;
    if (::close(m_fd) != 0 && err == 0) {
        err = errno;
    }
    m_fd = -1;
    return err;
}

void FileWriter::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace tarnel::platform
