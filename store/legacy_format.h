#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The index format of older bases (store versions up to 201), shared by the reader, the older base
// and the conversion.
//
// Every older file starts with a header of little-endian 32-bit words: the marker (0; -1 for an
// attachment list), the file's store version, and, for every version but 0, 100-110 and 120, the
// number of records. From version 121 on a record is two bytes of length L (big-endian), then L
// bytes of text XOR-ed with the table file's key, its fields split at 0x08; the writer ended every
// text with one 0x08, which is dropped. Unlike a table file there is no header row and no 0 byte
// after a record, so neither reader can take the other's files. Versions 0, 100-110 and 120 hold
// fixed-size binary records whose layout is not known: they are recognised and reported, never
// converted, since a guess would turn the notes into garbage.
//
// How the older records become the current tables (choices of this program):
// - kms.cls gets the 13 columns of a new category store, in depth-first order. Siblings follow
//   the previous/next chain; where the chain is broken they keep file order. An unknown parent
//   or a parent cycle puts the category at the top level; ids of 0 or less are skipped.
// - A name has each of \ / : * ? " < > | replaced by a blank, character by character (a GB18030
//   trail byte may be 0x5C). A name left empty, blank, "." or ".." becomes "未命名"; a name taken
//   by an earlier sibling (or, for a point, an earlier point or a sub-category) becomes the first
//   free "name(n)", for a point "name(n).ext".
// - Dates, memo, link paths and every text not changed keep their bytes. A colour of -1 becomes
//   empty. relation_path is kept only when the linked flag is set.
// - point_num and size come from the converted point lists; state is computed on the converted
//   tree (the category folder exists). Below version 200 every category folder is created.
// - <id>.cps gets the 15 point columns: name with its extension (name + "." + type unless it ends
//   so), has_comment from the comment list, append_num from the attachments, state from the
//   content file, point_size as it stands (empty when the content is missing).
// - <id>.cas gets the 9 attachment columns; state from the attachment's file.
// - A comment's first integer is its point's id. The comments of a point become one rich-text
//   file Comment/<point id>_<name>.rtf with one paragraph per comment.
// - kms.ids is written with version 210 and every counter raised to the largest id met; tags 0.
// - Fields the current format has no place for are dropped. No recycle_kms.cls, no kms.tags, and
//   no list file without rows are written. Nothing is written outside the data directory: a
//   linked category's points are the files of its own folder.
namespace tarnel::store::legacy_format {

inline constexpr std::uint32_t kMarker = 0;
inline constexpr std::uint32_t kAttachmentMarker = 0xFFFFFFFFu;
inline constexpr std::size_t kWordBytes = 4;
inline constexpr std::size_t kLengthBytes = 2;
inline constexpr char kFieldSeparator = 0x08;

// The versions by what can be done with them.
inline constexpr int kFirstTextVersion = 121;
inline constexpr int kLastConvertibleVersion = 201;
// From this version on the points live in their category folders and the lists in Index.
inline constexpr int kFirstIndexListVersion = 200;
inline constexpr int kCurrentVersion = 210;

// Below version 200 the conversion sets the workspace tab position to this.
inline constexpr int kOldBaseTabAlign = 2;

// Versions without a record count in the header.
constexpr bool hasNoCount(std::uint32_t version) {
    return version == 0 || (version >= 100 && version <= 110) || version == 120;
}

// The fixed record sizes of the binary versions; 0 where the size is not known.
constexpr std::size_t binaryCategorySize(std::uint32_t version) {
    if (version == 0) {
        return 844;
    }
    if (version >= 100 && version <= 102) {
        return 856;
    }
    if (version >= 103 && version <= 105) {
        return 900;
    }
    if (version >= 106 && version <= 109) {
        return 904;
    }
    return version == 110 || version == 120 ? 1176 : 0;
}

constexpr std::size_t binaryPointSize(std::uint32_t version) {
    if (version == 0) {
        return 672;
    }
    if (version >= 100 && version <= 102) {
        return 676;
    }
    if (version >= 103 && version <= 109) {
        return 716;
    }
    return version == 110 || version == 120 ? 724 : 0;
}

// Field positions of the text records.
namespace category {
enum Field : int {
    kId = 0,
    kParent,
    kPrevious,
    kNext,
    kFlag,
    kSize,
    kPointNum,
    kName,
    kCreateDate,
    kModifyDate,
    kMemo,
    kSecondFlag,
    kText,
    kInteger,
    kForeColor,
    kBackColor,
    kLinked,
    kRelationPath,
    kFieldCount,
};
} // namespace category

namespace counters {
enum Field : int { kClass = 0, kPoint, kComment, kAppend, kFieldCount };
} // namespace counters

namespace point {
enum Field : int {
    kId = 0,
    kCategory,
    kFlag,
    kPointSize,
    kFirstInteger,
    kSecondInteger,
    kName,
    kType,
    kSource,
    kCreateDate,
    kModifyDate,
    kInteger,
    kText,
    kForeColor,
    kBackColor,
    kFlagA,
    kPicture,
    kRichText,
    kFieldCount,
};
} // namespace point

namespace comment {
enum Field : int { kId = 0, kPoint, kInteger, kText, kCreateDate, kModifyDate, kFieldCount };
} // namespace comment

namespace attachment {
enum Field : int {
    kId = 0,
    kPoint,
    kAppendSize,
    kIsLinked,
    kName,
    kLinkPath,
    kFirstText,
    kSecondText,
    kThirdText,
    kFieldCount,
};
} // namespace attachment

// Characters a name may not hold; each becomes a blank.
inline constexpr std::string_view kNameForbidden = "\\/:*?\"<>|";
inline constexpr std::string_view kUnnamed = "未命名";

// The category root's folder under Resource.
inline constexpr std::string_view kCategoryRootName = "分类列表";

} // namespace tarnel::store::legacy_format
