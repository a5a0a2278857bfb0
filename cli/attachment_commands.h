#pragma once

#include "cli/command_registry.h"

namespace tarnel::cli {

// attach, attachments, open-attachment, export-attachment, detach, comment, delete-comment,
// export-comment.
void registerAttachmentCommands(CommandRegistry& registry);

} // namespace tarnel::cli
