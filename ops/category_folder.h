#pragma once

#include "ops/folder_undo.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_open.h"
#include "store/category_store.h"

namespace tarnel::ops {

// Opens the category's folder (a linked category's own folder) with the desktop's opener.
// kFolderMissing when the folder does not exist, kOpenFailed when the opener failed.
OperationResult openCategoryFolder(OperationContext& context, const platform::Opener& opener,
                                   const store::CategoryRecord& category);

// Makes sure the category's folder exists before something is put into it: when it is missing,
// asks "父分类对应的文件夹不存在，是否需要自动创建?" (Yes/No) and on Yes creates it (and the
// folders above it) through folders, so that a later failure can take them away again. 0,
// kDeclined, or kFolderCreateFailed after "创建父分类对应的文件夹失败!".
int ensureCategoryFolder(OperationContext& context, const store::CategoryRecord& category,
                         FolderUndo& folders);

} // namespace tarnel::ops
