#include "tools/skin_generator/png_bytes.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageWriter>

namespace tarnel::skingen {
namespace {

// Every picture is stored at 96 dots per inch.
constexpr int kDotsPerMeter = 3780;

} // namespace

QByteArray pngBytes(const QImage& picture) {
    QImage plain = picture.convertToFormat(QImage::Format_ARGB32);
    plain.setColorSpace(QColorSpace());
    plain.setDotsPerMeterX(kDotsPerMeter);
    plain.setDotsPerMeterY(kDotsPerMeter);
    for (const QString& key : plain.textKeys()) {
        plain.setText(key, QString());
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // The smallest files: quality 0 is the strongest compression.
    writer.setQuality(0);
    if (!writer.write(plain)) {
        return {};
    }
    return bytes;
}

} // namespace tarnel::skingen
