#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace tarnel::test {

// An ARGB32 picture whose every pixel is what colorAt says.
QImage buildImage(int width, int height, const std::function<QRgb(int x, int y)>& colorAt);

// A picture of one colour, premultiplied like the pictures the library loads.
QImage solidImage(int width, int height, QRgb color);

// Each pixel its own colour: red 10 + x, green 10 + y, blue 77.
QRgb codedColor(int x, int y);
QImage codedImage(int width, int height);

// Whether the two pictures hold the same pixels; on a mismatch the message names the first wrong
// pixel (row by row) and both pictures are saved as PNG under the test's name in the temporary
// folder.
::testing::AssertionResult samePixels(const QImage& actual, const QImage& expected,
                                      const std::string& name);

// The canvas after drawing the rectangle's pixels with colorAt over the background: helper for
// expectations of pictures drawn into part of a canvas.
QImage expectedCanvas(QSize size, QRgb background, const QRect& area,
                      const std::function<QRgb(int x, int y)>& colorAt);

} // namespace tarnel::test
