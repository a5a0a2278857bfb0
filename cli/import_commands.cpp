#include "cli/import_commands.h"

#include "cli/command_session.h"
#include "ops/document_import.h"

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

} // namespace

void registerImportCommands(CommandRegistry& registry) {
    registry.add({"import-files", "import-files CAT FILE...",
                  "copy documents into a category as points", importFiles});
}

} // namespace tarnel::cli
