#include "tests/support/eventually.h"
#include "ui/notification_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

QColor qColour(skin::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Whether a colour lies within a few steps of another (a gradient's row is a blend).
bool near(QColor a, QColor b, int steps) {
    return std::abs(a.red() - b.red()) <= steps && std::abs(a.green() - b.green()) <= steps &&
           std::abs(a.blue() - b.blue()) <= steps;
}

int pixelsOf(const QImage& image, const QRect& area, QColor colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixelColor(x, y) == colour;
        }
    }
    return count;
}

class NotificationWindowTest : public ::testing::Test {
protected:
    skin::ColourScheme scheme;
    int clicks = 0;
    QPointer<NotificationWindow> window;

    void open(bool clickable, QImage icon = {}) {
        NotificationWindow::Content content;
        content.title = "Tarnel提示:有新的可用版本";
        content.text = "Tarnel有可用的更新了!\n\n最新版本:V2.1.1, 点击进行在线升级!";
        content.icon = std::move(icon);
        if (clickable) {
            content.onClick = [this] { ++clicks; };
        }
        window = new NotificationWindow(std::move(content), scheme);
        QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        window->move(NotificationWindow::placeOn(available));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }

    void TearDown() override { delete window.data(); }
};

TEST_F(NotificationWindowTest, IsPaintedFramedWithTheSchemesCaptionAndCross) {
    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(QColor(255, 0, 0));
    open(true, icon);
    EXPECT_EQ(window->objectName(), "NotificationWindow");
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window->size(), NotificationWindow::kSize);
    EXPECT_EQ(window->geometry().right(), available.right() - 5);
    EXPECT_EQ(window->geometry().bottom(), available.bottom() - 1);

    QImage image = window->grab().toImage();
    int w = image.width();
    int h = image.height();
    for (QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1),
                          QPoint(w / 2, 0), QPoint(0, h / 2)}) {
        EXPECT_EQ(image.pixelColor(corner), QColor(Qt::black)) << corner.x() << "," << corner.y();
    }
    EXPECT_EQ(image.pixelColor(1, 1), QColor(196, 196, 196));
    EXPECT_EQ(image.pixelColor(w - 2, h - 2), QColor(196, 196, 196));
    auto band = scheme.notificationCaptionBand();
    EXPECT_TRUE(near(image.pixelColor(w / 2, 2), qColour(band[0]), 3));
    EXPECT_TRUE(near(image.pixelColor(w / 2, 2 + 24), qColour(band[3]), 3));
    // Below the band, outside the text's rectangle: the background.
    EXPECT_EQ(image.pixelColor(4, 40), qColour(scheme.notificationBackground()));
    EXPECT_EQ(image.pixelColor(4, h - 4), qColour(scheme.notificationBackground()));
    // The icon at (2, 4), the title beside it, the cross in the middle of the close box.
    EXPECT_EQ(image.pixelColor(2, 4), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(17, 19), QColor(255, 0, 0));
    QColor captionText = qColour(scheme.notificationCaptionText());
    EXPECT_GT(pixelsOf(image, QRect(20, 2, 150, 25), captionText), 20);
    QRect close = window->closeGlyphRect();
    EXPECT_EQ(close, QRect(w - 22, 2, 20, 25));
    EXPECT_EQ(image.pixelColor(close.center()), captionText);
    EXPECT_GE(pixelsOf(image, close, captionText), 13);
    // The text is drawn in its rectangle only.
    EXPECT_GT(pixelsOf(image, window->textRect(), QColor(Qt::black)), 20);
    EXPECT_EQ(pixelsOf(image, QRect(3, 28, w - 6, 55 - 28), QColor(Qt::black)), 0);
}

TEST_F(NotificationWindowTest, WithoutIconTheTitleStartsAtTheLeft) {
    open(false);
    QImage image = window->grab().toImage();
    QColor captionText = qColour(scheme.notificationCaptionText());
    EXPECT_GT(pixelsOf(image, QRect(2, 2, 18, 25), captionText), 0);
    EXPECT_EQ(window->findChild<QAbstractButton*>("notificationText"), nullptr);
}

TEST_F(NotificationWindowTest, ClickingTheTextRunsItsActionAndCloses) {
    open(true);
    auto* text = window->findChild<QAbstractButton*>("notificationText");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->accessibleName(), window->content().text);
    EXPECT_EQ(text->toolTip(), "查看详情");
    EXPECT_EQ(text->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(text->geometry(), window->textRect());
    QTest::mouseClick(text, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    ASSERT_EVENTUALLY(window.isNull());
}

TEST_F(NotificationWindowTest, TheCrossClosesWithoutTheAction) {
    open(true);
    auto* close = window->findChild<QAbstractButton*>("notificationClose");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->accessibleName(), "关闭");
    EXPECT_EQ(close->toolTip(), "关闭");
    EXPECT_EQ(close->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 600);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    ASSERT_EVENTUALLY(window.isNull());
}

TEST_F(NotificationWindowTest, APressElsewhereMovesTheWindow) {
    open(true);
    QPoint before = window->pos();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(60, 40));
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 50), window->mapToGlobal(QPointF(80, 50)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(window, &move);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(80, 50));
    EXPECT_EQ(window->pos(), before + QPoint(20, 10));
}

} // namespace
} // namespace tarnel::ui
