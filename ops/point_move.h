#pragma once

#include "ops/change_batch.h"
#include "ops/folder_undo.h"
#include "ops/index_bookkeeping.h"
#include "ops/operation_context.h"
#include "store/category_store.h"

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Moving one point with its files and records between two point lists, in the same store or
// between the category store and the recycle bin: the move, recycle and restore operations of
// points share it.
namespace tarnel::ops {

// Moves point of category from into the list of to under newName (its own name or a free one).
// The content file moves first (kFolderMoveFailed and nothing changed when it cannot, or when a
// file of that name is in the way), then the comment file of a renamed point, the attachment
// records, the list records (8, then 2, with the counts and sizes, 4 each); the point leaves the
// tags of a category-store list (33 and 35 per tag) and re-enters its tags in a category-store
// target (33 and 34 per tag), so that every tag's `class` names the target. A point entering the
// recycle bin gets `delete_date` and `original_local` (the former location of from) and keeps
// its `tags_id`; one leaving it loses both. Saves the tag store when a tag changed, both
// attachment lists when attachments moved, both point lists and both stores; a failed save
// undoes the move on disk and in memory, saves back and gives kSaveFailed. kNotAllowed when to
// cannot hold points.
// The move of movePointTo applied to disk and memory with what it changed, in the order it
// changed it, so that the move of several points can write each list and store once. apply()
// changes everything but the index files and takes itself back when it fails; it touches the tag
// store when a tag changed, both attachment lists when attachments moved, then the point list
// and store of from and of to.
class PointMove final : public ReversibleChange {
public:
    PointMove(OperationContext& context, store::CategoryRecord& from, store::CategoryRecord& to)
        : m_context(context), m_from(from), m_to(to), m_tags(context.base.tags()),
          m_folders(context.fileSystem) {}

    int apply(const store::PointRecord& point, const std::string& newName);
    void addTouched(TouchedIndex& touched) const override;
    void undo() override;

private:
    int moveFiles(const store::PointRecord& point, const store::PointRecord& moved);

    OperationContext& m_context;
    store::CategoryRecord& m_from;
    store::CategoryRecord& m_to;
    TagChanges m_tags;
    FolderUndo m_folders;
    std::filesystem::path m_oldPath;
    std::filesystem::path m_newPath;
    std::filesystem::path m_oldComment;
    std::filesystem::path m_newComment;
    bool m_contentMoved = false;
    bool m_commentMoved = false;
    bool m_attachmentsMoved = false;
    // Where the point and its attachments stood in the lists of from, to put them back there.
    std::size_t m_oldPosition = store::kListEnd;
    std::vector<std::size_t> m_attachmentPositions;
    long long m_pointId = 0;
    // The categories whose counts and sizes the move changes, as they were written.
    std::vector<std::pair<store::CategoryRecord*, store::Record>> m_categoriesBefore;
    std::unique_ptr<store::PointRecord> m_old;
    store::PointRecord* m_new = nullptr;
};

int movePointTo(OperationContext& context, store::CategoryRecord& from,
                const store::PointRecord& point, store::CategoryRecord& to,
                const std::string& newName);

} // namespace tarnel::ops
