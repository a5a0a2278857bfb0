#pragma once

#include <filesystem>

namespace tarnel::platform {

// The single-instance rule across processes: an exclusive advisory lock (flock) on one file,
// held for as long as the object lives. The file is opened close-on-exec, so a child process
// (the update program, the desktop's opener) never inherits the lock; the kernel frees it when
// the holder ends, however it ends.
class InstanceLock {
public:
    enum class Result { Acquired, Held, CannotOpen };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Creates the file when missing (owner read and write only) and takes the lock without
    // waiting. Held when another open file holds it; CannotOpen when the file cannot be opened
    // (a missing or unwritable folder). A second call after Acquired returns Acquired.
    Result acquire(const std::filesystem::path& file);

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace tarnel::platform
