#include "ui/tag_point_list_model.h"

#include "store/attribute_tables.h"
#include "ui/record_colors.h"

#include <algorithm>
#include <array>

namespace tarnel::ui {

using store::PointRecord;
using store::TagRecord;
namespace point = store::point;
namespace tag = store::tag;

namespace {

constexpr std::array<PointListModel::Column, 9> kColumns = {
    PointListModel::Stars,   PointListModel::Number,  PointListModel::Name,
    PointListModel::Preview, PointListModel::Comment, PointListModel::Attachments,
    PointListModel::Size,    PointListModel::Type,    PointListModel::Date};

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace

TagPointListModel::TagPointListModel(ops::OperationContext& context, long long tagId,
                                     QObject* parent)
    : QAbstractTableModel(parent), m_context(context), m_tagId(tagId) {
    if (TagRecord* record = tag()) {
        m_entries = entriesOf(ops::listTagPoints(context, *record).points);
    }
}

std::vector<TagPointListModel::Entry>
TagPointListModel::entriesOf(const std::vector<ops::TagPoint>& points) const {
    std::vector<Entry> entries;
    TagRecord* record = tag();
    if (!record) {
        return entries;
    }
    for (TagRecord* child : m_context.base.tags().children(record)) {
        entries.push_back({true, child->id, 0});
    }
    for (const ops::TagPoint& found : points) {
        entries.push_back({false, found.point->id, found.category->id});
    }
    return entries;
}

PointListModel::Column TagPointListModel::columnAt(int position) const {
    return kColumns[static_cast<std::size_t>(position)];
}

int TagPointListModel::positionOf(Column column) const {
    auto it = std::find(kColumns.begin(), kColumns.end(), column);
    return it == kColumns.end() ? -1 : static_cast<int>(it - kColumns.begin());
}

int TagPointListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int TagPointListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

TagRecord* TagPointListModel::tagAt(int row) const {
    if (row < 0 || row >= rowCount() || !m_entries[static_cast<std::size_t>(row)].isTag) {
        return nullptr;
    }
    return m_context.base.tags().find(m_entries[static_cast<std::size_t>(row)].id);
}

ops::TagPoint TagPointListModel::pointAt(int row) const {
    if (row < 0 || row >= rowCount() || m_entries[static_cast<std::size_t>(row)].isTag) {
        return {};
    }
    const Entry& entry = m_entries[static_cast<std::size_t>(row)];
    store::CategoryRecord* owner = m_context.base.categories().find(entry.categoryId);
    PointRecord* found = owner ? owner->owner->pointsOf(*owner).find(entry.id) : nullptr;
    return found ? ops::TagPoint{owner, found} : ops::TagPoint{};
}

QVariant TagPointListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) || section < 0 ||
        section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const std::array<const char*, 9> kHeaders = {"星级", "序号", "名称", "预览",    "批注",
                                                        "附件", "大小", "类型", "修改日期"};
    return QString::fromUtf8(kHeaders[static_cast<std::size_t>(section)]);
}

QVariant TagPointListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Entry& entry = m_entries[static_cast<std::size_t>(index.row())];
    Column column = columnAt(index.column());
    if (entry.isTag) {
        const TagRecord* record = m_context.base.tags().find(entry.id);
        return record ? tagData(*record, column, index.row(), role) : QVariant();
    }
    ops::TagPoint found = pointAt(index.row());
    return found.point ? m_cells.data(*found.point, column, index.row(), role) : QVariant();
}

QVariant TagPointListModel::tagData(const TagRecord& record, Column column, int row,
                                    int role) const {
    const store::Record& values = record.values;
    switch (role) {
    case PointListModel::kStarRole:
        return static_cast<int>(values.integer(tag::kStarNum));
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
        std::optional<QColor> color =
            recordColor(values, role == Qt::ForegroundRole ? tag::kForeColor : tag::kBackColor);
        return color ? QVariant(*color) : QVariant();
    }
    case Qt::DecorationRole:
        return column == PointListModel::Name && m_images ? m_images->icon(skin::ICON_TAG_OPEN)
                                                          : QVariant();
    case Qt::EditRole:
        return column == PointListModel::Name ? text(record.name()) : QVariant();
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        break;
    default:
        return {};
    }
    switch (column) {
    case PointListModel::Stars:
        return role == Qt::AccessibleTextRole
                   ? QVariant(QStringLiteral("%1星").arg(values.integer(tag::kStarNum)))
                   : QVariant();
    case PointListModel::Number:
        return row + 1;
    case PointListModel::Name:
        return text(record.name());
    case PointListModel::Type:
        return QStringLiteral("标签");
    case PointListModel::Date:
        return text(values.value(tag::kModifyDate));
    default:
        return {};
    }
}

Qt::ItemFlags TagPointListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && columnAt(index.column()) == PointListModel::Name &&
        (tagAt(index.row()) || pointAt(index.row()).point)) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool TagPointListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole) {
        return false;
    }
    std::string name = value.toString().toStdString();
    if (TagRecord* record = tagAt(index.row())) {
        if (m_rename) {
            m_rename(*record, name);
        }
        return true;
    }
    ops::TagPoint found = pointAt(index.row());
    if (!found.point) {
        return false;
    }
    if (m_renamePoint) {
        m_renamePoint(*found.category, *found.point, name);
    }
    return true;
}

bool TagPointListModel::showsPoint(long long id) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [id](const Entry& entry) { return !entry.isTag && entry.id == id; });
}

// Only what can change the rows: the tag's own points and sub-tags, and a point that joins it.
bool TagPointListModel::concerns(const store::ChangeNotification& n) const {
    using namespace store::change;
    switch (n.code) {
    case kPointAddedToTag:
    case kPointRemovedFromTag:
        return n.relatedId == m_tagId;
    case kPointChanged:
    case kPointRemoved:
        return showsPoint(n.id);
    case kPointAdded: {
        store::CategoryStore& store = m_context.base.store(n.store);
        store::CategoryRecord* owner = store.find(n.relatedId);
        const PointRecord* p = owner ? store.pointsOf(*owner).find(n.id) : nullptr;
        return showsPoint(n.id) ||
               (p && store::listContains(p->values.value(point::kTagsId), m_tagId));
    }
    case kTagAdded:
    case kTagMoved:
    case kTagRemoved:
    case kTagChanged:
        return n.id != m_tagId;
    default:
        return false;
    }
}

void TagPointListModel::applyChange(const store::ChangeNotification& notification) {
    if (!concerns(notification)) {
        return;
    }
    TagRecord* record = tag();
    if (!record) {
        return;
    }
    reconcile(entriesOf(ops::pointsOfTag(m_context.base, *record)));
}

// Rows that went are removed and new ones inserted where the fresh listing has them, so that the
// selection stays on the rows that are still there.
void TagPointListModel::reconcile(std::vector<Entry> fresh) {
    for (std::size_t i = m_entries.size(); i-- > 0;) {
        if (std::find(fresh.begin(), fresh.end(), m_entries[i]) == fresh.end()) {
            beginRemoveRows({}, static_cast<int>(i), static_cast<int>(i));
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
            endRemoveRows();
        }
    }
    std::size_t kept = 0;
    for (const Entry& entry : fresh) {
        if (kept < m_entries.size() && entry == m_entries[kept]) {
            ++kept;
        }
    }
    if (kept != m_entries.size()) {
        beginResetModel();
        m_entries = std::move(fresh);
        endResetModel();
        return;
    }
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        if (i >= m_entries.size() || !(m_entries[i] == fresh[i])) {
            beginInsertRows({}, static_cast<int>(i), static_cast<int>(i));
            m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(i), fresh[i]);
            endInsertRows();
        }
    }
    if (!m_entries.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

} // namespace tarnel::ui
