#pragma once

#include "ops/folder_walk.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "ops/remembered_folders.h"
#include "store/category_store.h"

#include <filesystem>
#include <optional>

// "导入文件夹" and "新建关联分类": a chosen folder becomes a new category tree, copied or linked,
// through the folder walk.
namespace tarnel::ops {

struct FolderSource {
    std::filesystem::path folder;            // the browser's choice; empty: nothing chosen
    WalkProgress& progress;                  // the walk's dialog or progress line
    WalkRunner runner = runOnWorkerThread;   // where the walk runs
    RememberedFolders* remembered = nullptr; // takes the choice for the browser's next start
};

// Imports the folder under parent (the category root or a category of the category store that
// is not linked). Checks in order: the parent's folder (asked and made when missing), a choice
// made, the source being the parent's own folder or holding it ("导入的文件夹路径和分类对应的文件夹
// 路径相同，不可以导入!", kNotAllowed: a walk into itself would never end), the name under the
// parent ("分类下已经存在此名称的分类或知识点, 导入失败!", kNameTaken), then asks "是否包含子目录?"
// (Yes/No/Cancel) unless subfolders is given. Makes the category (its folder too) before the
// walk, walks in import mode, saves kms.ids and the store (also after a failed or cancelled walk,
// keeping what was added), notifies 1 and reports "导入文件夹成功! 耗时%.3f秒" (17 blanks and
// "\r\n"); a stopped walk reports its failure instead, a cancelled one how far it got
// (kWalkCancelled); left-out entries are listed in a warning first. id: the new category.
OperationResult importFolder(OperationContext& context, store::CategoryRecord& parent,
                             const FolderSource& source, std::optional<bool> subfolders);

// Links the folder as a new category under parent. Nothing happens for a linked parent
// (kNotAllowed); the parent's folder is asked and made when missing; nothing chosen stops; a
// folder that is missing, lies inside the knowledge base's data folder or holds it is refused
// ("不能关联知识库自己的文件夹!"); the name under the parent ("分类下已经存在此名称的分类或知识点,
// 关联失败!"). The category gets `relation_path` the folder, then the walk in link mode with
// sub-folders; the saves, notification and reports as importFolder ("关联文件夹成功! 耗时%.3f秒").
OperationResult linkFolder(OperationContext& context, store::CategoryRecord& parent,
                           const FolderSource& source);

} // namespace tarnel::ops
