#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace tarnel::platform {

// A file written piece by piece, for data that arrives in pieces (a download). The file is
// closed when the object goes; nothing is flushed to disk unless syncAndClose is called. Every
// kWriteBackBytes written, the system is asked to start writing the file out without waiting
// for it, so that the disk works while the data still arrives and syncAndClose waits for the
// last stretch only; a large file also never piles up in memory as unwritten pages.
class FileWriter {
public:
    enum class Mode { Truncate, Append };

    FileWriter() = default;
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Opens (creating with mode 0644) the file. Returns 0 or the errno of the failure.
    int open(const std::filesystem::path& path, Mode mode);
    bool isOpen() const { return m_fd >= 0; }
    // Writes all the bytes. Returns 0 or the errno of the failure.
    int write(std::string_view data);
    // Flushes the file to disk and closes it. Returns 0 or the errno of the first failure.
    int syncAndClose();
    void close();

    static constexpr std::size_t kWriteBackBytes = 8 * 1024 * 1024;

private:
    int m_fd = -1;
    std::size_t m_notWrittenBack = 0;
};

} // namespace tarnel::platform
