#include "ui/search_result_model.h"

#include "store/attribute_tables.h"

#include <array>

namespace tarnel::ui {

using store::PointRecord;

namespace {

constexpr std::array<const char*, SearchResultModel::kColumnCount> kHeaders = {
    "星级", "序号", "名称", "预览", "批注", "附件", "大小", "类型", "修改日期", "查询途径"};

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace

SearchResultModel::SearchResultModel(store::KnowledgeStore& base, QObject* parent)
    : QAbstractTableModel(parent), m_base(base) {}

void SearchResultModel::append(const SearchResultEntry& entry) {
    int row = rowCount();
    beginInsertRows({}, row, row);
    m_entries.push_back(entry);
    endInsertRows();
}

ops::TagPoint SearchResultModel::pointAt(int row) const {
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    const SearchResultEntry& entry = entryAt(row);
    store::CategoryRecord* owner = m_base.categories().find(entry.categoryId);
    PointRecord* found = owner ? owner->owner->pointsOf(*owner).find(entry.pointId) : nullptr;
    return found ? ops::TagPoint{owner, found} : ops::TagPoint{};
}

QString SearchResultModel::routeText(int row) const {
    const SearchResultEntry& entry = entryAt(row);
    if (entry.route == ops::SearchRoute::Category) {
        const store::CategoryRecord* category = m_base.categories().find(entry.listId);
        return QStringLiteral("分类:%1").arg(category ? text(category->name()) : QString());
    }
    const store::TagRecord* tag = m_base.tags().find(entry.listId);
    return QStringLiteral("标签:%1").arg(tag ? text(tag->name()) : QString());
}

// A point that went (deleted, recycled, or its category with it) leaves the list; every other
// change is shown at the next paint.
void SearchResultModel::applyChange(const store::ChangeNotification&) {
    for (std::size_t i = m_entries.size(); i-- > 0;) {
        if (!pointAt(static_cast<int>(i)).point) {
            beginRemoveRows({}, static_cast<int>(i), static_cast<int>(i));
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
            endRemoveRows();
        }
    }
    if (!m_entries.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

int SearchResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int SearchResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) || section < 0 ||
        section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kHeaders[static_cast<std::size_t>(section)]);
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    ops::TagPoint found = pointAt(index.row());
    if (!found.point) {
        return {};
    }
    if (index.column() == kRouteColumn) {
        bool shown = role == Qt::DisplayRole || role == Qt::AccessibleTextRole;
        return shown ? QVariant(routeText(index.row())) : QVariant();
    }
    return m_cells.data(*found.point, static_cast<Column>(index.column()), index.row(), role);
}

Qt::ItemFlags SearchResultModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid() || index.column() != PointListModel::Name || !m_rename) {
        return flags;
    }
    return pointAt(index.row()).point ? flags | Qt::ItemIsEditable : flags;
}

bool SearchResultModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    ops::TagPoint found = pointAt(index.row());
    m_rename(*found.category, *found.point, value.toString().toStdString());
    return true;
}

} // namespace tarnel::ui
