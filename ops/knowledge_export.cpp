#include "ops/knowledge_export.h"

#include "ops/comment_editing.h"
#include "ops/file_copy.h"
#include "ops/import_messages.h"
#include "ops/parallel_copies.h"
#include "ops/tag_points.h"
#include "store/attribute_tables.h"

#include <cerrno>
#include <functional>
#include <set>

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
    bool copied = code == kOk || code == kWalkCancelled;
    if (copied && context.fileSystem.flushFileSystem(target) != 0) {
        code = kWriteFailed;
    }
    if (code == kWalkCancelled) {
        return {code, Field::None, id};
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

// The copy on the progress's runner between its status and done(); else on this thread.
int runCopy(ExportProgress* progress, std::string_view status, const std::function<int()>& copy) {
    if (!progress) {
        return copy();
    }
    int rc = kOk;
    progress->runner([&] {
        progress->progress.status(std::string(status));
        rc = copy();
        progress->progress.done();
    });
    return rc;
}

bool cancelRequested(const ExportProgress* progress) {
    return progress && progress->progress.cancelRequested();
}

// Copies points' content files into export folders under their names on a few threads while the
// caller goes on, keeping a file already there; a point whose file is missing has nothing to copy.
// Points of one name that go to one folder are copied once, the first asked for, as copying them
// one after the other would. The first failure in the order asked stops the export; the few copies
// already running still finish.
class KeepingCopies {
public:
    KeepingCopies(OperationContext& context, const ExportProgress* progress)
        : m_context(context), m_progress(progress),
          m_copies(context.fileSystem, Placement::NeverReplace) {}

    int copy(CategoryRecord& category, const store::PointRecord& point, const fs::path& folder) {
        if (cancelRequested(m_progress)) {
            return kWalkCancelled;
        }
        fs::path source = category.owner->contentPathOf(category, point);
        if (!m_context.fileSystem.isRegularFile(source)) {
            return kOk;
        }
        fs::path target = folder / std::string(point.name());
        if (!m_targets.insert(target).second) {
            return kOk;
        }
        m_copies.submit(std::move(source), std::move(target));
        return m_copies.uncollected() < ParallelCopies::kInFlight ? m_failure : collectOldest();
    }

    // Waits for the copies still running: rc, unless a copy asked for before it stopped failed.
    int finish(int rc) {
        while (m_copies.uncollected() > 0) {
            collectOldest();
        }
        return m_failure != kOk ? m_failure : rc;
    }

private:
    int collectOldest() {
        int err = m_copies.collectOldest();
        if (err != 0 && err != EEXIST && m_failure == kOk) {
            m_failure = kWriteFailed;
        }
        return m_failure;
    }

    OperationContext& m_context;
    const ExportProgress* m_progress;
    ParallelCopies m_copies;
    std::set<fs::path> m_targets;
    int m_failure = kOk;
};

int copyCategory(OperationContext& context, CategoryRecord& category, const fs::path& target,
                 SubLevels subLevels, const ExportProgress* progress) {
    const platform::FileSystem& fileSystem = context.fileSystem;
    if (subLevels == SubLevels::Include) {
        fs::path source = category.owner->folderOf(category);
        if (!fileSystem.isDirectory(source) || isInsideFolder(target, source)) {
            return kWriteFailed;
        }
        int err = copyTreeReplacing(fileSystem, source, target,
                                    [progress] { return cancelRequested(progress); });
        return err == 0 ? kOk : err == ECANCELED ? kWalkCancelled : kWriteFailed;
    }
    if (fileSystem.createDirectories(target) != 0) {
        return store::kFolderCreateFailed;
    }
    KeepingCopies copies(context, progress);
    int rc = kOk;
    for (const auto& point : category.owner->pointsOf(category).records()) {
        if ((rc = copies.copy(category, *point, target)) != kOk) {
            break;
        }
    }
    return copies.finish(rc);
}

int copyTag(OperationContext& context, store::TagRecord& tag, const fs::path& folder,
            KeepingCopies& copies) {
    for (const TagPoint& tp : listTagPoints(context, tag).points) {
        if (int rc = copies.copy(*tp.category, *tp.point, folder)) {
            return rc;
        }
    }
    return kOk;
}

} // namespace

OperationResult exportCategory(OperationContext& context, CategoryRecord& category,
                               const fs::path& directory, SubLevels subLevels,
                               ExportProgress* progress) {
    std::optional<SubLevels> chosen = chosenSubLevels(context, subLevels, category.childCount > 0,
                                                      message::kExportSubCategoriesQuestion);
    if (!chosen || directory.empty()) {
        return {kDeclined};
    }
    fs::path target = directory / std::string(category.name());
    if (!overwriteAgreed(context, target, message::kExportCategoryOverwrite)) {
        return {kDeclined};
    }
    int rc = runCopy(progress, message::kExportingCategory,
                     [&] { return copyCategory(context, category, target, *chosen, progress); });
    return finished(context, target, rc, category.id);
}

OperationResult exportTag(OperationContext& context, store::TagRecord& tag,
                          const fs::path& directory, SubLevels subLevels,
                          ExportProgress* progress) {
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
    int rc = runCopy(progress, message::kExportingTag, [&] {
        KeepingCopies copies(context, progress);
        int copied = copyTag(context, tag, target, copies);
        if (*chosen != SubLevels::Include) {
            return copies.finish(copied);
        }
        for (store::TagRecord* sub : context.base.tags().subtree(&tag)) {
            fs::path folder = target / tagFolderName(sub->name());
            if (copied != kOk || sub == &tag || fileSystem.exists(folder) ||
                fileSystem.createDirectory(folder) != 0) {
                continue;
            }
            copied = copyTag(context, *sub, folder, copies);
        }
        return copies.finish(copied);
    });
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
