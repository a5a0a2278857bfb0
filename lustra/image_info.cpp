#include "lustra/image_info.h"

#include "lustra/image_loader.h"

#include <QImage>

namespace LUSTRA {

ST_IMG_INFO* InitImageInfo(QImage* bitmap) {
    auto* info = new ST_IMG_INFO;
    if (bitmap) {
        info->pBitmap = bitmap;
        info->nWidth = bitmap->width();
        info->nHeight = bitmap->height();
    }
    return info;
}

ST_IMG_INFO* InitImageInfoFromFile(const char* path) {
    QImage* bitmap = LoadBmpFromFile(path);
    return bitmap ? InitImageInfo(bitmap) : nullptr;
}

} // namespace LUSTRA
