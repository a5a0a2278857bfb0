#pragma once

#include "ops/change_batch.h"
#include "ops/index_bookkeeping.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "store/category_store.h"

#include <filesystem>
#include <vector>

// Putting categories into the recycle bin, deleting them for good, unlinking linked ones and
// emptying the recycle bin.
namespace tarnel::ops {

// A permanent delete of a subtree in two phases, so that a failed save can still be undone:
// detach() sets the folder aside under a hidden name (a linked folder is never touched), takes
// the subtree out of memory with its notifications (per category: 35 for each point that leaves
// a tag of the category store, 33 for each tag whose `class` list held it, 7; then 4 for each
// ancestor); commit() deletes the folder and the files of KnowledgeStore::filesOwnedBy; undo() puts
// the records, the tags and the folder back. KnowledgeStore::removeCategory does the same in one
// step without undo; the two share filesOwnedBy and CategoryStore::pointsCountInTags. It touches
// its store, then the tag store when a tag changed.
class SubtreeRemoval final : public ReversibleChange {
public:
    explicit SubtreeRemoval(OperationContext& context) : m_context(context) {}

    // 0, kFolderRemoveFailed (nothing changed), 23 for a root or a stranger.
    int detach(store::CategoryRecord& top);
    void addTouched(TouchedIndex& touched) const override;
    void commit() override;
    void undo() override;

    bool tagsChanged() const { return m_tags && m_tags->any(); }

private:
    OperationContext& m_context;
    store::CategoryStore* m_store = nullptr;
    store::CategoryRecord* m_parent = nullptr;
    int m_position = store::kLastChild;
    store::CategoryStore::Rows m_block;
    std::unique_ptr<TagChanges> m_tags;
    std::filesystem::path m_folder;
    std::filesystem::path m_aside;
    std::vector<std::filesystem::path> m_files;
};

// Asks, then moves the category with its subtree under the recycle root; a linked category is
// unlinked instead (deleteCategory). kDeclined, or the failure reported as "删除分类失败!".
OperationResult recycleCategory(OperationContext& context, store::CategoryRecord& category);

// A recycled category deleted for good, or a linked category unlinked: asks (OK/Cancel), deletes,
// saves the store and the tag store, then reports success. A failed save undoes the delete.
OperationResult deleteCategory(OperationContext& context, store::CategoryRecord& category);

// The recycled category deleted for good without question or message; saves the recycle store
// and the tag store when a tag changed.
int deleteRecycledCategory(OperationContext& context, store::CategoryRecord& category);

// Asks (OK/Cancel); deletes every recycled point with its content, comment and attachment copies
// and saves the recycle root's lists; then deletes every recycled category and saves the recycle
// store. Files go only after the index that named them was saved.
OperationResult emptyRecycleBin(OperationContext& context);

} // namespace tarnel::ops
