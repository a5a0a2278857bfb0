#pragma once

#include "richtext/rtf_format.h"
#include "richtext/rtf_tokenizer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnel::richtext {

// The control words the reader acts on; every other word is passed over.
enum class Keyword : std::uint8_t {
    Unknown,
    // Document code page and default font.
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    // Destinations the reader fills.
    FontTable,
    ColorTable,
    Picture,
    Field,
    FieldInstruction,
    FieldResult,
    ListTable,
    ListOverrideTable,
    OldList,
    OldListBulletText,
    LevelText,
    NestedTableProperties,
    ShapePicture,
    Animation,
    Object,
    // Destinations whose text is no part of the body (style sheet, headers, footnotes, the text
    // that stands in for a list number, a picture's fallback copy, ...).
    SkippedDestination,
    // Font and colour tables, lists.
    Font,
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    List,
    ListLevel,
    ListOverride,
    ListId,
    LevelNumberFormat,
    LevelStartAt,
    // Character formatting.
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    FontSize,
    ForegroundColor,
    BackgroundColor,
    // Associated properties and the script they apply to: as LibreOffice reads them, \ab, \ai,
    // \afs and \af stand for \b, \i, \fs and \f unless the text is right-to-left (\rtlch) or
    // high-ANSI (\hich).
    AssociatedBold,
    AssociatedItalic,
    AssociatedFontSize,
    AssociatedFont,
    RightToLeftText,
    LeftToRightText,
    LowAnsiText,
    HighAnsiText,
    DoubleByteText,
    // Paragraph formatting.
    ParagraphDefault,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstLineIndent,
    ListNumber,
    ListLevelNumber,
    OldListBullet,
    OldListBody,
    OldListContinue,
    OldListDecimal,
    OldListUpperLetter,
    OldListLowerLetter,
    OldListUpperRoman,
    OldListLowerRoman,
    OldListLevel,
    OldListStart,
    OldListFont,
    // Tables: the paragraph's place, the row's and its cells' definitions.
    InTable,
    TableLevel,
    RowDefaults,
    RowHeight,
    RowLeftEdge,
    RowCellGap,
    RowAlignLeft,
    RowAlignCenter,
    RowAlignRight,
    CellBoundary,
    CellMergeFirst,
    CellMergeContinue,
    CellVerticalFirst,
    CellVerticalContinue,
    CellBorderTop,
    CellBorderLeft,
    CellBorderBottom,
    CellBorderRight,
    // A border of something else than a cell (a row's, a paragraph's): what follows is not a
    // cell's.
    OtherBorder,
    BorderLine,
    BorderNone,
    BorderWidth,
    BorderColor,
    CellShading,
    // Breaks.
    Paragraph,
    SectionBreak,
    PageBreak,
    LineBreak,
    Tab,
    Cell,
    Row,
    // Characters by name.
    EmDash,
    EnDash,
    Bullet,
    LeftQuote,
    RightQuote,
    LeftDoubleQuote,
    RightDoubleQuote,
    EmSpace,
    EnSpace,
    QuarterEmSpace,
    ZeroWidthJoiner,
    ZeroWidthNonJoiner,
    // Unicode.
    UnicodeChar,
    UnicodeSkip,
    // Pictures.
    PngBlip,
    JpegBlip,
    EmfBlip,
    WindowsMetafile,
    DeviceIndependentBitmap,
    UnsupportedPicture,
    PictureWidth,
    PictureHeight,
    PictureGoalWidth,
    PictureGoalHeight,
    PictureScaleX,
    PictureScaleY,
};

// The reader looks a keyword up for every control word of the file, so the keywords are laid out
// at compile time as an open-addressed table of a power-of-two size (under half full). A word's
// first 16 letters packed into two integers (as the tokenizer packs them) are its hash and most of
// its comparison: a lookup is a few integer operations on one slot of 24 bytes, and only a word
// longer than 16 letters compares its text.
struct KeywordSlot {
    PackedName letters;
    std::uint32_t length = 0; // 0: an empty slot
    Keyword keyword = Keyword::Unknown;
};

inline constexpr std::size_t kKeywordSlotBits = 9;
inline constexpr std::size_t kPackedNameLetters = 16;

// One multiplication mixes every letter into the top bits, which pick the slot.
inline constexpr std::size_t keywordSlotOf(const PackedName& letters, std::size_t length) {
    std::uint64_t value =
        (letters.low ^ (letters.high * 0xC2B2AE3D27D4EB4Fu) ^ length) * 0x9E3779B97F4A7C15u;
    return static_cast<std::size_t>(value >> (64 - kKeywordSlotBits));
}

extern const std::array<KeywordSlot, std::size_t{1} << kKeywordSlotBits> kKeywordSlots;
// The whole name of each slot's keyword, for the words longer than their packed letters.
extern const std::array<std::string_view, std::size_t{1} << kKeywordSlotBits> kKeywordSlotNames;

// The keyword of a control word token's name; Unknown for any other name. Inline, as the reader's
// and the extractor's loops ask it of every control word.
inline Keyword lookupKeyword(const RtfToken& word) {
    constexpr std::size_t kMask = kKeywordSlots.size() - 1;
    const std::size_t length = word.name.size();
    for (std::size_t slot = keywordSlotOf(word.packedName, length);; slot = (slot + 1) & kMask) {
        const KeywordSlot& entry = kKeywordSlots[slot];
        if (entry.letters == word.packedName && entry.length == length &&
            (length <= kPackedNameLetters || kKeywordSlotNames[slot] == word.name)) {
            return entry.keyword;
        }
        if (entry.length == 0) {
            return Keyword::Unknown;
        }
    }
}

// The character a word of the "characters by name" group stands for (\emdash is U+2014); 0 for
// every other keyword. Inline, as this and documentCodePageOf are asked of every control word.
inline char32_t namedCharacter(Keyword keyword) {
    switch (keyword) {
    case Keyword::EmDash:
        return 0x2014;
    case Keyword::EnDash:
        return 0x2013;
    case Keyword::Bullet:
        return 0x2022;
    case Keyword::LeftQuote:
        return 0x2018;
    case Keyword::RightQuote:
        return 0x2019;
    case Keyword::LeftDoubleQuote:
        return 0x201C;
    case Keyword::RightDoubleQuote:
        return 0x201D;
    case Keyword::EmSpace:
        return 0x2003;
    case Keyword::EnSpace:
        return 0x2002;
    case Keyword::QuarterEmSpace:
        return 0x2005;
    case Keyword::ZeroWidthJoiner:
        return 0x200D;
    case Keyword::ZeroWidthNonJoiner:
        return 0x200C;
    default:
        return 0;
    }
}

// The document code page a word sets (\ansi, \mac, \pc, \pca, \ansicpgN with N above 0); 0 for
// every other word.
inline int documentCodePageOf(Keyword keyword, std::int32_t parameter) {
    switch (keyword) {
    case Keyword::Ansi:
        return kCodePageAnsi;
    case Keyword::Mac:
        return 10000;
    case Keyword::Pc:
        return 437;
    case Keyword::Pca:
        return 850;
    case Keyword::AnsiCodePage:
        return parameter > 0 ? parameter : 0;
    default:
        return 0;
    }
}

// The regular property an associated one stands for (\ab is \b, \af is \f); only for the
// keywords from AssociatedBold to AssociatedFont.
Keyword regularOfAssociated(Keyword keyword);

} // namespace tarnel::richtext
