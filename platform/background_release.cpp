#include "platform/background_release.h"

#include <system_error>

namespace tarnel::platform {

BackgroundRelease::~BackgroundRelease() {
    wait();
}

void BackgroundRelease::wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void BackgroundRelease::releaseHeld(std::shared_ptr<void> held) {
    wait();
    try {
        m_thread = std::thread([held = std::move(held)]() mutable { held.reset(); });
    } catch (const std::system_error&) {
        // The thread's function, and the value with it, is gone already.
    }
}

} // namespace tarnel::platform
