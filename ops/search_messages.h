#pragma once

#include "ops/operation_messages.h"

#include <string_view>

// The texts of search, byte for byte as the users know them.
namespace tarnel::ops::message {

inline constexpr std::string_view kSearchResultTitle = "%s:'%s'的查询结果";
inline constexpr std::string_view kKindTitle = "标题";
inline constexpr std::string_view kKindContentAfterTitle = "+内容";
inline constexpr std::string_view kKindContent = "内容";

inline constexpr std::string_view kSearchQueryEmpty = "您还没有填写要查询的知识点!";
inline constexpr std::string_view kSearchBasisMissing =
    "您还没有选择查询的依据,请勾选'标题','内容'进行组合查询!";
inline constexpr std::string_view kSearchScopeEmpty = "您还选择查询的知识分类范围,请勾选知识分类!";

inline constexpr std::string_view kFindNoMatch = "没有找到匹配的记录!";
inline constexpr std::string_view kFindWrapToTopQuestion = "查找至末尾，是否从头开始查找?";
inline constexpr std::string_view kFindWrapToBottomQuestion = "查找至顶部，是否从尾开始查找?";

inline constexpr std::string_view kQuickFindInCategory = "在此分类中快速查找";
inline constexpr std::string_view kQuickFindInTag = "在此标签中快速查找";

} // namespace tarnel::ops::message
