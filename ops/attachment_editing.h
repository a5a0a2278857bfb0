#pragma once

#include "ops/attachment_files.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_open.h"
#include "store/category_store.h"

#include <filesystem>
#include <vector>

// The attachment pane of a point: add (link or backup mode), open, export and delete. Each
// operation checks in order, changes the disk, then the index, saves the touched index files and
// only then notifies; a refused, declined or failed call leaves the disk and the index as they
// stood. In shared mode adding does nothing and deleting is the shared data service's request
// DeleteAttachment (71), checking out its CheckOutAttachment (72): those calls return
// kNeedsSharedService here, before asking anything, for the service's client to take over.
namespace tarnel::ops {

// The point's attachments in list order.
std::vector<store::AttachmentRecord*> attachmentsOfPoint(store::CategoryRecord& category,
                                                         const store::PointRecord& point);

// The attachment's file: `link_path` in link mode, else its copy in Append.
std::filesystem::path attachmentFile(const OperationContext& context,
                                     const store::AttachmentRecord& attachment);

// Adds the files in order. A name the point already has (ASCII letters without regard to case,
// in either mode) is refused with its message and skipped, as is a file whose size cannot be read
// or whose backup copy fails (the copy goes to a temporary name first, so nothing half-copied is
// left); the others are still added: the next attachment id, `append_num` raised. Saves the point
// list, the attachment list and kms.ids, then notifies 3 for each. A failed save takes every
// addition away again ("添加附件失败!", kSaveFailed). kOk when at least one was added (id: the last
// one), else the code of the last refusal (kNameTaken, kWriteFailed).
OperationResult addAttachments(OperationContext& context, store::CategoryRecord& category,
                               const store::PointRecord& point,
                               const std::vector<AttachmentInput>& files);

// Opens the attachment's file with the desktop's program: kContentMissing with the missing-file
// message when it is gone, kOpenFailed when the opener failed.
OperationResult openAttachment(OperationContext& context, const platform::Opener& opener,
                               const store::AttachmentRecord& attachment);

// Copies the attachment's file to target, replacing a file there: "保存成功!" or "保存失败!";
// a target that is the attachment's own file is refused (kSamePath) and nothing is written.
OperationResult exportAttachment(OperationContext& context,
                                 const store::AttachmentRecord& attachment,
                                 const std::filesystem::path& target);

// Asks "真的要从知识点中删除此附件吗?" (kDeclined on No). The backup copy is set aside first (a
// failure: "删除附件失败!", kRemoveFailed, nothing changed); a link-mode file is never touched. The
// record leaves the attachment list, `append_num` drops; the attachment list and the point list
// are saved, then 9 is sent and the set-aside copy deleted. A failed save puts everything back.
OperationResult deleteAttachment(OperationContext& context, store::CategoryRecord& category,
                                 const store::PointRecord& point,
                                 const store::AttachmentRecord& attachment);

} // namespace tarnel::ops
