#include "ui/star_delegate.h"

#include "ui/point_list_model.h"

#include <QPainter>
#include <algorithm>

namespace tarnel::ui {

void StarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    int rating = std::clamp(index.data(PointListModel::kStarRole).toInt(), 0, kStars);
    const QImage lit = m_pictures.picture(skin::IMG_LIGHT_STAR);
    const QImage grey = m_pictures.picture(skin::IMG_GRAY_STAR);
    painter->save();
    painter->setClipRect(option.rect);
    int x = option.rect.left() + kLeft;
    bool selected = option.state & QStyle::State_Selected;
    for (int i = 0; i < kStars; ++i) {
        const QImage& star = i < rating ? lit : grey;
        painter->setOpacity(selected && i >= rating ? kUnlitOnSelection : 1.0);
        painter->drawImage(
            QPoint(x, option.rect.top() + (option.rect.height() - star.height()) / 2), star);
        x += star.width() + kGap;
    }
    painter->restore();
}

QSize StarDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    QSize star = m_pictures.picture(skin::IMG_LIGHT_STAR)
                     .size()
                     .expandedTo(m_pictures.picture(skin::IMG_GRAY_STAR).size());
    return {2 * kLeft + kStars * (star.width() + kGap), std::max(size.height(), star.height() + 4)};
}

} // namespace tarnel::ui
