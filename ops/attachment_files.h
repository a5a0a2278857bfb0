#pragma once

#include "ops/file_copy.h"
#include "ops/folder_undo.h"
#include "ops/operation_context.h"
#include "store/attachment_list.h"

#include <filesystem>
#include <memory>

// What adding an attachment to a point does, shared by the add-point form and the attachment
// pane: the record and, in backup mode, the copy in Append.
namespace tarnel::ops {

struct AttachmentInput {
    std::filesystem::path file;
    bool linked = false; // link mode: the file stays where it is; else a copy goes to Append
};

// The record of a new attachment of the point: the next attachment id, `name` the file's name,
// `append_size` its full size, `is_linked` and (link mode) `link_path` the absolute path,
// `state` 1, `create_date` now. Null, with no id given out, when the file's size cannot be read
// or the path names no file.
std::unique_ptr<store::AttachmentRecord>
newAttachmentRecord(OperationContext& context, long long pointId, const AttachmentInput& input);

// Copies the source to the record's backup copy Append/<id>_<name>, making Append through folders
// when it is missing. 0 or the errno of the failure, with nothing left at the copy's path.
int copyAttachmentIn(OperationContext& context, FolderUndo& folders,
                     const store::AttachmentRecord& record, const std::filesystem::path& source,
                     Placement placement);

} // namespace tarnel::ops
