#pragma once

#include "ops/folder_walk.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_open.h"
#include "store/category_store.h"
#include "store/tag_store.h"

#include <filesystem>
#include <string>
#include <string_view>

// Categories, tags and points leave the knowledge base as plain files. Export copies content out
// and never changes the knowledge base; a declined question stops it before anything is written.
namespace tarnel::ops {

// Where the copy of a category or tag export runs and what it tells meanwhile: the status
// "正在导出分类..." or "正在导出标签..." once, done() when the copy is over; a cancel is read
// before each file and stops the copy there (the files copied so far stay, flushed; nothing is
// reported; kWalkCancelled). Without one the copy runs on the calling thread.
struct ExportProgress {
    WalkProgress& progress;
    WalkRunner runner = runOnWorkerThread;
};

// Whether an export takes the sub-categories or sub-tags: asked (Yes/No/Cancel) when there are
// any, unless the caller already has the answer.
enum class SubLevels { Ask, Include, Exclude };

// "导出分类" into directory: the folder "<directory>/<name>", after "目录:%s
// 已经存在，确认覆盖文件吗?" when it exists. With sub-levels the category's folder is copied with
// everything below it, replacing files of the same names; without, each point's content file is
// copied into the folder and an existing file of its name is kept. A target inside the category's
// own folder is refused, since the copy would grow while it runs. Reports "导出成功!" or
// "导出失败!" (17 blanks and "\r\n" after each). kDeclined for Cancel, No or an empty directory;
// kWriteFailed for a failed copy.
OperationResult exportCategory(OperationContext& context, store::CategoryRecord& category,
                               const std::filesystem::path& directory,
                               SubLevels subLevels = SubLevels::Ask,
                               ExportProgress* progress = nullptr);

// "导出标签" into directory: the folder "<directory>/<tag>", after
// "目录“%s”已经存在，确认覆盖文件吗？" when it exists; with sub-levels every sub-tag of the subtree
// gets a folder of its own directly in it (a sub-tag whose folder exists already is skipped); every
// point of each tag has its content file copied into its tag's folder, an existing file of its name
// kept. Folder names are tagFolderName's. Reports as exportCategory.
OperationResult exportTag(OperationContext& context, store::TagRecord& tag,
                          const std::filesystem::path& directory,
                          SubLevels subLevels = SubLevels::Ask, ExportProgress* progress = nullptr);

// A tag name as one folder level: "/" and NUL become "_", and a name that is empty, "." or ".."
// becomes as many "_", so that it can never name the export folder's parent or leave it.
std::string tagFolderName(std::string_view name);

// "导出知识点": copies the content file to target, replacing a file there; "保存失败!", or asks
// "保存成功!\n\n需要现在打开吗?" and on Yes opens the copy.
OperationResult exportPoint(OperationContext& context, const platform::Opener& opener,
                            store::CategoryRecord& category, const store::PointRecord& point,
                            const std::filesystem::path& target);

// The save dialog's file name for a point: its name without the extension.
std::string pointExportName(const store::PointRecord& point);

} // namespace tarnel::ops
