#include "tests/support/temp_dir.h"
#include "ui/main_frame.h"
#include "ui/tarnel_application.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

TEST(TarnelApplicationTest, StartsWithTheTitledWindowAndTheRepairedSettings) {
    TempDir program;
    writeBytes(
        program / "tarnel.ini",
        "[DATA]\r\nData_Path=/removed/long/ago\r\n[SOFT_INFORMATION]\r\nSOFT_VERSION=120\r\n");
    TarnelApplication application;
    ASSERT_TRUE(application.initInstance(program.path()));
    CMainFrame* frame = application.mainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->objectName(), "CMainFrame");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle().toStdString(), "Tarnel个人知识管理系统 2.1.0");
    EXPECT_EQ(readBytes(program / "tarnel.ini"),
              "[DATA]\r\nData_Path=" + (program / "Data").string() +
                  "\r\n[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n[WORKSPACE]\r\nTAB_ALIGN=2\r\n");
    EXPECT_EQ(application.settings().tabAlign, 2);
    EXPECT_EQ(application.settings().helpPage, program / "help" / "default.html");
}

TEST(TarnelApplicationTest, TheCurrentWindowNameLeadsTheCaption) {
    app::Settings settings;
    CMainFrame frame(settings);
    frame.setCurrentWindowName("读书笔记");
    EXPECT_EQ(frame.windowTitle().toStdString(), "读书笔记 - Tarnel个人知识管理系统 2.1.0");
    frame.setCurrentWindowName("");
    EXPECT_EQ(frame.windowTitle().toStdString(), "Tarnel个人知识管理系统 2.1.0");
}

} // namespace
} // namespace tarnel::ui

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
