#include "cli/import_commands.h"

#include "cli/command_session.h"
#include "ops/document_import.h"
#include "ops/folder_import.h"
#include "platform/interrupt_catcher.h"

#include <mutex>
#include <ostream>
#include <unistd.h>

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

// The walk's progress on the terminal: one line, rewritten in place, when standard error is a
// terminal; Ctrl-C asks the walk to stop before its next entry.
class TerminalWalkProgress : public ops::WalkProgress {
public:
    explicit TerminalWalkProgress(std::ostream& err) : m_err(err), m_shown(::isatty(2) == 1) {}

    void status(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        if (m_shown) {
            m_err << '\r' << text << " (Ctrl-C cancels)\x1b[K" << std::flush;
        }
    }
    void done() override {
        std::lock_guard lock(m_mutex);
        if (m_shown) {
            m_err << "\r\x1b[K" << std::flush;
        }
    }
    bool cancelRequested() const override {
        return m_interrupt.caught() || WalkProgress::cancelRequested();
    }

private:
    std::ostream& m_err;
    bool m_shown;
    std::mutex m_mutex;
    platform::InterruptCatcher m_interrupt;
};

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
            TerminalWalkProgress progress(command.err);
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
        TerminalWalkProgress progress(command.err);
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
