#pragma once

#include <array>
#include <string_view>

// The attribute tables of every record kind: the index of each attribute and its name in the
// header row. The indexes are what the code uses; the names are what the files carry.
namespace tarnel::store {

namespace category {
enum Attribute : int {
    kId = 0,
    kParent,
    kName,
    kStarNum,
    kSize,
    kPointNum,
    kState,
    kCreateDate,
    kModifyDate,
    kDeleteDate,
    kMemo,
    kForeColor,
    kBackColor,
    kRelationPath,
    kOriginalLocal,
};
inline constexpr std::array<std::string_view, 15> kNames = {
    "id",        "parent",     "name",        "star_num",      "size",
    "point_num", "state",      "create_date", "modify_date",   "delete_date",
    "memo",      "fore_color", "back_color",  "relation_path", "original_local"};
// A new category store leaves out delete_date and original_local; a new recycle store has all.
inline constexpr std::array<std::string_view, 13> kNewCategoryStoreNames = {
    "id",          "parent",      "name", "star_num",   "size",       "point_num",    "state",
    "create_date", "modify_date", "memo", "fore_color", "back_color", "relation_path"};
} // namespace category

namespace tag {
enum Attribute : int {
    kId = 0,
    kParent,
    kName,
    kStarNum,
    kClass,
    kPointNum,
    kCreateDate,
    kModifyDate,
    kMemo,
    kForeColor,
    kBackColor,
};
inline constexpr std::array<std::string_view, 11> kNames = {
    "id",          "parent",      "name", "star_num",   "class",     "point_num",
    "create_date", "modify_date", "memo", "fore_color", "back_color"};
} // namespace tag

namespace point {
enum Attribute : int {
    kId = 0,
    kClass,
    kName,
    kHasComment,
    kTagsId,
    kStarNum,
    kPointSize,
    kAppendNum,
    kState,
    kCreateDate,
    kModifyDate,
    kDeleteDate,
    kForeColor,
    kBackColor,
    kOriginalLocal,
};
inline constexpr std::array<std::string_view, 15> kNames = {
    "id",          "class",       "name",       "has_comment", "tags_id",
    "star_num",    "point_size",  "append_num", "state",       "create_date",
    "modify_date", "delete_date", "fore_color", "back_color",  "original_local"};
} // namespace point

namespace attachment {
enum Attribute : int {
    kId = 0,
    kPoint,
    kName,
    kAppendSize,
    kIsLinked,
    kLinkPath,
    kState,
    kCreateDate,
    kModifyDate,
};
inline constexpr std::array<std::string_view, 9> kNames = {
    "id",        "point", "name",        "append_size", "is_linked",
    "link_path", "state", "create_date", "modify_date"};
} // namespace attachment

namespace counters {
enum Attribute : int {
    kVersion = 0,
    kClass,
    kPoint,
    kTags,
    kComment,
    kAppend,
};
inline constexpr std::array<std::string_view, 6> kNames = {"version", "class",   "point",
                                                           "tags",    "comment", "append"};
} // namespace counters

} // namespace tarnel::store
