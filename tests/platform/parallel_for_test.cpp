#include "platform/parallel_for.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace tarnel::platform {
namespace {

TEST(ParallelForTest, CallsEveryIndexExactlyOnce) {
    for (std::size_t count : {0u, 1u, 31u, 32u, 33u, 1000u}) {
        std::vector<std::atomic<int>> calls(count);
        parallelFor(count, [&](std::size_t i) { calls[i].fetch_add(1); });
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(calls[i].load(), 1) << "index " << i << " of " << count;
        }
    }
}

TEST(ParallelForTest, ReturnsOnlyWhenEveryCallHasReturned) {
    std::atomic<int> finished{0};
    parallelFor(200, [&](std::size_t) {
        std::this_thread::yield();
        finished.fetch_add(1);
    });
    EXPECT_EQ(finished.load(), 200);
}

TEST(ParallelForTest, AFewCallsStayOnTheCallingThread) {
    std::mutex mutex;
    std::set<std::thread::id> threads;
    parallelFor(8, [&](std::size_t) {
        std::lock_guard lock(mutex);
        threads.insert(std::this_thread::get_id());
    });
    EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
}

} // namespace
} // namespace tarnel::platform
