#include "tests/lustra/pixel_compare.h"

#include <QDir>
#include <QString>

namespace tarnel::test {

QImage buildImage(int width, int height, const std::function<QRgb(int x, int y)>& colorAt) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, colorAt(x, y));
        }
    }
    return image;
}

QImage solidImage(int width, int height, QRgb color) {
    return buildImage(width, height, [color](int, int) { return color; })
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QRgb codedColor(int x, int y) {
    return qRgb(10 + x, 10 + y, 77);
}

QImage codedImage(int width, int height) {
    return buildImage(width, height, codedColor)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

::testing::AssertionResult samePixels(const QImage& actual, const QImage& expected,
                                      const std::string& name) {
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    std::string fault;
    if (a.size() != e.size()) {
        fault = "size " + std::to_string(a.width()) + "x" + std::to_string(a.height()) +
                ", expected " + std::to_string(e.width()) + "x" + std::to_string(e.height());
    }
    for (int y = 0; fault.empty() && y < e.height(); ++y) {
        for (int x = 0; x < e.width(); ++x) {
            if (a.pixel(x, y) != e.pixel(x, y)) {
                fault = "first wrong pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                        "): " + QString::number(a.pixel(x, y), 16).toStdString() + ", expected " +
                        QString::number(e.pixel(x, y), 16).toStdString();
                break;
            }
        }
    }
    if (fault.empty()) {
        return ::testing::AssertionSuccess();
    }
    const QString base = QDir::temp().filePath(QString::fromStdString("lustra-" + name));
    a.save(base + "-actual.png");
    e.save(base + "-expected.png");
    return ::testing::AssertionFailure()
           << name << ": " << fault << " (saved as " << base.toStdString() << "-*.png)";
}

QImage expectedCanvas(QSize size, QRgb background, const QRect& area,
                      const std::function<QRgb(int x, int y)>& colorAt) {
    return buildImage(size.width(), size.height(), [&](int x, int y) {
        return area.contains(x, y) ? colorAt(x, y) : background;
    });
}

} // namespace tarnel::test
