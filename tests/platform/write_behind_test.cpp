#include "platform/write_behind.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnel::platform {
namespace {

constexpr std::size_t kBuffer = WriteBehind::kBufferBytes;

// Many more buffers than wait at once, from pieces of every length up to more than a buffer's,
// each with its own filling: a buffer overwritten while it waited, written twice or out of order,
// or a piece split wrongly across two, shows in the bytes. Every write but the last is a full
// buffer, and an empty piece adds nothing.
TEST(WriteBehindTest, WritesEveryByteOnceInOrderInFullBuffers) {
    std::string expected;
    std::vector<std::string> written;
    {
        WriteBehind behind([&](std::string_view bytes) {
            written.emplace_back(bytes);
            return 0;
        });
        for (std::size_t i = 0; expected.size() < 9 * kBuffer; ++i) {
            std::string piece(i % 7 == 0 ? kBuffer + i : 1 + i * 7919 % 70000,
                              static_cast<char>('a' + i % 26));
            expected += piece;
            behind.add(piece);
            behind.add("");
        }
        EXPECT_EQ(behind.finish(), 0);
    }
    std::string joined;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (i + 1 < written.size()) {
            EXPECT_EQ(written[i].size(), kBuffer) << "write " << i;
        }
        joined += written[i];
    }
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(written.size(), (expected.size() + kBuffer - 1) / kBuffer);
}

// The failure is the result, and nothing after the failed write is written, however much follows;
// what was gathered before the finish is written too.
TEST(WriteBehindTest, WritesNothingAfterAFailedWrite) {
    std::vector<char> written;
    WriteBehind behind([&](std::string_view bytes) {
        if (bytes.front() == 'x') {
            return ENOSPC;
        }
        written.push_back(bytes.front());
        return 0;
    });
    for (char filling : std::string("abxcdefgh")) {
        behind.add(std::string(kBuffer, filling));
    }
    EXPECT_EQ(behind.finish(), ENOSPC);
    EXPECT_EQ(written, (std::vector<char>{'a', 'b'}));

    std::string small;
    EXPECT_EQ(WriteBehind([&](std::string_view bytes) {
                  small += bytes;
                  return 0;
              }).finish(),
              0);
    WriteBehind last([&](std::string_view bytes) {
        small += bytes;
        return 0;
    });
    last.add("{\\rtf1 ");
    last.add("text}");
    EXPECT_EQ(last.finish(), 0);
    EXPECT_EQ(small, "{\\rtf1 text}");
}

} // namespace
} // namespace tarnel::platform
