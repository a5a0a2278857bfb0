#pragma once

#include "cli/command_registry.h"

namespace tarnel::cli {

// add-tag, rename-tag, tag-props, move-tag, delete-tag, set-tags, untag, tag-points and
// tag-color.
void registerTagCommands(CommandRegistry& registry);

} // namespace tarnel::cli
