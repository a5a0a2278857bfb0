#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "store/category_store.h"

#include <string>
#include <string_view>

// Adding a category, renaming it, its properties and its colours. Each operation checks in order
// (name rule, parent, collision test, parent folder, question), changes the disk, then the store,
// saves the touched index files and only then notifies. A refused, declined or failed call leaves
// the disk and the index as they stood; a failed save is undone in memory and on disk.
namespace tarnel::ops {

enum class Level { Child, Same };

// The parent the add dialog starts with: the selected category itself for a child, its parent
// for a category of the same level (null when the selection has none).
store::CategoryRecord* initialParent(store::CategoryRecord& selected, Level level);

struct CategoryInput {
    std::string name;
    long long starNum = 0;
    std::string memo;
};

// Adds a category under parent (null: none chosen) with its folder; may ask to create a missing
// parent folder. Saves kms.ids and the parent's store, then notifies 1. On success id is the new
// category's. Field::Name for kInvalidName and kNameTaken, Field::Parent for kNoParentChosen.
OperationResult addCategory(OperationContext& context, store::CategoryRecord* parent,
                            const CategoryInput& input);

// The in-place edit of the tree (Tree) or of the point list (List); the two differ only in their
// texts. A change of letter case alone skips the collision test. Renames the folder when it
// exists (a linked root's relation_path follows it), saves the store, notifies 4. An unchanged
// name does nothing and returns kOk.
enum class RenameWording { Tree, List };
OperationResult renameCategory(OperationContext& context, store::CategoryRecord& category,
                               std::string_view text, RenameWording wording = RenameWording::Tree);

// The properties dialog's OK: name (renamed as above), star_num and memo, each set when changed;
// saves and notifies 4 when anything changed. Field::Name when the name is refused or its folder
// cannot be renamed.
struct CategoryProperties {
    std::string name;
    long long starNum = 0;
    std::string memo;
};
OperationResult setCategoryProperties(OperationContext& context, store::CategoryRecord& category,
                                      const CategoryProperties& properties);

// fore_color or back_color; kDefaultColor clears it. Saves and notifies 4.
enum class ColorRole { Fore, Back };
inline constexpr long long kDefaultColor = -1;
OperationResult setCategoryColor(OperationContext& context, store::CategoryRecord& category,
                                 ColorRole role, long long color);

} // namespace tarnel::ops
