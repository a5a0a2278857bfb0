#include "lustra/image_drawing.h"
#include "lustra/image_info.h"
#include "tests/lustra/pixel_compare.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace LUSTRA {
namespace {

using tarnel::test::buildImage;
using tarnel::test::codedColor;
using tarnel::test::codedImage;
using tarnel::test::expectedCanvas;
using tarnel::test::samePixels;
using tarnel::test::solidImage;

constexpr QRgb kBackground = 0xff203040;
constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kGreen = 0xff00ff00;
constexpr QRgb kBlue = 0xff0000ff;

QImage canvas(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(kBackground);
    return image;
}

QImage drawn(QSize size, const std::function<void(QPainter*)>& draw) {
    QImage image = canvas(size);
    QPainter painter(&image);
    draw(&painter);
    painter.end();
    return image;
}

ST_IMG_INFO wholeOf(QImage* picture) {
    ST_IMG_INFO info;
    info.pBitmap = picture;
    info.nWidth = picture->width();
    info.nHeight = picture->height();
    return info;
}

struct MethodCase {
    const char* name;
    QSize sourceSize;
    QRect sourcePart; // inside the coded source
    QRect target;
    DISPLAY_METHOD method;
    QRect expectedArea;
    std::function<QRgb(int x, int y)> expected; // canvas pixel inside expectedArea
};

// Coded sources: every canvas pixel tells which source pixel landed on it.
TEST(DrawImageTest, EachMethodPlacesTheSourcePixelsWhereTheRulesSay) {
    const MethodCase cases[] = {
        {"original_unclipped",
         {5, 4},
         {0, 0, 5, 4},
         {3, 2, 2, 2},
         DM_ORIGINAL,
         {3, 2, 5, 4},
         [](int x, int y) { return codedColor(x - 3, y - 2); }},
        {"original_part",
         {8, 8},
         {2, 3, 4, 2},
         {1, 1, 20, 20},
         DM_ORIGINAL,
         {1, 1, 4, 2},
         [](int x, int y) { return codedColor(x - 1 + 2, y - 1 + 3); }},
        {"tile_30_in_70",
         {30, 3},
         {0, 0, 30, 3},
         {2, 1, 70, 5},
         DM_TILE,
         {2, 1, 70, 5},
         [](int x, int y) { return codedColor((x - 2) % 30, (y - 1) % 3); }},
        {"tile_part",
         {9, 9},
         {1, 2, 3, 2},
         {0, 0, 7, 5},
         DM_TILE,
         {0, 0, 7, 5},
         [](int x, int y) { return codedColor(1 + x % 3, 2 + y % 2); }},
        {"tile_horz_centred",
         {30, 3},
         {0, 0, 30, 3},
         {0, 0, 70, 9},
         DM_TILE_HORZ,
         {0, 3, 70, 3},
         [](int x, int y) { return codedColor(x % 30, y - 3); }},
        {"tile_horz_taller",
         {4, 6},
         {0, 0, 4, 6},
         {1, 1, 10, 2},
         DM_TILE_HORZ,
         {1, 1, 10, 6},
         [](int x, int y) { return codedColor((x - 1) % 4, y - 1); }},
        {"tile_vert_centred",
         {3, 4},
         {0, 0, 3, 4},
         {0, 0, 9, 10},
         DM_TILE_VERT,
         {3, 0, 3, 10},
         [](int x, int y) { return codedColor(x - 3, y % 4); }},
    };
    for (const MethodCase& c : cases) {
        QImage source = codedImage(c.sourceSize.width(), c.sourceSize.height());
        ST_IMG_INFO info{&source,
                         c.sourcePart.x(),
                         c.sourcePart.y(),
                         c.sourcePart.width(),
                         c.sourcePart.height(),
                         0,
                         0};
        const QSize size(80, 14);
        const QImage actual =
            drawn(size, [&](QPainter* p) { DrawImage(p, &info, c.target, c.method); });
        EXPECT_TRUE(samePixels(
            actual, expectedCanvas(size, kBackground, c.expectedArea, c.expected), c.name));
    }
}

struct PlacementCase {
    const char* name;
    QSize sourceSize;
    QRect target;
    DISPLAY_METHOD method;
    QRect expectedArea;
};

// Solid sources for the scaled methods: only the covered rectangle matters.
TEST(DrawImageTest, ScaledMethodsCoverExactlyTheirRectangle) {
    const PlacementCase cases[] = {
        {"fit_wider", {100, 50}, {0, 0, 40, 40}, DM_FIT, {0, 10, 40, 20}},
        {"fit_taller", {50, 100}, {0, 0, 40, 40}, DM_FIT, {10, 0, 20, 40}},
        {"fit_never_enlarged", {20, 10}, {0, 0, 100, 100}, DM_FIT, {40, 45, 20, 10}},
        {"fit_offset_box", {30, 30}, {7, 5, 20, 60}, DM_FIT, {7, 25, 20, 20}},
        {"stretch", {3, 3}, {5, 5, 10, 7}, DM_STRETCH, {5, 5, 10, 7}},
    };
    for (const PlacementCase& c : cases) {
        QImage source = solidImage(c.sourceSize.width(), c.sourceSize.height(), kRed);
        const QSize size(110, 110);
        const QImage actual =
            drawn(size, [&](QPainter* p) { DrawImage(p, &source, c.target, c.method); });
        EXPECT_TRUE(samePixels(
            actual,
            expectedCanvas(size, kBackground, c.expectedArea, [](int, int) { return kRed; }),
            c.name));
    }
}

TEST(DrawImageTest, ThreePartKeepsTheEndsAndRepeatsAOneColumnMiddle) {
    QImage source = codedImage(21, 3);
    ST_IMG_INFO info = wholeOf(&source);
    info.nLeftFixed = 10;
    info.nRightFixed = 10;
    const QSize size(60, 5);
    const QImage actual =
        drawn(size, [&](QPainter* p) { DrawImage(p, &info, QRect(4, 1, 50, 3)); });
    const QImage expected = expectedCanvas(size, kBackground, {4, 1, 50, 3}, [](int x, int y) {
        const int column = x - 4;
        const int sourceX = column < 10 ? column : column >= 40 ? column - 40 + 11 : 10;
        return codedColor(sourceX, y - 1);
    });
    EXPECT_TRUE(samePixels(actual, expected, "three_part_one_column"));
}

TEST(DrawImageTest, ThreePartStretchesTheMiddleAndEveryPartToTheHeight) {
    QImage source = buildImage(10, 4, [](int x, int) {
                        return x < 3 ? kRed : x < 8 ? kGreen : kBlue;
                    }).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ST_IMG_INFO info = wholeOf(&source);
    info.nLeftFixed = 3;
    info.nRightFixed = 2;
    const QSize size(44, 8);
    const QImage actual =
        drawn(size, [&](QPainter* p) { DrawImage(p, &info, QRect(2, 1, 40, 6)); });
    const QImage expected = expectedCanvas(size, kBackground, {2, 1, 40, 6}, [](int x, int) {
        return x < 5 ? kRed : x < 40 ? kGreen : kBlue;
    });
    EXPECT_TRUE(samePixels(actual, expected, "three_part_stretched"));
}

TEST(DrawImageTest, TransparentPixelsLeaveTheCanvasInEveryMethod) {
    QImage source = buildImage(2, 1, [](int x, int) {
                        return x == 0 ? kBlue : 0u;
                    }).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QSize size(6, 3);
    struct Case {
        const char* name;
        DISPLAY_METHOD method;
        QRect target;
        QRect area;
    } cases[] = {
        {"transparent_original", DM_ORIGINAL, {0, 0, 6, 1}, {0, 0, 2, 1}},
        {"transparent_tile", DM_TILE, {0, 0, 6, 3}, {0, 0, 6, 3}},
        {"transparent_tile_horz", DM_TILE_HORZ, {0, 0, 6, 1}, {0, 0, 6, 1}},
    };
    for (const Case& c : cases) {
        const QImage actual =
            drawn(size, [&](QPainter* p) { DrawImage(p, &source, c.target, c.method); });
        const QImage expected = expectedCanvas(
            size, kBackground, c.area, [](int x, int) { return x % 2 == 0 ? kBlue : kBackground; });
        EXPECT_TRUE(samePixels(actual, expected, c.name));
    }
}

TEST(DrawImageTest, NullsEmptyRectanglesAndUnknownMethodsDrawNothing) {
    QImage source = solidImage(4, 4, kRed);
    QImage empty;
    ST_IMG_INFO noPicture;
    ST_IMG_INFO nullPicture = wholeOf(&empty);
    ST_IMG_INFO zeroWidth = wholeOf(&source);
    zeroWidth.nWidth = 0;
    ST_IMG_INFO negativeHeight = wholeOf(&source);
    negativeHeight.nHeight = -3;
    ST_IMG_INFO whole = wholeOf(&source);
    const QSize size(10, 10);
    const QImage untouched = canvas(size);
    const std::function<void(QPainter*)> draws[] = {
        [&](QPainter* p) { DrawImage(p, static_cast<ST_IMG_INFO*>(nullptr), QRect(0, 0, 8, 8)); },
        [&](QPainter* p) {
            DrawImage(p, static_cast<QImage*>(nullptr), QRect(0, 0, 8, 8), DM_TILE);
        },
        [&](QPainter* p) { DrawImage(p, &noPicture, QRect(0, 0, 8, 8), DM_STRETCH); },
        [&](QPainter* p) { DrawImage(p, &nullPicture, QRect(0, 0, 8, 8), DM_ORIGINAL); },
        [&](QPainter* p) { DrawImage(p, &zeroWidth, QRect(0, 0, 8, 8), DM_ORIGINAL); },
        [&](QPainter* p) { DrawImage(p, &negativeHeight, QRect(0, 0, 8, 8), DM_TILE); },
        [&](QPainter* p) { DrawImage(p, &whole, QRect(0, 0, 8, 8), DISPLAY_METHOD(5)); },
        [&](QPainter* p) { DrawImage(p, &whole, QRect(0, 0, 8, 8), DISPLAY_METHOD(-2)); },
        [&](QPainter* p) { DrawImage(p, &whole, QRect(2, 2, 0, 5), DM_STRETCH); },
        [&](QPainter* p) { DrawImage(p, &whole, QRect(2, 2, 5, 0), DM_FIT); },
        [&](QPainter* p) { DrawImage(p, &whole, QRect(2, 2, 0, 5), DM_TILE); },
        [&](QPainter* p) { DrawImage(p, &whole, QRect(2, 2, 5, 0), DM_TILE_HORZ); },
        [&](QPainter* p) { DrawImage(p, &whole, QRect(2, 2, 0, 5), DM_TILE_VERT); },
        [&](QPainter* p) { DrawImage(p, &whole, QRect(2, 2, -4, -4), DM_TILE); },
        [&](QPainter* p) { DrawImage(p, &whole, QRect(2, 2, -4, 5)); },
    };
    int index = 0;
    for (const auto& draw : draws) {
        EXPECT_TRUE(samePixels(drawn(size, draw), untouched, "nothing_" + std::to_string(index++)));
    }
    DrawImage(nullptr, &whole, QRect(0, 0, 8, 8), DM_STRETCH);
    DrawImage(nullptr, &whole, QRect(0, 0, 8, 8));
}

TEST(DrawImageTest, OriginalDrawsAtNaturalSizeEvenIntoAnEmptyRectangle) {
    QImage source = solidImage(3, 2, kGreen);
    const QSize size(8, 8);
    const QImage actual =
        drawn(size, [&](QPainter* p) { DrawImage(p, &source, QRect(4, 5, 0, 0), DM_ORIGINAL); });
    EXPECT_TRUE(samePixels(
        actual, expectedCanvas(size, kBackground, {4, 5, 3, 2}, [](int, int) { return kGreen; }),
        "original_empty_rect"));
}

// Records where pictures are drawn, for sizes no canvas could hold.
class RecordingEngine : public QPaintEngine {
public:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF& target, const QImage&, const QRectF&,
                   Qt::ImageConversionFlags) override {
        targets.push_back(target);
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<QRectF> targets;
};

class RecordingDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 100000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return 0;
        }
    }

    mutable RecordingEngine engine;
};

TEST(DrawImageTest, FitComputesLargeSkinSizesWithoutOverflow) {
    // 50,000 x 60,000 passes 32 bits; the picture is one row, so Qt cuts only the drawn height.
    QImage picture = solidImage(60000, 1, kRed);
    ST_IMG_INFO info = wholeOf(&picture);
    info.nHeight = 50000;
    RecordingDevice device;
    QPainter painter(&device);
    DrawImage(&painter, &info, QRect(0, 0, 50000, 50000), DM_FIT);
    painter.end();
    ASSERT_EQ(device.engine.targets.size(), 1u);
    const QRectF target = device.engine.targets.front();
    EXPECT_EQ(target.x(), 0);
    EXPECT_EQ(target.y(), (50000 - 41666) / 2);
    EXPECT_EQ(target.width(), 50000);
}

} // namespace
} // namespace LUSTRA
