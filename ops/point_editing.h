#pragma once

#include "ops/attachment_files.h"
#include "ops/category_editing.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_open.h"
#include "store/category_store.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Adding a knowledge point, renaming it, its star rating and colours, and how it opens. Each
// operation checks in order, changes the disk, then the index, saves the touched index files; a
// refused, declined or failed call leaves the disk and the index as they stood.
namespace tarnel::ops {

enum class PointType { General, Web };

// Writes the page as a single-file web archive to path: 0, or an error with the reason shown
// to the user.
using ArchiveWriter = std::function<int(const std::filesystem::path& path, std::string& reason)>;

// What the add-point form gives.
struct PointInput {
    PointType type = PointType::General;
    std::string title;
    long long starNum = 0;
    std::vector<long long> tags;
    std::string content;   // a general point's rich-text bytes
    ArchiveWriter archive; // a web point's page
    std::string comment;   // rich text; empty for none
    std::vector<AttachmentInput> attachments;
};

// Adds a point to category (null: none chosen; a category of the category store). Checks the
// category, the title and the collision test of "<title>.rtf" or "<title>.mht", may ask to
// create the missing category folder, writes the content file, adds the record (2, 4 each), sets
// its tags (33 and 34 each), writes the comment (has_comment only for a comment of more than 0
// bytes) and the attachments (backup copies never over an existing file). Saves kms.ids, the tag
// store when a tag changed, the category store, the point list and the attachment list. Any
// failure takes every file written and every record added away again. On success id is the
// point's; a web point reports that it was saved.
OperationResult addPoint(OperationContext& context, store::CategoryRecord* category,
                         const PointInput& input);

// The in-place edit of a point's label. A change of letter case alone skips the collision test.
// Renames the content file when it exists, moves the comment file to the new name's comment
// path, saves the point list, notifies 5. An unchanged name does nothing.
OperationResult renamePoint(OperationContext& context, store::CategoryRecord& category,
                            const store::PointRecord& point, std::string_view text);

// The star menu offers 0 up to the point list's largest star value, a setting of the point list
// display: section "POINT_LIST", key "MAX_STAR_NUM", default 5.
inline constexpr std::string_view kMaxStarSection = "POINT_LIST";
inline constexpr std::string_view kMaxStarKey = "MAX_STAR_NUM";
inline constexpr long long kDefaultMaxStarNum = 5;
// The star menu's entries, "0星级" up to "<max>星级".
std::vector<std::string> starMenuEntries(long long maxStarNum);
// Sets star_num (kOutOfRange outside 0..maxStarNum, kNotAllowed in the recycle bin); saves the
// list, notifies 5.
OperationResult setPointStar(OperationContext& context, store::CategoryRecord& category,
                             const store::PointRecord& point, long long stars,
                             long long maxStarNum = kDefaultMaxStarNum);

// fore_color or back_color of a point; kDefaultColor clears it. Saves the list, notifies 5.
OperationResult setPointColor(OperationContext& context, store::CategoryRecord& category,
                              const store::PointRecord& point, ColorRole role, long long color);

// How a point opens: "rtf" in the reading view, "mht", "htm" and "html" in the web view (any
// letter case), anything else with the desktop's default program.
enum class PointView { Reading, Web, DesktopProgram };
PointView viewOf(std::string_view name);

struct PointOpening {
    OperationResult result;
    PointView view = PointView::Reading;
    std::filesystem::path path; // the content file
};
// Decides how the point opens and, for the desktop's program, opens it: kContentMissing (with
// the missing-file message) when its file is gone, kOpenFailed when the opener failed,
// kNotAllowed for a point of the recycle bin. The views open the other kinds.
PointOpening openPoint(OperationContext& context, const platform::Opener& opener,
                       store::CategoryRecord& category, const store::PointRecord& point);

// Opens the folder that holds the point: the file manager shows the file selected when one
// offers that, else the folder opens; a point without its file opens its category's folder
// (kFolderMissing, kOpenFailed as openCategoryFolder).
OperationResult showPointInFolder(OperationContext& context, const platform::Opener& opener,
                                  store::CategoryRecord& category, const store::PointRecord& point);

// The content path of a point as the point would have it under another name (a recycle root's
// point keeps its "<id>_" prefix).
std::filesystem::path contentPathNamed(const store::CategoryRecord& category,
                                       const store::PointRecord& point, std::string_view name);

} // namespace tarnel::ops
