#pragma once

#include <array>
#include <string_view>

namespace tarnel::app {

// The tools of the reading area's toolbar. A kind is what toolbar.cfg stores and what the toolbar
// reports when a tool is chosen.
enum ReadingTool : int {
    kToolSeparator = -1,
    kToolSave = 0,
    kToolCancel = 1,
    kToolCut = 2,
    kToolCopy = 3,
    kToolPaste = 4,
    kToolUndo = 5,
    kToolBold = 6,
    kToolItalic = 7,
    kToolUnderline = 8,
    kToolFont = 9,
    kToolFontColor = 10,
    kToolInsertPicture = 11,
    kToolBackground = 12,
    kToolAutoSwap = 13,
    kToolPrint = 14,
    kToolDock = 15,
    kToolMaxReadMode = 16,
    kToolParaLeft = 17,
    kToolParaCenter = 18,
    kToolParaRight = 19,
    kToolParaBullet = 20,
    kToolFormatBrush = 21,
    kToolFind = 22,
    kToolFindNext = 23,
    kToolFindPrevious = 24,
    kToolFontBackground = 25,
};

// A kind's name and its two pictures, as image ids of the skin (positions of the IMG_ keys);
// -1 for no picture.
struct ReadingToolKind {
    int kind;
    std::string_view name;
    int image;
    int disabledImage;
};

inline constexpr int kReadingToolKindCount = 26;

// Indexed by kind.
inline constexpr std::array<ReadingToolKind, kReadingToolKindCount> kReadingToolKinds{{
    {kToolSave, "保存", 0, 1},
    {kToolCancel, "取消", 2, 3},
    {kToolCut, "剪切", 4, 5},
    {kToolCopy, "拷贝", 6, 7},
    {kToolPaste, "粘贴", 8, 9},
    {kToolUndo, "撤销", 10, 11},
    {kToolBold, "粗体", 14, 15},
    {kToolItalic, "斜体", 16, 17},
    {kToolUnderline, "下划线", 18, 19},
    {kToolFont, "字体", 20, 21},
    {kToolFontColor, "字体颜色", 22, 23},
    {kToolInsertPicture, "插入图片", 26, 27},
    {kToolBackground, "设置背景", 30, 30},
    {kToolAutoSwap, "自动换行", 12, 13},
    {kToolPrint, "打印", 28, 29},
    {kToolDock, "停靠", 31, 31},
    {kToolMaxReadMode, "最大化阅读模式", 32, 32},
    {kToolParaLeft, "段落左对齐", 46, 47},
    {kToolParaCenter, "段落居中对齐", 48, 49},
    {kToolParaRight, "段落靠右对齐", 50, 51},
    {kToolParaBullet, "段落项目编号", 52, 53},
    {kToolFormatBrush, "格式刷", 56, 57},
    {kToolFind, "查找文本", 42, 43},
    {kToolFindNext, "查找下一个", 61, 62},
    {kToolFindPrevious, "查找上一个", 63, 64},
    {kToolFontBackground, "字体背景颜色", 24, 25},
}};

constexpr bool isIndexedByKind(const std::array<ReadingToolKind, kReadingToolKindCount>& table) {
    for (int kind = 0; kind < kReadingToolKindCount; ++kind) {
        if (table[static_cast<std::size_t>(kind)].kind != kind) {
            return false;
        }
    }
    return true;
}
static_assert(isIndexedByKind(kReadingToolKinds));

inline constexpr ReadingToolKind kSeparatorKind{kToolSeparator, "分隔符", -1, -1};

// Tool 16 while the reading area is maximised.
inline constexpr std::string_view kRestoreReadModeName = "还原阅读模式";
inline constexpr int kRestoreReadModeImage = 33;

// The table entry of a kind (the separator's for -1); null for any other kind, so that a kind
// written by a newer program is never looked up past the table.
constexpr const ReadingToolKind* findReadingToolKind(int kind) {
    if (kind == kToolSeparator) {
        return &kSeparatorKind;
    }
    if (kind < 0 || kind >= kReadingToolKindCount) {
        return nullptr;
    }
    return &kReadingToolKinds[static_cast<std::size_t>(kind)];
}

} // namespace tarnel::app
