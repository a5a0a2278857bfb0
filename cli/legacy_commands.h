#pragma once

#include "cli/command_registry.h"

#include <string>

namespace tarnel::cli {

// "convert": the conversion of an older base that the program runs at start-up, with its
// progress on standard error.
void registerLegacyCommands(CommandRegistry& registry);

// "check" on an older or half-converted base: what is there, what the conversion would do and
// whether it can. Writes nothing. Returns the exit code, or -1 when the base is current and the
// ordinary check applies.
int checkOlderBase(CommandContext& context);

// Whether the command may run while the base is older or half converted: the reports on it, its
// conversion, and the commands that do not touch the base. Every other command would save into
// the older Index.
bool worksOnOlderBase(const std::string& command);

// The error of a command refused on an older or half-converted base, or empty when the base of
// the data directory is current.
std::string olderBaseRefusal(const CommandContext& context);

} // namespace tarnel::cli
