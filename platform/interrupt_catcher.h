#pragma once

#include <atomic>

namespace tarnel::platform {

// Catches Ctrl-C (SIGINT) for the life of the object: instead of ending the process, the signal
// sets a flag that long work reads to stop cleanly. The previous handler comes back when the
// object goes. One object at a time per process; create and destroy it on one thread.
class InterruptCatcher {
public:
    InterruptCatcher();
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

    // True once SIGINT arrived since the object was made. Any thread.
    bool caught() const;
    // The flag itself, for code that reads a cancel flag of its own type.
    const std::atomic<bool>& flag() const;
};

} // namespace tarnel::platform
