#include "ui/picture_insert.h"

#include "ui/rich_text_bridge.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <cmath>
#include <cstdint>

namespace tarnel::ui {
namespace {

using richtext::Picture;
using richtext::PictureFormat;

constexpr std::size_t kBitmapFileHeader = 14;
constexpr std::size_t kPlaceableHeader = 22;
constexpr std::size_t kMetafileHeader = 18;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr double kHundredthsMmPerInch = 2540.0;

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    }
    return value;
}

int signed16(std::string_view bytes, std::size_t at) {
    return static_cast<std::int16_t>(littleEndian(bytes, at, 2));
}

// The bounding box and units per inch of the placeable header give the size in 0.01 mm.
std::optional<Picture> metafilePicture(std::string_view bytes) {
    if (bytes.size() < kPlaceableHeader + kMetafileHeader ||
        littleEndian(bytes, 0, 4) != kPlaceableKey) {
        return std::nullopt;
    }
    const int width = signed16(bytes, 10) - signed16(bytes, 6);
    const int height = signed16(bytes, 12) - signed16(bytes, 8);
    const int unitsPerInch = static_cast<int>(littleEndian(bytes, 14, 2));
    if (width <= 0 || height <= 0 || unitsPerInch <= 0) {
        return std::nullopt;
    }
    Picture picture;
    picture.format = PictureFormat::Wmf;
    picture.data.assign(bytes.substr(kPlaceableHeader));
    picture.width = static_cast<int>(std::lround(width * kHundredthsMmPerInch / unitsPerInch));
    picture.height = static_cast<int>(std::lround(height * kHundredthsMmPerInch / unitsPerInch));
    return picture;
}

std::string pngOf(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toStdString();
}

} // namespace

std::optional<Picture> pictureFromFile(std::string_view bytes) {
    if (std::optional<Picture> metafile = metafilePicture(bytes)) {
        return metafile;
    }
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray type = reader.format();
    QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    Picture picture;
    picture.width = image.width();
    picture.height = image.height();
    if (type == "jpeg" || type == "png") {
        picture.format = type == "png" ? PictureFormat::Png : PictureFormat::Jpeg;
        picture.data.assign(bytes);
    } else if (type == "bmp" && bytes.size() > kBitmapFileHeader) {
        picture.format = PictureFormat::Bmp;
        picture.data.assign(bytes.substr(kBitmapFileHeader));
    } else {
        picture.format = PictureFormat::Png;
        picture.data = pngOf(image);
    }
    return picture;
}

// The bridge lays the picture out in a document of its own; its shown image, its bytes and its
// format move into the editor's document under names no other picture there has.
void insertPicture(QTextCursor& cursor, const Picture& picture) {
    static int inserted = 0;
    ++inserted;
    richtext::Document single;
    single.paragraphs.push_back(richtext::Paragraph{});
    single.paragraphs.back().content.push_back(picture);
    QTextDocument laidOut;
    toQt(single, laidOut);
    QTextImageFormat format;
    for (auto it = laidOut.firstBlock().begin(); !it.atEnd(); ++it) {
        if (it.fragment().charFormat().isImageFormat()) {
            format = it.fragment().charFormat().toImageFormat();
        }
    }
    const QString name = QStringLiteral("tarnel-inserted-picture:%1").arg(inserted);
    const QString dataName = QStringLiteral("tarnel-inserted-picture-data:%1").arg(inserted);
    QTextDocument* target = cursor.document();
    target->addResource(QTextDocument::ImageResource, QUrl(name),
                        laidOut.resource(QTextDocument::ImageResource, QUrl(format.name())));
    target->addResource(QTextDocument::UserResource, QUrl(dataName),
                        laidOut.resource(QTextDocument::UserResource,
                                         QUrl(format.stringProperty(bridge::kPictureData))));
    format.setName(name);
    format.setProperty(bridge::kPictureData, dataName);
    cursor.insertImage(format);
}

} // namespace tarnel::ui
