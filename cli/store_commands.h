#pragma once

#include "cli/command_registry.h"

namespace tarnel::cli {

// "info", "tree" and "check": reports on the knowledge base of the data directory. They open the
// base read-only and never write to it.
void registerStoreCommands(CommandRegistry& registry);

} // namespace tarnel::cli
