#include "tests/support/eventually.h"
#include "tests/support/http_server.h"
#include "tests/ui/frame_fixture.h"
#include "ui/close_tip_dialog.h"
#include "ui/float_window.h"
#include "ui/knowledge_tree_model.h"
#include "ui/knowledge_tree_view.h"
#include "ui/main_frame.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using test::asked;
using test::FrameTest;
using test::writeBytes;

// A window that holds a new point never saved.
class UnsavedNewPoint : public FrameWindow {
public:
    UnsavedNewPoint() : m_pane(new QWidget) {}
    ~UnsavedNewPoint() override { delete m_pane.data(); }
    WindowKind kind() const override { return WindowKind::NewPoint; }
    std::string name() const override { return "新建知识点"; }
    QWidget* lowerPane() override { return m_pane; }
    bool isUnsavedNewPoint() const override { return true; }

private:
    QPointer<QWidget> m_pane;
};

TEST_F(FrameTest, TheFrameIsBuiltInItsOrderWithTheWorkspaceAndTheWindowArea) {
    writeSettings("[WORKSPACE]\r\nTAB_ALIGN=1\r\n[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n");
    start();
    auto* bar = frame->findChild<QDockWidget*>("workspaceBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->windowTitle(), "知识分类");
    auto* panes = frame->findChild<QTabWidget*>("workspaceTabs");
    ASSERT_NE(panes, nullptr);
    ASSERT_EQ(panes->count(), 3);
    EXPECT_EQ(panes->tabText(0), "分类列表");
    EXPECT_EQ(panes->tabText(1), "窗口列表");
    EXPECT_EQ(panes->tabText(2), "查    询");
    EXPECT_EQ(panes->tabPosition(), QTabWidget::West);
    auto* area = frame->findChild<QSplitter*>("windowArea");
    ASSERT_NE(area, nullptr);
    ASSERT_EQ(area->count(), 3);
    EXPECT_EQ(area->widget(0)->objectName(), "windowTabs");
    EXPECT_EQ(area->widget(0)->height(), 31);
    EXPECT_EQ(area->widget(1)->objectName(), "upperPane");
    EXPECT_FALSE(area->widget(1)->isVisible());
    EXPECT_EQ(frame->trayIcon()->toolTip(), "Tarnel");
    EXPECT_EQ(test::entriesOf(*frame->trayMenu()),
              (std::vector<std::string>{"显示主窗口", "显示悬浮窗口", "在线升级", "-", "退出"}));
    auto* status = frame->findChild<QLabel*>("statusPane");
    EXPECT_EQ(status->text().toStdString(), "本地知识库：" + data().string());
    auto* windows = frame->findChild<QTreeWidget*>("windowList");
    EXPECT_EQ(windows->topLevelItem(0)->text(0), "窗口列表");
    // The tree has the keyboard from the start, on its first item.
    EXPECT_EQ(frame->focusWidget(), static_cast<QWidget*>(frame->tree()));
    EXPECT_EQ(frame->tree()->currentIndex(), tree().categoryRootIndex());
}

TEST_F(FrameTest, EachWorkspacePaneIsFilledOnceAtItsPlace) {
    start();
    int fills = 0;
    auto* favorites = new QTreeWidget;
    favorites->setAccessibleName("收藏夹");
    frame->addWorkspacePane(WorkspacePane::Favorites, favorites, "收 藏 夹", [&] { ++fills; });
    auto* panes = frame->findChild<QTabWidget*>("workspaceTabs");
    ASSERT_EQ(panes->count(), 4);
    EXPECT_EQ(panes->tabText(1), "收 藏 夹");
    QCoreApplication::sendPostedEvents(frame.get());
    EXPECT_EQ(fills, 0);
    panes->setCurrentIndex(1);
    QCoreApplication::sendPostedEvents(frame.get());
    EXPECT_EQ(fills, 1);
    panes->setCurrentIndex(2);
    panes->setCurrentIndex(1);
    frame->postMessage(FrameMessage::FillPane, static_cast<int>(WorkspacePane::Favorites));
    QCoreApplication::sendPostedEvents(frame.get());
    EXPECT_EQ(fills, 1);
}

TEST_F(FrameTest, TheTrayCallbackOfIcon101ShowsTheFrameOrTheTrayMenu) {
    start();
    frame->hideMain();
    ASSERT_TRUE(frame->isMinimized());
    frame->postMessage(FrameMessage::TrayCallback, kTrayIconId + 1, kTrayLeftDoubleClick);
    QCoreApplication::sendPostedEvents(frame.get());
    EXPECT_TRUE(frame->isMinimized());
    frame->postMessage(FrameMessage::TrayCallback, kTrayIconId, kTrayLeftDoubleClick);
    ASSERT_EVENTUALLY(!frame->isMinimized());
    frame->postMessage(FrameMessage::TrayCallback, kTrayIconId, kTrayRightButtonUp);
    ASSERT_EVENTUALLY(frame->trayMenu()->isVisible());
    frame->trayMenu()->hide();
}

TEST_F(FrameTest, ReloadingTheSourceAsksForItsWindowsAndReadsTheBaseAgain) {
    makeCategories({"A"});
    start();
    frame->openCategoryWindow(*category("A"));
    frame->addWindow(std::make_unique<UnsavedNewPoint>());
    makeCategories({"A", "B"}); // another program changed the base
    prompt.script({app::Answer::No});
    frame->postMessage(FrameMessage::ReloadSource, 0);
    ASSERT_EVENTUALLY_EQ(prompt.events().size(), 1u);
    EXPECT_EQ(prompt.events().front(), asked("此窗口的知识点尚未保存, 确定关闭窗口吗？",
                                             app::MessageIcon::Question, app::Buttons::YesNo));
    EXPECT_EQ(frame->windowCount(), 2u);
    EXPECT_FALSE(categoryIndex("B").isValid());

    frame->postMessage(FrameMessage::ReloadSource, 1); // no such source
    QCoreApplication::sendPostedEvents(frame.get());
    EXPECT_EQ(prompt.events().size(), 1u);

    prompt.script({app::Answer::Yes});
    frame->postMessage(FrameMessage::ReloadSource, 0);
    ASSERT_EVENTUALLY(categoryIndex("B").isValid());
    EXPECT_EQ(frame->windowCount(), 0u);
    EXPECT_EQ(frame->windowTitle().toStdString(), "Tarnel个人知识管理系统 2.1.0");
    EXPECT_EQ(tree().labelOf(categoryIndex("A")).toStdString(), "A");
}

TEST_F(FrameTest, EveryControlHasAnAccessibleNameOrALabel) {
    start();
    for (QWidget* widget : frame->findChildren<QWidget*>()) {
        bool interactive = qobject_cast<QAbstractItemView*>(widget) ||
                           qobject_cast<QTabBar*>(widget) || qobject_cast<QTabWidget*>(widget);
        if (interactive && widget->isVisible() && !widget->objectName().startsWith("qt_")) {
            EXPECT_FALSE(widget->accessibleName().isEmpty() &&
                         !qobject_cast<QTabBar*>(widget->parentWidget()) &&
                         !qobject_cast<QTabWidget*>(widget->parentWidget()))
                << widget->objectName().toStdString();
        }
    }
}

TEST_F(FrameTest, HideAndShowMessagesMinimiseWithoutATray) {
    start();
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    frame->postMessage(FrameMessage::HideMain);
    ASSERT_EVENTUALLY(frame->isMinimized());
    EXPECT_TRUE(frame->isVisible());
    frame->postMessage(FrameMessage::ShowMain);
    ASSERT_EVENTUALLY(!frame->isMinimized());
    EXPECT_TRUE(frame->isMaximized());
}

TEST_F(FrameTest, ExitWithAnUnsavedNewPointAndNoKeepsEveryWindow) {
    start();
    makeCategories({});
    frame->addWindow(std::make_unique<UnsavedNewPoint>());
    bool exited = false;
    QObject::connect(frame.get(), &CMainFrame::exited, [&] { exited = true; });
    prompt.script({app::Answer::No});
    frame->postMessage(FrameMessage::ExitForUpdate);
    ASSERT_EVENTUALLY_EQ(prompt.events().size(), 1u);
    EXPECT_EQ(prompt.events().front(), asked("此窗口的知识点尚未保存, 确定退出程序吗？",
                                             app::MessageIcon::Question, app::Buttons::YesNo));
    EXPECT_FALSE(exited);
    EXPECT_EQ(frame->windowCount(), 1u);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_NE(frame->floatWindow(), nullptr);
}

TEST_F(FrameTest, ExitHidesTheFrameAndTheFloatingWindowGoes) {
    start();
    bool exited = false;
    QObject::connect(frame.get(), &CMainFrame::exited, [&] { exited = true; });
    frame->postMessage(FrameMessage::ExitForUpdate);
    ASSERT_EVENTUALLY(exited);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(frame->trayIcon()->isVisible());
    EXPECT_EQ(frame->floatWindow(), nullptr);
    // Late messages are dropped.
    EXPECT_FALSE(frame->postMessage(FrameMessage::ShowMain));
}

TEST_F(FrameTest, ClosingFollowsTheCloseTipSelection) {
    writeSettings("[STARTUP]\r\nCLOSE_TIP_SELECTION=1\r\n");
    start();
    bool exited = false;
    QObject::connect(frame.get(), &CMainFrame::exited, [&] { exited = true; });
    frame->close();
    EXPECT_TRUE(frame->isMinimized()); // no tray here: hidden to the task bar instead
    EXPECT_FALSE(exited);

    settings.closeTipSelection = 2;
    frame->showMaximized();
    frame->close();
    EXPECT_TRUE(exited);
}

TEST_F(FrameTest, TheCloseQuestionRemembersItsAnswerPlusOne) {
    start();
    bool exited = false;
    QObject::connect(frame.get(), &CMainFrame::exited, [&] { exited = true; });
    test::whenModal([](QWidget* modal) {
        ASSERT_EQ(modal->objectName(), "closeTipDialog");
        EXPECT_EQ(modal->windowTitle(), "关闭提示");
        modal->findChild<QRadioButton*>("exitProgram")->setChecked(true);
        modal->findChild<QCheckBox*>("rememberChoice")->setChecked(true);
        EXPECT_EQ(modal->findChild<QCheckBox*>("rememberChoice")->text(), "记住我的选择");
        modal->findChild<QPushButton*>("okButton")->click();
    });
    frame->close();
    EXPECT_TRUE(exited);
    EXPECT_EQ(settings.closeTipSelection, 2);
    EXPECT_NE(test::readBytes(program / "tarnel.ini").find("CLOSE_TIP_SELECTION=2\n"),
              std::string::npos);
}

TEST_F(FrameTest, TheFloatingWindowIsASmallTopmostToolWindowWithTheIcon) {
    writeSettings("[STARTUP]\r\nSHOW_FLAY_WND=1\r\n");
    start();
    FloatWindow* floating = frame->floatWindow();
    ASSERT_NE(floating, nullptr);
    EXPECT_EQ(floating->objectName(), "floatWindow");
    Qt::WindowFlags flags = floating->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Tool));
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_DOUBLE_EQ(floating->windowOpacity(), 128.0 / 255.0);
    int width = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_EQ(floating->geometry(), QRect(width - 200, 150, 32, 32));
    EXPECT_EQ(floating->toolTip(), "你可以拖动文档、网页图片到此浮动窗口!");
    ASSERT_EVENTUALLY(floating->isVisible());
    QImage painted = floating->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QImage icon = QIcon(":/tarnel/tarnel.svg")
                      .pixmap(32, 32)
                      .toImage()
                      .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(painted.size(), icon.size());
    EXPECT_EQ(painted.pixel(16, 4), icon.pixel(16, 4));
    EXPECT_EQ(painted.pixel(20, 28), icon.pixel(20, 28));

    // A double-click hides the shown frame (1891) and shows it again (1888).
    QTest::mouseDClick(floating, Qt::LeftButton);
    ASSERT_EVENTUALLY(frame->isMinimized());
    QTest::mouseDClick(floating, Qt::LeftButton);
    ASSERT_EVENTUALLY(!frame->isMinimized());
}

TEST_F(FrameTest, TheTrayToggleWritesTheFloatingWindowChoice) {
    start();
    ASSERT_FALSE(frame->floatWindow()->isVisible());
    emit frame->trayMenu()->aboutToShow();
    QAction* toggle = frame->trayMenu()->actions()[1];
    EXPECT_EQ(toggle->text(), "显示悬浮窗口");
    toggle->trigger();
    EXPECT_TRUE(frame->floatWindow()->isVisible());
    emit frame->trayMenu()->aboutToShow();
    EXPECT_EQ(toggle->text(), "隐藏悬浮窗口");
    EXPECT_NE(test::readBytes(program / "tarnel.ini").find("SHOW_FLAY_WND=1\n"), std::string::npos);
}

// An update site on this machine that has nothing to offer.
void writeUpdateSite(const std::filesystem::path& settingsFile, const test::HttpServer& site) {
    writeBytes(settingsFile, "[SOFT_INFORMATION]\r\nUPDATE_SITE=" + site.base() + "\r\n");
}

TEST_F(FrameTest, AFailedStartOfTheUpdateProgramIsReported) {
    test::HttpServer site;
    writeUpdateSite(program / "tarnel.ini", site);
    start();
    frame->postMessage(FrameMessage::StartUpdate);
    ASSERT_EVENTUALLY_EQ(prompt.events().size(), 1u);
    EXPECT_EQ(prompt.events().front(),
              test::shown("无法启动在线升级程序“" + (program / "Update").string() + "”!",
                          app::MessageIcon::Error));
}

TEST_F(FrameTest, TheUpdateProgramStartsFromTheProgramDirectory) {
    writeBytes(program / "Update", "#!/bin/sh\npwd > started\n");
    std::filesystem::permissions(program / "Update", std::filesystem::perms::owner_all);
    test::HttpServer site;
    writeUpdateSite(program / "tarnel.ini", site);
    start();
    frame->postMessage(FrameMessage::StartUpdate);
    ASSERT_EVENTUALLY(std::filesystem::exists(program / "started"));
    ASSERT_EVENTUALLY_EQ(test::readBytes(program / "started"), program.path().string() + "\n");
    EXPECT_TRUE(prompt.events().empty());
}

TEST_F(FrameTest, ADamagedIndexIsReportedOnceWithItsFile) {
    makeCategories({"读书笔记"});
    writeBytes(data() / "Index" / "kms.cls", "not a table file");
    start();
    ASSERT_EQ(prompt.events().size(), 1u);
    EXPECT_EQ(prompt.events().front().icon, app::MessageIcon::Warning);
    EXPECT_NE(prompt.events().front().text.find((data() / "Index" / "kms.cls").string()),
              std::string::npos);
    EXPECT_EQ(tree().rowCount(tree().categoryRootIndex()), 0);
    EXPECT_EQ(test::readBytes(data() / "Index" / "kms.cls"), "not a table file");
}

} // namespace
} // namespace tarnel::ui
