#include "platform/interrupt_catcher.h"

#include <csignal>
#include <gtest/gtest.h>

namespace tarnel::platform {
namespace {

TEST(InterruptCatcherTest, CtrlCSetsTheFlagInsteadOfEndingTheProcess) {
    {
        InterruptCatcher catcher;
        EXPECT_FALSE(catcher.caught());
        ASSERT_EQ(std::raise(SIGINT), 0);
        EXPECT_TRUE(catcher.caught());
    }
    InterruptCatcher again;
    EXPECT_FALSE(again.caught());
}

} // namespace
} // namespace tarnel::platform
