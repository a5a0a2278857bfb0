#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "store/category_store.h"

#include <string_view>
#include <vector>

// Restoring a recycled category from the recycle bin.
namespace tarnel::ops {

// The category of the category store at a former location path ("\A\B"; "\" is the root): each
// piece is the child of that name (the same letters first, else without regard to case), or a new
// child (star_num 1, state 1, create_date now, folder made; notification 1) noted in created.
// 0 or the store's error (the categories made so far stay in created).
int findOrCreateLocation(OperationContext& context, std::string_view path,
                         store::CategoryRecord*& found,
                         std::vector<store::CategoryRecord*>& created);

// Takes the categories that findOrCreateLocation made away again, with their empty folders, and
// saves the category store.
void removeCreatedLocation(OperationContext& context,
                           const std::vector<store::CategoryRecord*>& created);

// Restores a top category of the recycle bin under target, or under its former location when
// target is null. When the target has no child of its name the subtree moves back; otherwise it
// merges into that child: each point with the point restore's rename question, then each child
// category the same way, and a recycled category that is left empty is deleted for good. A point
// whose rename the user declines stays in the recycle bin with the category that holds it; Cancel
// stops the whole restore (kCancelled) and keeps what was restored so far. A failure is reported
// as "还原分类“%s”时失败！" and leaves no category made for the former location behind.
OperationResult restoreCategory(OperationContext& context, store::CategoryRecord& recycled,
                                store::CategoryRecord* target);

} // namespace tarnel::ops
