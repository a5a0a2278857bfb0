#pragma once

#include "cli/command_registry.h"

namespace tarnel::cli {

// add-category, rename-category, category-props, set-color, move-category, recycle-category,
// delete-category, restore-category, empty-recycle and open-folder.
void registerCategoryCommands(CommandRegistry& registry);

} // namespace tarnel::cli
