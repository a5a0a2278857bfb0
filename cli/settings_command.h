#pragma once

#include "cli/command_registry.h"

namespace tarnel::cli {

// "settings": every setting as the program holds it in memory after the first read and the
// workspace read.
void registerSettingsCommand(CommandRegistry& registry);

} // namespace tarnel::cli
