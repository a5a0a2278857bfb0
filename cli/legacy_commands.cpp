#include "cli/legacy_commands.h"

#include "app/settings_file.h"
#include "cli/command_args.h"
#include "cli/json_writer.h"
#include "platform/text_format.h"
#include "store/conversion_journal.h"
#include "store/legacy_base.h"
#include "store/legacy_conversion.h"
#include "store/legacy_format.h"
#include "store/result_codes.h"

#include <ostream>
#include <set>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;
using store::LegacyFileReport;

const char* kindName(store::LegacyKind kind) {
    switch (kind) {
    case store::LegacyKind::Category:
        return "category index";
    case store::LegacyKind::Counters:
        return "counters";
    case store::LegacyKind::Point:
        return "point list";
    case store::LegacyKind::Comment:
        return "comment list";
    case store::LegacyKind::Attachment:
        return "attachment list";
    }
    return "file";
}

std::string resultText(const LegacyFileReport& report) {
    switch (report.result) {
    case store::kOk:
        return "ok";
    case store::kDamagedFile:
        return "damaged (record " + std::to_string(report.damage.record) + ", offset " +
               std::to_string(report.damage.offset) + "): " + report.damage.reason;
    case store::kNewerVersion:
        return "written by a newer program";
    case store::kNotConvertible:
        return "version cannot be converted";
    default:
        return "cannot be read: " + platform::errorText(report.osError);
    }
}

Json reportJson(const LegacyFileReport& report) {
    Json out = Json::object();
    out.set("kind", kindName(report.kind))
        .set("path", report.path.string())
        .set("version", report.version)
        .set("records", report.records)
        .set("result", report.result)
        .set("status", resultText(report));
    if (report.result == store::kDamagedFile) {
        out.set("record", report.damage.record).set("offset", report.damage.offset);
    }
    return out;
}

std::string versionText(std::uint32_t version) {
    return std::to_string(version) + " (" + platform::formatVersion(static_cast<int>(version)) +
           ")";
}

int checkInterrupted(CommandContext& context) {
    fs::path journalPath = store::stagingFolder(context.dataDirectory()) / "journal";
    std::string text;
    store::ConversionJournal journal;
    int err = context.fileSystem.readFile(journalPath, text);
    bool parsed = err == 0 && store::parseJournal(text, journal);
    const char* state = !parsed                                         ? "unreadable"
                        : journal.state == store::JournalState::Staging ? "staging"
                        : journal.state == store::JournalState::Done    ? "done"
                                                                        : "committing";
    if (err == ENOENT) {
        state = "staging";
        parsed = true;
    }
    std::size_t done =
        parsed ? store::stepsDone(context.fileSystem, context.dataDirectory(), journal) : 0;
    if (context.options.json) {
        Json out = Json::object();
        out.set("data_dir", context.dataDirectory().string())
            .set("format", "interrupted conversion")
            .set("journal", state)
            .set("steps", journal.steps.size())
            .set("steps_done", done)
            .set("convertible", parsed);
        context.out << out.dump() << '\n';
    } else {
        context.out << "interrupted conversion: journal " << state;
        if (parsed && !journal.steps.empty()) {
            context.out << ", " << done << " of " << journal.steps.size() << " renames done";
        }
        context.out << '\n'
                    << (parsed ? "tarnel-kb convert finishes or undoes it\n"
                               : "the journal is not acted on: " + journalPath.string() + "\n");
    }
    return parsed ? kExitSuccess : kExitFailed;
}

void printPlan(CommandContext& context, const store::ConversionPlan& plan,
               std::optional<std::uint64_t> free) {
    for (const auto& [from, to] : plan.backups) {
        context.out << "backup: " << from << " -> " << to << '\n';
    }
    context.out << "writes: " << plan.tables.size() << " index files, " << plan.copies.size()
                << " content copies, " << plan.comments.size() << " comment files, "
                << plan.folders.size() << " category folders\n"
                << "content files missing: " << plan.missingContent
                << ", comments without their point: " << plan.droppedComments << '\n'
                << "bytes to write: " << platform::formatSize(plan.bytesToWrite) << " ("
                << plan.bytesToWrite << "), free space: "
                << (free ? platform::formatSize(*free) : std::string("unknown")) << '\n';
}

Json planJson(const store::ConversionPlan& plan, std::optional<std::uint64_t> free) {
    Json backups = Json::array();
    for (const auto& [from, to] : plan.backups) {
        Json item = Json::object();
        item.set("from", from).set("to", to);
        backups.push(std::move(item));
    }
    Json out = Json::object();
    out.set("backups", std::move(backups))
        .set("index_files", plan.tables.size())
        .set("content_copies", plan.copies.size())
        .set("comment_files", plan.comments.size())
        .set("category_folders", plan.folders.size())
        .set("missing_content", plan.missingContent)
        .set("dropped_comments", plan.droppedComments)
        .set("bytes_to_write", plan.bytesToWrite)
        .set("free_space", free ? Json(*free) : Json(nullptr))
        .set("tab_align_due", plan.tabAlignDue);
    return out;
}

int checkOlder(CommandContext& context, const store::BaseLocation& location) {
    store::LegacyBase base;
    bool read = store::readLegacyBase(context.fileSystem, location, context.dataDirectory(),
                                      base) == store::kOk;
    store::ConversionPlan plan;
    std::optional<std::uint64_t> free;
    bool convertible = read;
    if (read) {
        plan = store::planConversion(context.fileSystem, base, 0);
        free = context.fileSystem.freeSpace(context.dataDirectory());
        convertible = plan.result == store::kOk && (!free || *free >= plan.bytesToWrite);
    }
    const store::TreeRepairs& repairs = base.repairs;
    if (context.options.json) {
        Json files = Json::array();
        for (const LegacyFileReport& report : base.files) {
            files.push(reportJson(report));
        }
        Json tree = Json::object();
        tree.set("categories", base.categories.size())
            .set("skipped_ids", repairs.skippedIds)
            .set("unknown_parents", repairs.unknownParents)
            .set("cycles", repairs.cycles)
            .set("broken_chains", repairs.brokenChains);
        Json out = Json::object();
        out.set("data_dir", context.dataDirectory().string())
            .set("format", "older")
            .set("store_version", base.version)
            .set("category_index", location.categoryIndex.string())
            .set("files", std::move(files))
            .set("tree", std::move(tree));
        if (read) {
            out.set("plan", planJson(plan, free));
        }
        out.set("convertible", convertible);
        context.out << out.dump() << '\n';
        return convertible ? kExitSuccess : kExitFailed;
    }
    context.out << "older format, store version " << versionText(base.version) << '\n'
                << "category index: " << location.categoryIndex.string() << '\n';
    for (const LegacyFileReport& report : base.files) {
        context.out << kindName(report.kind) << ' ' << report.path.string() << ": version "
                    << report.version << ", " << report.records << " records, "
                    << resultText(report) << '\n';
    }
    if (read) {
        context.out << "categories: " << base.categories.size()
                    << ", skipped ids: " << repairs.skippedIds
                    << ", unknown parents: " << repairs.unknownParents
                    << ", cycles: " << repairs.cycles
                    << ", sibling chains in file order: " << repairs.brokenChains << '\n';
        printPlan(context, plan, free);
    }
    context.out << (convertible ? "convertible: run tarnel-kb convert\n" : "not convertible\n");
    return convertible ? kExitSuccess : kExitFailed;
}

// Progress on standard error, a line each time the share done grows by a tenth.
class StreamProgress : public store::ConversionProgress {
public:
    explicit StreamProgress(std::ostream& err) : m_err(err) {}

    void started(const std::string& text, std::size_t total) override {
        m_err << text << " 0/" << total << '\n';
    }
    void advanced(std::size_t done, std::size_t total) override {
        std::size_t tenth = total ? done * 10 / total : 10;
        if (tenth != m_lastTenth) {
            m_lastTenth = tenth;
            m_err << "  " << done << '/' << total << '\n';
        }
    }

private:
    std::ostream& m_err;
    std::size_t m_lastTenth = 0;
};

int runConvert(CommandContext& context, const std::vector<std::string>& args) {
    CommandArgs parsed = parseCommandArgs(args, {});
    if (!parsed.error.empty() || !parsed.positional.empty()) {
        return context.usageError(parsed.error.empty() ? "convert takes no arguments"
                                                       : parsed.error);
    }
    StreamProgress progress(context.err);
    store::ConversionResult result = store::convertOlderBase(
        {context.fileSystem, context.dataDirectory(), context.settings.databaseType, 0},
        context.prompt, progress);
    bool tabAlignWritten = false;
    if (result.outcome == store::ConversionOutcome::Converted && result.tabAlignDue) {
        context.settings.tabAlign = store::legacy_format::kOldBaseTabAlign;
        tabAlignWritten =
            app::SettingsFile(context.fileSystem).writeTabAlign(context.settings) == 0;
        if (!tabAlignWritten) {
            context.err << "error: TAB_ALIGN could not be written to "
                        << context.settings.settingsFile.string() << '\n';
        }
    }
    const char* outcome = result.outcome == store::ConversionOutcome::Converted ? "converted"
                          : result.outcome == store::ConversionOutcome::NothingToDo
                              ? "current"
                              : "not converted";
    if (context.options.json) {
        Json backups = Json::array();
        for (const fs::path& path : result.backups) {
            backups.push(path.string());
        }
        Json out = Json::object();
        out.set("result", outcome)
            .set("code", result.code)
            .set("backups", std::move(backups))
            .set("tab_align_written", tabAlignWritten);
        context.out << out.dump() << '\n';
    } else {
        context.out << outcome << '\n';
        for (const fs::path& path : result.backups) {
            context.out << "backup: " << path.string() << '\n';
        }
    }
    return result.outcome == store::ConversionOutcome::EndProgram ? kExitFailed : kExitSuccess;
}

} // namespace

int checkOlderBase(CommandContext& context) {
    store::BaseLocation location = store::locateBase(context.fileSystem, context.dataDirectory(),
                                                     context.settings.databaseType);
    switch (location.format) {
    case store::BaseFormat::Current:
        return -1;
    case store::BaseFormat::Interrupted:
        return checkInterrupted(context);
    case store::BaseFormat::Unopenable:
        context.err << "error: the category index " << location.categoryIndex.string()
                    << " cannot be read: " << platform::errorText(location.openError) << '\n';
        return kExitFailed;
    case store::BaseFormat::Older:
        break;
    }
    return checkOlder(context, location);
}

bool worksOnOlderBase(const std::string& command) {
    static const std::set<std::string> kCommands = {"check", "convert", "settings", "rtf-text",
                                                    "rtf-roundtrip"};
    return kCommands.contains(command);
}

std::string olderBaseRefusal(const CommandContext& context) {
    store::BaseLocation location = store::locateBase(context.fileSystem, context.dataDirectory(),
                                                     context.settings.databaseType);
    switch (location.format) {
    case store::BaseFormat::Older:
        return "the knowledge base is in an older format; run tarnel-kb convert";
    case store::BaseFormat::Interrupted:
        return "a conversion of the knowledge base was interrupted; run tarnel-kb convert";
    default:
        return {};
    }
}

void registerLegacyCommands(CommandRegistry& registry) {
    registry.add({"convert", "convert",
                  "converts an older knowledge base (or finishes an interrupted conversion), "
                  "keeping the old files as a backup",
                  runConvert});
}

} // namespace tarnel::cli
