#pragma once

#include "ops/operation_context.h"
#include "store/category_store.h"

#include <functional>
#include <string>
#include <string_view>

// Restoring a recycled point, alone or as part of a category merge.
namespace tarnel::ops {

// The first of "B(n).E" (or "name(n)" for a name without a dot), n = 1, 2, ..., that taken()
// refuses.
std::string freePointName(std::string_view name,
                          const std::function<bool(const std::string&)>& taken);

// Restores point of the recycled category from into target. A point whose name is taken in
// target (by its point list, or by a file or folder on disk) is offered the first free name with
// a Yes/No/Cancel question: No gives kDeclined and Cancel kCancelled, and the point stays where
// it is. Otherwise the content file moves first (kFolderMoveFailed and nothing changed when it
// cannot), then a renamed point's comment file, its attachment records, the list records (8,
// then 2 with the counts and sizes, 4 each), and the point rejoins its tags (34 per tag, 33 per
// tag). Saves the tag store, both attachment lists, both point lists and both stores; a failed
// save undoes the restore and gives kSaveFailed. kNotAllowed when target cannot hold points.
int restorePoint(OperationContext& context, store::CategoryRecord& from,
                 const store::PointRecord& point, store::CategoryRecord& target);

// The former location of a point of the recycle root or of a recycled category: its
// `original_local`, else the path of the category it is restored into.
std::string formerLocationOf(const store::PointRecord& point, const store::CategoryRecord& target);

} // namespace tarnel::ops
