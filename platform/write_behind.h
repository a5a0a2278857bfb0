#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace tarnel::platform {

// Gathers the pieces of one file, in order, into large buffers and writes each full one on a
// thread of its own, so that the caller makes the next pieces while the system copies the last
// ones in and starts them on their way to disk. Handing over a buffer at a time keeps the
// hand-offs few: a large note's rich text comes in pieces of tens of kilobytes. A few buffers wait
// at most: add waits while they are all taken. After a write failed nothing more is written.
// Without a thread of its own each full buffer is written before add returns. One thread adds
// and finishes.
class WriteBehind {
public:
    // 0 or the errno of the failure.
    using Write = std::function<int(std::string_view bytes)>;

    static constexpr std::size_t kBufferBytes = 256 * 1024;

    explicit WriteBehind(Write write);
    // Finishes first.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    void add(std::string_view piece);
    // Writes what is gathered and waits for every write: 0, or the errno of the first that
    // failed.
    int finish();

private:
    void handOver();
    void work();

    static constexpr std::size_t kBuffers = 4;

    Write m_write;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // A ring: m_queued buffers from m_next on wait or are being written; the one after them is
    // the adder's, filled without the lock.
    std::array<std::string, kBuffers> m_buffers;
    std::size_t m_next = 0;
    std::size_t m_queued = 0;
    std::string* m_filling = &m_buffers[0];
    bool m_finishing = false;
    int m_error = 0;
    std::thread m_thread;
};

} // namespace tarnel::platform
