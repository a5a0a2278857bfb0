#pragma once

#include "richtext/document.h"

#include <optional>
#include <string>
#include <string_view>

class QTextCursor;

namespace tarnel::ui {

// The texts of the insert-picture tool.
namespace inserting {
inline constexpr const char* kFilter = "图片 (*.jpg *.bmp *.gif *.wmf)";
inline constexpr const char* kJpgFailed =
    "插入图片失败!\r\n你可以将图片转换为位图bmp格式，再试试!\r\n或者作为附件添加到该知识点中!";
inline constexpr const char* kFailed = "插入图片失败!\r\n你可以作为附件添加到该知识点中!";
} // namespace inserting

// The model picture of a picture file's bytes: a JPEG or PNG as it is, a BMP without its 14-byte
// file header, a placeable Windows metafile without its 22-byte header, a GIF as its first frame
// in PNG; any other picture Qt can read as PNG. Empty when the bytes are no picture.
std::optional<richtext::Picture> pictureFromFile(std::string_view bytes);

// Inserts the picture at the cursor as the rich-text bridge shows a model picture, so that the
// save keeps its bytes.
void insertPicture(QTextCursor& cursor, const richtext::Picture& picture);

} // namespace tarnel::ui
