#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The names, sections and sizes of a skin folder's files, shared by the skin loader, the default
// skin's generator and the tests. An image id is the position of its IMG_ key: slot i of the
// picture table and image id i are one picture, and views name images by their IMG_ constant.
namespace tarnel::ui::skin {

// The icon keys of "skin_images.ini", in the order of the main image list.
#define TARNEL_SKIN_ICON_KEYS(X)                                                                   \
    X(ICON_CLASS_OPEN)                                                                             \
    X(ICON_FOLDER_OPEN)                                                                            \
    X(ICON_FOLDER_CLOSE)                                                                           \
    X(ICON_POINT)                                                                                  \
    X(ICON_SELECT_CLASS)                                                                           \
    X(ICON_UNSELECT_CLASS)                                                                         \
    X(ICON_WORK_SPACE)                                                                             \
    X(ICON_WINDOW_SPACE)                                                                           \
    X(ICON_RICH_SPACE)                                                                             \
    X(ICON_SEARCH_POINT)                                                                           \
    X(ICON_WEB)                                                                                    \
    X(ICON_SKIN)                                                                                   \
    X(ICON_RECYCLE)                                                                                \
    X(ICON_CLASS_LIST_OPEN)                                                                        \
    X(ICON_TAG_LIST_OPEN)                                                                          \
    X(ICON_TAG_OPEN)

// The picture keys of "skin_images.ini", in the order of the skin picture table (and image ids).
#define TARNEL_SKIN_BITMAP_KEYS(X)                                                                 \
    X(IMG_SAVE)                                                                                    \
    X(IMG_SAVE_DIS)                                                                                \
    X(IMG_CANCEL)                                                                                  \
    X(IMG_CANCEL_DIS)                                                                              \
    X(IMG_CUT)                                                                                     \
    X(IMG_CUT_DIS)                                                                                 \
    X(IMG_COPY)                                                                                    \
    X(IMG_COPY_DIS)                                                                                \
    X(IMG_PASTE)                                                                                   \
    X(IMG_PASTE_DIS)                                                                               \
    X(IMG_UNDO)                                                                                    \
    X(IMG_UNDO_DIS)                                                                                \
    X(IMG_AUTO_SWAP)                                                                               \
    X(IMG_AUTO_SWAP_DIS)                                                                           \
    X(IMG_BOLD)                                                                                    \
    X(IMG_BOLD_DIS)                                                                                \
    X(IMG_ITAL)                                                                                    \
    X(IMG_ITAL_DIS)                                                                                \
    X(IMG_UNDER)                                                                                   \
    X(IMG_UNDER_DIS)                                                                               \
    X(IMG_FONT)                                                                                    \
    X(IMG_FONT_DIS)                                                                                \
    X(IMG_COLOR)                                                                                   \
    X(IMG_COLOR_DIS)                                                                               \
    X(IMG_BG_COLOR)                                                                                \
    X(IMG_BG_COLOR_DIS)                                                                            \
    X(IMG_IMAGE)                                                                                   \
    X(IMG_IMAGE_DIS)                                                                               \
    X(IMG_PRINT)                                                                                   \
    X(IMG_PRINT_DIS)                                                                               \
    X(IMG_BACKGROUND)                                                                              \
    X(IMG_ALIGN)                                                                                   \
    X(IMG_MAX_READ_MODE)                                                                           \
    X(IMG_NORMAL_READ_MODE)                                                                        \
    X(IMG_ADD_POINT)                                                                               \
    X(IMG_DEL_CLASS)                                                                               \
    X(IMG_MIN)                                                                                     \
    X(IMG_MIN_FOCUS)                                                                               \
    X(IMG_MAX)                                                                                     \
    X(IMG_MAX_FOCUS)                                                                               \
    X(IMG_CLOSE)                                                                                   \
    X(IMG_CLOSE_FOCUS)                                                                             \
    X(IMG_SEARCH)                                                                                  \
    X(IMG_SEARCH_DIS)                                                                              \
    X(IMG_COLOR_SET)                                                                               \
    X(IMG_COLOR_SET_FOCUS)                                                                         \
    X(IMG_PARA_LEFT)                                                                               \
    X(IMG_PARA_LEFT_DIS)                                                                           \
    X(IMG_PARA_CENTER)                                                                             \
    X(IMG_PARA_CENTER_DIS)                                                                         \
    X(IMG_PARA_RIGHT)                                                                              \
    X(IMG_PARA_RIGHT_DIS)                                                                          \
    X(IMG_PARA_BULLET)                                                                             \
    X(IMG_PARA_BULLET_DIS)                                                                         \
    X(IMG_MOVE_UP_CLASS)                                                                           \
    X(IMG_MOVE_DOWN_CLASS)                                                                         \
    X(IMG_BRUSH)                                                                                   \
    X(IMG_BRUSH_DIS)                                                                               \
    X(IMG_INFO_TIP)                                                                                \
    X(IMG_HELP_TIP)                                                                                \
    X(IMG_WARNING_TIP)                                                                             \
    X(IMG_SEARCH_NEXT)                                                                             \
    X(IMG_SEARCH_NEXT_DIS)                                                                         \
    X(IMG_SEARCH_PREV)                                                                             \
    X(IMG_SEARCH_PREV_DIS)                                                                         \
    X(IMG_IMPORT_CLASS)                                                                            \
    X(IMG_EXPORT_CLASS)                                                                            \
    X(IMG_LOCK)                                                                                    \
    X(IMG_LOCK_RELATION)                                                                           \
    X(IMG_EXPAND_ALL)                                                                              \
    X(IMG_COLLAPSE_ALL)                                                                            \
    X(IMG_SHORTCUT)                                                                                \
    X(IMG_READ_PANE_NOMAL)                                                                         \
    X(IMG_READ_PANE_FOCUS)                                                                         \
    X(IMG_READ_PANE_SELECT)                                                                        \
    X(IMG_FOLDER_OPEN)                                                                             \
    X(IMG_FOLDER_CLOSE)                                                                            \
    X(IMG_LIGHT_STAR)                                                                              \
    X(IMG_GRAY_STAR)                                                                               \
    X(IMG_POINT)                                                                                   \
    X(IMG_READ_POINT)                                                                              \
    X(IMG_EDIT_POINT)                                                                              \
    X(IMG_DEL_POINT)                                                                               \
    X(IMG_IMPORT_POINT)                                                                            \
    X(IMG_EXPORT_POINT)                                                                            \
    X(IMG_COMMENT_MANAGE)                                                                          \
    X(IMG_APPEND_MANAGE)                                                                           \
    X(IMG_NEW_WINDOW)                                                                              \
    X(IMG_ADD_COMMENT)                                                                             \
    X(IMG_ADD_APPEND)                                                                              \
    X(IMG_OPEN_APPEND)                                                                             \
    X(IMG_ATTR_APPEND)                                                                             \
    X(IMG_EXPORT_APPEND)                                                                           \
    X(IMG_DEL_APPEND)                                                                              \
    X(IMG_COMMENT)                                                                                 \
    X(IMG_APPEND)                                                                                  \
    X(IMG_EXTEND_TOOL)                                                                             \
    X(IMG_EXTEND_TOOL_FOCUS)                                                                       \
    X(IMG_MANAGER_PANE)                                                                            \
    X(IMG_GROUP_RELATION_MANAGER)                                                                  \
    X(IMG_UNIT_GROUP_RELATION_MANAGER)                                                             \
    X(IMG_USER_MANAGER)                                                                            \
    X(IMG_PERMISSION_MANAGER)                                                                      \
    X(IMG_WORKFLOW_MANAGER)                                                                        \
    X(IMG_CLASS_MANAGER)                                                                           \
    X(IMG_JOB_MANAGER)                                                                             \
    X(IMG_WAIT_JOB_MANAGER)                                                                        \
    X(IMG_DONE_JOB_MANAGER)                                                                        \
    X(IMG_DROP_JOB_MANAGER)                                                                        \
    X(IMG_USER_INFO_SETUP_MANAGER)                                                                 \
    X(IMG_USER_INFO_DISPLAY_MANAGER)                                                               \
    X(IMG_USER_PERMISSION_MANAGER)                                                                 \
    X(IMG_INTERNET_PERMISSION_MANAGER)                                                             \
    X(IMG_UNIT_WORKFLOW_MANAGER)                                                                   \
    X(IMG_CLASS_TEMPLATE_MANAGER)                                                                  \
    X(IMG_CLASS_INFO_MANAGER)                                                                      \
    X(IMG_COLLAPSE)                                                                                \
    X(IMG_EXPAND)                                                                                  \
    X(IMG_CHECK_SELECT)                                                                            \
    X(IMG_CHECK_UNSELECT)                                                                          \
    X(IMG_BIG_WARNING_TIP)                                                                         \
    X(IMG_OLD_TAG_OPEN)                                                                            \
    X(IMG_OLD_TAG_CLOSE)

#define TARNEL_SKIN_KEY_CONSTANT(key) key,
#define TARNEL_SKIN_KEY_NAME(key) #key,

// Index of an icon in the main image list.
enum IconIndex : int { TARNEL_SKIN_ICON_KEYS(TARNEL_SKIN_KEY_CONSTANT) kIconCount };

// Image id, and index of the slot in the skin picture table.
enum ImageId : int { TARNEL_SKIN_BITMAP_KEYS(TARNEL_SKIN_KEY_CONSTANT) kBitmapCount };

inline constexpr std::array<std::string_view, kIconCount> kIconKeys{
    TARNEL_SKIN_ICON_KEYS(TARNEL_SKIN_KEY_NAME)};
inline constexpr std::array<std::string_view, kBitmapCount> kBitmapKeys{
    TARNEL_SKIN_BITMAP_KEYS(TARNEL_SKIN_KEY_NAME)};

#undef TARNEL_SKIN_KEY_CONSTANT
#undef TARNEL_SKIN_KEY_NAME

static_assert(kIconCount == 16 && kBitmapCount == 123);

// The skin folders and the current skin.
inline constexpr std::string_view kSkinFolder = "skin";
inline constexpr std::string_view kDefaultSkinPath = "skin/default";
inline constexpr std::string_view kSkinSection = "SKIN";
inline constexpr std::string_view kSkinPathKey = "SkinPath";
inline constexpr std::size_t kSkinPathBuffer = 512;

// The files of a skin folder.
inline constexpr std::string_view kProfileFile = "profile.ini";
inline constexpr std::string_view kSkinXmlFile = "skin.xml";
inline constexpr std::string_view kImagesIniFile = "skin_images.ini";
inline constexpr std::string_view kColourFile = "color.ini";
inline constexpr std::string_view kImagesFolder = "images";

// "profile.ini"
inline constexpr std::string_view kIntroduceSection = "INTRODUCE";
inline constexpr std::string_view kSkinNameKey = "SKIN_NAME";
inline constexpr std::string_view kSkinAuthorKey = "SKIN_AUTHOR";
inline constexpr std::string_view kSkinDateTimeKey = "SKIN_DATETIME";
inline constexpr std::string_view kSkinImageKey = "SKIN_IMAGE";
inline constexpr std::size_t kProfileTextBuffer = 32;
inline constexpr std::size_t kSkinImageBuffer = 64;

// "skin_images.ini"
inline constexpr std::string_view kIconSection = "ICON";
inline constexpr std::string_view kBitmapSection = "BITMAP";
inline constexpr std::size_t kImageFileBuffer = 260;

// "skin.xml"
inline constexpr std::string_view kBitmapElement = "bitmap";
inline constexpr std::string_view kPathAttribute = "path";
inline constexpr std::string_view kIdAttribute = "id";
inline constexpr std::string_view kLeftAttribute = "left";
inline constexpr std::string_view kTopAttribute = "top";
inline constexpr std::string_view kWidthAttribute = "width";
inline constexpr std::string_view kHeightAttribute = "height";

// "color.ini": colours are decimal numbers, red in the low byte, then green, then blue.
inline constexpr std::string_view kMainColourSection = "MAIN_COLOR";
inline constexpr std::string_view kBaseColourKey = "BASE_COLOR";
inline constexpr std::size_t kBaseColourBuffer = 260;
inline constexpr std::uint32_t kDefaultBaseColour = 15780020;
inline constexpr std::size_t kListColourBuffer = 10;

// The seven list and reading colours, in the order they are read and written.
struct ListColourKey {
    std::string_view section;
    std::string_view key;
};
inline constexpr std::array<ListColourKey, 7> kListColourKeys{{
    {"POINT_LIST_COLOR", "SING_BK"},
    {"POINT_LIST_COLOR", "DOUBLE_BK"},
    {"POINT_LIST_COLOR", "CLASS_TEXT"},
    {"POINT_LIST_COLOR", "POINT_TEXT"},
    {"POINT_LIST_COLOR", "SEL_TEXT"},
    {"POINT_LIST_COLOR", "SEL_BK"},
    {"RICH_COLOR", "RICH_BK"},
}};

} // namespace tarnel::ui::skin
