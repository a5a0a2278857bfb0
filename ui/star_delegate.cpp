#include "ui/star_delegate.h"

#include "ui/point_list_model.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace tarnel::ui {
namespace {

constexpr int kStarSize = 12;
const QColor kFilled(255, 170, 0);
const QColor kOutline(160, 160, 160);

QPainterPath starPath(const QRectF& box) {
    QPainterPath path;
    QPointF centre = box.center();
    double outer = box.width() / 2;
    double inner = outer * 0.45;
    for (int i = 0; i < 10; ++i) {
        double radius = i % 2 == 0 ? outer : inner;
        double angle = -M_PI / 2 + i * M_PI / 5;
        QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    path.closeSubpath();
    return path;
}

} // namespace

void StarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    int rating = std::clamp(index.data(PointListModel::kStarRole).toInt(), 0, kStars);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    int top = option.rect.top() + (option.rect.height() - kStarSize) / 2;
    for (int i = 0; i < kStars; ++i) {
        QRectF box(option.rect.left() + 2 + i * (kStarSize + 1), top, kStarSize, kStarSize);
        QPainterPath star = starPath(box);
        painter->setPen(kOutline);
        painter->setBrush(i < rating ? QBrush(kFilled) : Qt::NoBrush);
        painter->drawPath(star);
    }
    painter->restore();
}

QSize StarDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {4 + kStars * (kStarSize + 1), std::max(size.height(), kStarSize + 4)};
}

} // namespace tarnel::ui
