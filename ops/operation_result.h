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
// The point's content file is missing, so it cannot be moved or opened.
inline constexpr int kContentMissing = 89;
// The desktop's Trash refused the file; nothing changed.
inline constexpr int kTrashFailed = 90;
// A content, comment or attachment file could not be written or copied; nothing was added.
inline constexpr int kWriteFailed = 91;
// A value outside its range (a star rating above the list's maximum).
inline constexpr int kOutOfRange = 92;
// The search pane: no query typed, neither title nor content ticked, nothing ticked to search in.
inline constexpr int kSearchQueryEmpty = 93;
inline constexpr int kSearchBasisMissing = 94;
inline constexpr int kSearchScopeEmpty = 95;

// The command goes through the shared data service in shared mode, whose client is not part of
// the local base: nothing was done.
inline constexpr int kNeedsSharedService = 100;
// The export's target is its own source.
inline constexpr int kSamePath = 101;
// A file could not be deleted; nothing changed.
inline constexpr int kRemoveFailed = 102;
// The user cancelled a folder walk; what it added until then stays.
inline constexpr int kWalkCancelled = 103;
// The folder to import or link does not exist.
inline constexpr int kSourceMissing = 104;

// The dialog field a refused input belongs to.
enum class Field { None, Name, Parent, Target, Query, Basis, Scope };

struct OperationResult {
    int code = kOk;
    Field field = Field::None;
    long long id = 0; // the category, point or tag the operation made or moved, when there is one

    bool ok() const { return code == kOk; }
};

} // namespace tarnel::ops
