#pragma once

namespace tarnel::ui {

// The texts of the insert-picture tool.
namespace inserting {
inline constexpr const char* kFilter = "图片 (*.jpg *.bmp *.gif *.wmf)";
inline constexpr const char* kJpgFailed =
    "插入图片失败!\r\n你可以将图片转换为位图bmp格式，再试试!\r\n或者作为附件添加到该知识点中!";
inline constexpr const char* kFailed = "插入图片失败!\r\n你可以作为附件添加到该知识点中!";
} // namespace inserting

} // namespace tarnel::ui
