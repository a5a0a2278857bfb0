#include "lustra/image_drawing.h"

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace LUSTRA {
namespace {

struct Source {
    QImage* picture;
    int x, y, w, h;
};

Source sourceOf(const ST_IMG_INFO& info) {
    return {info.pBitmap, info.nLeft, info.nTop, info.nWidth, info.nHeight};
}

bool drawable(QPainter* graphics, const ST_IMG_INFO* info) {
    return graphics && info && info->pBitmap && !info->pBitmap->isNull() && info->nWidth > 0 &&
           info->nHeight > 0;
}

// Qt reads a width of 0 or less as "to the end" or "natural size": such parts draw nothing here.
void drawPart(QPainter* graphics, const QImage& picture, QRect target, QRect source) {
    if (target.width() <= 0 || target.height() <= 0 || source.width() <= 0 ||
        source.height() <= 0) {
        return;
    }
    graphics->drawImage(target, picture, source);
}

// Copies of the source repeated from the target's top-left corner, the last ones cut: the same
// pixels as one draw per copy, in one fill.
void drawTiled(QPainter* graphics, const Source& source, QRect target) {
    if (target.width() <= 0 || target.height() <= 0) {
        return;
    }
    const QImage tile = source.picture->copy(source.x, source.y, source.w, source.h);
    const QPoint origin = graphics->brushOrigin();
    graphics->setBrushOrigin(target.topLeft());
    graphics->fillRect(target, QBrush(tile));
    graphics->setBrushOrigin(origin);
}

QRect fitted(const Source& source, QRect target, int cx, int cy) {
    const std::int64_t sw = source.w;
    const std::int64_t sh = source.h;
    std::int64_t w = std::min<std::int64_t>(sw, target.width());
    std::int64_t h = std::min<std::int64_t>(sh, target.height());
    std::int64_t x = cx;
    std::int64_t y = cy;
    if (sh * w < sw * h) {
        h = sh * w / sw;
        y = target.y() + (target.height() - h) / 2;
    } else if (sw * h < sh * w) {
        w = sw * h / sh;
        x = target.x() + (target.width() - w) / 2;
    }
    return QRect(int(x), int(y), int(w), int(h));
}

} // namespace

void DrawImage(QPainter* graphics, ST_IMG_INFO* info, QRect rect) {
    if (!drawable(graphics, info)) {
        return;
    }
    const Source source = sourceOf(*info);
    const int lf = info->nLeftFixed;
    const int rf = info->nRightFixed;
    const int left = rect.x();
    const int right = rect.x() + rect.width();
    const int top = rect.y();
    const int height = rect.height();
    const QImage& picture = *source.picture;
    if (lf > 0) {
        drawPart(graphics, picture, QRect(left, top, lf, height),
                 QRect(source.x, source.y, lf, source.h));
    }
    if (rf > 0) {
        drawPart(graphics, picture, QRect(right - rf, top, rf, height),
                 QRect(source.x + source.w - rf, source.y, rf, source.h));
    }
    const int middle = source.w - lf - rf;
    // A one-column middle stretched nearest-neighbour gives every target column that column, as
    // repeating it column by column would.
    if (middle > 0) {
        drawPart(graphics, picture, QRect(left + lf, top, right - rf - (left + lf), height),
                 QRect(source.x + lf, source.y, middle, source.h));
    }
}

void DrawImage(QPainter* graphics, ST_IMG_INFO* info, QRect rect, DISPLAY_METHOD method) {
    if (!drawable(graphics, info)) {
        return;
    }
    const Source source = sourceOf(*info);
    const QRect whole(source.x, source.y, source.w, source.h);
    const int cx = source.w < rect.width() ? rect.x() + (rect.width() - source.w) / 2 : rect.x();
    const int cy = source.h < rect.height() ? rect.y() + (rect.height() - source.h) / 2 : rect.y();
    if (method == DM_ORIGINAL) {
        drawPart(graphics, *source.picture, QRect(rect.x(), rect.y(), source.w, source.h), whole);
        return;
    }
    if (rect.width() <= 0 || rect.height() <= 0) {
        return;
    }
    switch (method) {
    case DM_STRETCH:
        drawPart(graphics, *source.picture, rect, whole);
        break;
    case DM_FIT:
        drawPart(graphics, *source.picture, fitted(source, rect, cx, cy), whole);
        break;
    case DM_TILE:
        drawTiled(graphics, source, rect);
        break;
    case DM_TILE_HORZ:
        drawTiled(graphics, source, QRect(rect.x(), cy, rect.width(), source.h));
        break;
    case DM_TILE_VERT:
        drawTiled(graphics, source, QRect(cx, rect.y(), source.w, rect.height()));
        break;
    default:
        break;
    }
}

void DrawImage(QPainter* graphics, QImage* bitmap, QRect rect, DISPLAY_METHOD method) {
    if (!bitmap) {
        return;
    }
    ST_IMG_INFO whole;
    whole.pBitmap = bitmap;
    whole.nWidth = bitmap->width();
    whole.nHeight = bitmap->height();
    DrawImage(graphics, &whole, rect, method);
}

} // namespace LUSTRA
