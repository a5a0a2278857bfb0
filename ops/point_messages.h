#pragma once

#include "ops/operation_messages.h"

#include <string_view>

// The texts the point and tag operations show and ask, byte for byte as the users know them.
namespace tarnel::ops::message {

inline constexpr std::string_view kChooseValidCategory = "请选择有效的分类!";
inline constexpr std::string_view kTitleEmpty = "请填写有效标题!";
inline constexpr std::string_view kTitleForbidden = "标题中不可以包含\\/:*?\"<>|字符!";
inline constexpr std::string_view kTargetNameExists =
    "目标分类下已经存在此名称的分类或知识点，请输入其他名称!";
inline constexpr std::string_view kAddPointFailed = "添加知识点失败!";
inline constexpr std::string_view kSaveWebFailed = "保存网页失败\n错误原因:%s";
inline constexpr std::string_view kWebSaved = "已经成功保存网页到分类:“%s”!";

inline constexpr std::string_view kPointRenameFailed = "重命名知识点失败!";
inline constexpr std::string_view kTargetNameExistsMove =
    "目标分类下已经存在此名称的分类或知识点，移动失败!";
inline constexpr std::string_view kPointMoveFailed = "移动知识点失败!";
inline constexpr std::string_view kContentMissing = "此文档已失效,请检查!\n\n文件路径:%s";
inline constexpr std::string_view kMissingTypeText = "文件已失效";

inline constexpr std::string_view kDeleteLinkedPointQuestion =
    "确定要删除此关联知识点吗？\n\n（注：文件删除后将会放到系统回收站中，且批注跟附件不可恢复）！";
inline constexpr std::string_view kDeleteLinkedPointFailed = "删除知识点失败";
inline constexpr std::string_view kDeleteRecycledPointQuestion =
    "真的要删除此知识点吗？\n\n此操作会同时删除知识点所带的批注和备份模式的附件！";
inline constexpr std::string_view kRecyclePointQuestion = "确实要把知识点 “%s” 放入回收站吗？";
inline constexpr std::string_view kDeletePointFailed = "删除知识点失败！";

inline constexpr std::string_view kSavePointFailed = "保存知识点失败\n错误原因:%s";
// The reason a save gives when the index files could not take the new size and date.
inline constexpr std::string_view kIndexNotSaved = "无法保存索引文件";

inline constexpr std::string_view kStarMenuEntry = "%s星级";

inline constexpr std::string_view kDeleteSeveralQuestion = "确实要将这 %s 项放入回收站吗？";

} // namespace tarnel::ops::message
