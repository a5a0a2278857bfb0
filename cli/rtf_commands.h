#pragma once

#include "cli/command_registry.h"
#include "richtext/rtf_reader.h"

namespace tarnel::cli {

// "rtf-text FILE" prints the plain text of a rich-text or plain-text file; "rtf-roundtrip IN OUT"
// reads IN and writes its document with our writer to OUT. A file read only in part (truncated or
// damaged) gives what could be read, with the reader's message as a warning on stderr, and
// exits 0; a file that cannot be read or written exits 1.
void registerRtfCommands(CommandRegistry& registry);

// "complete", "truncated" or "damaged", as the commands print a read's status.
const char* statusName(richtext::ReadStatus status);

} // namespace tarnel::cli
