#include "platform/write_behind.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnel::platform {
namespace {

// Many more pieces than wait at once, each a different length and filling, so that a piece
// overwritten while it waited, written twice or out of order shows in the bytes; an empty piece
// is no write.
TEST(WriteBehindTest, WritesEveryPieceOnceInOrder) {
    std::string expected;
    std::string written;
    int writes = 0;
    {
        WriteBehind behind([&](std::string_view piece) {
            written += piece;
            ++writes;
            return 0;
        });
        for (int i = 0; i < 200; ++i) {
            std::string piece(static_cast<std::size_t>(1 + i * 37 % 4096),
                              static_cast<char>('a' + i % 26));
            expected += piece;
            behind.add(piece);
            behind.add("");
        }
        EXPECT_EQ(behind.finish(), 0);
    }
    EXPECT_EQ(written, expected);
    EXPECT_EQ(writes, 200);
}

// The failure is the result, and no piece after the failed one is written, however many follow.
TEST(WriteBehindTest, DropsThePiecesAfterAFailedWrite) {
    std::vector<std::string> written;
    WriteBehind behind([&](std::string_view piece) {
        if (piece == "full") {
            return ENOSPC;
        }
        written.emplace_back(piece);
        return 0;
    });
    for (const char* piece : {"one", "two", "full", "three"}) {
        behind.add(piece);
    }
    for (int i = 0; i < 50; ++i) {
        behind.add("later");
    }
    EXPECT_EQ(behind.finish(), ENOSPC);
    EXPECT_EQ(written, (std::vector<std::string>{"one", "two"}));
}

} // namespace
} // namespace tarnel::platform
