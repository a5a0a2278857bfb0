#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The texts the category operations show and ask, byte for byte as the users know them. "%s"
// stands for a name and is filled in by formatted().
namespace tarnel::ops::message {

inline constexpr std::string_view kCategoryNameEmpty = "分类名称不能为空!";
inline constexpr std::string_view kCategoryNameForbidden = "分类名称中不可以包含\\/:*?\"<>|字符!";
inline constexpr std::string_view kChooseParent = "请选择合适的分类!";
inline constexpr std::string_view kNameExists = "已经存在此名称的分类或知识点，请输入其他名称!";
inline constexpr std::string_view kCreateParentFolderQuestion =
    "父分类对应的文件夹不存在，是否需要自动创建?";
inline constexpr std::string_view kCreateParentFolderFailed = "创建父分类对应的文件夹失败!";
inline constexpr std::string_view kAddCategoryFailed = "添加分类失败!";

inline constexpr std::string_view kNameEmpty = "名称不可为空!";
inline constexpr std::string_view kFolderRenameFailed = "重命名文件夹失败!";
inline constexpr std::string_view kListNameForbidden = "名称中不可以包含\\/:*?\"<>|字符!";
inline constexpr std::string_view kListRenameFailed = "重命名分类失败!";
inline constexpr std::string_view kPropertiesRenameFailed =
    "修给分类名称失败，错误原因是:重命名目录失败!";

inline constexpr std::string_view kTargetHasCategory = "目标分类下已经存在此分类，无法移动！";
inline constexpr std::string_view kMoveToTopQuestion = "真的要将分类:'%s' 移动到 顶级分类 下吗?";
inline constexpr std::string_view kMoveToCategoryQuestion =
    "真的要将分类:'%s' 移动到 分类:'%s' 下吗?";
inline constexpr std::string_view kMoveFailed = "移动分类失败!";

inline constexpr std::string_view kRecycleQuestion = "确实要把分类“%s”放入回收站吗?";
inline constexpr std::string_view kRecycleFailed = "删除分类失败!";
inline constexpr std::string_view kUnlinkQuestion = "确定要解除关联分类“%s”吗？";
inline constexpr std::string_view kDeleteQuestion = "确定要删除分类“%s”吗？";
inline constexpr std::string_view kUnlinked = "解除关联分类“%s”成功!";
inline constexpr std::string_view kDeleted = "删除分类“%s”成功!";
inline constexpr std::string_view kEmptyRecycleQuestion = "确实要清空回收站吗？";

inline constexpr std::string_view kRestoreFailed = "还原分类“%s”时失败！";
inline constexpr std::string_view kPointRenameQuestion =
    "原位置“%s”已经存在相同名称的知识点，是否重命名为“%s”？";

// The pattern with each "%s" replaced by the next argument; a "%s" without an argument stays.
std::string formatted(std::string_view pattern, std::initializer_list<std::string_view> args);

} // namespace tarnel::ops::message
