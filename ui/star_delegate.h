#pragma once

#include "ui/skin_picture_table.h"

#include <QStyledItemDelegate>

namespace tarnel::ui {

// Paints a row's star rating (PointListModel::kStarRole, 0 to 5) as five of the skin's star
// pictures, the rated ones lit (IMG_LIGHT_STAR) and the others grey (IMG_GRAY_STAR), asked for at
// every paint; on a selected row the grey ones are faint, so that they do not look lit against the
// highlight. The picture table outlives the delegate.
class StarDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    StarDelegate(const SkinPictureTable& pictures, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), m_pictures(pictures) {}

    static constexpr int kStars = 5;
    // Left of the first star, and between two stars.
    static constexpr int kGap = 1;
    static constexpr int kLeft = 2;
    // How strongly the grey stars show on a selected row.
    static constexpr double kUnlitOnSelection = 0.4;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const SkinPictureTable& m_pictures;
};

} // namespace tarnel::ui
