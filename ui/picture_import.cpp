#include "ui/picture_import.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstdint>

namespace tarnel::ui {
namespace {

using richtext::Picture;
using richtext::PictureFormat;

constexpr int kTwipsPerPixel = 15; // 1440 twips to the inch at 96 pixels to the inch
constexpr int kTwipsPerInch = 1440;
constexpr int kHundredthsMmPerInch = 2540;
constexpr qsizetype kBitmapFileHeaderSize = 14;
constexpr qsizetype kPlaceableHeaderSize = 22;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr qsizetype kEmfFrameOffset = 24;
constexpr qsizetype kEmfSignatureOffset = 40;

std::uint32_t dword(const QByteArray& bytes, qsizetype at) {
    if (at + 4 > bytes.size()) {
        return 0;
    }
    auto byte = [&](qsizetype i) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i]));
    };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

int word16(const QByteArray& bytes, qsizetype at) {
    return static_cast<std::int16_t>(dword(bytes, at) & 0xFFFF);
}

std::string stdString(const QByteArray& bytes, qsizetype from = 0) {
    return {bytes.constData() + from, static_cast<std::size_t>(bytes.size() - from)};
}

void setOwnSize(Picture& picture, QSize pixels) {
    picture.width = pixels.width();
    picture.height = pixels.height();
    picture.goalWidth = pixels.width() * kTwipsPerPixel;
    picture.goalHeight = pixels.height() * kTwipsPerPixel;
}

QSize decodedSize(const QByteArray& bytes, const char* format) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    QSize size = reader.size();
    if (!size.isValid()) {
        QImage image = reader.read();
        size = image.size();
    }
    return size;
}

std::optional<Picture> bitmapPicture(const QByteArray& bytes, PictureFormat format,
                                     const char* decoder, qsizetype skip) {
    QSize size = decodedSize(bytes, decoder);
    if (!size.isValid() || size.isEmpty() || bytes.size() <= skip) {
        return std::nullopt;
    }
    Picture picture;
    picture.format = format;
    picture.data = stdString(bytes, skip);
    setOwnSize(picture, size);
    return picture;
}

std::optional<Picture> gifPicture(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImage first = QImageReader(&buffer, "GIF").read();
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    if (first.isNull() || !first.save(&out, "PNG")) {
        return std::nullopt;
    }
    Picture picture;
    picture.format = PictureFormat::Png;
    picture.data = stdString(png);
    picture.animation = stdString(bytes);
    setOwnSize(picture, first.size());
    return picture;
}

// The placeable header gives the picture's frame in metafile units and the units per inch.
std::optional<Picture> placeableMetafile(const QByteArray& bytes) {
    int width = word16(bytes, 10) - word16(bytes, 6);
    int height = word16(bytes, 12) - word16(bytes, 8);
    int unitsPerInch = static_cast<std::uint16_t>(dword(bytes, 14) & 0xFFFF);
    if (bytes.size() <= kPlaceableHeaderSize || unitsPerInch == 0 || width <= 0 || height <= 0) {
        return std::nullopt;
    }
    Picture picture;
    picture.format = PictureFormat::Wmf;
    picture.data = stdString(bytes, kPlaceableHeaderSize);
    picture.width = width * kHundredthsMmPerInch / unitsPerInch;
    picture.height = height * kHundredthsMmPerInch / unitsPerInch;
    picture.goalWidth = width * kTwipsPerInch / unitsPerInch;
    picture.goalHeight = height * kTwipsPerInch / unitsPerInch;
    return picture;
}

// The header's frame is in hundredths of a millimetre already.
std::optional<Picture> enhancedMetafile(const QByteArray& bytes) {
    int width = static_cast<int>(dword(bytes, kEmfFrameOffset + 8) - dword(bytes, kEmfFrameOffset));
    int height =
        static_cast<int>(dword(bytes, kEmfFrameOffset + 12) - dword(bytes, kEmfFrameOffset + 4));
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    Picture picture;
    picture.format = PictureFormat::Emf;
    picture.data = stdString(bytes);
    picture.width = width;
    picture.height = height;
    picture.goalWidth = width * kTwipsPerInch / kHundredthsMmPerInch;
    picture.goalHeight = height * kTwipsPerInch / kHundredthsMmPerInch;
    return picture;
}

std::optional<Picture> convertedPicture(const QByteArray& bytes) {
    QImage image = QImage::fromData(bytes);
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&out, "PNG")) {
        return std::nullopt;
    }
    Picture picture;
    picture.format = PictureFormat::Png;
    picture.data = stdString(png);
    setOwnSize(picture, image.size());
    return picture;
}

} // namespace

std::optional<Picture> pictureFromFile(const QByteArray& bytes) {
    if (bytes.startsWith("\x89PNG\r\n\x1a\n")) {
        return bitmapPicture(bytes, PictureFormat::Png, "PNG", 0);
    }
    if (bytes.startsWith("\xFF\xD8\xFF")) {
        return bitmapPicture(bytes, PictureFormat::Jpeg, "JPEG", 0);
    }
    if (bytes.startsWith("BM")) {
        return bitmapPicture(bytes, PictureFormat::Bmp, "BMP", kBitmapFileHeaderSize);
    }
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) {
        return gifPicture(bytes);
    }
    if (dword(bytes, 0) == kPlaceableKey) {
        return placeableMetafile(bytes);
    }
    if (dword(bytes, 0) == 1 && dword(bytes, kEmfSignatureOffset) == kEmfSignature) {
        return enhancedMetafile(bytes);
    }
    return convertedPicture(bytes);
}

} // namespace tarnel::ui
