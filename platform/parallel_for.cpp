#include "platform/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <sched.h>
#include <system_error>
#include <thread>
#include <vector>

namespace tarnel::platform {
namespace {

// Starting a thread costs about as much as a few dozen small calls; fewer calls run alone.
constexpr std::size_t kCallsPerThread = 32;
constexpr unsigned kMaxThreads = 4;

// The cores this process may run on, which can be fewer than the machine has.
unsigned usableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        return static_cast<unsigned>(std::max(1, CPU_COUNT(&set)));
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

unsigned threadsFor(std::size_t count) {
    unsigned cores = usableCores();
    std::size_t byWork = (count + kCallsPerThread - 1) / kCallsPerThread;
    return static_cast<unsigned>(std::min<std::size_t>({cores, kMaxThreads, byWork}));
}

} // namespace

void parallelFor(std::size_t count, const std::function<void(std::size_t)>& work) {
    std::atomic<std::size_t> next{0};
    auto drain = [&] {
        for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
            work(i);
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned n = 1; n < threadsFor(count); ++n) {
        try {
            helpers.emplace_back(drain);
        } catch (const std::system_error&) {
            break; // the threads already started and this one share the work
        }
    }
    drain();
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

} // namespace tarnel::platform
