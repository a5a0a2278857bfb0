#include "lustra/image_loader.h"

#include <QFile>
#include <QImage>
#include <QString>
#include <new>

namespace LUSTRA {
namespace {

QImage* premultiplied(QImage image) {
    auto* bitmap = new (std::nothrow) QImage;
    if (bitmap && !image.isNull()) {
        *bitmap = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return bitmap;
}

} // namespace

QImage* LoadBmpFromFile(const char* path) {
    QImage image;
    if (path && *path) {
        image.load(QString::fromUtf8(path));
    }
    return premultiplied(std::move(image));
}

QImage* LoadImageFromRes(unsigned int id, const char* type, const char* root) {
    if (!type || !root) {
        return nullptr;
    }
    QImage image;
    const QString name =
        QString::fromUtf8(root) + '/' + QString::fromUtf8(type) + '/' + QString::number(id);
    if (!QFile::exists(name) || !image.load(name)) {
        return nullptr;
    }
    return premultiplied(std::move(image));
}

} // namespace LUSTRA
