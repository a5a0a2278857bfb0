#pragma once

// The integer results of the store. 0 is success; the OS errors of a failed save or folder change
// are folded into the named codes below, so a code never collides with an errno value.
namespace tarnel::store {

inline constexpr int kOk = 0;
inline constexpr int kFileMissing = 13;
inline constexpr int kCannotOpen = 15;
inline constexpr int kReadError = 16;
inline constexpr int kDamagedFile = 17;
inline constexpr int kNoRecord = 23;
inline constexpr int kNoNewParent = 24;
inline constexpr int kMissingRecord = 42;
inline constexpr int kFailure = -1;

// Our own codes for faults the older programs let pass silently.
// The file system refused to write, replace or delete an index file; the old file is untouched.
inline constexpr int kSaveFailed = 60;
// A value holds the byte 0x08 or 0, which the table file cannot carry; nothing was written.
inline constexpr int kValueNotStorable = 61;
// A row is longer than the 65535 bytes a table file row can hold; nothing was written.
inline constexpr int kRowTooLong = 62;
// A category folder could not be created.
inline constexpr int kFolderCreateFailed = 63;
// A category folder could not be moved (or copied and deleted across file systems).
inline constexpr int kFolderMoveFailed = 64;
// A category folder could not be deleted.
inline constexpr int kFolderRemoveFailed = 65;
// The target store or parent cannot take the record (for example the root of the category store
// holds no points, or a block would be moved into its own subtree).
inline constexpr int kNotAllowed = 66;
// An older index file was written by a newer program than this one.
inline constexpr int kNewerVersion = 67;
// An older index file of a version that cannot be converted (binary records, or a version no
// program of ours wrote).
inline constexpr int kNotConvertible = 68;
// The disk has not enough free space for a conversion.
inline constexpr int kNoSpace = 69;
// A conversion was interrupted and its journal could not be acted on.
inline constexpr int kConversionInterrupted = 70;

} // namespace tarnel::store
