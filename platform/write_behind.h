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

// Hands the pieces of one file, in order, to a write on a thread of its own, so that the caller
// makes the next piece while the system copies the last one in and starts it on its way to disk
// (about as long as making it, for a large note's rich text). A few pieces wait at most: add
// waits while they are all taken. After a write failed the pieces after it are dropped. Without
// a thread of its own each piece is written before add returns. One thread adds and finishes.
class WriteBehind {
public:
    // 0 or the errno of the failure.
    using Write = std::function<int(std::string_view piece)>;

    explicit WriteBehind(Write write);
    // Finishes first.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    void add(std::string_view piece);
    // Waits for every piece added: 0, or the errno of the first write that failed.
    int finish();

private:
    void work();

    static constexpr std::size_t kWaitingPieces = 4;

    Write m_write;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // A ring: m_queued pieces from m_next on wait or are being written.
    std::array<std::string, kWaitingPieces> m_pieces;
    std::size_t m_next = 0;
    std::size_t m_queued = 0;
    bool m_finishing = false;
    int m_error = 0;
    std::thread m_thread;
};

} // namespace tarnel::platform
