#pragma once

#include "ops/tag_points.h"
#include "store/knowledge_store.h"
#include "ui/main_image_list.h"
#include "ui/point_cells.h"
#include "ui/point_list_model.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>
#include <vector>

namespace tarnel::ui {

// The list of a tag window: the tag's sub-tags, then its points (from whichever category holds
// each), in the columns of a category list. Rows keep only which record they are; texts are read
// from the stores when shown. Opening lists the points through the listing that repairs the tag's
// `point_num`; change notifications then reconcile the rows. User-interface thread only; the
// base outlives the model.
class TagPointListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using Column = PointListModel::Column;

    // Lists the tag's points with the repair of its count (the caller holds a change guard).
    TagPointListModel(ops::OperationContext& context, long long tagId, QObject* parent = nullptr);

    void setIcons(std::function<QIcon(int icon)> icons) { m_cells.setIcons(std::move(icons)); }
    void setImages(const MainImageList* images) { m_images = images; }
    // What an edit of a sub-tag's name asks for.
    void setRenameHandler(std::function<void(store::TagRecord&, const std::string&)> f) {
        m_rename = std::move(f);
    }
    // What an edit of a point's name asks for, with the point's category.
    void setPointRenameHandler(PointListModel::PointRename f) { m_renamePoint = std::move(f); }

    store::TagRecord* tag() const { return m_context.base.tags().find(m_tagId); }
    store::TagRecord* tagAt(int row) const;
    // The point of a row with the category that holds it; both null for a sub-tag row.
    ops::TagPoint pointAt(int row) const;
    Column columnAt(int position) const;
    int positionOf(Column column) const;

    void applyChange(const store::ChangeNotification& notification);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    struct Entry {
        bool isTag = false;
        long long id = 0;
        long long categoryId = 0; // the point's category

        bool operator==(const Entry&) const = default;
    };

    std::vector<Entry> entriesOf(const std::vector<ops::TagPoint>& points) const;
    void reconcile(std::vector<Entry> fresh);
    bool concerns(const store::ChangeNotification& notification) const;
    bool showsPoint(long long id) const;
    QVariant tagData(const store::TagRecord& record, Column column, int row, int role) const;

    ops::OperationContext& m_context;
    long long m_tagId;
    std::vector<Entry> m_entries;
    PointCells m_cells;
    const MainImageList* m_images = nullptr;
    std::function<void(store::TagRecord&, const std::string&)> m_rename;
    PointListModel::PointRename m_renamePoint;
};

} // namespace tarnel::ui
