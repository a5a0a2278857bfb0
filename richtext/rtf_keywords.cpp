#include "richtext/rtf_keywords.h"

#include "richtext/rtf_format.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <stdexcept>

namespace tarnel::richtext {
namespace {

struct NamedKeyword {
    std::string_view name;
    Keyword keyword;
};

// Underline styles all underline, every line style draws a line (the model keeps its width and
// colour), and the skipped destinations hold no text of the body.
constexpr NamedKeyword kNamedKeywords[] = {
    {"ansi", Keyword::Ansi},
    {"mac", Keyword::Mac},
    {"pc", Keyword::Pc},
    {"pca", Keyword::Pca},
    {"ansicpg", Keyword::AnsiCodePage},
    {"deff", Keyword::DefaultFont},
    {"fonttbl", Keyword::FontTable},
    {"colortbl", Keyword::ColorTable},
    {"pict", Keyword::Picture},
    {"field", Keyword::Field},
    {"fldinst", Keyword::FieldInstruction},
    {"fldrslt", Keyword::FieldResult},
    {"listtable", Keyword::ListTable},
    {"listoverridetable", Keyword::ListOverrideTable},
    {"pn", Keyword::OldList},
    {"pntxtb", Keyword::OldListBulletText},
    {"leveltext", Keyword::LevelText},
    {"nesttableprops", Keyword::NestedTableProperties},
    {"shppict", Keyword::ShapePicture},
    {kAnimationDestination, Keyword::Animation},
    {"object", Keyword::Object},
    {"f", Keyword::Font},
    {"fcharset", Keyword::FontCharset},
    {"cpg", Keyword::FontCodePage},
    {"red", Keyword::Red},
    {"green", Keyword::Green},
    {"blue", Keyword::Blue},
    {"list", Keyword::List},
    {"listlevel", Keyword::ListLevel},
    {"listoverride", Keyword::ListOverride},
    {"listid", Keyword::ListId},
    {"levelnfc", Keyword::LevelNumberFormat},
    {"levelnfcn", Keyword::LevelNumberFormat},
    {"levelstartat", Keyword::LevelStartAt},
    {"plain", Keyword::Plain},
    {"b", Keyword::Bold},
    {"i", Keyword::Italic},
    {"ul", Keyword::Underline},
    {"ulnone", Keyword::UnderlineNone},
    {"strike", Keyword::Strike},
    {"striked", Keyword::Strike},
    {"v", Keyword::Hidden},
    {"fs", Keyword::FontSize},
    {"cf", Keyword::ForegroundColor},
    {"highlight", Keyword::BackgroundColor},
    {"cb", Keyword::BackgroundColor},
    {"chcbpat", Keyword::BackgroundColor},
    {"ab", Keyword::AssociatedBold},
    {"ai", Keyword::AssociatedItalic},
    {"afs", Keyword::AssociatedFontSize},
    {"af", Keyword::AssociatedFont},
    {"rtlch", Keyword::RightToLeftText},
    {"ltrch", Keyword::LeftToRightText},
    {"loch", Keyword::LowAnsiText},
    {"hich", Keyword::HighAnsiText},
    {"dbch", Keyword::DoubleByteText},
    {"pard", Keyword::ParagraphDefault},
    {"ql", Keyword::AlignLeft},
    {"qc", Keyword::AlignCenter},
    {"qr", Keyword::AlignRight},
    {"qj", Keyword::AlignJustify},
    {"qd", Keyword::AlignJustify},
    {"li", Keyword::LeftIndent},
    {"lin", Keyword::LeftIndent},
    {"ri", Keyword::RightIndent},
    {"rin", Keyword::RightIndent},
    {"fi", Keyword::FirstLineIndent},
    {"ls", Keyword::ListNumber},
    {"ilvl", Keyword::ListLevelNumber},
    {"pnlvlblt", Keyword::OldListBullet},
    {"pnlvlbody", Keyword::OldListBody},
    {"pnlvl", Keyword::OldListLevel},
    {"pnlvlcont", Keyword::OldListContinue},
    {"pndec", Keyword::OldListDecimal},
    {"pncard", Keyword::OldListDecimal},
    {"pnord", Keyword::OldListDecimal},
    {"pnordt", Keyword::OldListDecimal},
    {"pnucltr", Keyword::OldListUpperLetter},
    {"pnlcltr", Keyword::OldListLowerLetter},
    {"pnucrm", Keyword::OldListUpperRoman},
    {"pnlcrm", Keyword::OldListLowerRoman},
    {"pnstart", Keyword::OldListStart},
    {"pnf", Keyword::OldListFont},
    {"intbl", Keyword::InTable},
    {"itap", Keyword::TableLevel},
    {"trowd", Keyword::RowDefaults},
    {"trrh", Keyword::RowHeight},
    {"trleft", Keyword::RowLeftEdge},
    {"trgaph", Keyword::RowCellGap},
    {"trql", Keyword::RowAlignLeft},
    {"trqc", Keyword::RowAlignCenter},
    {"trqr", Keyword::RowAlignRight},
    {"cellx", Keyword::CellBoundary},
    {"clmgf", Keyword::CellMergeFirst},
    {"clmrg", Keyword::CellMergeContinue},
    {"clvmgf", Keyword::CellVerticalFirst},
    {"clvmrg", Keyword::CellVerticalContinue},
    {"clbrdrt", Keyword::CellBorderTop},
    {"clbrdrl", Keyword::CellBorderLeft},
    {"clbrdrb", Keyword::CellBorderBottom},
    {"clbrdrr", Keyword::CellBorderRight},
    {"brdrw", Keyword::BorderWidth},
    {"brdrcf", Keyword::BorderColor},
    {"brdrnone", Keyword::BorderNone},
    {"brdrnil", Keyword::BorderNone},
    {"clcbpat", Keyword::CellShading},
    {"par", Keyword::Paragraph},
    {"sect", Keyword::SectionBreak},
    {"page", Keyword::PageBreak},
    {"line", Keyword::LineBreak},
    {"tab", Keyword::Tab},
    {"cell", Keyword::Cell},
    {"nestcell", Keyword::Cell},
    {"row", Keyword::Row},
    {"nestrow", Keyword::Row},
    {"emdash", Keyword::EmDash},
    {"endash", Keyword::EnDash},
    {"bullet", Keyword::Bullet},
    {"lquote", Keyword::LeftQuote},
    {"rquote", Keyword::RightQuote},
    {"ldblquote", Keyword::LeftDoubleQuote},
    {"rdblquote", Keyword::RightDoubleQuote},
    {"emspace", Keyword::EmSpace},
    {"enspace", Keyword::EnSpace},
    {"qmspace", Keyword::QuarterEmSpace},
    {"zwj", Keyword::ZeroWidthJoiner},
    {"zwnj", Keyword::ZeroWidthNonJoiner},
    {"u", Keyword::UnicodeChar},
    {"uc", Keyword::UnicodeSkip},
    {"pngblip", Keyword::PngBlip},
    {"jpegblip", Keyword::JpegBlip},
    {"emfblip", Keyword::EmfBlip},
    {"wmetafile", Keyword::WindowsMetafile},
    {"dibitmap", Keyword::DeviceIndependentBitmap},
    {"wbitmap", Keyword::UnsupportedPicture},
    {"macpict", Keyword::UnsupportedPicture},
    {"pmmetafile", Keyword::UnsupportedPicture},
    {"picw", Keyword::PictureWidth},
    {"pich", Keyword::PictureHeight},
    {"picwgoal", Keyword::PictureGoalWidth},
    {"pichgoal", Keyword::PictureGoalHeight},
    {"picscalex", Keyword::PictureScaleX},
    {"picscaley", Keyword::PictureScaleY},
    {"uld", Keyword::Underline},
    {"uldash", Keyword::Underline},
    {"uldashd", Keyword::Underline},
    {"uldashdd", Keyword::Underline},
    {"uldb", Keyword::Underline},
    {"ulhwave", Keyword::Underline},
    {"ulldash", Keyword::Underline},
    {"ulth", Keyword::Underline},
    {"ulthd", Keyword::Underline},
    {"ulthdash", Keyword::Underline},
    {"ulthdashd", Keyword::Underline},
    {"ulthdashdd", Keyword::Underline},
    {"ulthldash", Keyword::Underline},
    {"ululdbwave", Keyword::Underline},
    {"ulw", Keyword::Underline},
    {"ulwave", Keyword::Underline},
    {"trbrdrt", Keyword::OtherBorder},
    {"trbrdrl", Keyword::OtherBorder},
    {"trbrdrb", Keyword::OtherBorder},
    {"trbrdrr", Keyword::OtherBorder},
    {"trbrdrh", Keyword::OtherBorder},
    {"trbrdrv", Keyword::OtherBorder},
    {"brdrt", Keyword::OtherBorder},
    {"brdrl", Keyword::OtherBorder},
    {"brdrb", Keyword::OtherBorder},
    {"brdrr", Keyword::OtherBorder},
    {"brdrbtw", Keyword::OtherBorder},
    {"brdrbar", Keyword::OtherBorder},
    {"box", Keyword::OtherBorder},
    {"brdrs", Keyword::BorderLine},
    {"brdrth", Keyword::BorderLine},
    {"brdrsh", Keyword::BorderLine},
    {"brdrdb", Keyword::BorderLine},
    {"brdrdot", Keyword::BorderLine},
    {"brdrdash", Keyword::BorderLine},
    {"brdrhair", Keyword::BorderLine},
    {"brdrdashsm", Keyword::BorderLine},
    {"brdrdashd", Keyword::BorderLine},
    {"brdrdashdd", Keyword::BorderLine},
    {"brdrtriple", Keyword::BorderLine},
    {"brdrinset", Keyword::BorderLine},
    {"brdroutset", Keyword::BorderLine},
    {"brdrwavy", Keyword::BorderLine},
    {"brdremboss", Keyword::BorderLine},
    {"brdrengrave", Keyword::BorderLine},
    {"brdrframe", Keyword::BorderLine},
    {"stylesheet", Keyword::SkippedDestination},
    {"info", Keyword::SkippedDestination},
    {"header", Keyword::SkippedDestination},
    {"headerl", Keyword::SkippedDestination},
    {"headerr", Keyword::SkippedDestination},
    {"headerf", Keyword::SkippedDestination},
    {"footer", Keyword::SkippedDestination},
    {"footerl", Keyword::SkippedDestination},
    {"footerr", Keyword::SkippedDestination},
    {"footerf", Keyword::SkippedDestination},
    {"footnote", Keyword::SkippedDestination},
    {"pntext", Keyword::SkippedDestination},
    {"pntxta", Keyword::SkippedDestination},
    {"nonesttables", Keyword::SkippedDestination},
    {"listtext", Keyword::SkippedDestination},
    {"nonshppict", Keyword::SkippedDestination},
    {"xe", Keyword::SkippedDestination},
    {"tc", Keyword::SkippedDestination},
    {"txe", Keyword::SkippedDestination},
    {"rxe", Keyword::SkippedDestination},
    {"revtbl", Keyword::SkippedDestination},
    {"filetbl", Keyword::SkippedDestination},
    {"objdata", Keyword::SkippedDestination},
    {"objclass", Keyword::SkippedDestination},
    {"objname", Keyword::SkippedDestination},
    {"levelnumbers", Keyword::SkippedDestination},
    {"listname", Keyword::SkippedDestination},
    {"listpicture", Keyword::SkippedDestination},
    {"do", Keyword::SkippedDestination},
    {"annotation", Keyword::SkippedDestination},
    {"atnid", Keyword::SkippedDestination},
    {"atnauthor", Keyword::SkippedDestination},
    {"colorschememapping", Keyword::SkippedDestination},
};

constexpr std::size_t kSlotCount = std::size_t{1} << kKeywordSlotBits;
static_assert(2 * std::size(kNamedKeywords) < kSlotCount,
              "the keyword table must stay under half full");

// The slot each name lands in: its own slot, or the next free one after it.
constexpr std::array<std::size_t, std::size(kNamedKeywords)> slotsOfNames() {
    std::array<std::string_view, kSlotCount> taken{};
    std::array<std::size_t, std::size(kNamedKeywords)> slots{};
    for (std::size_t i = 0; i < std::size(kNamedKeywords); ++i) {
        std::string_view name = kNamedKeywords[i].name;
        std::size_t slot = keywordSlotOf(packedLetters(name), name.size());
        while (!taken[slot].empty()) {
            if (taken[slot] == name) {
                throw std::logic_error("a name is in the keyword list twice");
            }
            slot = (slot + 1) % kSlotCount;
        }
        taken[slot] = name;
        slots[i] = slot;
    }
    return slots;
}

constexpr auto kSlotsOfNames = slotsOfNames();

} // namespace

constexpr std::array<KeywordSlot, kSlotCount> kKeywordSlots = [] {
    std::array<KeywordSlot, kSlotCount> table{};
    for (std::size_t i = 0; i < std::size(kNamedKeywords); ++i) {
        const NamedKeyword& named = kNamedKeywords[i];
        table[kSlotsOfNames[i]] = {packedLetters(named.name),
                                   static_cast<std::uint32_t>(named.name.size()), named.keyword};
    }
    return table;
}();

constexpr std::array<std::string_view, kSlotCount> kKeywordSlotNames = [] {
    std::array<std::string_view, kSlotCount> names{};
    for (std::size_t i = 0; i < std::size(kNamedKeywords); ++i) {
        names[kSlotsOfNames[i]] = kNamedKeywords[i].name;
    }
    return names;
}();

Keyword regularOfAssociated(Keyword keyword) {
    switch (keyword) {
    case Keyword::AssociatedBold:
        return Keyword::Bold;
    case Keyword::AssociatedItalic:
        return Keyword::Italic;
    case Keyword::AssociatedFontSize:
        return Keyword::FontSize;
    default:
        return Keyword::Font;
    }
}

} // namespace tarnel::richtext
