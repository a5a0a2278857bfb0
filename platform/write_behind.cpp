#include "platform/write_behind.h"

#include <algorithm>
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
    while (!piece.empty()) {
        if (m_filling->capacity() < kBufferBytes) {
            m_filling->reserve(kBufferBytes);
        }
        std::size_t taken = std::min(piece.size(), kBufferBytes - m_filling->size());
        m_filling->append(piece.substr(0, taken));
        piece.remove_prefix(taken);
        if (m_filling->size() == kBufferBytes) {
            handOver();
        }
    }
}

void WriteBehind::handOver() {
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable()) {
        m_error = m_error != 0 ? m_error : m_write(*m_filling);
        m_filling->clear();
        return;
    }
    ++m_queued;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_queued < m_buffers.size(); });
    // The writer keeps to the buffers queued, so this one is the adder's until it is counted.
    m_filling = &m_buffers[(m_next + m_queued) % m_buffers.size()];
    m_filling->clear();
}

int WriteBehind::finish() {
    if (!m_filling->empty()) {
        handOver();
    }
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
        const std::string& bytes = m_buffers[m_next];
        bool failed = m_error != 0;
        lock.unlock();
        int err = failed ? 0 : m_write(bytes);
        lock.lock();
        m_error = failed ? m_error : err;
        m_next = (m_next + 1) % m_buffers.size();
        --m_queued;
        m_changed.notify_all();
    }
}

} // namespace tarnel::platform
