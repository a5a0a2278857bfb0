#pragma once

#include "store/attribute_tables.h"
#include "store/record.h"
#include "store/record_tree.h"
#include "store/store_context.h"
#include "store/table_file.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::store {

// One tag (attributes: tag::Attribute). Owned by the tag store.
struct TagRecord {
    Record values{tag::kNames.size()};
    long long id = -1;
    TagRecord* parent = nullptr;
    int childCount = 0;
    int descendantCount = 0;

    std::string_view name() const { return values.value(tag::kName); }
};

// The tag store, file kms.tags, root "标签管理": a tree like a category store, without folders.
// It never saves on its own. User-interface thread only.
class TagStore {
public:
    using Rows = RecordTree<TagRecord>::Rows;

    explicit TagStore(StoreContext& context);
    TagStore(const TagStore&) = delete;
    TagStore& operator=(const TagStore&) = delete;

    static constexpr std::string_view kDisplayName = "标签管理";
    const TableFile& file() const { return m_file; }

    // 0 (a missing file gives an empty store), or 15, 16, 17, -1 and the store is empty. Raises
    // the tag counter to the largest id met.
    int load();
    // Writes the file, or deletes it when only the root is left. 0 or the table file's error.
    int save();
    void createEmpty();
    // The open ended before this store was read: an existing file is set aside at the first save
    // instead of being replaced by what the empty store holds.
    void markUnread();

    TagRecord* root() const { return m_tree.root(); }
    TagRecord* find(long long id) const { return m_tree.find(id); }
    bool contains(const TagRecord* record) const { return m_tree.contains(record); }
    const Rows& rows() const { return m_tree.rows(); }
    std::size_t tagCount() const { return m_tree.rows().size() - 1; }
    std::vector<TagRecord*> children(const TagRecord* parent) const;
    std::vector<TagRecord*> subtree(const TagRecord* top) const;

    // Adds a tag under parent at insertion position n; gives the next tag id when record->id is
    // -1. 0, 23 without a record, 24 when the parent is not in the store.
    int add(std::unique_ptr<TagRecord> record, TagRecord* parent, int n = kLastChild);
    // 0, 42 without a record, 23 when not in the store.
    int moveUp(TagRecord* record);
    int moveDown(TagRecord* record);
    // The tag's run moves to the end of newParent's children; `parent` is set; notification 31.
    // 42 without a record, 23 when not in the store (or the root), 24 for an unknown parent,
    // kNotAllowed for a move into its own subtree.
    int moveUnder(TagRecord* record, TagRecord* newParent);
    // Takes the run out of the store (rows, map, counts). Empty for the root or a stranger.
    Rows detach(TagRecord* top);

    // Lowers the tag's `point_num` by one (never below 0) and reports 35 for the point.
    void pointLeft(TagRecord& tag, long long pointId, StoreKind pointStore);

private:
    std::unique_ptr<TagRecord> makeRoot() const;

    StoreContext& m_context;
    TableFile m_file;
    std::vector<std::string> m_header;
    ColumnMap m_map;
    RecordTree<TagRecord> m_tree;
};

// The ";id;id;" lists of a point's `tags_id` and a tag's `class`.
// The ids above 0, in order (the first character is skipped, the rest split at ";").
std::vector<long long> idsOfList(std::string_view list);
// True when ";id;" occurs in the list.
bool listContains(std::string_view list, long long id);
// Appends "id;" (first ";" when the list is empty); nothing when already listed.
std::string listWith(std::string_view list, long long id);
// Deletes the first "id;" that follows a ";"; the ";" before it stays.
std::string listWithout(std::string_view list, long long id);

} // namespace tarnel::store
