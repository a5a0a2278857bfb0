#include "ops/comment_editing.h"

#include "ops/attachment_messages.h"
#include "ops/file_copy.h"
#include "ops/folder_undo.h"
#include "store/attribute_tables.h"

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::MessageIcon;
using store::CategoryRecord;
using store::PointRecord;
namespace point = store::point;

void notifyPointChanged(OperationContext& context, const CategoryRecord& category,
                        const PointRecord& point) {
    context.sink().notify(
        {store::change::kPointChanged, category.owner->kind(), point.id, category.id});
}

} // namespace

OperationResult writeComment(OperationContext& context, CategoryRecord& category,
                             const PointRecord& point, std::string_view richText) {
    PointRecord* record = category.owner->pointsOf(category).find(point.id);
    if (!record) {
        return {store::kNoRecord};
    }
    const platform::FileSystem& fileSystem = context.fileSystem;
    fs::path file = context.base.layout().commentFile(record->id, record->name());
    std::string before;
    bool existed = fileSystem.readFile(file, before) == 0;
    std::string flagBefore(record->values.value(point::kHasComment));
    FolderUndo folders(fileSystem);
    auto failed = [&](int code) {
        context.prompt.show(std::string(message::kWriteCommentFailed), MessageIcon::Error);
        return OperationResult{code};
    };
    if (folders.createDirectories(file.parent_path()) != 0 ||
        fileSystem.writeFileAtomic(file, richText) != 0) {
        folders.undo();
        return failed(kWriteFailed);
    }
    if (!richText.empty()) {
        record->values.setInteger(point::kHasComment, 1);
    }
    if (int rc = context.base.savePoints(category)) {
        record->values.setValue(point::kHasComment, flagBefore);
        if (existed) {
            fileSystem.writeFileAtomic(file, before);
        } else {
            fileSystem.removeFile(file);
            folders.undo();
        }
        return failed(rc);
    }
    notifyPointChanged(context, category, *record);
    return {kOk, Field::None, record->id};
}

OperationResult deleteComment(OperationContext& context, CategoryRecord& category,
                              const PointRecord& point) {
    PointRecord* record = category.owner->pointsOf(category).find(point.id);
    if (!record) {
        return {store::kNoRecord};
    }
    if (context.prompt.ask(std::string(message::kDeleteCommentQuestion), MessageIcon::Question,
                           app::Buttons::YesNo) != app::Answer::Yes) {
        return {kDeclined};
    }
    const platform::FileSystem& fileSystem = context.fileSystem;
    fs::path file = context.base.layout().commentFile(record->id, record->name());
    fs::path aside = hiddenSibling(file, ".tarnel-gone");
    auto failed = [&](int code) {
        context.prompt.show(std::string(message::kDeleteCommentFailed), MessageIcon::Error);
        return OperationResult{code};
    };
    bool setAside = false;
    if (fileSystem.exists(file)) {
        if (fileSystem.rename(file, aside) != 0) {
            return failed(kRemoveFailed);
        }
        setAside = true;
    }
    std::string flagBefore(record->values.value(point::kHasComment));
    record->values.setValue(point::kHasComment, "");
    if (int rc = context.base.savePoints(category)) {
        record->values.setValue(point::kHasComment, flagBefore);
        if (setAside) {
            fileSystem.rename(aside, file);
        }
        return failed(rc);
    }
    if (setAside) {
        fileSystem.removeFile(aside);
    }
    notifyPointChanged(context, category, *record);
    return {kOk, Field::None, record->id};
}

std::string commentExportName(const PointRecord& point) {
    return message::formatted(message::kCommentExportName, {point.name()});
}

OperationResult exportFileAndOffer(OperationContext& context, const platform::Opener& opener,
                                   const fs::path& source, const fs::path& target, long long id) {
    if (!context.fileSystem.isRegularFile(source) ||
        copyIntoPlace(context.fileSystem, source, target, Placement::Replace) != 0) {
        context.prompt.show(std::string(message::kSaveFailedText), MessageIcon::Information);
        return {kWriteFailed};
    }
    if (context.prompt.ask(std::string(message::kSavedOpenQuestion), MessageIcon::Information,
                           app::Buttons::YesNo) == app::Answer::Yes &&
        opener.openFile(fs::absolute(target)) != 0) {
        return {kOpenFailed, Field::None, id};
    }
    return {kOk, Field::None, id};
}

OperationResult exportComment(OperationContext& context, const platform::Opener& opener,
                              const PointRecord& point, const fs::path& target) {
    return exportFileAndOffer(context, opener,
                              context.base.layout().commentFile(point.id, point.name()), target,
                              point.id);
}

} // namespace tarnel::ops
