#pragma once

#include "ops/operation_messages.h"

#include <string_view>

// The texts of the attachment pane and the comment commands, byte for byte as the users know them.
namespace tarnel::ops::message {

inline constexpr std::string_view kAddAttachmentsTitle = "为知识点添加附件,选择附件模式";
inline constexpr std::string_view kLinkModeChoice = "关联模式";
inline constexpr std::string_view kBackupModeChoice = "备份模式";
inline constexpr std::string_view kAllFilesFilter = "所有类型 (*.*)|*.*||";
inline constexpr std::string_view kDuplicateAttachment =
    "文件“%s”已经存在相同名称的附件，无法添加！";
inline constexpr std::string_view kAttachmentMissingText = "文件失效";
inline constexpr std::string_view kAttachmentCopyFailed = "拷贝附件“%s”失败!";
inline constexpr std::string_view kAddAttachmentFailed = "添加附件失败!";
inline constexpr std::string_view kSamePathRefused = "文件源和目标路径相同，复制失败!";
inline constexpr std::string_view kSaved = "保存成功!";
inline constexpr std::string_view kSaveFailedText = "保存失败!";
inline constexpr std::string_view kSavedOpenQuestion = "保存成功!\n\n需要现在打开吗?";
inline constexpr std::string_view kDeleteAttachmentQuestion = "真的要从知识点中删除此附件吗?";
inline constexpr std::string_view kDeleteAttachmentFailed = "删除附件失败!";

inline constexpr std::string_view kDeleteCommentQuestion = "真的要删除此批注吗?";
inline constexpr std::string_view kDeleteCommentFailed = "删除批注失败!";
inline constexpr std::string_view kCommentExportName = "%s的批注文档";
inline constexpr std::string_view kCommentFilter = "文件(*.rtf)|*.rtf||";
inline constexpr std::string_view kWriteCommentFailed = "保存批注失败!";

// "文件(*.%s)|*.%s||" with the extension, or "文件(*.*)|*.*||" for a name without one.
std::string saveFilterFor(std::string_view name);

} // namespace tarnel::ops::message
