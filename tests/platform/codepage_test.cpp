#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace tarnel::platform {
namespace {

// "中文" in GB18030 is D6 D0 CE C4; U+20AC (euro) is A2 E3; U+1F600 is the four bytes 94 39 FC 36.
TEST(CodepageTest, DecodesAndEncodesKnownBytes) {
    struct Case {
        std::string gb;
        std::string utf8;
    };
    const Case cases[] = {
        {"abc", "abc"},
        {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},
        {"\xA2\xE3", "\xE2\x82\xAC"},
        {"\x94\x39\xFC\x36", "\xF0\x9F\x98\x80"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gbToUtf8(c.gb), c.utf8);
        EXPECT_EQ(utf8ToGb(c.utf8), c.gb);
    }
}

TEST(CodepageTest, InvalidBytesBecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    // 0xFF never starts a character; 0x81 0x20 is a lead byte without a valid trail.
    EXPECT_EQ(gbToUtf8("a\xFF"
                       "b"),
              "a" + fffd + "b");
    EXPECT_EQ(gbToUtf8("\x81 x"), fffd + " x");
    // A character cut short at the end of the input.
    EXPECT_EQ(gbToUtf8("ab\xD6"), "ab" + fffd);
    // Invalid UTF-8 is encoded as U+FFFD (84 31 A4 37) instead of vanishing.
    EXPECT_EQ(utf8ToGb("x\xC0y"), "x\x84\x31\xA4\x37y");
}

TEST(CodepageTest, CutsNeverSplitACharacter) {
    const std::string gb = "a\xD6\xD0\x94\x39\xFC\x36";
    EXPECT_EQ(cutGb(gb, 0), "");
    EXPECT_EQ(cutGb(gb, 1), "a");
    EXPECT_EQ(cutGb(gb, 2), "a");
    EXPECT_EQ(cutGb(gb, 3), "a\xD6\xD0");
    EXPECT_EQ(cutGb(gb, 6), "a\xD6\xD0");
    EXPECT_EQ(cutGb(gb, 7), gb);
    EXPECT_EQ(cutGb(gb, 100), gb);
    // A lead byte at the very end is not a whole character.
    EXPECT_EQ(cutGb("ab\xD6", 3), "ab");

    const std::string zhongwen = "\xE4\xB8\xAD\xE6\x96\x87";
    EXPECT_EQ(cutUtf8ToGbBytes(zhongwen, 3), "\xE4\xB8\xAD");
    EXPECT_EQ(cutUtf8ToGbBytes(zhongwen, 4), zhongwen);
    EXPECT_EQ(cutUtf8ToGbBytes("abcdef", 4), "abcd");
    EXPECT_EQ(gbByteLength(zhongwen + "x"), 5u);
}

TEST(CodepageTest, RecognisesWellFormedUtf8) {
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("\xE4\xB8\xAD"));
    EXPECT_FALSE(isValidUtf8("\xC0\x80"));         // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xE4\xB8"));         // cut short
    EXPECT_FALSE(isValidUtf8("\xD6\xD0\xCE\xC4")); // GBK bytes
}

TEST(CodepageTest, EveryBmpCharacterRoundTrips) {
    for (char32_t c = 0x80; c < 0x10000; c += 7) {
        // Surrogates are not characters; glibc leaves a few private-use points unmapped.
        if (c >= 0xD800 && c <= 0xF8FF) {
            continue;
        }
        std::string utf8;
        if (c < 0x800) {
            utf8 = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            utf8 = {static_cast<char>(0xE0 | (c >> 12)),
                    static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        }
        ASSERT_EQ(gbToUtf8(utf8ToGb(utf8)), utf8) << "U+" << std::hex << static_cast<unsigned>(c);
    }
}

// Text of ASCII and two-byte characters decodes through a table, anything else through the
// system converter; both must agree on every two-byte character. A four-byte character after the
// pair sends the whole text down the converter's way.
TEST(CodepageTest, EveryTwoByteCharacterDecodesAsTheConverterDoes) {
    const std::string fourByte = "\x81\x30\x81\x30"; // U+0080
    const std::string fourByteUtf8 = "\xC2\x80";
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            std::string throughConverter = gbToUtf8("a" + pair + fourByte);
            ASSERT_EQ("a" + gbToUtf8(pair) + fourByteUtf8, throughConverter)
                << std::hex << lead << " " << trail;
        }
    }
}

TEST(CodepageTest, ABrokenPairFallsBackToReplacementPerByte) {
    const std::string fffd = "\xEF\xBF\xBD";
    // 0x7F and 0xFF are no trail bytes: the lead byte alone is replaced, the next byte decodes.
    EXPECT_EQ(gbToUtf8("\xD6\xD0\x81\x7F"), "\xE4\xB8\xAD" + fffd + "\x7F");
    EXPECT_EQ(gbToUtf8("\xD6\xD0\x80"), "\xE4\xB8\xAD" + fffd);
    EXPECT_EQ(gbToUtf8("\xD6\xD0\xFF\xCE\xC4"), "\xE4\xB8\xAD" + fffd + "\xE6\x96\x87");
}

} // namespace
} // namespace tarnel::platform
