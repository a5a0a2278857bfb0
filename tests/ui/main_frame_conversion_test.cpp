#include "app/settings_file.h"
#include "store/category_store.h"
#include "tests/store/legacy_fixtures.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/main_frame.h"

#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace tarnel::ui {
namespace {

using test::FrameTest;
using test::olderCategory;
using test::olderFile;
using test::writeBytes;

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeOlderIndex(const std::filesystem::path& data, const std::string& bytes) {
    std::filesystem::create_directories(data / "Index");
    writeBytes(data / "Index/kms.cls", bytes);
}

TEST_F(FrameTest, AnOlderBaseIsConvertedBeforeItOpensAndTheTabsMoveDown) {
    writeSettings("[WORKSPACE]\r\nTAB_ALIGN=0\r\n[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n");
    // The older files hold their texts in GB18030: "读书笔记".
    writeOlderIndex(data(), olderFile(121, {olderCategory("1", "0", "0", "0",
                                                          "\xB6\xC1\xCA\xE9\xB1\xCA\xBC\xC7")}));
    start();
    ASSERT_EQ(prompt.events().size(), 1u);
    EXPECT_EQ(prompt.events()[0].text.rfind("数据转换成功，旧数据源备份到:", 0), 0u)
        << prompt.events()[0].text;
    EXPECT_EQ(prompt.events()[0].icon, app::MessageIcon::Information);
    ASSERT_NE(frame->base()->categories().find(1), nullptr);
    EXPECT_EQ(frame->base()->categories().find(1)->name(), "读书笔记");
    EXPECT_EQ(frame->findChild<QTabWidget*>("workspaceTabs")->tabPosition(), QTabWidget::South);
    EXPECT_NE(fileText(program / "tarnel.ini").find("TAB_ALIGN=2"), std::string::npos);
    EXPECT_EQ(frame->exitCode(), 0);
}

TEST_F(FrameTest, ABaseThatCannotBeConvertedEndsTheProgramBeforeAnyStoreLoads) {
    writeSettings("[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n");
    std::string older = olderFile(205, {});
    writeOlderIndex(data(), older);
    app::SettingsFile file;
    file.firstRead(settings, program.path());
    file.versionBookkeeping(settings);
    ui::CMainFrame::Services services;
    services.opener = &opener;
    services.prompt = &prompt;
    frame = std::make_unique<ui::CMainFrame>(settings, QIcon(":/tarnel/tarnel.svg"), services);
    QSignalSpy exited(frame.get(), &ui::CMainFrame::exited);
    frame->showMaximized();
    frame->initialUpdate();
    frame->postMessage(ui::FrameMessage::OpenBase);
    ASSERT_EVENTUALLY_EQ(exited.count(), 1);
    EXPECT_EQ(frame->exitCode(), 1);
    EXPECT_EQ(frame->base(), nullptr);
    EXPECT_FALSE(frame->isVisible());
    ASSERT_EQ(prompt.events().size(), 1u);
    EXPECT_EQ(prompt.events()[0].text.rfind(
                  "文件" + (data() / "Index/kms.cls").string() + "的版本(205)不能转换。", 0),
              0u)
        << prompt.events()[0].text;
    EXPECT_EQ(fileText(data() / "Index/kms.cls"), older);
}

} // namespace
} // namespace tarnel::ui
