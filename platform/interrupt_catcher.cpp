#include "platform/interrupt_catcher.h"

#include <csignal>
#include <signal.h>

namespace tarnel::platform {
namespace {

// A lock-free atomic is the one thing a signal handler may touch.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void onInterrupt(int) {
    interrupted.store(true);
}

struct ::sigaction previousAction {};

} // namespace

InterruptCatcher::InterruptCatcher() {
    interrupted.store(false);
    struct ::sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previousAction);
}

InterruptCatcher::~InterruptCatcher() {
    ::sigaction(SIGINT, &previousAction, nullptr);
}

bool InterruptCatcher::caught() const {
    return interrupted.load();
}

const std::atomic<bool>& InterruptCatcher::flag() const {
    return interrupted;
}

} // namespace tarnel::platform
