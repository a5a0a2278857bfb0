#pragma once

#include "app/prompt.h"
#include "platform/file_system.h"
#include "store/legacy_base.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// The conversion of an older knowledge base to the current layout. It never leaves a mix of old
// and new: everything is staged in ".conversion" of the data directory and checked, then a
// journal lists the renames of the commit, so that an interrupted commit is finished or undone at
// the next start.
namespace tarnel::store {

// The progress window of a conversion. Called on the thread that runs the conversion.
class ConversionProgress {
public:
    virtual ~ConversionProgress() = default;
    // Once, before the first file is written: the text to show ("正在进行数据转换...") and the
    // number of files to write.
    virtual void started(const std::string& text, std::size_t total) = 0;
    // After each file written.
    virtual void advanced(std::size_t done, std::size_t total) = 0;
};

class SilentProgress : public ConversionProgress {
public:
    void started(const std::string&, std::size_t) override {}
    void advanced(std::size_t, std::size_t) override {}
};

enum class ConversionOutcome {
    NothingToDo, // a current base (or a shared database): open it as it is
    Converted,   // the base is current now: open it; backups tells where the old files went
    EndProgram,  // the base cannot be opened: the program ends with exit code 1 before any store
                 // loads (the reason was shown)
};

struct ConversionResult {
    ConversionOutcome outcome = ConversionOutcome::NothingToDo;
    // 0, or why the program ends: 15, 16, 17, kNewerVersion, kNotConvertible, kNoSpace,
    // kConversionInterrupted, kSaveFailed.
    int code = 0;
    // Where the old index and the old per-source folder were moved, for Converted.
    std::vector<std::filesystem::path> backups;
    // Converted from below version 200: the caller sets the tab position to 2 and writes
    // TAB_ALIGN through SettingsFile::writeTabAlign.
    bool tabAlignDue = false;
};

struct ConversionRequest {
    const platform::FileSystem& fileSystem;
    std::filesystem::path dataDirectory;
    int databaseType = 0;
    // The time stamp of the index backup's name; 0 takes the current time.
    std::time_t now = 0;
};

// Looks for an interrupted conversion first and finishes or undoes it; then, for an older base,
// reads it whole, plans, stages, checks and commits the conversion. Every message goes through
// prompt, in order; progress is told for the staging. Synchronous, no store and no Qt: it may run
// on a worker thread as long as nothing else touches the data directory meanwhile (a second
// converter is kept out by a lock). A current base gives NothingToDo without any message and
// without touching the disk.
ConversionResult convertOlderBase(const ConversionRequest& request, app::Prompt& prompt,
                                  ConversionProgress& progress);

// A file the conversion writes: its path relative to the data directory and its bytes.
struct PlannedFile {
    std::string path; // "Index/kms.cls", "Comment/5_a.rtf"
    std::string bytes;
};

// A content file copied from the older place to the current one.
struct PlannedCopy {
    std::filesystem::path source;
    std::string target; // relative: "Resource/分类列表/A/a.rtf"
    std::uint64_t size = 0;
};

struct ConversionPlan {
    std::uint32_t version = 0;
    bool tabAlignDue = false;
    // The new Index: kms.ids, kms.cls and the list files with rows; each with its rows as raw
    // values, which the staged file is checked against.
    std::vector<PlannedFile> tables;
    std::vector<std::vector<std::vector<std::string>>> tableRows;
    // Category folders made (below version 200), relative.
    std::vector<std::string> folders;
    std::vector<PlannedCopy> copies;
    std::vector<PlannedFile> comments;
    // The old folders and their backup names, relative: "Index" -> "Index_201_bak(...)", "0" ->
    // "bak".
    std::vector<std::pair<std::string, std::string>> backups;
    std::uint64_t bytesToWrite = 0;
    std::size_t missingContent = 0;
    std::size_t droppedComments = 0;
    // 0, or kValueNotStorable / kRowTooLong when a value cannot be written (planError tells it).
    int result = 0;
    std::string planError;
};

// The plan of a base read whole; touches nothing but looks at the disk (content files, folders,
// free names). now is the backup's time stamp.
ConversionPlan planConversion(const platform::FileSystem& fileSystem, const LegacyBase& base,
                              std::time_t now);

// The message for a file that failed to read: the open or parse message of its kind, with the
// support line, the path, the reason, and that nothing was changed.
std::string failureMessage(const LegacyFileReport& report);

// The support line of the parse-failure messages.
extern const char* const kSupportLine;

} // namespace tarnel::store
