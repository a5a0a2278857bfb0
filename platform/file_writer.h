#pragma once

#include <filesystem>
#include <string_view>

namespace tarnel::platform {

// A file written piece by piece, for data that arrives in pieces (a download). The file is
// closed when the object goes; nothing is flushed to disk unless syncAndClose is called.
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

private:
    int m_fd = -1;
};

} // namespace tarnel::platform
