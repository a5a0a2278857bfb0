#include "ui/knowledge_tree_model.h"

#include "store/attribute_tables.h"
#include "ui/record_colors.h"

#include <QApplication>
#include <QMimeData>
#include <QStyle>
#include <QTimer>
#include <algorithm>

namespace tarnel::ui {

using store::CategoryRecord;
using store::StoreKind;
using store::TagRecord;

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

bool isCategoryCode(int code) {
    using namespace store::change;
    return code == kCategoryAdded || code == kCategoryChanged || code == kCategoryRemoved ||
           code == kCategoryMoved;
}

bool isPointCode(int code) {
    using namespace store::change;
    return code == kPointAdded || code == kPointChanged || code == kPointRemoved;
}

} // namespace

KnowledgeTreeModel::KnowledgeTreeModel(const app::Settings& settings, QObject* parent)
    : QAbstractItemModel(parent), m_settings(settings) {}

KnowledgeTreeModel::~KnowledgeTreeModel() = default;

KnowledgeTreeModel::Node* KnowledgeTreeModel::makeNode(ItemKind kind, StoreKind store, long long id,
                                                       Node* parent) {
    auto node = std::make_unique<Node>(Node{kind, store, id, parent, {}, 0});
    Node* raw = node.get();
    m_nodes[{store, id}] = std::move(node);
    return raw;
}

void KnowledgeTreeModel::setBase(store::KnowledgeStore* base) {
    beginResetModel();
    m_base = base;
    m_top.clear();
    m_nodes.clear();
    if (m_base) {
        m_nodes.reserve(m_base->categories().rows().size() + m_base->tags().rows().size() + 1);
        m_top.push_back(makeNode(ItemKind::CategoryRoot, StoreKind::Category, 0, nullptr));
        m_top.push_back(makeNode(ItemKind::TagRoot, StoreKind::Tag, 0, nullptr));
        m_top.push_back(makeNode(ItemKind::RecycleRoot, StoreKind::Recycle, 0, nullptr));
        renumber(nullptr);
        fillCategories();
        fillTags();
    }
    endResetModel();
}

// The stores keep their records in tree order, so one pass finds every parent already made.
void KnowledgeTreeModel::fillCategories() {
    const auto& rows = m_base->categories().rows();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const CategoryRecord& record = *rows[i];
        Node* parent = find(StoreKind::Category, record.parent ? record.parent->id : 0);
        Node* node = makeNode(ItemKind::Category, StoreKind::Category, record.id, parent);
        node->row = static_cast<int>(parent->children.size());
        parent->children.push_back(node);
    }
}

void KnowledgeTreeModel::fillTags() {
    const auto& rows = m_base->tags().rows();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const TagRecord& record = *rows[i];
        Node* parent = find(StoreKind::Tag, record.parent ? record.parent->id : 0);
        Node* node = makeNode(ItemKind::Tag, StoreKind::Tag, record.id, parent);
        node->row = static_cast<int>(parent->children.size());
        parent->children.push_back(node);
    }
}

KnowledgeTreeModel::Node* KnowledgeTreeModel::find(StoreKind store, long long id) const {
    auto it = m_nodes.find({store, id});
    return it == m_nodes.end() ? nullptr : it->second.get();
}

KnowledgeTreeModel::Node* KnowledgeTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex KnowledgeTreeModel::indexOfNode(const Node* node) const {
    return node ? createIndex(node->row, 0, const_cast<Node*>(node)) : QModelIndex();
}

QModelIndex KnowledgeTreeModel::indexOf(StoreKind store, long long id) const {
    return indexOfNode(find(store, id));
}

KnowledgeTreeModel::ItemKind KnowledgeTreeModel::kindOf(const QModelIndex& index) const {
    Node* node = nodeOf(index);
    return node ? node->kind : ItemKind::CategoryRoot;
}

CategoryRecord* KnowledgeTreeModel::categoryAt(const QModelIndex& index) const {
    Node* node = nodeOf(index);
    if (!node || !m_base || node->store == StoreKind::Tag) {
        return nullptr;
    }
    return m_base->store(node->store).find(node->id);
}

TagRecord* KnowledgeTreeModel::tagAt(const QModelIndex& index) const {
    Node* node = nodeOf(index);
    if (!node || !m_base || node->store != StoreKind::Tag) {
        return nullptr;
    }
    return m_base->tags().find(node->id);
}

QModelIndex KnowledgeTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) {
        return {};
    }
    const std::vector<Node*>& siblings = parent.isValid() ? nodeOf(parent)->children : m_top;
    if (row >= static_cast<int>(siblings.size())) {
        return {};
    }
    return createIndex(row, 0, siblings[static_cast<std::size_t>(row)]);
}

QModelIndex KnowledgeTreeModel::parent(const QModelIndex& child) const {
    Node* node = nodeOf(child);
    return node ? indexOfNode(node->parent) : QModelIndex();
}

int KnowledgeTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    return static_cast<int>(parent.isValid() ? nodeOf(parent)->children.size() : m_top.size());
}

int KnowledgeTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

long long KnowledgeTreeModel::totalPoints(const Node* node) const {
    long long total = 0;
    if (const CategoryRecord* record = m_base->store(node->store).find(node->id)) {
        total = record->values.integer(store::category::kPointNum);
    }
    for (const Node* child : node->children) {
        total += totalPoints(child);
    }
    return total;
}

QString KnowledgeTreeModel::categoryLabel(const CategoryRecord& record) const {
    QString name = text(record.name());
    if (!m_settings.showPointNum) {
        return name;
    }
    long long count = m_settings.showTotalPointNum
                          ? totalPoints(find(StoreKind::Category, record.id))
                          : record.values.integer(store::category::kPointNum);
    return QStringLiteral("%1(%2)").arg(name).arg(count);
}

// The skin's icons; a linked folder keeps the desktop's link emblem, which no skin draws.
QIcon KnowledgeTreeModel::iconOf(const QModelIndex& index, const Node& node) const {
    using namespace skin;
    auto skinIcon = [this](IconIndex icon) { return m_images ? m_images->icon(icon) : QIcon(); };
    switch (node.kind) {
    case ItemKind::CategoryRoot:
        return skinIcon(ICON_CLASS_LIST_OPEN);
    case ItemKind::TagRoot:
        return skinIcon(ICON_TAG_LIST_OPEN);
    case ItemKind::RecycleRoot:
        return skinIcon(ICON_RECYCLE);
    case ItemKind::Tag:
        return skinIcon(ICON_TAG_OPEN);
    case ItemKind::Category: {
        const CategoryRecord* record = categoryAt(index);
        if (record && record->isLinkedRoot()) {
            return QApplication::style()->standardIcon(QStyle::SP_DirLinkIcon);
        }
        bool open = m_isOpen && m_isOpen({0, StoreKind::Category, node.id});
        return skinIcon(open ? ICON_FOLDER_OPEN : ICON_FOLDER_CLOSE);
    }
    }
    return {};
}

QString KnowledgeTreeModel::labelOf(const QModelIndex& index) const {
    Node* node = nodeOf(index);
    if (!node || !m_base) {
        return {};
    }
    switch (node->kind) {
    case ItemKind::CategoryRoot:
        return text(m_base->categories().displayName());
    case ItemKind::TagRoot:
        return text(store::TagStore::kDisplayName);
    case ItemKind::RecycleRoot: {
        QString name = text(m_base->recycle().displayName());
        if (!m_settings.showPointNum) {
            return name;
        }
        CategoryRecord& root = *m_base->recycle().root();
        std::size_t count =
            m_base->recycle().pointsOf(root).size() + static_cast<std::size_t>(root.childCount);
        return QStringLiteral("%1(%2)").arg(name).arg(count);
    }
    case ItemKind::Category: {
        const CategoryRecord* record = m_base->categories().find(node->id);
        return record ? categoryLabel(*record) : QString();
    }
    case ItemKind::Tag: {
        const TagRecord* record = m_base->tags().find(node->id);
        if (!record) {
            return {};
        }
        return QStringLiteral("%1(%2)")
            .arg(text(record->name()))
            .arg(record->values.integer(store::tag::kPointNum));
    }
    }
    return {};
}

QVariant KnowledgeTreeModel::data(const QModelIndex& index, int role) const {
    Node* node = nodeOf(index);
    if (!node || !m_base) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return labelOf(index);
    case Qt::EditRole: {
        if (const TagRecord* tag = node->kind == ItemKind::Tag ? tagAt(index) : nullptr) {
            return text(tag->name());
        }
        const CategoryRecord* record = categoryAt(index);
        return record ? text(record->name()) : labelOf(index);
    }
    case Qt::DecorationRole:
        return iconOf(index, *node);
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
        const store::Record* values = nullptr;
        int attribute = 0;
        bool fore = role == Qt::ForegroundRole;
        if (const CategoryRecord* record =
                node->kind == ItemKind::Category ? categoryAt(index) : nullptr) {
            values = &record->values;
            attribute = fore ? store::category::kForeColor : store::category::kBackColor;
        } else if (const TagRecord* tag = tagAt(index); tag && node->kind == ItemKind::Tag) {
            values = &tag->values;
            attribute = fore ? store::tag::kForeColor : store::tag::kBackColor;
        }
        if (!values) {
            return {};
        }
        std::optional<QColor> color = recordColor(*values, attribute);
        return color ? QVariant(*color) : QVariant();
    }
    default:
        return {};
    }
}

bool KnowledgeTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (kindOf(index) == ItemKind::Tag) {
        TagRecord* tag = tagAt(index);
        if (role != Qt::EditRole || !tag || !m_renameTag) {
            return false;
        }
        m_renameTag(*tag, value.toString().toStdString());
        return true;
    }
    CategoryRecord* record = categoryAt(index);
    if (role != Qt::EditRole || !record || kindOf(index) != ItemKind::Category || !m_rename) {
        return false;
    }
    m_rename(*record, value.toString().toStdString());
    return true;
}

Qt::ItemFlags KnowledgeTreeModel::flags(const QModelIndex& index) const {
    Node* node = nodeOf(index);
    if (!node) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (node->kind == ItemKind::CategoryRoot || node->kind == ItemKind::TagRoot) {
        flags |= Qt::ItemIsDropEnabled;
    } else if (node->kind == ItemKind::Category || node->kind == ItemKind::Tag) {
        flags |= Qt::ItemIsEditable | Qt::ItemIsDropEnabled | Qt::ItemIsDragEnabled;
    }
    return flags;
}

QStringList KnowledgeTreeModel::mimeTypes() const {
    return {kCategoryMime, kTagMime};
}

QMimeData* KnowledgeTreeModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.size() != 1) {
        return nullptr;
    }
    ItemKind kind = kindOf(indexes.front());
    if (kind != ItemKind::Category && kind != ItemKind::Tag) {
        return nullptr;
    }
    auto* data = new QMimeData;
    data->setData(kind == ItemKind::Tag ? kTagMime : kCategoryMime,
                  QByteArray::number(nodeOf(indexes.front())->id));
    return data;
}

// A category drops on the category tree, a tag on the tag tree; the two never mix.
bool KnowledgeTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                         const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return false;
    }
    ItemKind kind = kindOf(parent);
    if (data->hasFormat(kTagMime)) {
        return kind == ItemKind::Tag || kind == ItemKind::TagRoot;
    }
    return data->hasFormat(kCategoryMime) &&
           (kind == ItemKind::Category || kind == ItemKind::CategoryRoot);
}

bool KnowledgeTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                      int column, const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent)) {
        return false;
    }
    if (data->hasFormat(kTagMime)) {
        return dropTag(data->data(kTagMime).toLongLong(), nodeOf(parent)->id);
    }
    if (!m_move) {
        return false;
    }
    long long id = data->data(kCategoryMime).toLongLong();
    long long targetId = nodeOf(parent)->id;
    // The move asks a question: it runs once the drag has ended, and the tree follows the
    // notifications, so the view is told nothing was dropped.
    QTimer::singleShot(0, this, [this, id, targetId] {
        CategoryRecord* category = m_base ? m_base->categories().find(id) : nullptr;
        CategoryRecord* target = m_base ? m_base->categories().find(targetId) : nullptr;
        if (category && target) {
            m_move(*category, *target);
        }
    });
    return false;
}

bool KnowledgeTreeModel::dropTag(long long id, long long targetId) {
    if (!m_moveTag) {
        return false;
    }
    QTimer::singleShot(0, this, [this, id, targetId] {
        TagRecord* tag = m_base ? m_base->tags().find(id) : nullptr;
        TagRecord* target = m_base ? m_base->tags().find(targetId) : nullptr;
        if (tag && target) {
            m_moveTag(*tag, *target);
        }
    });
    return false;
}

void KnowledgeTreeModel::applyChange(const store::ChangeNotification& n) {
    if (!m_base) {
        return;
    }
    using namespace store::change;
    if (n.store == StoreKind::Recycle) {
        labelChanged(find(StoreKind::Recycle, 0));
        return;
    }
    if (isCategoryCode(n.code) && n.store == StoreKind::Category) {
        reconcileCategory(n.id);
    } else if (isPointCode(n.code) && n.store == StoreKind::Category) {
        labelChangedWithAncestors(find(StoreKind::Category, n.relatedId));
    } else if (n.code == kTagAdded || n.code == kTagMoved || n.code == kTagRemoved ||
               n.code == kTagChanged) {
        reconcileTag(n.id);
    } else if (n.code == kPointAddedToTag || n.code == kPointRemovedFromTag) {
        labelChanged(find(StoreKind::Tag, n.relatedId));
    }
}

void KnowledgeTreeModel::reconcileCategory(long long id) {
    CategoryRecord* record = m_base->categories().find(id);
    Node* node = find(StoreKind::Category, id);
    if (id == 0) {
        return;
    }
    if (!record) {
        if (node) {
            removeNode(node);
        }
        return;
    }
    long long parentId = record->parent ? record->parent->id : 0;
    if (node && node->parent && node->parent->id == parentId) {
        labelChangedWithAncestors(node);
        return;
    }
    if (node) {
        removeNode(node);
    }
    insertCategory(*record);
}

void KnowledgeTreeModel::reconcileTag(long long id) {
    TagRecord* record = m_base->tags().find(id);
    Node* node = find(StoreKind::Tag, id);
    if (id == 0) {
        return;
    }
    if (!record) {
        if (node) {
            removeNode(node);
        }
        return;
    }
    long long parentId = record->parent ? record->parent->id : 0;
    if (node && node->parent && node->parent->id == parentId) {
        labelChanged(node);
        return;
    }
    if (node) {
        removeNode(node);
    }
    insertTag(*record);
}

// Puts a record that has no item (with its subtree, which came with it) at its place among the
// store's children of its parent.
void KnowledgeTreeModel::insertCategory(CategoryRecord& record) {
    store::CategoryStore& categories = m_base->categories();
    CategoryRecord* parentRecord = record.parent ? record.parent : categories.root();
    Node* parent = find(StoreKind::Category, parentRecord->id);
    if (!parent) {
        insertCategory(*parentRecord);
        return; // the parent's subtree, this record with it, came in
    }
    std::vector<CategoryRecord*> block = categories.subtree(&record);
    for (std::size_t i = 1; i < block.size(); ++i) {
        if (Node* stale = find(StoreKind::Category, block[i]->id)) {
            removeNode(stale);
        }
    }
    std::vector<CategoryRecord*> siblings = categories.children(parentRecord);
    int row =
        static_cast<int>(std::find(siblings.begin(), siblings.end(), &record) - siblings.begin());
    row = std::min(row, static_cast<int>(parent->children.size()));
    beginInsertRows(indexOfNode(parent), row, row);
    Node* node = makeNode(ItemKind::Category, StoreKind::Category, record.id, parent);
    parent->children.insert(parent->children.begin() + row, node);
    renumber(parent);
    for (std::size_t i = 1; i < block.size(); ++i) {
        Node* up = find(StoreKind::Category, block[i]->parent->id);
        Node* child = makeNode(ItemKind::Category, StoreKind::Category, block[i]->id, up);
        child->row = static_cast<int>(up->children.size());
        up->children.push_back(child);
    }
    endInsertRows();
    labelChangedWithAncestors(parent);
}

void KnowledgeTreeModel::insertTag(TagRecord& record) {
    store::TagStore& tags = m_base->tags();
    TagRecord* parentRecord = record.parent ? record.parent : tags.root();
    Node* parent = find(StoreKind::Tag, parentRecord->id);
    if (!parent) {
        insertTag(*parentRecord);
        return;
    }
    std::vector<TagRecord*> block = tags.subtree(&record);
    for (std::size_t i = 1; i < block.size(); ++i) {
        if (Node* stale = find(StoreKind::Tag, block[i]->id)) {
            removeNode(stale);
        }
    }
    std::vector<TagRecord*> siblings = tags.children(parentRecord);
    int row =
        static_cast<int>(std::find(siblings.begin(), siblings.end(), &record) - siblings.begin());
    row = std::min(row, static_cast<int>(parent->children.size()));
    beginInsertRows(indexOfNode(parent), row, row);
    Node* node = makeNode(ItemKind::Tag, StoreKind::Tag, record.id, parent);
    parent->children.insert(parent->children.begin() + row, node);
    renumber(parent);
    for (std::size_t i = 1; i < block.size(); ++i) {
        Node* up = find(StoreKind::Tag, block[i]->parent->id);
        Node* child = makeNode(ItemKind::Tag, StoreKind::Tag, block[i]->id, up);
        child->row = static_cast<int>(up->children.size());
        up->children.push_back(child);
    }
    endInsertRows();
}

void KnowledgeTreeModel::removeNode(Node* node) {
    Node* parent = node->parent;
    if (!parent) {
        return;
    }
    beginRemoveRows(indexOfNode(parent), node->row, node->row);
    parent->children.erase(parent->children.begin() + node->row);
    renumber(parent);
    forgetSubtree(node);
    endRemoveRows();
    labelChangedWithAncestors(parent);
}

void KnowledgeTreeModel::forgetSubtree(Node* node) {
    std::vector<Node*> children = node->children;
    for (Node* child : children) {
        forgetSubtree(child);
    }
    m_nodes.erase({node->store, node->id});
}

void KnowledgeTreeModel::renumber(Node* parent) {
    std::vector<Node*>& siblings = parent ? parent->children : m_top;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        siblings[i]->row = static_cast<int>(i);
    }
}

void KnowledgeTreeModel::labelChanged(Node* node) {
    if (node) {
        QModelIndex index = indexOfNode(node);
        emit dataChanged(index, index);
    }
}

// With the total counts shown, a category's count is part of every ancestor's label.
void KnowledgeTreeModel::labelChangedWithAncestors(Node* node) {
    labelChanged(node);
    if (!m_settings.showPointNum || !m_settings.showTotalPointNum) {
        return;
    }
    for (Node* up = node ? node->parent : nullptr; up; up = up->parent) {
        labelChanged(up);
    }
}

void KnowledgeTreeModel::refreshLabels() {
    for (const auto& [key, node] : m_nodes) {
        labelChanged(node.get());
    }
}

void KnowledgeTreeModel::refreshCategory(StoreKind store, long long id) {
    labelChanged(find(store, id));
}

} // namespace tarnel::ui
