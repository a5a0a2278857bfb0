#pragma once

#include "app/settings.h"
#include "store/knowledge_store.h"
#include "ui/frame_window.h"
#include "ui/main_image_list.h"

#include <QAbstractItemModel>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarnel::ui {

// The knowledge tree on the stores of the open base, without a copy of their records: every
// item is the store, id and place of a record, and its texts are read from the store when shown.
// Top items "分类列表" (the categories), "标签管理" (the tags) and "回收站" (a leaf: its window
// lists its content). Change notifications reconcile one record at a time; nothing rebuilds the
// whole tree but opening a base. User-interface thread only.
class KnowledgeTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum class ItemKind { CategoryRoot, TagRoot, RecycleRoot, Category, Tag };

    static constexpr const char* kCategoryMime = "application/x-tarnel-category";
    static constexpr const char* kTagMime = "application/x-tarnel-tag";

    KnowledgeTreeModel(const app::Settings& settings, QObject* parent = nullptr);
    ~KnowledgeTreeModel() override;

    // Fills the tree from the base (null: empty).
    void setBase(store::KnowledgeStore* base);
    store::KnowledgeStore* base() const { return m_base; }

    // Reconciles the records a notification names with the stores.
    void applyChange(const store::ChangeNotification& notification);
    // Every label again (after the settings changed) or one category's (its window opened or
    // closed).
    void refreshLabels();
    void refreshCategory(store::StoreKind store, long long id);

    // Which category windows are open, for the open-folder image.
    void setWindowOpen(std::function<bool(const ObjectIdentity&)> isOpen) {
        m_isOpen = std::move(isOpen);
    }
    // The skin icons the items show, asked for at every paint (null: none); it outlives the model.
    void setImageList(const MainImageList* images) { m_images = images; }
    // What an edit in place and a drop ask for; the tree refreshes from the notifications.
    void setRenameHandler(std::function<void(store::CategoryRecord&, const std::string&)> f) {
        m_rename = std::move(f);
    }
    void setMoveHandler(std::function<void(store::CategoryRecord&, store::CategoryRecord&)> f) {
        m_move = std::move(f);
    }
    void setTagRenameHandler(std::function<void(store::TagRecord&, const std::string&)> f) {
        m_renameTag = std::move(f);
    }
    void setTagMoveHandler(std::function<void(store::TagRecord&, store::TagRecord&)> f) {
        m_moveTag = std::move(f);
    }

    ItemKind kindOf(const QModelIndex& index) const;
    // The record of a category item or of a root (null for anything else).
    store::CategoryRecord* categoryAt(const QModelIndex& index) const;
    store::TagRecord* tagAt(const QModelIndex& index) const;
    QModelIndex indexOf(store::StoreKind store, long long id) const;
    QModelIndex categoryRootIndex() const { return indexOf(store::StoreKind::Category, 0); }
    QModelIndex recycleRootIndex() const { return indexOf(store::StoreKind::Recycle, 0); }
    QModelIndex tagRootIndex() const { return indexOf(store::StoreKind::Tag, 0); }
    // The label as the tree shows it.
    QString labelOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

private:
    using Key = std::pair<store::StoreKind, long long>;
    struct KeyHash {
        std::size_t operator()(const Key& key) const {
            return std::hash<long long>{}(key.second * 4 + static_cast<long long>(key.first));
        }
    };
    struct Node {
        ItemKind kind;
        store::StoreKind store;
        long long id;
        Node* parent = nullptr;
        std::vector<Node*> children;
        int row = 0;
    };

    Node* makeNode(ItemKind kind, store::StoreKind store, long long id, Node* parent);
    Node* nodeOf(const QModelIndex& index) const;
    Node* find(store::StoreKind store, long long id) const;
    QModelIndex indexOfNode(const Node* node) const;
    void fillCategories();
    void fillTags();
    void reconcileCategory(long long id);
    void reconcileTag(long long id);
    void insertCategory(store::CategoryRecord& record);
    void insertTag(store::TagRecord& record);
    // The move a tag's drop asks for, run once the drag has ended (it asks a question).
    bool dropTag(long long id, long long targetId);
    void removeNode(Node* node);
    void forgetSubtree(Node* node);
    void renumber(Node* parent);
    void labelChanged(Node* node);
    void labelChangedWithAncestors(Node* node);
    QString categoryLabel(const store::CategoryRecord& record) const;
    QIcon iconOf(const QModelIndex& index, const Node& node) const;
    long long totalPoints(const Node* node) const;

    const app::Settings& m_settings;
    store::KnowledgeStore* m_base = nullptr;
    std::vector<Node*> m_top;
    std::unordered_map<Key, std::unique_ptr<Node>, KeyHash> m_nodes;
    std::function<bool(const ObjectIdentity&)> m_isOpen;
    const MainImageList* m_images = nullptr;
    std::function<void(store::CategoryRecord&, const std::string&)> m_rename;
    std::function<void(store::CategoryRecord&, store::CategoryRecord&)> m_move;
    std::function<void(store::TagRecord&, const std::string&)> m_renameTag;
    std::function<void(store::TagRecord&, store::TagRecord&)> m_moveTag;
};

} // namespace tarnel::ui
