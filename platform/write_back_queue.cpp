#include "platform/write_back_queue.h"

#include <system_error>

namespace tarnel::platform {

WriteBackQueue::WriteBackQueue(const FileSystem& fileSystem) : m_fileSystem(fileSystem) {
    try {
        m_thread = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        m_stopping = true;
    }
}

WriteBackQueue::~WriteBackQueue() {
    std::filesystem::path failed;
    finish(failed);
}

void WriteBackQueue::add(std::filesystem::path file) {
    std::lock_guard lock(m_mutex);
    if (!m_stopping) {
        m_files.push_back(std::move(file));
        m_added.notify_one();
    }
}

int WriteBackQueue::finish(std::filesystem::path& failed) {
    {
        std::unique_lock lock(m_mutex);
        m_drained.wait(lock, [this] { return m_stopping || (m_files.empty() && !m_busy); });
        m_stopping = true;
        m_added.notify_one();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    failed = m_failed;
    return m_error;
}

void WriteBackQueue::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_added.wait(lock, [this] { return m_stopping || !m_files.empty(); });
        if (m_files.empty()) {
            return;
        }
        std::filesystem::path file = std::move(m_files.front());
        m_files.pop_front();
        m_busy = true;
        lock.unlock();
        int err = m_error == 0 ? m_fileSystem.writeBackFile(file) : 0;
        lock.lock();
        m_busy = false;
        if (err != 0 && m_error == 0) {
            m_error = err;
            m_failed = std::move(file);
        }
        m_drained.notify_one();
    }
}

} // namespace tarnel::platform
