#include "ops/folder_import.h"

#include "ops/category_folder.h"
#include "ops/file_copy.h"
#include "ops/import_messages.h"
#include "store/attribute_tables.h"

#include <chrono>
#include <cstdio>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::MessageIcon;
using store::CategoryRecord;
namespace category = store::category;

// The chosen path without trailing separators, made absolute.
fs::path sourcePathOf(const fs::path& chosen) {
    std::string text = fs::absolute(chosen).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

OperationResult refuse(OperationContext& context, std::string_view text, int code) {
    context.prompt.show(std::string(text), MessageIcon::Error);
    return {code};
}

std::string seconds(std::chrono::steady_clock::duration elapsed) {
    long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(ms) * 0.001);
    return text;
}

struct FolderCommandKind {
    WalkMode mode;
    bool subfolders;
    std::string_view done; // the success report with its "%s" for the seconds
};

// Steps shared by import and link once the category is in the store: the walk, the saves, the
// notification and the reports.
OperationResult walkAndReport(OperationContext& context, CategoryRecord& made,
                              const fs::path& source, const FolderSource& choice,
                              const FolderCommandKind& kind) {
    auto start = std::chrono::steady_clock::now();
    FolderWalk walk(context, kind.mode, kind.subfolders, choice.progress);
    WalkReport report;
    choice.runner([&] { report = walk.run(made, source); });
    int rc = context.base.saveCounters();
    if (rc == kOk) {
        rc = context.base.saveStore(made.owner->kind());
    }
    context.sink().notify({store::change::kCategoryAdded, made.owner->kind(), made.id, 0});
    if (!report.skipped.empty()) {
        std::string text(message::kWalkSkipped);
        for (const std::string& line : report.skipped) {
            text += "\n" + line;
        }
        context.prompt.show(text, MessageIcon::Warning);
    }
    if (report.code == kWalkCancelled) {
        context.prompt.show(
            message::formatted(message::kWalkCancelled,
                               {std::to_string(report.categoriesAdded + 1),
                                std::to_string(report.pointsAdded), report.stoppedBefore}),
            MessageIcon::Information);
    } else if (report.code != kOk) {
        context.prompt.show(report.failure, MessageIcon::Warning);
    }
    if (rc != kOk) {
        return {rc};
    }
    if (report.code != kOk) {
        return {report.code, Field::None, made.id};
    }
    context.prompt.show(
        message::formatted(kind.done, {seconds(std::chrono::steady_clock::now() - start)}) +
            std::string(message::kReportTail),
        MessageIcon::Information);
    return {kOk, Field::None, made.id};
}

std::unique_ptr<CategoryRecord> newCategory(OperationContext& context, const std::string& name) {
    auto record = std::make_unique<CategoryRecord>();
    record->values.setValue(category::kName, name);
    record->values.setInteger(category::kStarNum, 1);
    record->values.setInteger(category::kState, 1);
    record->values.setValue(category::kCreateDate, context.now());
    return record;
}

// The checks both commands make first, in order: a parent that can take the category (nothing is
// said for a linked one), its folder (asked for when missing), a choice made, the chosen folder
// existing. source is the chosen path without trailing separators.
OperationResult checkChoice(OperationContext& context, CategoryRecord& parent,
                            const FolderSource& choice, FolderCommand command, fs::path& source) {
    store::CategoryStore& store = context.base.categories();
    if (!store.contains(&parent) || store::CategoryStore::isLinked(parent)) {
        return {store::kNotAllowed};
    }
    FolderUndo folders(context.fileSystem);
    if (parent.id > 0) {
        if (int rc = ensureCategoryFolder(context, parent, folders)) {
            return {rc};
        }
    }
    if (choice.folder.empty()) {
        return {kDeclined};
    }
    if (choice.remembered) {
        choice.remembered->remember(command, choice.folder);
    }
    source = sourcePathOf(choice.folder);
    if (!context.fileSystem.isDirectory(source)) {
        return refuse(context, message::formatted(message::kFolderMissingText, {source.string()}),
                      kSourceMissing);
    }
    return {kOk};
}

// Adds the category made by the command under parent and walks the source into it.
OperationResult addAndWalk(OperationContext& context, CategoryRecord& parent,
                           std::unique_ptr<CategoryRecord> record, const fs::path& source,
                           const FolderSource& choice, const FolderCommandKind& kind) {
    CategoryRecord* made = record.get();
    if (int rc = parent.owner->add(std::move(record), &parent)) {
        return refuse(context, message::kAddCategoryFailed, rc);
    }
    return walkAndReport(context, *made, source, choice, kind);
}

std::optional<bool> askSubfolders(OperationContext& context) {
    switch (context.prompt.ask(std::string(message::kIncludeSubfoldersQuestion),
                               MessageIcon::Question, app::Buttons::YesNoCancel)) {
    case app::Answer::Yes:
        return true;
    case app::Answer::No:
        return false;
    default:
        return std::nullopt;
    }
}

} // namespace

OperationResult importFolder(OperationContext& context, CategoryRecord& parent,
                             const FolderSource& choice, std::optional<bool> subfolders) {
    fs::path source;
    if (OperationResult checked =
            checkChoice(context, parent, choice, FolderCommand::ImportFolder, source);
        !checked.ok()) {
        return checked;
    }
    std::string name = source.filename().string();
    if (isInsideFolder(parent.owner->folderOf(parent), source)) {
        return refuse(context, message::kImportOwnFolder, store::kNotAllowed);
    }
    if (parent.owner->nameExistsUnder(parent, name)) {
        return refuse(context, message::kImportNameExists, kNameTaken);
    }
    if (!subfolders) {
        subfolders = askSubfolders(context);
        if (!subfolders) {
            return {kDeclined};
        }
    }
    return addAndWalk(context, parent, newCategory(context, name), source, choice,
                      {WalkMode::Import, *subfolders, message::kImportFolderDone});
}

OperationResult linkFolder(OperationContext& context, CategoryRecord& parent,
                           const FolderSource& choice) {
    fs::path source;
    if (OperationResult checked =
            checkChoice(context, parent, choice, FolderCommand::LinkFolder, source);
        !checked.ok()) {
        return checked;
    }
    std::string name = source.filename().string();
    fs::path data = context.base.layout().dataDirectory();
    if (isInsideFolder(source, data) || isInsideFolder(data, source)) {
        return refuse(context, message::kLinkIntoOwnBase, store::kNotAllowed);
    }
    if (parent.owner->nameExistsUnder(parent, name)) {
        return refuse(context, message::kLinkNameExists, kNameTaken);
    }
    std::unique_ptr<CategoryRecord> record = newCategory(context, name);
    record->values.setValue(category::kRelationPath, source.string());
    return addAndWalk(context, parent, std::move(record), source, choice,
                      {WalkMode::Link, true, message::kLinkFolderDone});
}

} // namespace tarnel::ops
