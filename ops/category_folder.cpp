#include "ops/category_folder.h"

#include "ops/operation_messages.h"

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

int ensureCategoryFolder(OperationContext& context, const store::CategoryRecord& category,
                         FolderUndo& folders) {
    std::filesystem::path folder = category.owner->folderOf(category);
    if (context.fileSystem.isDirectory(folder)) {
        return kOk;
    }
    if (context.prompt.ask(std::string(message::kCreateParentFolderQuestion),
                           app::MessageIcon::Question, app::Buttons::YesNo) != app::Answer::Yes) {
        return kDeclined;
    }
    if (folders.createDirectories(folder) != 0) {
        context.prompt.show(std::string(message::kCreateParentFolderFailed),
                            app::MessageIcon::Error);
        return store::kFolderCreateFailed;
    }
    return kOk;
}

} // namespace tarnel::ops
