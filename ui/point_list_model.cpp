#include "ui/point_list_model.h"

#include "platform/text_format.h"
#include "richtext/plain_text.h"
#include "store/attribute_tables.h"
#include "ui/record_colors.h"
#include "ui/skin_palette.h"

#include <QFile>
#include <QMimeDatabase>
#include <algorithm>
#include <array>

namespace tarnel::ui {

using store::CategoryRecord;
using store::PointRecord;
namespace category = store::category;
namespace point = store::point;

namespace {

constexpr std::array<PointListModel::Column, 9> kCategoryColumns = {
    PointListModel::Stars,   PointListModel::Number,  PointListModel::Name,
    PointListModel::Preview, PointListModel::Comment, PointListModel::Attachments,
    PointListModel::Size,    PointListModel::Type,    PointListModel::Date};
constexpr std::array<PointListModel::Column, 7> kRecycleColumns = {
    PointListModel::Stars, PointListModel::Number, PointListModel::Name, PointListModel::Original,
    PointListModel::Size,  PointListModel::Type,   PointListModel::Date};

constexpr int kTipCharacters = 300;
constexpr const char* kMissingType = "文件已失效";
constexpr const char* kMissingFolder = "(已失效)";

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace

PointListModel::PointListModel(store::CategoryStore& store, long long categoryId, QObject* parent)
    : QAbstractTableModel(parent), m_store(store), m_categoryId(categoryId),
      m_layout(store.kind() == store::StoreKind::Recycle && categoryId == 0 ? Layout::RecycleBin
                                                                            : Layout::Category) {
    fill();
}

void PointListModel::fill() {
    m_entries.clear();
    CategoryRecord* record = category();
    if (!record) {
        return;
    }
    for (CategoryRecord* child : m_store.children(record)) {
        m_entries.push_back({true, child->id});
    }
    const store::PointList& points = m_store.pointsOf(*record);
    m_entries.reserve(m_entries.size() + points.size());
    for (const auto& p : points.records()) {
        m_entries.push_back({false, p->id});
    }
}

PointListModel::Column PointListModel::columnAt(int position) const {
    if (m_layout == Layout::RecycleBin) {
        return kRecycleColumns[static_cast<std::size_t>(position)];
    }
    return kCategoryColumns[static_cast<std::size_t>(position)];
}

int PointListModel::positionOf(Column column) const {
    for (int i = 0; i < columnCount(); ++i) {
        if (columnAt(i) == column) {
            return i;
        }
    }
    return -1;
}

int PointListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int PointListModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(m_layout == Layout::RecycleBin ? kRecycleColumns.size()
                                                           : kCategoryColumns.size());
}

CategoryRecord* PointListModel::categoryAt(int row) const {
    if (row < 0 || row >= rowCount() || !m_entries[static_cast<std::size_t>(row)].isCategory) {
        return nullptr;
    }
    return m_store.find(m_entries[static_cast<std::size_t>(row)].id);
}

PointRecord* PointListModel::pointAt(int row) const {
    CategoryRecord* record = category();
    if (!record || row < 0 || row >= rowCount() ||
        m_entries[static_cast<std::size_t>(row)].isCategory) {
        return nullptr;
    }
    return m_store.pointsOf(*record).find(m_entries[static_cast<std::size_t>(row)].id);
}

QVariant PointListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) || section < 0 ||
        section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (columnAt(section)) {
    case Stars:
        return "星级";
    case Number:
        return "序号";
    case Name:
        return "名称";
    case Preview:
        return "预览";
    case Comment:
        return "批注";
    case Attachments:
        return "附件";
    case Size:
        return "大小";
    case Type:
        return "类型";
    case Date:
        return m_layout == Layout::RecycleBin ? "删除日期" : "修改日期";
    case Original:
        return "原分类";
    }
    return {};
}

QString PointListModel::categoryTypeName(const CategoryRecord& record) const {
    QString type = store::CategoryStore::isLinked(record) ? "关联分类" : "TN 分类 ";
    if (record.values.integer(category::kState) == 0) {
        type += kMissingFolder;
    }
    return type;
}

QString PointListModel::typeName(const PointRecord& p) const {
    if (p.values.integer(point::kState) == 0) {
        return kMissingType;
    }
    QString name = text(p.name());
    QString suffix = name.section('.', -1).toLower();
    if (!name.contains('.')) {
        suffix.clear();
    }
    auto it = m_typeNames.find(suffix);
    if (it != m_typeNames.end()) {
        return *it;
    }
    QMimeDatabase mimes;
    QString type = mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment();
    m_typeNames.insert(suffix, type);
    return type;
}

QString PointListModel::contentTip(const PointRecord& p) const {
    CategoryRecord* record = category();
    if (!record) {
        return {};
    }
    QFile file(QString::fromStdString(m_store.contentPathOf(*record, p).string()));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QByteArray bytes = file.readAll();
    richtext::PlainTextResult plain =
        richtext::extractPlainText(std::string_view(bytes.constData(), bytes.size()));
    QString start = QString::fromStdString(plain.text).simplified().left(kTipCharacters);
    if (start.isEmpty()) {
        return {};
    }
    // Rich text wraps inside the 400 pixels the list's tooltips take at most.
    return QStringLiteral("<table width=\"400\"><tr><td>%1</td></tr></table>")
        .arg(start.toHtmlEscaped());
}

QVariant PointListModel::skinColour(int role, int row, bool isCategory) const {
    if (!m_colours) {
        return {};
    }
    if (role == Qt::BackgroundRole) {
        return qColorOf(row % 2 == 0 ? m_colours->singleRowBackground()
                                     : m_colours->doubleRowBackground());
    }
    return qColorOf(isCategory ? m_colours->categoryText() : m_colours->pointText());
}

QVariant PointListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const Column column = columnAt(index.column());
    const CategoryRecord* sub = categoryAt(index.row());
    const PointRecord* p = sub ? nullptr : pointAt(index.row());
    if (!sub && !p) {
        return {};
    }
    const store::Record& values = sub ? sub->values : p->values;
    // The attribute of the same meaning in a category record or a point record.
    auto pick = [sub](int ofCategory, int ofPoint) { return sub ? ofCategory : ofPoint; };
    if (role == kStarRole) {
        return static_cast<int>(values.integer(pick(category::kStarNum, point::kStarNum)));
    }
    if (role == Qt::ForegroundRole || role == Qt::BackgroundRole) {
        int attribute = role == Qt::ForegroundRole ? pick(category::kForeColor, point::kForeColor)
                                                   : pick(category::kBackColor, point::kBackColor);
        if (std::optional<QColor> color = recordColor(values, attribute)) {
            return *color;
        }
        return skinColour(role, index.row(), sub != nullptr);
    }
    if (role == Qt::DecorationRole && column == Name) {
        if (sub) {
            return m_images ? m_images->icon(skin::ICON_FOLDER_CLOSE) : QIcon();
        }
        int icon = p->displayType ? p->displayType->icon : store::kNoIcon;
        return m_icons ? m_icons(icon) : QIcon();
    }
    if (role == Qt::ToolTipRole && p && m_contentTips) {
        return contentTip(*p);
    }
    if (role == Qt::EditRole && column == Name) {
        return text(sub ? sub->name() : p->name());
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    switch (column) {
    case Stars:
        return role == Qt::AccessibleTextRole ? QStringLiteral("%1星").arg(values.integer(
                                                    pick(category::kStarNum, point::kStarNum)))
                                              : QVariant();
    case Number:
        return index.row() + 1;
    case Name:
        return text(sub ? sub->name() : p->name());
    case Preview:
        return p && values.integer(point::kState) != 0 ? "预览" : QVariant();
    case Comment:
        return p && values.integer(point::kHasComment) != 0 ? "有批注" : QVariant();
    case Attachments: {
        long long count = p ? values.integer(point::kAppendNum) : 0;
        return count > 0 ? QVariant(count) : QVariant();
    }
    case Size: {
        long long bytes = sub ? sub->size() : values.integer(point::kPointSize);
        return QString::fromStdString(
            platform::formatSize(static_cast<std::uint64_t>(std::max(0LL, bytes))));
    }
    case Type:
        return sub ? categoryTypeName(*sub) : typeName(*p);
    case Date:
        if (m_layout == Layout::RecycleBin) {
            return text(values.value(pick(category::kDeleteDate, point::kDeleteDate)));
        }
        return text(values.value(pick(category::kModifyDate, point::kModifyDate)));
    case Original:
        return text(values.value(pick(category::kOriginalLocal, point::kOriginalLocal)));
    }
    return {};
}

Qt::ItemFlags PointListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid() || columnAt(index.column()) != Name || m_layout != Layout::Category) {
        return flags;
    }
    // A recycled point keeps its name until it is restored.
    bool renamable = categoryAt(index.row()) ||
                     (m_store.kind() == store::StoreKind::Category && pointAt(index.row()));
    return renamable ? flags | Qt::ItemIsEditable : flags;
}

bool PointListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    std::string name = value.toString().toStdString();
    if (CategoryRecord* sub = categoryAt(index.row())) {
        if (m_rename) {
            m_rename(*sub, name);
        }
    } else if (const PointRecord* p = pointAt(index.row()); p && m_renamePoint) {
        m_renamePoint(*category(), *p, name);
    }
    return true;
}

// Sub-categories stand before the points, so a category is looked for among them alone.
int PointListModel::rowOf(bool isCategory, long long id) const {
    auto points = m_entries.begin() + categoryRows();
    auto begin = isCategory ? m_entries.begin() : points;
    auto end = isCategory ? points : m_entries.end();
    auto it = std::find_if(begin, end, [&](const Entry& entry) { return entry.id == id; });
    return it == end ? -1 : static_cast<int>(it - m_entries.begin());
}

int PointListModel::categoryRows() const {
    auto points = std::find_if(m_entries.begin(), m_entries.end(),
                               [](const Entry& entry) { return !entry.isCategory; });
    return static_cast<int>(points - m_entries.begin());
}

void PointListModel::applyChange(const store::ChangeNotification& n) {
    using namespace store::change;
    if (n.store != m_store.kind()) {
        return;
    }
    switch (n.code) {
    case kCategoryAdded:
    case kCategoryChanged:
    case kCategoryRemoved:
    case kCategoryMoved:
        // The list's own category is none of its rows.
        if (n.id != m_categoryId) {
            reconcileCategory(n.id);
        }
        break;
    case kPointAdded:
    case kPointChanged:
    case kPointRemoved:
        if (n.relatedId == m_categoryId) {
            reconcilePoint(n.id);
        }
        break;
    default:
        break;
    }
}

void PointListModel::reconcileCategory(long long id) {
    CategoryRecord* record = m_store.find(id);
    bool belongs = record && record->parent && record->parent->id == m_categoryId;
    int row = rowOf(true, id);
    if (row >= 0 && !belongs) {
        beginRemoveRows({}, row, row);
        m_entries.erase(m_entries.begin() + row);
        endRemoveRows();
    } else if (row < 0 && belongs) {
        int at = categoryRows();
        beginInsertRows({}, at, at);
        m_entries.insert(m_entries.begin() + at, Entry{true, id});
        endInsertRows();
    } else if (row >= 0) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
}

void PointListModel::reconcilePoint(long long id) {
    CategoryRecord* record = category();
    bool belongs = record && m_store.pointsOf(*record).find(id);
    int row = rowOf(false, id);
    if (row >= 0 && !belongs) {
        beginRemoveRows({}, row, row);
        m_entries.erase(m_entries.begin() + row);
        endRemoveRows();
    } else if (row < 0 && belongs) {
        int at = rowCount();
        beginInsertRows({}, at, at);
        m_entries.push_back(Entry{false, id});
        endInsertRows();
    } else if (row >= 0) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
}

} // namespace tarnel::ui
