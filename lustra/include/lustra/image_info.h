#pragma once

#include "lustra/lustra_export.h"

class QImage;

namespace LUSTRA {

// An image: a rectangle cut out of a picture. The record does not own its picture; a record must
// not outlive the picture it points to.
struct ST_IMG_INFO {
    QImage* pBitmap = nullptr;
    int nLeft = 0;
    int nTop = 0;
    int nWidth = 0;
    int nHeight = 0;
    int nLeftFixed = 0;  // never stretched on the left by three-part drawing, 0 = none
    int nRightFixed = 0; // never stretched on the right, 0 = none
};

enum DISPLAY_METHOD {
    DM_ORIGINAL = -1,
    DM_FIT = 0,
    DM_TILE = 1,
    DM_STRETCH = 2,
    DM_TILE_HORZ = 3,
    DM_TILE_VERT = 4,
};

// A new record (global new) for the whole picture; a null picture gives a record of zeros.
LUSTRA_API ST_IMG_INFO* InitImageInfo(QImage* bitmap);

// LoadBmpFromFile, then InitImageInfo; null only when no picture could be allocated. The caller
// owns the record and its picture.
LUSTRA_API ST_IMG_INFO* InitImageInfoFromFile(const char* path);

} // namespace LUSTRA
