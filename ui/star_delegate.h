#pragma once

#include <QStyledItemDelegate>

namespace tarnel::ui {

// Paints a row's star rating (PointListModel::kStarRole, 0 to 5) as five stars, the rated ones
// filled.
class StarDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static constexpr int kStars = 5;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace tarnel::ui
