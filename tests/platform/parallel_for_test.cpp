#include "platform/parallel_for.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <sched.h>
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

// A process held to one core (taskset, a container's quota) gains nothing from more threads.
TEST(ParallelForTest, OnOneUsableCoreEveryCallRunsInOrderOnTheCallingThread) {
    cpu_set_t saved;
    ASSERT_EQ(::sched_getaffinity(0, sizeof saved, &saved), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(::sched_getcpu(), &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    std::vector<std::size_t> order;
    std::set<std::thread::id> threads;
    parallelFor(500, [&](std::size_t i) {
        order.push_back(i);
        threads.insert(std::this_thread::get_id());
    });
    ::sched_setaffinity(0, sizeof saved, &saved);
    std::vector<std::size_t> expected(500);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = i;
    }
    EXPECT_EQ(order, expected);
    EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
}

} // namespace
} // namespace tarnel::platform
