#include "cli/command_registry.h"

#include "cli/attachment_commands.h"
#include "cli/category_commands.h"
#include "cli/export_commands.h"
#include "cli/import_commands.h"
#include "cli/legacy_commands.h"
#include "cli/point_commands.h"
#include "cli/rtf_commands.h"
#include "cli/search_commands.h"
#include "cli/settings_command.h"
#include "cli/store_commands.h"
#include "cli/tag_commands.h"

#include <ostream>

namespace tarnel::cli {

std::filesystem::path CommandContext::dataDirectory() const {
    return options.dataDirectory ? *options.dataDirectory
                                 : std::filesystem::path(settings.dataPath);
}

int CommandContext::usageError(const std::string& text) const {
    err << "error: " << text << '\n';
    return kExitUsage;
}

void CommandRegistry::add(Command command) {
    m_commands.push_back(std::move(command));
}

const Command* CommandRegistry::find(const std::string& name) const {
    for (const auto& command : m_commands) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

void registerAllCommands(CommandRegistry& registry) {
    registerSettingsCommand(registry);
    registerStoreCommands(registry);
    registerCategoryCommands(registry);
    registerRtfCommands(registry);
    registerPointCommands(registry);
    registerTagCommands(registry);
    registerSearchCommands(registry);
    registerLegacyCommands(registry);
    registerAttachmentCommands(registry);
    registerExportCommands(registry);
    registerImportCommands(registry);
}

} // namespace tarnel::cli
