#pragma once

#include "store/category_store.h"
#include "ui/main_image_list.h"
#include "ui/skin/skin_folder.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <functional>
#include <vector>

namespace tarnel::ui {

// The list of a category window: its sub-categories, then its points, read from the store when
// shown (the list keeps only which record each row is). The recycle bin's list has its own
// columns ("原分类", "删除日期"). Change notifications reconcile one record at a time.
// User-interface thread only; the store outlives the model.
class PointListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum class Layout { Category, RecycleBin };
    enum Column { Stars, Number, Name, Preview, Comment, Attachments, Size, Type, Date, Original };
    static constexpr int kStarRole = Qt::UserRole + 1;

    PointListModel(store::CategoryStore& store, long long categoryId, QObject* parent = nullptr);

    // The icon of an icon index of the display types.
    void setIcons(std::function<QIcon(int icon)> icons) { m_icons = std::move(icons); }
    // The skin: the sub-categories' icon and the rows' colours (rows 0, 2, … are the odd rows),
    // asked for at every paint; both outlive the model. A record's own colours come first.
    void setSkin(const MainImageList* images, const skin::ListColours* colours) {
        m_images = images;
        m_colours = colours;
    }
    // SHOW_CONTENT_TIP: a point's tooltip holds the start of its plain text.
    void setContentTips(bool on) { m_contentTips = on; }

    Layout layout() const { return m_layout; }
    store::CategoryRecord* category() const { return m_store.find(m_categoryId); }
    store::CategoryRecord* categoryAt(int row) const;
    store::PointRecord* pointAt(int row) const;
    // The column shown at a position.
    Column columnAt(int position) const;
    int positionOf(Column column) const;

    // Reconciles the record a notification names, when it belongs to this list.
    void applyChange(const store::ChangeNotification& notification);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // What an edit of a sub-category's name asks for.
    void setRenameHandler(std::function<void(store::CategoryRecord&, const std::string&)> f) {
        m_rename = std::move(f);
    }
    // What an edit of a point's name asks for, with the point's category.
    using PointRename =
        std::function<void(store::CategoryRecord&, const store::PointRecord&, const std::string&)>;
    void setPointRenameHandler(PointRename f) { m_renamePoint = std::move(f); }

private:
    struct Entry {
        bool isCategory;
        long long id;
    };

    void fill();
    int rowOf(bool isCategory, long long id) const;
    int categoryRows() const;
    void reconcileCategory(long long id);
    void reconcilePoint(long long id);
    QString typeName(const store::PointRecord& point) const;
    QString categoryTypeName(const store::CategoryRecord& category) const;
    QString contentTip(const store::PointRecord& point) const;
    QVariant skinColour(int role, int row, bool isCategory) const;

    store::CategoryStore& m_store;
    long long m_categoryId;
    Layout m_layout;
    std::vector<Entry> m_entries;
    std::function<QIcon(int)> m_icons;
    const MainImageList* m_images = nullptr;
    const skin::ListColours* m_colours = nullptr;
    std::function<void(store::CategoryRecord&, const std::string&)> m_rename;
    PointRename m_renamePoint;
    bool m_contentTips = false;
    mutable QHash<QString, QString> m_typeNames;
};

} // namespace tarnel::ui
