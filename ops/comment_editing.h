#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_open.h"
#include "store/category_store.h"

#include <filesystem>
#include <string>
#include <string_view>

// The comment of a point: the rich-text file Comment/<id>_<name>.rtf and the point's
// `has_comment`. A refused, declined or failed call leaves the disk and the index as they stood.
namespace tarnel::ops {

// The comment editor's save: replaces the comment file with the bytes (atomically) and sets
// `has_comment` to 1 when more than 0 bytes were written; saves the point list, notifies 5. A
// failed write or save ("保存批注失败!", kWriteFailed or the save's code) puts the old file back.
OperationResult writeComment(OperationContext& context, store::CategoryRecord& category,
                             const store::PointRecord& point, std::string_view richText);

// Asks "真的要删除此批注吗?" (kDeclined on No); deletes the comment file when it exists and
// clears `has_comment`, saves the point list, notifies 5. A failure: "删除批注失败!" and the file
// and the flag stay.
OperationResult deleteComment(OperationContext& context, store::CategoryRecord& category,
                              const store::PointRecord& point);

// The save dialog's file name for the comment: "<point name>的批注文档".
std::string commentExportName(const store::PointRecord& point);

// Copies the comment file to target, replacing a file there. "保存失败!" (kWriteFailed, also for a
// point without a comment file); on success asks "保存成功!\n\n需要现在打开吗?" and on Yes opens
// the copy.
OperationResult exportComment(OperationContext& context, const platform::Opener& opener,
                              const store::PointRecord& point, const std::filesystem::path& target);

// The copy and the question shared by the comment and the point export.
OperationResult exportFileAndOffer(OperationContext& context, const platform::Opener& opener,
                                   const std::filesystem::path& source,
                                   const std::filesystem::path& target, long long id);

} // namespace tarnel::ops
