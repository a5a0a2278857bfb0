#pragma once

#include "ops/operation_context.h"
#include "store/category_store.h"

#include <string>

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
int movePointTo(OperationContext& context, store::CategoryRecord& from,
                const store::PointRecord& point, store::CategoryRecord& to,
                const std::string& newName);

} // namespace tarnel::ops
