#pragma once

#include "ops/category_editing.h"
#include "ops/category_move.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "store/tag_store.h"

#include <string>
#include <string_view>

// Adding a tag, renaming it, its properties, colours and moving it in the tag tree. Tags have no
// folders and no name rule beyond "not empty"; two siblings never share a name (letters compared
// without regard to case). Each operation saves the tag store before it notifies; a refused,
// declined or failed call leaves kms.tags and kms.ids as they stood.
namespace tarnel::ops {

// The parent the add dialog starts with: the tag itself for a child, its parent for a tag of the
// same level.
store::TagRecord* initialTagParent(store::TagRecord& selected, Level level);

struct TagInput {
    std::string name;
    long long starNum = 0;
    std::string memo;
};

// Adds a tag under parent (null: none chosen). Saves kms.ids and the tag store, notifies 30. On
// success id is the new tag's.
OperationResult addTag(OperationContext& context, store::TagRecord* parent, const TagInput& input);

// The in-place edit: a change of letter case alone skips the sibling test. Saves, notifies 33.
OperationResult renameTag(OperationContext& context, store::TagRecord& tag, std::string_view text);

// The properties dialog's OK: name (with the sibling test of renameTag), star_num and memo,
// each written when changed; saves and notifies 33 when anything changed.
OperationResult setTagProperties(OperationContext& context, store::TagRecord& tag,
                                 const TagInput& properties);

// fore_color or back_color; kDefaultColor clears it. Saves, notifies 33.
OperationResult setTagColor(OperationContext& context, store::TagRecord& tag, ColorRole role,
                            long long color);

// Moves the tag with its sub-tags to the end of target's children. A drop onto the tag itself,
// its parent or its own subtree, and a drag of the root, does nothing (kNotMovable); the dialog
// closes without a change for the current parent and reports the other refusals as failed. A
// target holding a child of that name is refused; DragAndDrop asks first. Saves, notifies 31.
OperationResult moveTag(OperationContext& context, store::TagRecord& tag, store::TagRecord& target,
                        MoveWay way);

} // namespace tarnel::ops
