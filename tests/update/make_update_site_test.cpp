#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "update/record_file.h"
#include "update/version_file.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace tarnel::update {
namespace {

using test::readBytes;
using test::writeBytes;

// The publishing script run on two staged program directories; its output read back by the
// programs' own readers.
class MakeUpdateSiteTest : public ::testing::Test {
protected:
    MakeUpdateSiteTest() {
        for (const char* folder : {"old", "new/skin/fresh", "new/help", "new/UpdateWork"}) {
            std::filesystem::create_directories(m_dir / folder);
        }
        writeBytes(m_dir / "old/Tarnel", "old program");
        writeBytes(m_dir / "new/Tarnel", "new program");
        writeBytes(m_dir / "old/tarnel.ini", "[DATA]\nData_Path=\n");
        writeBytes(m_dir / "new/tarnel.ini", "[DATA]\nData_Path=\nNEW=1\n");
        writeBytes(m_dir / "old/same.txt", "unchanged");
        writeBytes(m_dir / "new/same.txt", "unchanged");
        writeBytes(m_dir / "new/skin/fresh/pic.png", "picture");
        writeBytes(m_dir / "new/help/说明.txt", "帮助");
        writeBytes(m_dir / "new/UpdateWork/1.upt", "never offered");
        writeBytes(m_dir / "notes.rtf", "{\\rtf1 notes\\par}");
        std::filesystem::create_directories(m_dir / "site/tarnel");
        writeBytes(site("soft_ver.txt"), "[CURRENT_SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n"
                                         "SOFT_TIP_INDEX=3\r\nSOFT_TIP_PATH=https://x/t.tip\r\n");
    }

    test::ProcessResult make(std::vector<std::string> options) {
        const char* source = std::getenv("TARNEL_TEST_SOURCE_DIR");
        std::filesystem::path script =
            std::filesystem::path(source ? source : ".") / "scripts" / "make-update-site";
        for (const char* folder : {"old", "new", "site"}) {
            options.push_back((m_dir / folder).string());
        }
        return test::runProcess(script, options);
    }

    std::filesystem::path site(const std::string& path) const {
        return m_dir / "site/tarnel" / path;
    }

    test::TempDir m_dir;
};

TEST_F(MakeUpdateSiteTest, TheSiteOffersEveryAddedOrChangedFileInTheProgramsOwnFormats) {
    auto result = make(
        {"--version", "211", "--min-version", "205", "--notes", (m_dir / "notes.rtf").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    std::vector<FileRecord> records;
    ASSERT_TRUE(RecordFile(site("211/file_list_new.txt")).readSiteList(records));
    EXPECT_EQ(records, (std::vector<FileRecord>{
                           {"Tarnel", "Tarnel", "", 11, 211, 1},
                           {"help-__.txt", "help\\说明.txt", "", 6, 211, 1},
                           {"skin-fresh-pic.png", "skin\\fresh\\pic.png", "", 7, 211, 1},
                           {"tarnel.ini", "tarnel.ini", "", 24, 211, 0},
                       }));
    std::string golden(148, '\0');
    golden.replace(0, 6, "Tarnel");
    golden.replace(64, 6, "Tarnel");
    golden.replace(136, 12, std::string("\x0b\0\0\0\xd3\0\0\0\x01\0\0\0", 12));
    EXPECT_EQ(readBytes(site("211/file_list_new.txt")).substr(0, 148), golden);
    // The target is GB18030 on disk.
    EXPECT_NE(readBytes(site("211/file_list_new.txt")).find("help\\\xcb\xb5\xc3\xf7.txt"),
              std::string::npos);

    EXPECT_EQ(readBytes(site("211/Tarnel")), "new program");
    EXPECT_EQ(readBytes(site("211/help-__.txt")), "帮助");
    EXPECT_EQ(readBytes(site("211/soft_memo.rtf")), "{\\rtf1 notes\\par}");
    EXPECT_FALSE(std::filesystem::exists(site("211/same.txt")));

    SiteVersion version = readSiteVersion(site("soft_ver.txt"));
    EXPECT_EQ(version.softVersion, 211);
    EXPECT_EQ(version.softVersionUpdate, 205);
    EXPECT_EQ(version.releaseTime.size(), 10u);
    EXPECT_EQ(version.tipIndex, 3);
    EXPECT_EQ(version.tipPath, "https://x/t.tip");
}

TEST_F(MakeUpdateSiteTest, WhatTheProgramsCouldNotReadIsRefusedAndNothingIsAnnounced) {
    std::string before = readBytes(site("soft_ver.txt"));
    writeBytes(m_dir / ("new/" + std::string(64, 'n')), "name too long for a record");
    auto result = make({"--version", "211"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("does not fit in 63 bytes"), std::string::npos) << result.err;
    EXPECT_EQ(readBytes(site("soft_ver.txt")), before);
    EXPECT_FALSE(std::filesystem::exists(site("211/file_list_new.txt")));

    std::filesystem::remove(m_dir / ("new/" + std::string(64, 'n')));
    std::filesystem::create_symlink("Tarnel", m_dir / "new/link");
    EXPECT_EQ(make({"--version", "211"}).exitCode, 1);
}

} // namespace
} // namespace tarnel::update
