#pragma once

#include <memory>
#include <thread>
#include <utility>

namespace tarnel::platform {

// Gives large values back on a thread of its own, so that the caller goes on while their memory
// is returned: a note's model of a few megabytes holds tens of thousands of allocations, and
// freeing them takes milliseconds the user would wait for. One value is given back at a time;
// releasing another first waits for the one before. Without a thread the value is given back at
// once. One thread releases and waits.
class BackgroundRelease {
public:
    BackgroundRelease() = default;
    // Waits.
    ~BackgroundRelease();
    BackgroundRelease(const BackgroundRelease&) = delete;
    BackgroundRelease& operator=(const BackgroundRelease&) = delete;

    template <typename Value> void release(Value&& value) {
        releaseHeld(std::make_shared<std::decay_t<Value>>(std::forward<Value>(value)));
    }
    // Returns once the value released last is gone.
    void wait();

private:
    void releaseHeld(std::shared_ptr<void> held);

    std::thread m_thread;
};

} // namespace tarnel::platform
