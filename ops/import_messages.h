#pragma once

#include "ops/operation_messages.h"

#include <string_view>

// The texts of import, link and export, byte for byte as the users know them.
namespace tarnel::ops::message {

// 17 blanks and a line break close the final reports of import, link and export.
inline constexpr std::string_view kReportTail = "                 \r\n";

inline constexpr std::string_view kImportFilesTitle = "添加文档到:%s";
inline constexpr std::string_view kImportNameTaken =
    "无法导入文件“%s”，已经存在此名称的分类或知识点!";
inline constexpr std::string_view kFileInfoFailed = "获取文件:%s信息失败!";
inline constexpr std::string_view kImportCopyFailed = "拷贝文件“%s”到失败!";
inline constexpr std::string_view kImportFilesDone = "导入文档完毕!";
inline constexpr std::string_view kImportFilesFailed = "导入文档失败!";

inline constexpr std::string_view kImportFolderBrowserTitle = "请选择需要导入的文件夹:";
inline constexpr std::string_view kImportOwnFolder =
    "导入的文件夹路径和分类对应的文件夹路径相同，不可以导入!";
inline constexpr std::string_view kImportNameExists =
    "分类下已经存在此名称的分类或知识点, 导入失败!";
inline constexpr std::string_view kIncludeSubfoldersQuestion = "是否包含子目录?";
inline constexpr std::string_view kImportingFolder = "正在导入目录...";
inline constexpr std::string_view kImportFolderDone = "导入文件夹成功! 耗时%s秒";

inline constexpr std::string_view kLinkFolderBrowserTitle = "请选择需要关联的文件夹:";
inline constexpr std::string_view kLinkNameExists = "分类下已经存在此名称的分类或知识点, 关联失败!";
inline constexpr std::string_view kLinkFolderDone = "关联文件夹成功! 耗时%s秒";
inline constexpr std::string_view kLinkingFolder = "正在关联目录...";
inline constexpr std::string_view kLinkIntoOwnBase = "不能关联知识库自己的文件夹!";
inline constexpr std::string_view kFolderMissingText = "文件夹“%s”不存在!";

// The walk's status texts and its failures; the failures name the file and the reason.
inline constexpr std::string_view kWalkImportStatus = "正在导入目录:%s...";
inline constexpr std::string_view kWalkLinkStatus = "正在关联目录:%s...";
inline constexpr std::string_view kWalkCopyFailed = "拷贝文件:%s到失败!";
inline constexpr std::string_view kWalkAddFailed = "添加“%s”失败!";
inline constexpr std::string_view kWalkCancelled =
    "已取消: 已添加%s个分类和%s个知识点, 停在“%s”之前。";
inline constexpr std::string_view kWalkSkipped = "以下条目没有导入:";
inline constexpr std::string_view kSkippedLinkedFolder = "指向文件夹的符号链接, 不跟随";
inline constexpr std::string_view kSkippedName = "名称含有控制字符";

inline constexpr std::string_view kExportSubCategoriesQuestion = "是否同时导出子级分类?";
inline constexpr std::string_view kExportCategoryBrowserTitle = "请选择导出分类存放的目录:";
inline constexpr std::string_view kExportCategoryOverwrite = "目录:%s 已经存在，确认覆盖文件吗?";
inline constexpr std::string_view kExportingCategory = "正在导出分类...";
inline constexpr std::string_view kExportSubTagsQuestion = "是否同时导出子级标签?";
inline constexpr std::string_view kExportTagOverwrite = "目录“%s”已经存在，确认覆盖文件吗？";
inline constexpr std::string_view kExportingTag = "正在导出标签...";
inline constexpr std::string_view kExported = "导出成功!";
inline constexpr std::string_view kExportFailed = "导出失败!";

inline constexpr std::string_view kFavouritesRoot = "IE收藏夹";
inline constexpr std::string_view kUnknownError = "未知的错误";

} // namespace tarnel::ops::message
