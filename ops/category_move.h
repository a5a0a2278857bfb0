#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "store/category_store.h"

// Moving a category of the category store under another category or the category root.
namespace tarnel::ops {

// DragAndDrop asks before it moves and ignores drops onto the category itself, its parent, its
// own subtree or a linked category, and drags of a linked category or the root (kNotMovable, no
// message). Dialog moves without a question; a target that is the current parent closes the
// dialog without a change (kOk), the other refusals report the move as failed. Both refuse a
// target that already holds the name (Field::Target), report a failed move with its message and
// notify 11 after the move and its saves.
enum class MoveWay { DragAndDrop, Dialog };
OperationResult moveCategory(OperationContext& context, store::CategoryRecord& category,
                             store::CategoryRecord& target, MoveWay way);

} // namespace tarnel::ops
