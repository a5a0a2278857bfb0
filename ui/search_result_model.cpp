#include "ui/search_result_model.h"

#include "platform/text_format.h"
#include "store/attribute_tables.h"
#include "ui/record_colors.h"

#include <QMimeDatabase>
#include <algorithm>
#include <array>

namespace tarnel::ui {

using store::PointRecord;
namespace point = store::point;

namespace {

constexpr std::array<const char*, SearchResultModel::kColumnCount> kHeaders = {
    "星级", "序号", "名称", "预览", "批注", "附件", "大小", "类型", "修改日期", "查询途径"};
constexpr const char* kMissingType = "文件已失效";

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

QString SearchResultModel::typeName(const PointRecord& p) const {
    QString name = text(p.name());
    QString suffix = name.contains('.') ? name.section('.', -1).toLower() : QString();
    auto it = m_typeNames.find(suffix);
    if (it != m_typeNames.end()) {
        return *it;
    }
    QString type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment();
    m_typeNames.insert(suffix, type);
    return type;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    ops::TagPoint found = pointAt(index.row());
    return found.point ? pointData(*found.point, index.column(), index.row(), role) : QVariant();
}

QVariant SearchResultModel::pointData(const PointRecord& p, int column, int row, int role) const {
    const store::Record& values = p.values;
    switch (role) {
    case PointListModel::kStarRole:
        return static_cast<int>(values.integer(point::kStarNum));
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
        std::optional<QColor> color =
            recordColor(values, role == Qt::ForegroundRole ? point::kForeColor : point::kBackColor);
        return color ? QVariant(*color) : QVariant();
    }
    case Qt::DecorationRole:
        if (column != PointListModel::Name || !m_icons) {
            return {};
        }
        return m_icons(p.displayType ? p.displayType->icon : store::kNoIcon);
    case Qt::EditRole:
        return column == PointListModel::Name ? QVariant(text(p.name())) : QVariant();
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        break;
    default:
        return {};
    }
    switch (column) {
    case PointListModel::Stars:
        return role == Qt::AccessibleTextRole
                   ? QVariant(QStringLiteral("%1星").arg(values.integer(point::kStarNum)))
                   : QVariant();
    case PointListModel::Number:
        return row + 1;
    case PointListModel::Name:
        return text(p.name());
    case PointListModel::Preview:
        return values.integer(point::kState) != 0 ? QVariant("预览") : QVariant();
    case PointListModel::Comment:
        return values.integer(point::kHasComment) != 0 ? QVariant("有批注") : QVariant();
    case PointListModel::Attachments: {
        long long count = values.integer(point::kAppendNum);
        return count > 0 ? QVariant(count) : QVariant();
    }
    case PointListModel::Size:
        return QString::fromStdString(platform::formatSize(
            static_cast<std::uint64_t>(std::max(0LL, values.integer(point::kPointSize)))));
    case PointListModel::Type:
        return values.integer(point::kState) == 0 ? QString::fromUtf8(kMissingType) : typeName(p);
    case PointListModel::Date:
        return text(values.value(point::kModifyDate));
    case kRouteColumn:
        return routeText(row);
    default:
        return {};
    }
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
