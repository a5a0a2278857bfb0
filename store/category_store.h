#pragma once

#include "store/attachment_list.h"
#include "store/attribute_tables.h"
#include "store/change_notification.h"
#include "store/point_list.h"
#include "store/record.h"
#include "store/record_tree.h"
#include "store/store_context.h"
#include "store/table_file.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::store {

class CategoryStore;

// Whether a primitive reports its changes to the sink.
enum class Report { Silently, Changes };

// One category (attributes: category::Attribute). Owned by its store; the point and attachment
// lists are owned by the record and travel with it between the two category stores.
struct CategoryRecord {
    Record values{category::kNames.size()};
    long long id = -1; // -1 until the store gives one
    CategoryRecord* parent = nullptr;
    int childCount = 0;
    int descendantCount = 0;
    CategoryStore* owner = nullptr;
    std::unique_ptr<PointList> points;           // null until first use
    std::unique_ptr<AttachmentList> attachments; // null until first use

    std::string_view name() const { return values.value(category::kName); }
    long long size() const { return values.integer(category::kSize); }
    bool isLinkedRoot() const { return values.has(category::kRelationPath); }
};

// A category store: the categories (kind Category, file kms.cls, root "分类列表") or the recycle
// bin (kind Recycle, file recycle_kms.cls, root "回收站"). The store never saves on its own; the
// caller saves after each user operation. User-interface thread only.
class CategoryStore {
public:
    using Rows = RecordTree<CategoryRecord>::Rows;

    CategoryStore(StoreKind kind, StoreContext& context);
    CategoryStore(const CategoryStore&) = delete;
    CategoryStore& operator=(const CategoryStore&) = delete;

    StoreKind kind() const { return m_kind; }
    // Whether the points of this store's categories count in their tags (`point_num`, `class`).
    // Recycled points left their tags when they were recycled, so a permanent delete from the
    // recycle bin must not take them out a second time.
    bool pointsCountInTags() const { return m_kind == StoreKind::Category; }
    // "分类列表" or "回收站": the root's label and its folder name under Resource.
    std::string_view displayName() const;
    const TableFile& file() const { return m_file; }

    // Loads the file: 0 (a missing file gives an empty store), or 15, 16, 17, -1 and the store is
    // empty. Raises the category counter to the largest id met; recomputes every `state`.
    int load();
    // Writes the file, or deletes it when only the root is left. 0, or kSaveFailed,
    // kValueNotStorable, kRowTooLong with the file untouched.
    int save();
    // Only a fresh root record (13 columns for the category store, 15 for the recycle store).
    void createEmpty();
    // The open ended before this store was read: an existing file is set aside at the first save
    // instead of being replaced by what the empty store holds.
    void markUnread();

    CategoryRecord* root() const { return m_tree.root(); }
    CategoryRecord* find(long long id) const { return m_tree.find(id); }
    bool contains(const CategoryRecord* record) const { return m_tree.contains(record); }
    const Rows& rows() const { return m_tree.rows(); }
    // Categories without the root.
    std::size_t categoryCount() const { return m_tree.rows().size() - 1; }
    std::vector<CategoryRecord*> children(const CategoryRecord* parent) const;
    std::vector<CategoryRecord*> subtree(const CategoryRecord* top) const;
    std::size_t insertionPosition(const CategoryRecord* parent, int n) const;

    // Adds a category under parent at insertion position n (kLastChild, kFirstChild or k). Gives
    // the next category id when record->id is -1; creates the folder when it is missing. 0, 23
    // without a record, 24 when the parent is not in this store, kFolderCreateFailed (nothing
    // added). Reports nothing: the operation reports 1 after saving.
    int add(std::unique_ptr<CategoryRecord> record, CategoryRecord* parent, int n = kLastChild);

    // Swaps the block with the previous or next sibling's block; nothing happens for the first or
    // last child. 0, 42 without a record, 23 when it is not in this store.
    int moveUp(CategoryRecord* record);
    int moveDown(CategoryRecord* record);

    // Moves the record's block to the end of newParent's children; newParent may belong to the
    // other category store (the block then changes stores with its ids, lists and all). The
    // folder moves first (a copy and delete across file systems); when that fails nothing else
    // changes and kFolderMoveFailed is returned. Old ancestors lose the block's counts and the
    // record's `size`, new ones gain them; notification 4 for each ancestor touched, then 11 for
    // the record. 42 without a record, 23 when the record is not in this store (or is the root),
    // 24 when newParent is in neither store, kNotAllowed for a move into its own subtree or when
    // a folder name is unsafe (hasSafeFolderNames).
    int moveUnder(CategoryRecord* record, CategoryStore& target, CategoryRecord* newParent);
    int moveUnder(CategoryRecord* record, CategoryRecord* newParent) {
        return moveUnder(record, *this, newParent);
    }

    // Takes the block out of the store (for a permanent delete): rows, map, the parent's and
    // ancestors' counts and `size` (notification 4 for each ancestor). Empty when the record is not
    // in the store or is the root.
    Rows detach(CategoryRecord* top);

    // The category's folder on disk: a linked root's `relation_path`; inside a linked subtree the
    // linked root's path and the names below it; else Resource, the store's display name and the
    // names from the top down (in the recycle store a top category is "<id>_<name>").
    std::filesystem::path folderOf(const CategoryRecord& record) const;
    // True when every name that builds the folder (from the record up to its linked root or the
    // store root) names exactly one folder level: not empty, not "." or "..", without "/". A
    // folder built from other names could be its parent or lie outside the base, so nothing is
    // ever deleted or moved through it.
    static bool hasSafeFolderNames(const CategoryRecord& record);
    // True when the category or one of its ancestors has a `relation_path`.
    static bool isLinked(const CategoryRecord& record);
    // The path of a point's content file: the category folder and the point's name; a point of
    // the recycle root is "<id>_<name>" in the recycle root's folder.
    std::filesystem::path contentPathOf(const CategoryRecord& category,
                                        const PointRecord& point) const;
    // "\A\B" for a parent B under a top-level A; "\" for the root. What original_local holds.
    static std::string formerLocationPath(const CategoryRecord& parent);
    // The category's own folder, creating the missing folders up the tree first. 0 or
    // kFolderCreateFailed. Sets `state` to 1 (notification 4 when it was 0).
    int createFolder(CategoryRecord& record);

    // The point list, loaded from "<id>.cps" on first use (the category root's list holds
    // nothing). While it loads, a point whose content file is missing gets `state` 0 and its
    // `point_size` is taken off the `size` of the category and its ancestors; the point and
    // comment counters are raised to the largest point id. The load result is the list's
    // loadResult(); a list that failed to load is empty.
    PointList& pointsOf(CategoryRecord& record);
    // The attachment list, loaded from "<id>.cas" on first use; raises the attachment counter.
    AttachmentList& attachmentsOf(CategoryRecord& record);

    // The lists a category does not hold yet, read from disk but not yet taken into the store,
    // with the points whose content file is missing. Reading changes nothing,
    // so the lists of many categories can be read on several threads at once, as long as
    // nothing changes the store meanwhile.
    struct UnsettledLists {
        std::unique_ptr<PointList> points;
        std::unique_ptr<AttachmentList> attachments;
        std::vector<std::size_t> missingContent; // indexes into points, in list order
    };
    UnsettledLists readLists(const CategoryRecord& record) const;
    // Takes read lists into the record with every effect of pointsOf and attachmentsOf; a list
    // the record meanwhile holds is kept.
    void settleLists(CategoryRecord& record, UnsettledLists lists);
    // Adds a point to the category's list at position (the end by default), setting its display
    // type. Same results as PointList::add.
    int addPoint(CategoryRecord& record, std::unique_ptr<PointRecord> point,
                 std::size_t position = kListEnd);

    // The name collision test: when the parent's folder exists, any entry of it not starting
    // with "." named alike (ASCII letters without regard to case); else any direct child or point
    // of the parent named alike.
    bool nameExistsUnder(CategoryRecord& parent, std::string_view name);

    // Subtracts delta from the `size` of the record and every ancestor (notification 4 for each
    // with Report::Changes). Used when points leave or shrink.
    void lowerSize(CategoryRecord& record, long long delta, Report report);

private:
    ListHolding holdingOf(const CategoryRecord& record) const;
    std::unique_ptr<PointList> readPointList(const CategoryRecord& record) const;
    // The points of the list that have `state` set but no content file in the folder.
    std::vector<std::size_t> missingContentIn(const CategoryRecord& record,
                                              const PointList& list) const;
    // The missing-content rule for those points, the counters and the display types.
    void settlePoints(CategoryRecord& record, std::unique_ptr<PointList> list,
                      const std::vector<std::size_t>& missing);
    std::unique_ptr<AttachmentList> readAttachmentList(const CategoryRecord& record) const;
    void settleAttachments(CategoryRecord& record, std::unique_ptr<AttachmentList> list);
    void notify(int code, long long id);
    std::unique_ptr<CategoryRecord> makeRoot() const;
    std::vector<std::string_view> newHeaderNames() const;
    void recomputeState(CategoryRecord& record);
    void recomputeStates();
    void adoptBlock(Rows& block);
    std::filesystem::path filePath() const;

    StoreKind m_kind;
    StoreContext& m_context;
    TableFile m_file;
    std::vector<std::string> m_header;
    ColumnMap m_map;
    RecordTree<CategoryRecord> m_tree;
};

// Names compared without regard to case: ASCII letters only.
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace tarnel::store
