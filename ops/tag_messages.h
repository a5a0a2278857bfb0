#pragma once

#include "ops/operation_messages.h"

#include <string_view>

// The texts the tag operations show and ask, byte for byte as the users know them.
namespace tarnel::ops::message {

inline constexpr std::string_view kTagNameEmpty = "标签名称不能为空!";
inline constexpr std::string_view kChooseTagParent = "请选择合适的标签!";
inline constexpr std::string_view kTagNameExists = "已经存在此名称的标签，请输入其他名称!";
inline constexpr std::string_view kAddTagFailed = "添加标签失败!";
inline constexpr std::string_view kTagPropertiesNameEmpty = "标签名称不可为空!";
inline constexpr std::string_view kMoveTagToTopQuestion = "真的要将标签:'%s' 移动到 顶级标签 下吗?";
inline constexpr std::string_view kMoveTagQuestion = "真的要将标签:'%s' 移动到 标签:'%s' 下吗?";
inline constexpr std::string_view kMoveTagFailed = "移动标签失败!";
inline constexpr std::string_view kDeleteTagQuestion = "确定要删除标签“%s”吗？";
inline constexpr std::string_view kTagDeleted = "删除标签“%s”成功!";
// Ours: the delete of several items reports a failed save of its tags like that of its other items.
inline constexpr std::string_view kDeleteTagFailed = "删除标签失败!";
inline constexpr std::string_view kRemoveFromTagQuestion =
    "确定要从标签 ‘%s’ 中移除知识点 ‘%s’ 吗？";
inline constexpr std::string_view kChooseTagEntry = "---请选择所属标签---";

} // namespace tarnel::ops::message
