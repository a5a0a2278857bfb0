#include "tests/support/temp_dir.h"
#include "update/tip_file.h"
#include "update/version_file.h"

#include <gtest/gtest.h>

namespace tarnel::update {
namespace {

std::string tipRecord(std::uint32_t icon, std::string text, std::string link) {
    std::string out = {static_cast<char>(icon & 0xFF), static_cast<char>((icon >> 8) & 0xFF),
                       static_cast<char>((icon >> 16) & 0xFF), static_cast<char>(icon >> 24)};
    text.resize(256, '\0');
    link.resize(64, '\0');
    return out + text + link;
}

TEST(TipFileTest, ReadsRecordsAndIgnoresTheRest) {
    // 700 bytes: two records and 52 bytes that are ignored. "提示" is CC E1 CA BE.
    std::string bytes = tipRecord(3, "\xCC\xE1\xCA\xBE", "https://example.org/a") +
                        tipRecord(0xFFFFFFFF, "second", "") + std::string(52, 'x');
    ASSERT_EQ(bytes.size(), 700u);
    auto tips = parseTips(bytes);
    ASSERT_EQ(tips.size(), 2u);
    EXPECT_EQ(tips[0], (Tip{3, "提示", "https://example.org/a"}));
    EXPECT_EQ(tips[1], (Tip{-1, "second", ""}));
}

TEST(TipFileTest, AFieldWithoutItsZeroIsTakenWholeWithoutSplittingACharacter) {
    // 255 bytes of "a" then the lead byte of a two-byte character: the lead byte is cut.
    std::string text(255, 'a');
    text += '\xCC';
    std::string record = tipRecord(1, "", "");
    record.replace(4, 256, text);
    record.replace(260, 64, std::string(64, 'l'));
    auto tips = parseTips(record);
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].text, std::string(255, 'a'));
    EXPECT_EQ(tips[0].link, std::string(64, 'l'));
}

TEST(VersionFileTest, ReadsTheSiteKeysAndShowsVersionsWithPoints) {
    test::TempDir dir;
    test::writeBytes(dir / "soft_ver.ini", "[CURRENT_SOFT_INFORMATION]\r\n"
                                           "SOFT_VERSION=211\r\n"
                                           "SOFT_VERSION_UPDATE=205\r\n"
                                           "RELEASE_TIME=2026-12-01\r\n"
                                           "LOGIN_IMAGE_INDEX=04\r\n"
                                           "LOGIN_IMAGE_PATH=https://x/b.gif\r\n");
    SiteVersion site = readSiteVersion(dir / "soft_ver.ini");
    EXPECT_EQ(site.softVersion, 211);
    EXPECT_EQ(site.softVersionUpdate, 205);
    EXPECT_EQ(site.releaseTime, "2026-12-01");
    EXPECT_EQ(site.imageIndex, 4);
    EXPECT_EQ(site.imageIndexText, "04");
    EXPECT_EQ(site.imagePath, "https://x/b.gif");
    EXPECT_EQ(site.tipIndex, 0);
    EXPECT_EQ(site.tipPath, "");
    EXPECT_EQ(dottedVersion(211), "2.1.1");
    EXPECT_EQ(dottedVersion(210), "2.1.0");
}

} // namespace
} // namespace tarnel::update
