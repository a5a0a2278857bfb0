#include "cli/store_commands.h"

#include "cli/command_args.h"
#include "cli/json_writer.h"
#include "cli/legacy_commands.h"
#include "store/knowledge_store.h"
#include "store/result_codes.h"

#include <ostream>
#include <string>
#include <vector>

namespace tarnel::cli {
namespace {

using store::CategoryRecord;
using store::CategoryStore;
using store::KnowledgeStore;
using store::StoreKind;
using store::TagRecord;

struct OpenedBase {
    store::NullChangeSink sink;
    KnowledgeStore base;
    int result;

    explicit OpenedBase(CommandContext& context)
        : base(context.fileSystem, sink),
          result(base.open(context.dataDirectory(), context.settings.databaseType,
                           store::OpenMode::ReadOnly)) {}
};

std::string resultName(int code) {
    switch (code) {
    case store::kOk:
        return "ok";
    case store::kFileMissing:
        return "missing";
    case store::kCannotOpen:
        return "cannot open";
    case store::kReadError:
        return "read error";
    case store::kDamagedFile:
        return "damaged";
    default:
        return "failed";
    }
}

bool isDamage(int code) {
    return code != store::kOk && code != store::kFileMissing;
}

int runInfo(CommandContext& context, const std::vector<std::string>& args) {
    CommandArgs parsed = parseCommandArgs(args, {});
    if (!parsed.error.empty() || !parsed.positional.empty()) {
        return context.usageError(parsed.error.empty() ? "info takes no arguments" : parsed.error);
    }
    OpenedBase opened(context);
    KnowledgeStore& base = opened.base;
    std::size_t points = base.loadAllLists();
    const store::IdCounters& counters = base.counters();
    struct Counter {
        const char* name;
        store::IdKind kind;
    };
    const Counter kCounters[] = {{"class", store::IdKind::Category},
                                 {"point", store::IdKind::Point},
                                 {"tags", store::IdKind::Tag},
                                 {"comment", store::IdKind::Comment},
                                 {"append", store::IdKind::Attachment}};
    if (context.options.json) {
        Json counterJson = Json::object();
        for (const Counter& c : kCounters) {
            counterJson.set(c.name, counters.highest(c.kind));
        }
        Json out = Json::object();
        out.set("data_dir", context.dataDirectory().string())
            .set("local", base.usesLocalFiles())
            .set("store_version", base.storeVersion())
            .set("counters", std::move(counterJson))
            .set("categories", base.categories().categoryCount())
            .set("recycled_categories", base.recycle().categoryCount())
            .set("tags", base.tags().tagCount())
            .set("points_loaded", points)
            .set("open_result", opened.result);
        context.out << out.dump() << '\n';
    } else {
        context.out << "data directory: " << context.dataDirectory().string() << '\n'
                    << "store version: " << base.storeVersion() << '\n';
        for (const Counter& c : kCounters) {
            context.out << "highest " << c.name << " id: " << counters.highest(c.kind) << '\n';
        }
        context.out << "categories: " << base.categories().categoryCount() << '\n'
                    << "recycled categories: " << base.recycle().categoryCount() << '\n'
                    << "tags: " << base.tags().tagCount() << '\n'
                    << "points loaded: " << points << '\n';
        if (!base.usesLocalFiles()) {
            context.out << "shared database: the local files are not read\n";
        }
    }
    if (isDamage(opened.result)) {
        context.err << "error: kms.ids is " << resultName(opened.result) << " (" << opened.result
                    << ")\n";
        return kExitFailed;
    }
    return kExitSuccess;
}

Json categoryJson(const CategoryStore& store, const CategoryRecord& record) {
    Json children = Json::array();
    for (const CategoryRecord* child : store.children(&record)) {
        children.push(categoryJson(store, *child));
    }
    Json out = Json::object();
    out.set("id", record.id)
        .set("name", std::string(record.name()))
        .set("state", record.values.integer(store::category::kState))
        .set("linked_root", record.isLinkedRoot())
        .set("children", std::move(children));
    return out;
}

Json tagJson(const store::TagStore& tags, const TagRecord& record) {
    Json children = Json::array();
    for (const TagRecord* child : tags.children(&record)) {
        children.push(tagJson(tags, *child));
    }
    Json out = Json::object();
    out.set("id", record.id)
        .set("name", std::string(record.name()))
        .set("point_num", record.values.integer(store::tag::kPointNum))
        .set("children", std::move(children));
    return out;
}

int depthOf(const CategoryRecord* record) {
    int depth = 0;
    for (const CategoryRecord* p = record->parent; p; p = p->parent) {
        ++depth;
    }
    return depth;
}

int depthOf(const TagRecord* record) {
    int depth = 0;
    for (const TagRecord* p = record->parent; p; p = p->parent) {
        ++depth;
    }
    return depth;
}

int runTree(CommandContext& context, const std::vector<std::string>& args) {
    CommandArgs parsed = parseCommandArgs(args, {"--recycle", "--tags"});
    if (!parsed.error.empty() || !parsed.positional.empty()) {
        return context.usageError(parsed.error.empty() ? "tree takes no positional arguments"
                                                       : parsed.error);
    }
    if (parsed.has("--recycle") && parsed.has("--tags")) {
        return context.usageError("tree takes --recycle or --tags, not both");
    }
    OpenedBase opened(context);
    KnowledgeStore& base = opened.base;
    if (parsed.has("--tags")) {
        store::TagStore& tags = base.tags();
        if (context.options.json) {
            context.out << tagJson(tags, *tags.root()).dump() << '\n';
        } else {
            for (const auto& record : tags.rows()) {
                context.out << std::string(2 * depthOf(record.get()), ' ') << '[' << record->id
                            << "] " << record->name() << '\n';
            }
        }
    } else {
        CategoryStore& store =
            base.store(parsed.has("--recycle") ? StoreKind::Recycle : StoreKind::Category);
        if (context.options.json) {
            context.out << categoryJson(store, *store.root()).dump() << '\n';
        } else {
            for (const auto& record : store.rows()) {
                context.out << std::string(2 * depthOf(record.get()), ' ') << '[' << record->id
                            << "] " << record->name();
                if (record->parent) {
                    context.out << " state=" << record->values.integer(store::category::kState);
                }
                if (record->isLinkedRoot()) {
                    context.out << " linked: "
                                << record->values.value(store::category::kRelationPath);
                }
                context.out << '\n';
            }
        }
    }
    return isDamage(opened.result) ? kExitFailed : kExitSuccess;
}

struct Finding {
    std::string file;
    std::string status; // "missing", "damaged", "inconsistent"...
    int code;
    std::string detail;
};

void checkStoreRecords(const CategoryStore& store, std::vector<Finding>& findings) {
    std::string file = store.file().path().filename().string();
    for (const auto& record : store.rows()) {
        if (!record->parent) {
            continue;
        }
        if (store.find(record->id) != record.get()) {
            findings.push_back(
                {file, "inconsistent", 0, "id " + std::to_string(record->id) + " is used twice"});
        }
        long long parentId = record->values.integer(store::category::kParent);
        if (parentId != record->parent->id) {
            findings.push_back({file, "inconsistent", 0,
                                "category " + std::to_string(record->id) + ": parent " +
                                    std::to_string(parentId) +
                                    " does not stand before it; read as top level"});
        }
    }
}

void checkLists(CategoryStore& store, std::vector<Finding>& findings) {
    for (const auto& record : store.rows()) {
        store::PointList& points = store.pointsOf(*record);
        std::string pointsFile = points.file().path().filename().string();
        if (isDamage(points.loadResult())) {
            findings.push_back(
                {pointsFile, resultName(points.loadResult()), points.loadResult(), ""});
        }
        for (const auto& point : points.records()) {
            long long owner = point->values.integer(store::point::kClass);
            if (point->values.has(store::point::kClass) && owner != record->id) {
                findings.push_back({pointsFile, "inconsistent", 0,
                                    "point " + std::to_string(point->id) + " names category " +
                                        std::to_string(owner)});
            }
            if (point->values.integer(store::point::kState) == 0) {
                findings.push_back(
                    {pointsFile, "inconsistent", 0,
                     "point " + std::to_string(point->id) + ": content file missing"});
            }
        }
        store::AttachmentList& attachments = store.attachmentsOf(*record);
        if (isDamage(attachments.loadResult())) {
            findings.push_back({attachments.file().path().filename().string(),
                                resultName(attachments.loadResult()), attachments.loadResult(),
                                ""});
        }
    }
}

int runCheck(CommandContext& context, const std::vector<std::string>& args) {
    CommandArgs parsed = parseCommandArgs(args, {});
    if (!parsed.error.empty() || !parsed.positional.empty()) {
        return context.usageError(parsed.error.empty() ? "check takes no arguments" : parsed.error);
    }
    if (int exitCode = checkOlderBase(context); exitCode >= 0) {
        return exitCode;
    }
    OpenedBase opened(context);
    KnowledgeStore& base = opened.base;
    std::vector<Finding> findings;
    if (base.usesLocalFiles()) {
        const store::OpenReport& report = base.report();
        int categories = report.categories;
        int recycle = report.recycle;
        int tags = report.tags;
        if (opened.result != store::kOk) {
            // The open stopped at the counters; the other files are still worth a look.
            categories = base.categories().load();
            recycle = base.recycle().load();
            tags = base.tags().load();
        }
        struct Step {
            const char* file;
            int code;
        };
        int counters = opened.result != store::kOk ? opened.result : report.counters;
        for (const Step& step : {Step{"kms.ids", counters}, Step{"kms.cls", categories},
                                 Step{"recycle_kms.cls", recycle}, Step{"kms.tags", tags}}) {
            if (step.code != store::kOk) {
                findings.push_back({step.file, resultName(step.code), step.code, ""});
            }
        }
        checkStoreRecords(base.categories(), findings);
        checkStoreRecords(base.recycle(), findings);
        checkLists(base.categories(), findings);
        checkLists(base.recycle(), findings);
    }
    bool damaged = false;
    for (const Finding& f : findings) {
        damaged = damaged || isDamage(f.code);
    }
    if (context.options.json) {
        Json list = Json::array();
        for (const Finding& f : findings) {
            Json item = Json::object();
            item.set("file", f.file).set("status", f.status).set("code", f.code);
            if (!f.detail.empty()) {
                item.set("detail", f.detail);
            }
            list.push(std::move(item));
        }
        Json out = Json::object();
        out.set("data_dir", context.dataDirectory().string())
            .set("damaged", damaged)
            .set("findings", std::move(list));
        context.out << out.dump() << '\n';
    } else {
        for (const Finding& f : findings) {
            context.out << f.file << ": " << f.status << " (" << f.code << ")";
            if (!f.detail.empty()) {
                context.out << ": " << f.detail;
            }
            context.out << '\n';
        }
        context.out << (damaged            ? "damaged files found\n"
                        : findings.empty() ? "all index files sound\n"
                                           : "no damaged file\n");
    }
    return damaged ? kExitFailed : kExitSuccess;
}

} // namespace

void registerStoreCommands(CommandRegistry& registry) {
    registry.add({"info", "info",
                  "the data directory, store version, counters and the number of records",
                  runInfo});
    registry.add({"tree", "tree [--recycle|--tags]",
                  "the category tree (or the recycle bin, or the tags) with ids and state",
                  runTree});
    registry.add({"check", "check",
                  "reads every index file and reports the missing, damaged and inconsistent ones; "
                  "on an older base, what converting it would do",
                  runCheck});
}

} // namespace tarnel::cli
