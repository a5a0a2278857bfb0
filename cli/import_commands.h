#pragma once

#include "cli/command_registry.h"

namespace tarnel::cli {

// import-files, import-folder, link-folder.
void registerImportCommands(CommandRegistry& registry);

} // namespace tarnel::cli
