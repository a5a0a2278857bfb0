#pragma once

#include "cli/command_registry.h"

namespace tarnel::cli {

// search (by title and content, as the search pane or a quick find) and text (a point's content
// as plain text, as search reads it).
void registerSearchCommands(CommandRegistry& registry);

} // namespace tarnel::cli
