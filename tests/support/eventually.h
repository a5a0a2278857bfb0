#pragma once

// Waits for a condition while the event loop runs, and fails the test through gtest when it does
// not come true in time. The QTRY_ macros of QtTest report only to QtTest's own logger, so under a
// gtest runner their time-outs passed silently.

#include <QTest>
#include <gtest/gtest.h>

namespace tarnel::test {

inline constexpr int kEventualTimeoutMs = 5000;

} // namespace tarnel::test

#define ASSERT_EVENTUALLY_WITHIN(condition, timeoutMs)                                             \
    ASSERT_TRUE(                                                                                   \
        QTest::qWaitFor([&]() -> bool { return static_cast<bool>(condition); }, timeoutMs))        \
        << "never came true: " #condition

#define ASSERT_EVENTUALLY(condition)                                                               \
    ASSERT_EVENTUALLY_WITHIN(condition, ::tarnel::test::kEventualTimeoutMs)

#define ASSERT_EVENTUALLY_EQ(actual, expected)                                                     \
    do {                                                                                           \
        static_cast<void>(QTest::qWaitFor([&]() -> bool { return (actual) == (expected); },        \
                                          ::tarnel::test::kEventualTimeoutMs));                    \
        ASSERT_EQ(actual, expected);                                                               \
    } while (false)
