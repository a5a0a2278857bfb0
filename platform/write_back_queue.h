#pragma once

#include "platform/file_system.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

namespace tarnel::platform {

// Waits, on a thread of its own, for the data of files written one after another to reach the
// disk, so that the disk writes while the caller goes on making the next files. Starting the
// write from the caller's thread instead blocks it whenever the disk's queue is full, which makes
// a large copy as slow as the disk; the batch's closing flush then finds little left to wait for.
// One thread adds and finishes.
class WriteBackQueue {
public:
    explicit WriteBackQueue(const FileSystem& fileSystem);
    // Finishes first.
    ~WriteBackQueue();
    WriteBackQueue(const WriteBackQueue&) = delete;
    WriteBackQueue& operator=(const WriteBackQueue&) = delete;

    void add(std::filesystem::path file);
    // Waits for every file added: 0, or the errno of the first whose write failed, with its path
    // in failed. Without a thread of its own nothing has been waited for, which the closing flush
    // of the batch makes good.
    int finish(std::filesystem::path& failed);

private:
    void work();

    const FileSystem& m_fileSystem;
    std::mutex m_mutex;
    std::condition_variable m_added;
    std::condition_variable m_drained;
    std::deque<std::filesystem::path> m_files;
    bool m_busy = false;
    bool m_stopping = false;
    int m_error = 0;
    std::filesystem::path m_failed;
    std::thread m_thread;
};

} // namespace tarnel::platform
