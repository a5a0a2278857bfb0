#include "lustra/progress_ctrl_ext.h"
#include "tests/lustra/pixel_compare.h"
#include "tests/support/eventually.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QTest>
#include <gtest/gtest.h>

namespace LUSTRA {
namespace {

using tarnel::test::buildImage;
using tarnel::test::codedColor;
using tarnel::test::codedImage;
using tarnel::test::samePixels;
using tarnel::test::solidImage;

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kGreen168 = 0xff00a800;
constexpr QRgb kGrey168 = 0xffa8a8a8;

QImage shot(CProgressCtrlExt& bar) {
    return bar.grab().toImage();
}

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar.resize(200, 20);
        bar.setRange(0, 100);
    }
    CProgressCtrlExt bar;
};

TEST_F(ProgressTest, HalfOfTwoHundredPixelsFillsToNinetyNine) {
    bar.setValue(50);
    const QImage expected = buildImage(200, 20, [](int x, int y) {
        if (x == 0 || y == 0 || x == 199 || y == 19) {
            return kGrey168;
        }
        return x < 100 ? kGreen168 : kWhite;
    });
    EXPECT_TRUE(samePixels(shot(bar), expected, "progress_half"));
    bar.SetFrameColor(-1);
    bar.SetBarColor(0x0000ff);
    bar.setValue(100);
    EXPECT_TRUE(samePixels(shot(bar), buildImage(200, 20, [](int, int) { return 0xffff0000u; }),
                           "progress_full_red"));
}

TEST_F(ProgressTest, ABarPictureIsTiledInsideTheInsets) {
    bar.resize(100, 20);
    bar.SetFrameColor(-1);
    bar.SetInsets(3, 5, 2, 4);
    QImage tile = codedImage(4, 4);
    ST_IMG_INFO info{&tile, 0, 0, 4, 4, 0, 0};
    bar.SetBarImage(&info, DM_TILE);
    bar.setValue(50); // bar end: 3 + 92 / 2 = 49
    const QImage expected = buildImage(100, 20, [](int x, int y) {
        return x >= 3 && x < 49 && y >= 2 && y < 16 ? codedColor((x - 3) % 4, (y - 2) % 4) : kWhite;
    });
    EXPECT_TRUE(samePixels(shot(bar), expected, "progress_tiled"));
}

TEST_F(ProgressTest, ABackgroundPictureIsDrawnOverTheBackground) {
    bar.SetFrameColor(-1);
    bar.SetBkColor(-1);
    QImage back = solidImage(2, 2, 0xff102030);
    ST_IMG_INFO info{&back, 0, 0, 2, 2, 0, 0};
    bar.SetBkImage(&info, DM_STRETCH);
    bar.setValue(0);
    EXPECT_TRUE(samePixels(shot(bar), buildImage(200, 20, [](int, int) { return 0xff102030u; }),
                           "progress_background"));
}

TEST_F(ProgressTest, ASlidingPictureRunsOnAndRestartsAtTheMinimum) {
    bar.resize(100, 20);
    bar.setRange(0, 10);
    bar.setValue(0);
    bar.SetFrameColor(-1);
    bar.SetSliding(true);
    QImage runner = solidImage(10, 6, 0xff0000ff);
    ST_IMG_INFO info{&runner, 0, 0, 10, 6, 0, 0};
    bar.SetBarImage(&info, DM_TILE);
    auto runnerAt = [](int left) {
        return buildImage(100, 20, [left](int x, int y) {
            return x >= left && x < left + 10 && y >= 7 && y < 13 ? 0xff0000ffu : kWhite;
        });
    };
    for (int step = 1; step <= 5; ++step) {
        bar.OnTimer(CProgressCtrlExt::kStepTimer);
    }
    EXPECT_EQ(bar.value(), 5);
    EXPECT_EQ(bar.GetSlideOffset(), 5);
    EXPECT_TRUE(samePixels(shot(bar), runnerAt(40), "sliding_at_5"));
    for (int step = 6; step <= 11; ++step) {
        bar.OnTimer(CProgressCtrlExt::kStepTimer);
    }
    EXPECT_EQ(bar.value(), 10);
    EXPECT_EQ(bar.GetSlideOffset(), 11);
    EXPECT_TRUE(samePixels(shot(bar), runnerAt(100), "sliding_past_the_end"));
    bar.OnTimer(CProgressCtrlExt::kStepTimer);
    EXPECT_EQ(bar.value(), 0) << "restarted";
    EXPECT_EQ(bar.GetSlideOffset(), 0);
    bar.OnTimer(CProgressCtrlExt::kStepTimer);
    EXPECT_TRUE(samePixels(shot(bar), runnerAt(0), "sliding_again"));
    bar.OnTimer(999);
    EXPECT_EQ(bar.value(), 1) << "other timers are not steps";
}

TEST_F(ProgressTest, AGrowingBarStopsAtTheMaximumAndCountsTheOffsetOn) {
    bar.setRange(5, 7);
    bar.setValue(6);
    bar.OnTimer(CProgressCtrlExt::kStepTimer);
    bar.OnTimer(CProgressCtrlExt::kStepTimer);
    EXPECT_EQ(bar.value(), 7);
    EXPECT_EQ(bar.GetSlideOffset(), 8);
}

TEST_F(ProgressTest, AnEmptyRangeDrawsNoBar) {
    bar.SetFrameColor(-1);
    bar.setRange(5, 5);
    bar.setValue(5);
    EXPECT_TRUE(
        samePixels(shot(bar), buildImage(200, 20, [](int, int) { return kWhite; }), "empty"));
}

TEST_F(ProgressTest, ThePercentTextIsCentredInTheTextColour) {
    bar.setValue(7);
    bar.UpdatePercentText();
    EXPECT_EQ(bar.GetText(), "7%");
    bar.setRange(100, 300);
    bar.setValue(150);
    bar.UpdatePercentText();
    EXPECT_EQ(bar.GetText(), "25%");
    bar.setRange(0, 100);
    bar.setValue(0);
    bar.SetFrameColor(-1);
    bar.SetTextColor(0x0000ff);
    bar.SetText("7%");
    const QImage image = shot(bar);
    const QRect text =
        QFontMetrics(bar.font())
            .boundingRect(QRect(0, 0, 200, 20), Qt::AlignCenter | Qt::TextSingleLine, "7%");
    int red = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 200; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel != kWhite) {
                ASSERT_TRUE(text.adjusted(-1, -1, 1, 1).contains(x, y)) << x << ", " << y;
                red += qRed(pixel) == 255 && qGreen(pixel) < 128 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(red, 4);
    bar.SetText("");
    EXPECT_TRUE(
        samePixels(shot(bar), buildImage(200, 20, [](int, int) { return kWhite; }), "no_text"));
}

TEST_F(ProgressTest, ReadersHearTheDrawnTextAsTheValue) {
    bar.setRange(100, 300);
    bar.setValue(150);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&bar);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::ProgressBar);
    EXPECT_EQ(face->text(QAccessible::Value).toStdString(), "150") << "no text drawn";
    bar.UpdatePercentText();
    EXPECT_EQ(face->text(QAccessible::Value).toStdString(), "25%");
    EXPECT_EQ(face->text(QAccessible::Description).toStdString(), "25%");
    QAccessibleValueInterface* value = face->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 150);
    EXPECT_EQ(value->minimumValue().toInt(), 100);
    EXPECT_EQ(value->maximumValue().toInt(), 300);
}

TEST_F(ProgressTest, TheStepTimerKeepsItsIntervalAndStops) {
    bar.SetElapse(0);
    EXPECT_EQ(bar.GetElapse(), 40);
    bar.SetElapse(-5);
    EXPECT_EQ(bar.GetElapse(), 40);
    bar.SetElapse(5);
    EXPECT_EQ(bar.GetElapse(), 5);
    bar.setValue(0);
    bar.StartTimer();
    EXPECT_TRUE(bar.IsTimerActive());
    ASSERT_EVENTUALLY(bar.value() >= 2);
    bar.StopTimer();
    EXPECT_FALSE(bar.IsTimerActive());
    const int stopped = bar.value();
    QTest::qWait(40);
    EXPECT_EQ(bar.value(), stopped);
}

} // namespace
} // namespace LUSTRA
