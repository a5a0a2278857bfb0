#include "tests/support/http_server.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"
#include "tests/update/update_site.h"
#include "tests/updater/wizard_driver.h"
#include "ui/program_icon.h"
#include "update/update_format.h"
#include "updater/update_progress_bar.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <thread>

namespace tarnel::updater {
namespace {

using test::shown;

class RecordingLauncher : public platform::ProgramLauncher {
public:
    int start(const std::filesystem::path& program, const std::filesystem::path&) const override {
        started.push_back(program.filename().string());
        return 0;
    }
    mutable std::vector<std::string> started;
};

class UpdateWizardTest : public ::testing::Test {
protected:
    UpdateWizardTest() : m_update(m_server) {}

    UpdateWizard& open() {
        return m_driver.open({m_update.programDirectory(),
                              QString::fromStdString(m_runtime.path().string()), &m_prompt,
                              &m_launcher});
    }

    template <typename T = QWidget> T* child(const char* name) { return m_driver.child<T>(name); }

    // The button states as (visible, enabled) of back, next and cancel.
    std::string buttons() {
        std::string out;
        for (const char* name : {"backButton", "nextButton", "cancelButton"}) {
            auto* button = child<QPushButton>(name);
            out += !button->isVisible() ? 'h' : button->isEnabled() ? 'e' : 'd';
        }
        return out;
    }

    test::HttpServer m_server;
    test::SeveralFileUpdate m_update;
    test::TempDir m_runtime;
    test::ScriptedPrompt m_prompt;
    RecordingLauncher m_launcher;
    WizardDriver m_driver;
};

TEST_F(UpdateWizardTest, AnInstalledNewestVersionGoesFromCheckingToTheEndPage) {
    test::publish(m_server, 210, 200, {});
    UpdateWizard& wizard = open();
    EXPECT_EQ(wizard.windowTitle(), "在线升级");
    // The main program's own icon, not the platform's default.
    QImage icon = wizard.windowIcon().pixmap(32).toImage();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon, ui::programIcon().pixmap(32).toImage());
    EXPECT_EQ(wizard.currentPage(), UpdateWizard::kWelcomePage);
    EXPECT_EQ(child<QLabel>("welcomePageLine1")->text(), "本程序可帮助你快速升级Tarnel及其组件！");
    EXPECT_EQ(child<QPushButton>("backButton")->text(), "上一步 >");
    EXPECT_EQ(buttons(), "dee");

    m_driver.next();
    ASSERT_TRUE(m_driver.waitForPage(UpdateWizard::kEndPage));
    EXPECT_EQ(buttons(), "hed");
    EXPECT_EQ(child<QPushButton>("nextButton")->text(), "完成");
    EXPECT_EQ(child<QLabel>("siteLink")->text(),
              QString("<a href=\"%1\" style=\"color:#0000ff\">%1</a>")
                  .arg(QString::fromStdString(m_server.base())));

    m_driver.next();
    EXPECT_EQ(m_driver.result(), UpdateWizard::kDone);
    EXPECT_TRUE(m_launcher.started.empty());
    EXPECT_TRUE(m_prompt.events().empty());
}

TEST_F(UpdateWizardTest, TheReleaseNotesPageShowsVersionDateAndLinkedNotes) {
    test::publish(m_server, 211, 211, m_update.files());
    UpdateWizard& wizard = open();
    m_driver.next();
    ASSERT_TRUE(m_driver.waitForPage(UpdateWizard::kReleaseNotesPage));
    EXPECT_EQ(buttons(), "dee");
    EXPECT_EQ(child<QLabel>("versionLabel")->text(), "版本:2.1.1");
    EXPECT_EQ(child<QLabel>("releaseTimeLabel")->text(), "发布时间:2026-12-08");
    auto* notes = child<QTextBrowser>("releaseNotes");
    EXPECT_TRUE(notes->isReadOnly());
    EXPECT_EQ(notes->toPlainText(), "新功能 https://example.org/notes");
    QTextCursor cursor(notes->document());
    cursor.setPosition(6);
    EXPECT_EQ(cursor.charFormat().anchorHref(), "https://example.org/notes");

    // Installed 210, the site lets only 211 update: told, and the page stays.
    m_driver.next();
    EXPECT_EQ(wizard.currentPage(), UpdateWizard::kReleaseNotesPage);
    EXPECT_EQ(m_prompt.events(),
              std::vector{shown(std::string(update::kTooOldHead) + m_server.base() +
                                    std::string(update::kTooOldTail),
                                app::MessageIcon::Information)});
    EXPECT_EQ(m_driver.finishedCount(), 0);
}

TEST_F(UpdateWizardTest, AnUnreachableSiteClosesTheWizardWithResultOne) {
    m_server.set("/tarnel/soft_ver.txt", test::Reply{.status = 500});
    open();
    m_driver.next();
    ASSERT_TRUE(m_driver.waitForEnd());
    EXPECT_EQ(m_driver.result(), UpdateWizard::kFailed);
    ASSERT_EQ(m_prompt.events().size(), 1u);
    EXPECT_EQ(m_prompt.events()[0].icon, app::MessageIcon::Warning);
}

TEST_F(UpdateWizardTest, FromTheFirstMoveNeitherCancelNorClosingEndsTheWizard) {
    UpdateWizard& wizard = open();
    std::atomic<bool> reported{false};
    std::thread worker([&] {
        wizard.movesStarted();
        reported = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return reported.load(); }, 5000));
    worker.join();
    EXPECT_FALSE(child<QPushButton>("cancelButton")->isEnabled());
    wizard.close();
    QTest::keyClick(&wizard, Qt::Key_Escape);
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_EQ(m_driver.finishedCount(), 0);
}

TEST_F(UpdateWizardTest, EveryControlIsNamedAndTheAboutEntryIsInTheContextMenu) {
    UpdateWizard& wizard = open();
    for (QWidget* widget : wizard.findChildren<QWidget*>()) {
        bool control = qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                       qobject_cast<QProgressBar*>(widget) || qobject_cast<QTextBrowser*>(widget);
        if (control) {
            EXPECT_FALSE(widget->objectName().isEmpty()) << widget->metaObject()->className();
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
        }
    }
    EXPECT_EQ(wizard.contextMenuPolicy(), Qt::CustomContextMenu);
    QTimer::singleShot(0, [] {
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        auto* about = popup->findChild<QAction*>("aboutAction");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->text(), "关于 UpdateTarnel升级程序(&A)...");
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), "关于 UpdateTarnel");
            EXPECT_EQ(dialog->findChild<QLabel*>("aboutVersion")->text(), "UpdateTarnel 1.2 版");
            dialog->close();
        });
        about->trigger();
        popup->close();
    });
    emit wizard.customContextMenuRequested(QPoint(10, 10));
}

TEST_F(UpdateWizardTest, TheBarTilesSixPixelBlocksEveryNinePixelsUpToHalfItsWidth) {
    UpdateProgressBar bar;
    bar.setPercent(50);
    EXPECT_EQ(bar.size(), QSize(282, 21));
    EXPECT_EQ(bar.GetText(), "50%");
    bar.SetText("");
    QImage image = bar.grab().toImage();
    const QRgb background = image.pixel(200, 10);
    auto filled = [&](int x) { return image.pixel(x, 10) != background; };
    // Filled to 4 + 274 / 2 = 141: blocks at 4-9, 13-18, ..., the last one cut at 141.
    for (int x = 4; x < 141; ++x) {
        EXPECT_EQ(filled(x), (x - 4) % 9 < 6) << x;
    }
    for (int x = 141; x < 278; ++x) {
        EXPECT_FALSE(filled(x)) << x;
    }
    EXPECT_EQ(image.pixel(5, 2), background) << "above the blocks";
    EXPECT_NE(image.pixel(5, 3), background) << "the block's top row";
    EXPECT_NE(image.pixel(5, 17), background) << "the block's bottom row";
    EXPECT_EQ(image.pixel(5, 18), background) << "below the blocks";
}

} // namespace
} // namespace tarnel::updater
