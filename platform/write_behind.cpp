#include "platform/write_behind.h"

#include <system_error>
#include <utility>

namespace tarnel::platform {

WriteBehind::WriteBehind(Write write) : m_write(std::move(write)) {
    try {
        m_thread = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        m_finishing = true;
    }
}

WriteBehind::~WriteBehind() {
    finish();
}

void WriteBehind::add(std::string_view piece) {
    if (piece.empty()) {
        return;
    }
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable()) {
        m_error = m_error != 0 ? m_error : m_write(piece);
        return;
    }
    m_changed.wait(lock, [this] { return m_queued < m_pieces.size() || m_error != 0; });
    if (m_error != 0) {
        return;
    }
    // The writer keeps to the pieces queued, so this one is the adder's until it is counted.
    std::string& slot = m_pieces[(m_next + m_queued) % m_pieces.size()];
    lock.unlock();
    slot.assign(piece);
    lock.lock();
    ++m_queued;
    m_changed.notify_all();
}

int WriteBehind::finish() {
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_error;
}

void WriteBehind::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_queued > 0 || m_finishing; });
        if (m_queued == 0) {
            return;
        }
        const std::string& piece = m_pieces[m_next];
        bool failed = m_error != 0;
        lock.unlock();
        int err = failed ? 0 : m_write(piece);
        lock.lock();
        m_error = failed ? m_error : err;
        m_next = (m_next + 1) % m_pieces.size();
        --m_queued;
        m_changed.notify_all();
    }
}

} // namespace tarnel::platform
