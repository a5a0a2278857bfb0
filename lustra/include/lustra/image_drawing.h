#pragma once

#include "lustra/image_info.h"
#include "lustra/lustra_export.h"

#include <QRect>

class QImage;
class QPainter;

namespace LUSTRA {

// The rectangles' right and bottom ends are x() + width() and y() + height(). Pictures are drawn
// nearest-neighbour and blended over what is there; a null painter, record or picture draws
// nothing.

// Three-part drawing: the fixed left and right parts at natural width, the middle stretched (a
// one-column middle repeated) to the rest; every part keeps the rectangle's height.
LUSTRA_API void DrawImage(QPainter* graphics, ST_IMG_INFO* info, QRect rect);

// Drawing by method; any value outside DISPLAY_METHOD draws nothing.
LUSTRA_API void DrawImage(QPainter* graphics, ST_IMG_INFO* info, QRect rect, DISPLAY_METHOD method);

// The whole picture drawn by method.
LUSTRA_API void DrawImage(QPainter* graphics, QImage* bitmap, QRect rect, DISPLAY_METHOD method);

} // namespace LUSTRA
