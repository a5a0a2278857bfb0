#pragma once

#include "cli/command_registry.h"

namespace tarnel::cli {

// list, add-point, open-point, rename-point, move-point, delete-point, restore-point, star,
// point-color, show-point, delete-items and move-items.
void registerPointCommands(CommandRegistry& registry);

} // namespace tarnel::cli
