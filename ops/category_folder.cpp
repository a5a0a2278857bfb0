#include "ops/category_folder.h"

namespace tarnel::ops {

OperationResult openCategoryFolder(OperationContext& context, const platform::Opener& opener,
                                   const store::CategoryRecord& category) {
    std::filesystem::path folder = category.owner->folderOf(category);
    if (!context.fileSystem.isDirectory(folder)) {
        return {kFolderMissing};
    }
    if (opener.openFolder(folder) != 0) {
        return {kOpenFailed};
    }
    return {kOk, Field::None, category.id};
}

} // namespace tarnel::ops
