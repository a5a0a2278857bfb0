#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnel::update {

// One entry of an update: which file of the site's version folder goes where in the program
// directory. Texts are UTF-8 here; on disk the target is GB18030 with "\" between its parts.
struct FileRecord {
    std::string siteName;
    std::string target;
    // "n.upt" once the update program has numbered the entry; empty in a site's list.
    std::string tempName;
    std::int32_t size = 0;
    std::int32_t version = 0;
    // 0: an existing settings file at the target is merged; any other value replaces it whole.
    std::int32_t keepWhole = 0;

    bool operator==(const FileRecord&) const = default;
};

// Where a record was read from: a site's list carries no temporary names yet (whatever it holds
// there is dropped), a state file must carry a valid one.
enum class RecordOrigin { SiteList, StateFile };

// Decodes one 148-byte record. Refused (nullopt): a wrong length, a text field without its
// terminating zero, a site name that is not one plain ASCII path segment, an unsafe target
// (isSafeTarget), a negative size, and in a state file a temporary name other than "1.upt" to
// "999.upt".
std::optional<FileRecord> decodeFileRecord(std::string_view bytes, RecordOrigin origin);

// The record's 148 bytes, every field zero-padded. Empty when a field does not fit its width
// with its zero (the site name 63 bytes, the target 63 GB18030 bytes, the temporary name 7).
std::string encodeFileRecord(const FileRecord& record);

// A target may name only a file inside the program directory, outside the work folder: not
// empty, not absolute ("/" or "\"), no drive prefix ("C:"), no ".", ".." or empty part (either
// separator counts), no control character, not under "UpdateWork".
bool isSafeTarget(std::string_view target);

// One segment of printable ASCII without "/", "\", "?", "#", "%" or blanks, and not "." or "..".
bool isSafeSiteName(std::string_view name);

// n for "n.upt" with 1 <= n <= 999 written without leading zeros; 0 for anything else.
int tempNumber(std::string_view tempName);
std::string tempNameFor(int number);

// The same entry of the same update: site name, version, target and temporary name agree.
bool sameEntry(const FileRecord& a, const FileRecord& b);

// The record's target as a path under the program directory ("\" becomes a folder separator).
std::filesystem::path targetPath(const std::filesystem::path& programDirectory,
                                 const FileRecord& record);

// An existing file at this target is merged rather than replaced: the keep-whole flag is 0 and
// the target ends in exactly "ini" (lower case).
bool mergesSettings(const FileRecord& record);

} // namespace tarnel::update
