#include "ops/knowledge_export.h"

#include "ops/comment_editing.h"
#include "ops/file_copy.h"
#include "ops/import_messages.h"
#include "ops/tag_points.h"
#include "store/attribute_tables.h"

#include <cerrno>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::Answer;
using app::MessageIcon;
using store::CategoryRecord;

// The question's answer as a choice; nullopt for Cancel.
std::optional<SubLevels> chosenSubLevels(OperationContext& context, SubLevels given,
                                         bool hasChildren, std::string_view question) {
    if (!hasChildren) {
        return SubLevels::Include;
    }
    if (given != SubLevels::Ask) {
        return given;
    }
    switch (context.prompt.ask(std::string(question), MessageIcon::Question,
                               app::Buttons::YesNoCancel)) {
    case Answer::Yes:
        return SubLevels::Include;
    case Answer::No:
        return SubLevels::Exclude;
    default:
        return std::nullopt;
    }
}

bool overwriteAgreed(OperationContext& context, const fs::path& target, std::string_view question) {
    if (!context.fileSystem.exists(target)) {
        return true;
    }
    return context.prompt.ask(message::formatted(question, {target.string()}),
                              MessageIcon::Question, app::Buttons::YesNo) == Answer::Yes;
}

// The copies were left unflushed; one flush of the target's file system makes them durable.
OperationResult finished(OperationContext& context, const fs::path& target, int code,
                         long long id) {
    if (code == kOk && context.fileSystem.flushFileSystem(target) != 0) {
        code = kWriteFailed;
    }
    if (code == kOk) {
        context.prompt.show(std::string(message::kExported) + std::string(message::kReportTail),
                            MessageIcon::Information);
        return {kOk, Field::None, id};
    }
    context.prompt.show(std::string(message::kExportFailed) + std::string(message::kReportTail),
                        MessageIcon::Error);
    return {code};
}

// Copies a point's content file into the folder under its name, keeping a file already there;
// a point whose file is missing has nothing to copy.
int copyKeeping(OperationContext& context, CategoryRecord& category,
                const store::PointRecord& point, const fs::path& folder) {
    fs::path source = category.owner->contentPathOf(category, point);
    if (!context.fileSystem.isRegularFile(source)) {
        return kOk;
    }
    int err = copyIntoPlace(context.fileSystem, source, folder / std::string(point.name()),
                            Placement::NeverReplace, Flush::Later);
    return err == 0 || err == EEXIST ? kOk : kWriteFailed;
}

int copyCategory(OperationContext& context, CategoryRecord& category, const fs::path& target,
                 SubLevels subLevels) {
    const platform::FileSystem& fileSystem = context.fileSystem;
    if (subLevels == SubLevels::Include) {
        fs::path source = category.owner->folderOf(category);
        if (!fileSystem.isDirectory(source) || isInsideFolder(target, source)) {
            return kWriteFailed;
        }
        return copyTreeReplacing(fileSystem, source, target) == 0 ? kOk : kWriteFailed;
    }
    if (fileSystem.createDirectories(target) != 0) {
        return store::kFolderCreateFailed;
    }
    for (const auto& point : category.owner->pointsOf(category).records()) {
        if (int rc = copyKeeping(context, category, *point, target)) {
            return rc;
        }
    }
    return kOk;
}

int copyTag(OperationContext& context, store::TagRecord& tag, const fs::path& folder) {
    for (const TagPoint& tp : listTagPoints(context, tag).points) {
        if (int rc = copyKeeping(context, *tp.category, *tp.point, folder)) {
            return rc;
        }
    }
    return kOk;
}

} // namespace

OperationResult exportCategory(OperationContext& context, CategoryRecord& category,
                               const fs::path& directory, SubLevels subLevels) {
    std::optional<SubLevels> chosen = chosenSubLevels(context, subLevels, category.childCount > 0,
                                                      message::kExportSubCategoriesQuestion);
    if (!chosen || directory.empty()) {
        return {kDeclined};
    }
    fs::path target = directory / std::string(category.name());
    if (!overwriteAgreed(context, target, message::kExportCategoryOverwrite)) {
        return {kDeclined};
    }
    return finished(context, target, copyCategory(context, category, target, *chosen), category.id);
}

OperationResult exportTag(OperationContext& context, store::TagRecord& tag,
                          const fs::path& directory, SubLevels subLevels) {
    std::optional<SubLevels> chosen =
        chosenSubLevels(context, subLevels, tag.childCount > 0, message::kExportSubTagsQuestion);
    if (!chosen || directory.empty()) {
        return {kDeclined};
    }
    fs::path target = directory / tagFolderName(tag.name());
    if (!overwriteAgreed(context, target, message::kExportTagOverwrite)) {
        return {kDeclined};
    }
    const platform::FileSystem& fileSystem = context.fileSystem;
    if (fileSystem.createDirectories(target) != 0) {
        return finished(context, target, store::kFolderCreateFailed, tag.id);
    }
    int rc = copyTag(context, tag, target);
    if (*chosen == SubLevels::Include) {
        for (store::TagRecord* sub : context.base.tags().subtree(&tag)) {
            fs::path folder = target / tagFolderName(sub->name());
            if (rc != kOk || sub == &tag || fileSystem.exists(folder) ||
                fileSystem.createDirectory(folder) != 0) {
                continue;
            }
            rc = copyTag(context, *sub, folder);
        }
    }
    return finished(context, target, rc, tag.id);
}

std::string tagFolderName(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c == '/' || c == '\0') {
            c = '_';
        }
    }
    if (out.empty() || out == "." || out == "..") {
        return std::string(out.empty() ? 1 : out.size(), '_');
    }
    return out;
}

OperationResult exportPoint(OperationContext& context, const platform::Opener& opener,
                            CategoryRecord& category, const store::PointRecord& point,
                            const fs::path& target) {
    return exportFileAndOffer(context, opener, category.owner->contentPathOf(category, point),
                              target, point.id);
}

std::string pointExportName(const store::PointRecord& point) {
    std::string name(point.name());
    std::string extension = store::lowerExtension(name);
    return name.substr(0, name.size() - extension.size());
}

} // namespace tarnel::ops
