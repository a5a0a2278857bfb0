#pragma once

#include "ops/change_batch.h"
#include "ops/index_bookkeeping.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_trash.h"
#include "store/category_store.h"

#include <filesystem>
#include <memory>
#include <vector>

// Moving a point to another category, putting it into the recycle bin, deleting it for good and
// restoring it from the recycle bin.
namespace tarnel::ops {

// The move dialog's OK with target T: refuses a point whose content file is missing (the
// missing-file message, kContentMissing), a point of a linked category or of the recycle bin
// (kNotMovable, no message), a target that cannot take it (the category root, a linked or
// recycled category: "移动知识点失败!") and a target that already holds the name; T being the
// point's own category changes nothing. A failed move is reported as "移动知识点失败!" and
// leaves the point where it was with its comment, attachments and tags.
OperationResult movePoint(OperationContext& context, store::CategoryRecord& from,
                          const store::PointRecord& point, store::CategoryRecord& target);

// The point moves into the recycle root's list without a question (the delete of a point of an
// ordinary category, and the delete of several items). 0 or the move's error.
int recyclePoint(OperationContext& context, store::CategoryRecord& category,
                 const store::PointRecord& point);

// A permanent delete in phases, so that several can be saved together and a failed save
// undone before anything left for good. detach() takes the point out of its tags (a point of the
// category store), takes its attachment records and the record out of memory (8, 4 each); it
// touches the tag store when a tag changed, the attachment list when an attachment went, the
// point list and the category's store. finish(), after the saves, sends the content file of a
// linked category's point to the desktop's Trash (kTrashFailed when the Trash refuses), the one
// step that cannot be taken back surely and so comes last. commit() deletes the content file of
// a point of any other category, the comment file and the copies of backup-mode attachments.
// undo() puts everything back, a trashed file included.
class PointRemoval final : public ReversibleChange {
public:
    PointRemoval(OperationContext& context, const platform::Trash& trash)
        : m_context(context), m_trash(trash), m_tags(context.base.tags()) {}

    int detach(store::CategoryRecord& category, const store::PointRecord& point);
    void addTouched(TouchedIndex& touched) const override;
    int finish() override;
    void commit() override;
    void undo() override;

private:
    OperationContext& m_context;
    const platform::Trash& m_trash;
    TagChanges m_tags;
    store::CategoryRecord* m_category = nullptr;
    std::unique_ptr<store::PointRecord> m_point;
    std::size_t m_position = store::kListEnd;
    TakenAttachments m_attachments;
    std::vector<std::filesystem::path> m_files;
    std::filesystem::path m_toTrash;
    platform::TrashedItem m_trashed;
    bool m_inTrash = false;
    bool m_attachmentsChanged = false;
};

// Deletes the point for good without a question: detach, save, finish, commit; a failed save or
// Trash is undone and gives its error (kSaveFailed, kTrashFailed).
int deletePointForGood(OperationContext& context, const platform::Trash& trash,
                       store::CategoryRecord& category, const store::PointRecord& point);

// "删除知识点": a point of a linked category is deleted for good (its file to the desktop's Trash)
// and one of the recycle bin too, each after its question; any other point goes into the recycle
// bin after "确实要把知识点 “%s” 放入回收站吗？". kDeclined, or the failure with its message.
OperationResult deletePoint(OperationContext& context, const platform::Trash& trash,
                            store::CategoryRecord& category, const store::PointRecord& point);

// "还原" on a point of the recycle bin (of its root or of a recycled category): into target, or
// without one into the category at the point's `original_local`, made as needed. A name taken
// there asks the rename question of restorePoint (kDeclined, kCancelled). A failure or a declined
// rename leaves no category made for the former location behind.
OperationResult restoreRecycledPoint(OperationContext& context, store::CategoryRecord& from,
                                     const store::PointRecord& point,
                                     store::CategoryRecord* target);

} // namespace tarnel::ops
