#pragma once

#include <QByteArray>
#include <QImage>

namespace tarnel::skingen {

// The picture as a PNG file that depends on its pixels alone: ARGB32, no text, time, gamma or
// colour-space chunks, so that two runs write the same bytes. Empty when encoding fails.
QByteArray pngBytes(const QImage& picture);

} // namespace tarnel::skingen
