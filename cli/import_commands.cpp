#include "cli/import_commands.h"

#include "cli/command_session.h"
#include "cli/terminal_progress.h"
#include "ops/document_import.h"
#include "ops/folder_import.h"

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;

int importFiles(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, kAnyCount, {}, {}, [&](Session& session, const CommandArgs& parsed) {
            if (parsed.positional.size() < 2) {
                return command.usageError("expected CAT FILE...");
            }
            store::CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
            if (!category) {
                return kExitUsage;
            }
            std::vector<fs::path> files(parsed.positional.begin() + 1, parsed.positional.end());
            return report(command, session,
                          ops::importDocuments(session.context, *category, files));
        });
}

int importFolder(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, 2, {"--subfolders", "--no-subfolders"}, {},
        [&](Session& session, const CommandArgs& parsed) {
            std::optional<bool> subfolders;
            if (parsed.has("--subfolders") || parsed.has("--no-subfolders")) {
                if (parsed.has("--subfolders") && parsed.has("--no-subfolders")) {
                    return command.usageError("give one of --subfolders and --no-subfolders");
                }
                subfolders = parsed.has("--subfolders");
            }
            store::CategoryRecord* parent = categoryArg(command, session, parsed.positional[0]);
            if (!parent) {
                return kExitUsage;
            }
            TerminalProgress progress(command.err);
            ops::FolderSource source{parsed.positional[1], progress};
            return report(command, session,
                          ops::importFolder(session.context, *parent, source, subfolders));
        });
}

int linkFolder(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 2, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        store::CategoryRecord* parent = categoryArg(command, session, parsed.positional[0]);
        if (!parent) {
            return kExitUsage;
        }
        TerminalProgress progress(command.err);
        ops::FolderSource source{parsed.positional[1], progress};
        return report(command, session, ops::linkFolder(session.context, *parent, source));
    });
}

} // namespace

void registerImportCommands(CommandRegistry& registry) {
    registry.add({"import-files", "import-files CAT FILE...",
                  "copy documents into a category as points", importFiles});
    registry.add({"import-folder", "import-folder PARENT DIR [--subfolders | --no-subfolders]",
                  "copy a folder (and its sub-folders) in as a new category tree; Ctrl-C stops",
                  importFolder});
    registry.add({"link-folder", "link-folder PARENT DIR",
                  "link a folder as a category: its files become points, nothing is copied; "
                  "Ctrl-C stops",
                  linkFolder});
}

} // namespace tarnel::cli
