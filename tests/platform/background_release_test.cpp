#include "platform/background_release.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnel::platform {
namespace {

struct Gone {
    std::mutex mutex;
    std::vector<int> order;
    std::vector<std::thread::id> threads;
};

// Records, when destroyed, which one it was and on which thread; a moved-from one records
// nothing.
class Tracked {
public:
    Tracked(Gone& gone, int name) : m_gone(&gone), m_name(name) {}
    Tracked(Tracked&& other) noexcept
        : m_gone(std::exchange(other.m_gone, nullptr)), m_name(other.m_name) {}
    Tracked& operator=(Tracked&&) = delete;
    ~Tracked() {
        if (m_gone) {
            std::lock_guard lock(m_gone->mutex);
            m_gone->order.push_back(m_name);
            m_gone->threads.push_back(std::this_thread::get_id());
        }
    }

private:
    Gone* m_gone;
    int m_name;
};

TEST(BackgroundReleaseTest, GivesValuesBackInOrderOffTheCallersThreadAndWaitsForThem) {
    Gone gone;
    {
        BackgroundRelease release;
        release.release(Tracked(gone, 1));
        release.release(Tracked(gone, 2));
        release.wait();
        std::lock_guard lock(gone.mutex);
        ASSERT_EQ(gone.order, (std::vector<int>{1, 2}));
        EXPECT_NE(gone.threads[0], std::this_thread::get_id());
        EXPECT_NE(gone.threads[1], std::this_thread::get_id());
    }
    {
        BackgroundRelease release;
        release.release(Tracked(gone, 3));
    }
    EXPECT_EQ(gone.order, (std::vector<int>{1, 2, 3}));
}

} // namespace
} // namespace tarnel::platform
