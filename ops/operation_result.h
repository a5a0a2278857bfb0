#pragma once

#include "store/result_codes.h"

// What a knowledge operation returns: an integer code and, for a refusal of the user's input, the
// field the dialog should focus.
namespace tarnel::ops {

// The codes of the operations besides the store's (store/result_codes.h), which pass through
// unchanged (kFolderCreateFailed, kFolderMoveFailed, kFolderRemoveFailed, kSaveFailed, ...).
inline constexpr int kOk = store::kOk;
// The name is empty after trimming or holds a character of \ / : * ? " < > |.
inline constexpr int kInvalidName = 80;
// The name collision test found the name under the parent or target.
inline constexpr int kNameTaken = 81;
// No parent or target was chosen.
inline constexpr int kNoParentChosen = 82;
// The user answered No (or Cancel) to a question that stops only this operation.
inline constexpr int kDeclined = 83;
// The user answered Cancel to a question that stops a whole restore.
inline constexpr int kCancelled = 84;
// A folder or content file could not be renamed.
inline constexpr int kRenameFailed = 85;
// The category cannot go there: onto itself, its parent, its own subtree, a linked category, or a
// linked category moved or recycled.
inline constexpr int kNotMovable = 86;
// The folder to open does not exist.
inline constexpr int kFolderMissing = 87;
// The opener could not be started.
inline constexpr int kOpenFailed = 88;

// The dialog field a refused input belongs to.
enum class Field { None, Name, Parent, Target };

struct OperationResult {
    int code = kOk;
    Field field = Field::None;
    long long id = 0; // the category the operation made or moved, when there is one

    bool ok() const { return code == kOk; }
};

} // namespace tarnel::ops
