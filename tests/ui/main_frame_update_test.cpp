#include "platform/codepage.h"
#include "tests/support/eventually.h"
#include "tests/support/http_server.h"
#include "tests/support/recording_launcher.h"
#include "tests/ui/frame_fixture.h"
#include "ui/notification_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using test::HttpServer;
using test::readBytes;
using test::Reply;
using test::writeBytes;

std::string tipRecord(std::uint32_t icon, const std::string& text, const std::string& link) {
    std::string record(324, '\0');
    for (int i = 0; i < 4; ++i) {
        record[static_cast<std::size_t>(i)] = static_cast<char>((icon >> (8 * i)) & 0xFF);
    }
    std::string gb = platform::utf8ToGb(text);
    record.replace(4, gb.size(), gb);
    record.replace(260, link.size(), link);
    return record;
}

const std::string kTips = tipRecord(0, "按F3查找下一个", "https://tips.example/1") +
                          tipRecord(2, "拖动文档到悬浮窗口即可导入", "");

class FrameUpdateTest : public test::FrameTest {
protected:
    HttpServer site;
    test::RecordingLauncher recorder;

    FrameUpdateTest() { launcher = &recorder; }

    void offer(int version, const std::string& extra = "") {
        site.set("/tarnel/soft_ver.txt",
                 Reply{.body = "[CURRENT_SOFT_INFORMATION]\r\nSOFT_VERSION=" +
                               std::to_string(version) + "\r\n" + extra});
    }
    void useSite(const std::string& value) {
        writeSettings("[SOFT_INFORMATION]\r\nUPDATE_SITE=" + value + "\r\n");
    }
    std::string ping() const { return "/visit.asp?product=tarnel&ver=210"; }
    QLabel* label(const char* name) { return frame->findChild<QLabel*>(name); }
};

TEST_F(FrameUpdateTest, ANewerVersionOpensOneNoticeInTheCornerThatStartsTheUpdate) {
    offer(211);
    useSite(site.base());
    start();
    ASSERT_EVENTUALLY_EQ(site.targets(),
                         (std::vector<std::string>{"/tarnel/soft_ver.txt", ping()}));
    ASSERT_EVENTUALLY(frame->notification() != nullptr);
    NotificationWindow* notice = frame->notification();
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->content().title.toStdString(), "Tarnel提示:有新的可用版本");
    EXPECT_EQ(notice->content().text.toStdString(),
              "Tarnel有可用的更新了!\n\n最新版本:V2.1.1, 点击进行在线升级!");
    EXPECT_EQ(notice->content().icon, frame->pictures().picture(58));
    EXPECT_FALSE(notice->content().icon.isNull());
    QRect available = frame->screen()->availableGeometry();
    EXPECT_EQ(notice->geometry().bottomRight(), available.bottomRight() - QPoint(5, 1));
    EXPECT_EQ(frame->findChildren<NotificationWindow*>().size(), 1);
    // Its frame and caption as the scheme paints them.
    QImage image = notice->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(196, 196, 196));
    skin::Rgb background = skin::ColourScheme(frame->skinColours().base).notificationBackground();
    EXPECT_EQ(image.pixelColor(4, 40), QColor(background.red, background.green, background.blue));

    QTest::mouseClick(notice->findChild<QAbstractButton*>("notificationText"), Qt::LeftButton);
    ASSERT_EVENTUALLY_EQ(recorder.started,
                         (std::vector<std::string>{(program / "Update").string() + " in " +
                                                   program.path().string()}));
    ASSERT_EVENTUALLY(frame->notification() == nullptr);
    EXPECT_TRUE(prompt.events().empty());
}

// The same version offers nothing; the newer tips replace the file, their number is recorded by
// the window, and the status bar cycles through them every 5 seconds.
TEST_F(FrameUpdateTest, TheSameVersionShowsNoNoticeAndTheFetchedTipsCycleInTheStatusBar) {
    offer(210, "SOFT_TIP_INDEX=7\r\nSOFT_TIP_PATH=" + site.base() + "/tips/tarnel.tip\r\n");
    site.set("/tips/tarnel.tip", Reply{.body = kTips});
    writeBytes(program / "tarnel.tip", tipRecord(1, "旧提示", ""));
    useSite(site.base());
    start();
    ASSERT_EVENTUALLY_EQ(frame->tips().size(), 2u);
    EXPECT_EQ(site.targets(),
              (std::vector<std::string>{"/tarnel/soft_ver.txt", "/tips/tarnel.tip", ping()}));
    EXPECT_EQ(frame->notification(), nullptr);
    EXPECT_EQ(readBytes(program / "tarnel.tip"), kTips);
    EXPECT_NE(readBytes(program / "tarnel.ini").find("SOFT_TIP_INDEX=7\r\n"), std::string::npos);
    EXPECT_EQ(settings.softTipIndex, 0);

    auto* timer = frame->findChild<QTimer*>("tipTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 5000);
    EXPECT_TRUE(timer->isActive());
    timer->setInterval(20);
    ASSERT_EVENTUALLY_EQ(label("statusPane")->text().toStdString(), std::string("按F3查找下一个"));
    EXPECT_EQ(label("statusPane")->toolTip().toStdString(), "https://tips.example/1");
    QImage icon = label("statusIcon")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(icon, frame->pictures()
                        .picture(58)
                        .scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_RGB32));
    ASSERT_EVENTUALLY_EQ(label("statusPane")->text().toStdString(),
                         std::string("拖动文档到悬浮窗口即可导入"));
    EXPECT_FALSE(label("statusIcon")->pixmap().isNull());
    ASSERT_EVENTUALLY_EQ(label("statusPane")->text().toStdString(), std::string("按F3查找下一个"));
    EXPECT_EQ(frame->findChildren<NotificationWindow*>().size(), 0);
}

// Without a usable site nothing is fetched, the tips on disk still show, and the update command
// says why it cannot run.
TEST_F(FrameUpdateTest, WithoutAnUpdateSiteNothingIsFetchedAndTheUpdateCommandSaysSo) {
    offer(211);
    for (const char* value : {"", "http://example.org", "ftp://127.0.0.1"}) {
        SCOPED_TRACE(value);
        useSite(value);
        writeBytes(program / "tarnel.tip", kTips);
        start();
        ASSERT_EVENTUALLY_EQ(frame->tips().size(), 2u);
        frame->findChild<QAction*>("updateCommand")->trigger();
        frame->postMessage(FrameMessage::StartUpdate);
        ASSERT_EVENTUALLY_EQ(prompt.events().size(), 2u);
        for (const auto& event : prompt.events()) {
            EXPECT_EQ(event, test::shown(CMainFrame::kNoUpdateSite, app::MessageIcon::Information));
        }
        EXPECT_TRUE(recorder.started.empty());
        EXPECT_EQ(frame->notification(), nullptr);
        prompt.clear();
        frame.reset();
    }
    EXPECT_TRUE(site.requests().empty());
}

} // namespace
} // namespace tarnel::ui
