#pragma once

#include "store/point_list.h"
#include "ui/point_list_model.h"

#include <QHash>
#include <QIcon>
#include <QString>
#include <QVariant>
#include <functional>

namespace tarnel::ui {

// What a point's row shows, column by column and role by role, in the lists that gather points
// from several categories (a tag's window, a search's results). Type names are looked up once per
// extension. User-interface thread only.
class PointCells {
public:
    static constexpr const char* kMissingType = "文件已失效";

    void setIcons(std::function<QIcon(int icon)> icons) { m_icons = std::move(icons); }

    // row is the list's own row, shown in the number column.
    QVariant data(const store::PointRecord& point, PointListModel::Column column, int row,
                  int role) const;

private:
    QString typeName(const store::PointRecord& point) const;

    std::function<QIcon(int)> m_icons;
    mutable QHash<QString, QString> m_typeNames;
};

} // namespace tarnel::ui
