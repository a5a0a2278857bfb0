#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_open.h"
#include "store/category_store.h"

namespace tarnel::ops {

// Opens the category's folder (a linked category's own folder) with the desktop's opener.
// kFolderMissing when the folder does not exist, kOpenFailed when the opener failed.
OperationResult openCategoryFolder(OperationContext& context, const platform::Opener& opener,
                                   const store::CategoryRecord& category);

} // namespace tarnel::ops
