#pragma once

#include "ops/change_batch.h"
#include "ops/operation_context.h"
#include "store/category_store.h"

#include <memory>

// Moving a category with its whole subtree under a new parent, in the same store or between the
// category store and the recycle store: the move, recycle and restore operations share it.
namespace tarnel::ops {

struct Relocation;

// The move of one subtree, applied to disk and memory and saved apart, so that the move of
// several can write each store once. apply() does all that moveSubtree does before its saves,
// with the same results; the move touches the tag store when a tag changed, the target store,
// then the source store. undo() moves the subtree and its folders back.
class SubtreeMove final : public ReversibleChange {
public:
    explicit SubtreeMove(OperationContext& context);
    ~SubtreeMove() override;

    int apply(store::CategoryRecord& category, store::CategoryRecord& newParent);
    void addTouched(TouchedIndex& touched) const override;
    void undo() override;

private:
    OperationContext& m_context;
    store::CategoryRecord* m_top = nullptr;
    store::StoreKind m_source = store::StoreKind::Category;
    store::StoreKind m_target = store::StoreKind::Category;
    store::Record m_before;
    std::unique_ptr<Relocation> m_there;
};

// Moves the folder first (copy, check and delete across file systems); when that fails nothing
// in the index has changed and kFolderMoveFailed is returned. Then: old ancestors lose the block
// (4 each), 7 for every record taken out, the points leave or rejoin their tags when the block
// changes stores (35 or 34 per pair, 33 per tag), the block enters the target under newParent
// with ids, point and attachment lists (new ancestors 4 each), 1 for the top; a top entering the
// recycle store gets `delete_date` and `original_local`, one leaving it loses them. Saves the tag
// store when a tag changed, the target store, then the source store; when a save fails the whole
// move is undone on disk and in memory, the files are saved back and kSaveFailed is returned.
// 23 when the category is not in a store or is a root, 24 when newParent is in none,
// kNotAllowed for a move into its own subtree.
int moveSubtree(OperationContext& context, store::CategoryRecord& category,
                store::CategoryRecord& newParent);

} // namespace tarnel::ops
