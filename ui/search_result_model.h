#pragma once

#include "ops/tag_points.h"
#include "store/knowledge_store.h"
#include "ui/background_search.h"
#include "ui/point_cells.h"
#include "ui/point_list_model.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>
#include <vector>

namespace tarnel::ui {

// The list of a search-result window: one row per hit in the order the hits came, with the
// route it came by ("分类:" or "标签:" and the searched item's name) after the columns of a point
// list. Rows keep ids only; texts are read from the base when shown, and a row whose point is
// gone leaves on the next change. User-interface thread only; the base outlives the model.
class SearchResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using Column = PointListModel::Column;
    static constexpr int kColumnCount = 10;
    static constexpr int kRouteColumn = 9;

    explicit SearchResultModel(store::KnowledgeStore& base, QObject* parent = nullptr);

    void setIcons(std::function<QIcon(int icon)> icons) { m_cells.setIcons(std::move(icons)); }
    // The in-place edit of a hit's name cell hands the new name here.
    using PointRename =
        std::function<void(store::CategoryRecord&, const store::PointRecord&, const std::string&)>;
    void setRenameHandler(PointRename rename) { m_rename = std::move(rename); }

    void append(const SearchResultEntry& entry);
    const SearchResultEntry& entryAt(int row) const {
        return m_entries[static_cast<std::size_t>(row)];
    }
    // The point of a row with its category; both null when it is gone.
    ops::TagPoint pointAt(int row) const;
    QString routeText(int row) const;

    void applyChange(const store::ChangeNotification& notification);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    store::KnowledgeStore& m_base;
    std::vector<SearchResultEntry> m_entries;
    PointCells m_cells;
    PointRename m_rename;
};

} // namespace tarnel::ui
