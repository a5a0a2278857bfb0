#include "app/settings_file.h"
#include "app/window_title.h"
#include "platform/ini.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>

namespace tarnel::app {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_tmp.path());
        ::setenv("TMPDIR", m_tmp.path().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("TMPDIR"); }

    std::filesystem::path ini() const { return m_program / "tarnel.ini"; }

    Settings startUp() {
        Settings settings;
        SettingsFile file;
        file.firstRead(settings, m_program.path());
        file.versionBookkeeping(settings);
        file.workspaceRead(settings);
        return settings;
    }

    TempDir m_program;
    TempDir m_tmp;
};

TEST_F(SettingsFileTest, AMissingDataPathIsRepairedAndWrittenBack) {
    Settings s = startUp();
    const std::string dataPath = (m_program / "Data").string();
    EXPECT_EQ(s.dataPath, dataPath);
    EXPECT_EQ(s.settingsFile, ini());
    EXPECT_FALSE(std::filesystem::exists(m_program / "Data"));
    EXPECT_EQ(readBytes(ini()), "[DATA]\nData_Path=" + dataPath +
                                    "\n[WORKSPACE]\nTAB_ALIGN=2\n"
                                    "[SOFT_INFORMATION]\nSOFT_VERSION=210\n");
}

TEST_F(SettingsFileTest, ADataPathThatNoLongerExistsIsReplaced) {
    writeBytes(ini(), "[DATA]\r\nData_Path=/nowhere/removed\r\nDATABASE_TYPE=2\r\n"
                      "[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n");
    Settings s = startUp();
    EXPECT_EQ(s.dataPath, (m_program / "Data").string());
    EXPECT_EQ(s.databaseType, 2);
    EXPECT_EQ(readBytes(ini()), "[DATA]\r\nData_Path=" + (m_program / "Data").string() +
                                    "\r\nDATABASE_TYPE=2\r\n"
                                    "[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n");
}

TEST_F(SettingsFileTest, AnExistingDataPathAndCurrentVersionLeaveTheFileUntouched) {
    TempDir data;
    const std::string before = "[DATA]\nData_Path=" + data.path().string() +
                               "\n[SOFT_INFORMATION]\nSOFT_VERSION=210\n[WORKSPACE]\nTAB_ALIGN=1\n";
    writeBytes(ini(), before);
    Settings s = startUp();
    EXPECT_EQ(s.dataPath, data.path().string());
    EXPECT_EQ(s.tabAlign, 1);
    EXPECT_EQ(tabAlignmentFlag(s.tabAlign), 2);
    EXPECT_EQ(readBytes(ini()), before);
}

TEST_F(SettingsFileTest, VersionBookkeeping) {
    struct Case {
        const char* version;
        int tabAlign;
        const char* expectedTab;
    };
    const Case cases[] = {
        {"120", 2, "2"}, {"0", 2, "2"}, {"", 2, "2"}, {"200", 0, "0"}, {"300", 0, "0"}};
    for (const auto& c : cases) {
        writeBytes(ini(), std::string("[SOFT_INFORMATION]\nSOFT_VERSION=") + c.version +
                              "\n[WORKSPACE]\nTAB_ALIGN=0\n");
        Settings s;
        SettingsFile file;
        file.firstRead(s, m_program.path());
        file.versionBookkeeping(s);
        EXPECT_EQ(s.tabAlign, c.tabAlign) << c.version;
        platform::IniFile check(ini());
        EXPECT_EQ(check.readString("SOFT_INFORMATION", "SOFT_VERSION", "", 512), "210");
        EXPECT_EQ(check.readString("WORKSPACE", "TAB_ALIGN", "", 512), c.expectedTab);
    }
}

TEST_F(SettingsFileTest, DefaultsOfAMissingFile) {
    Settings s = startUp();
    EXPECT_TRUE(s.autoExpandClass);
    EXPECT_EQ(s.operatorMode, 1);
    EXPECT_FALSE(s.autoHomepage);
    EXPECT_FALSE(s.showFlayWnd);
    EXPECT_FALSE(s.showPointNum);
    EXPECT_FALSE(s.showGrid);
    EXPECT_FALSE(s.autoSwap);
    EXPECT_EQ(s.closeTipSelection, 0);
    EXPECT_EQ(s.databaseType, 0);
    EXPECT_EQ(s.searchDocType, ",,");
    EXPECT_EQ(s.helpPage, m_program / "help" / "default.html");
    EXPECT_EQ(s.tempFolder, m_tmp / "TARNEL");
    EXPECT_TRUE(std::filesystem::is_directory(m_tmp / "TARNEL"));
}

TEST_F(SettingsFileTest, ValuesOutsideTheirRange) {
    writeBytes(ini(), "[STARTUP]\nCLOSE_TIP_SELECTION=5\nAUTO_EXPAND_CLASS=\n"
                      "OPERATOR_MODE=-4\nSHOW_FLAY_WND=7\nAUTO_HOMEPAGE=yes\n"
                      "[SOFT_INFORMATION]\nSOFT_INST=-2\nLOGIN_IMAGE_INDEX=0\nSOFT_TIP_INDEX=3\n"
                      "[WORKSPACE]\nSEARCH_DOC_TYPE=DOC,Txt\n"
                      "[RICH_SET]\nBK_MODE=1\nBK_PIC=\\Background\\sky.png\n");
    Settings s = startUp();
    EXPECT_EQ(s.closeTipSelection, 0);
    EXPECT_TRUE(s.autoExpandClass);
    EXPECT_EQ(s.operatorMode, 1);
    EXPECT_TRUE(s.showFlayWnd);
    EXPECT_FALSE(s.autoHomepage);
    EXPECT_EQ(s.softInst, 0);
    EXPECT_EQ(s.loginImageIndex, 0);
    EXPECT_EQ(s.softTipIndex, 3);
    EXPECT_EQ(s.searchDocType, ",doc,txt,");
    EXPECT_EQ(backgroundPicturePath(s), m_program / "Background" / "sky.png");
}

TEST_F(SettingsFileTest, TheFullWriteWritesItsKeysInOrder) {
    Settings s = startUp();
    s.searchDocType = ",doc,txt,";
    s.skinPath = "蓝色";
    s.closeTipSelection = 2;
    s.accessPassword = "secret";
    writeBytes(ini(), "");
    ASSERT_EQ(SettingsFile().writeAll(s), 0);
    EXPECT_EQ(readBytes(ini()), "[DATA]\nData_Path=" + s.dataPath +
                                    "\nDATABASE_TYPE=0\n"
                                    "[ACCESS]\nACCESS_PATH=\nUSER=\nPWD=secret\n"
                                    "[SQL_SERVER]\nHOSTNAME=\nUSER=\nPWD=\nDB=\nWINDOW=0\n"
                                    "[SKIN]\nSkinPath=\xC0\xB6\xC9\xAB\n"
                                    "[WORKSPACE]\nSHOW_POINT_NUM=0\nSHOW_TOTAL_POINT_NUM=0\n"
                                    "MODIFY_CLASS_NAME=0\nMODIFY_TAB_NAME=0\nTAB_ALIGN=2\n"
                                    "SEARCH_DOC_TYPE=doc,txt\n"
                                    "[STARTUP]\nAUTO_HOMEPAGE=0\nAUTO_EXPAND_CLASS=1\n"
                                    "CLOSE_TIP_SELECTION=2\nSHOW_FLAY_WND=0\n");
}

TEST_F(SettingsFileTest, EditorAndPointListWritesRoundTrip) {
    Settings s = startUp();
    s.autoSwap = true;
    s.bkMode = 1;
    s.bkPic = "\\Background\\a.png";
    s.showGrid = true;
    s.pointSortType = 3;
    s.tabAlign = 1;
    ASSERT_EQ(SettingsFile().writeEditor(s), 0);
    ASSERT_EQ(SettingsFile().writePointList(s), 0);
    ASSERT_EQ(SettingsFile().writeTabAlign(s), 0);
    Settings again = startUp();
    EXPECT_TRUE(again.autoSwap);
    EXPECT_EQ(again.bkMode, 1);
    EXPECT_EQ(again.bkPic, "\\Background\\a.png");
    EXPECT_TRUE(again.showGrid);
    EXPECT_EQ(again.pointSortType, 3);
    EXPECT_EQ(again.tabAlign, 1);
}

class ReadOnlyDisk : public platform::FileSystem {
public:
    int writeFileAtomic(const std::filesystem::path&, std::string_view, Access) const override {
        return EROFS;
    }
};

TEST_F(SettingsFileTest, WriteFailuresAreReturned) {
    ReadOnlyDisk disk;
    Settings s;
    SettingsFile file(disk);
    file.firstRead(s, m_program.path());
    EXPECT_EQ(s.dataPath, (m_program / "Data").string());
    EXPECT_EQ(file.writeAll(s), EROFS);
    EXPECT_EQ(file.writeTabAlign(s), EROFS);
    EXPECT_FALSE(std::filesystem::exists(ini()));
}

TEST(WindowTitleTest, CaptionsCarryTheVersionWithPoints) {
    EXPECT_EQ(mainWindowTitle(210), "Tarnel个人知识管理系统 2.1.0");
    EXPECT_EQ(mainWindowTitle(210, "笔记"), "笔记 - Tarnel个人知识管理系统 2.1.0");
    EXPECT_EQ(toolbarCaption(210, "笔记"), "Tarnel个人知识管理系统 2.1.0 - 笔记");
}

} // namespace
} // namespace tarnel::app
