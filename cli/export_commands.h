#pragma once

#include "cli/command_registry.h"

namespace tarnel::cli {

// export-category, export-tag, export-point, favourites.
void registerExportCommands(CommandRegistry& registry);

} // namespace tarnel::cli
