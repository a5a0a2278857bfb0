#include "richtext/rtf_keywords.h"

#include "richtext/rtf_format.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace tarnel::richtext {
namespace {

using Map = std::unordered_map<std::string_view, Keyword>;

// The reader looks a keyword up for every control word of the file, so the map is laid out once
// as an open-addressed table of a power-of-two size (at most half full). A word's first 16
// letters packed into two integers (as the tokenizer packs them) are its hash and most of its
// comparison: a lookup is a few integer operations, and only a word longer than 16 letters
// compares its text.
class KeywordTable {
public:
    explicit KeywordTable(const Map& map) {
        std::size_t size = 2;
        m_bits = 1;
        while (size < 2 * map.size()) {
            size *= 2;
            ++m_bits;
        }
        m_slots.resize(size);
        m_mask = size - 1;
        for (const auto& [name, keyword] : map) {
            Packed packed = pack(name);
            std::size_t slot = slotOf(packed);
            while (m_slots[slot].packed.length != 0) {
                slot = (slot + 1) & m_mask;
            }
            m_slots[slot] = {packed, name, keyword};
        }
    }

    Keyword find(const RtfToken& word) const {
        if (word.name.empty()) {
            return Keyword::Unknown;
        }
        const Packed packed{word.packedName, word.name.size()};
        for (std::size_t slot = slotOf(packed);; slot = (slot + 1) & m_mask) {
            const Slot& entry = m_slots[slot];
            if (entry.packed.length == 0) {
                return Keyword::Unknown;
            }
            if (entry.packed == packed &&
                (word.name.size() <= kPackedLetters || entry.name == word.name)) {
                return entry.keyword;
            }
        }
    }

private:
    static constexpr std::size_t kPackedLetters = 16;

    struct Packed {
        PackedName letters;
        std::size_t length = 0;

        bool operator==(const Packed&) const = default;
    };

    struct Slot {
        Packed packed;
        std::string_view name;
        Keyword keyword = Keyword::Unknown;
    };

    static Packed pack(std::string_view word) {
        Packed out;
        out.length = word.size();
        const std::size_t letters = std::min(word.size(), kPackedLetters);
        for (std::size_t i = 0; i < letters; ++i) {
            std::uint64_t& half = i < 8 ? out.letters.low : out.letters.high;
            half |= std::uint64_t{static_cast<unsigned char>(word[i])} << (8 * (i % 8));
        }
        return out;
    }

    // One multiplication mixes every letter into the top bits, which pick the slot.
    std::size_t slotOf(const Packed& word) const {
        std::uint64_t value =
            (word.letters.low ^ (word.letters.high * 0xC2B2AE3D27D4EB4Fu) ^ word.length) *
            0x9E3779B97F4A7C15u;
        return static_cast<std::size_t>(value >> (64 - m_bits));
    }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    unsigned m_bits = 0;
};

Map buildKeywordMap() {
    Map map = {
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
    };
    for (std::string_view name :
         {"uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth", "ulthd",
          "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"}) {
        map.emplace(name, Keyword::Underline);
    }
    for (std::string_view name :
         {"trbrdrt", "trbrdrl", "trbrdrb", "trbrdrr", "trbrdrh", "trbrdrv", "brdrt", "brdrl",
          "brdrb", "brdrr", "brdrbtw", "brdrbar", "box"}) {
        map.emplace(name, Keyword::OtherBorder);
    }
    // Every line style draws a line; the model keeps its width and colour.
    for (std::string_view name :
         {"brdrs", "brdrth", "brdrsh", "brdrdb", "brdrdot", "brdrdash", "brdrhair", "brdrdashsm",
          "brdrdashd", "brdrdashdd", "brdrtriple", "brdrinset", "brdroutset", "brdrwavy",
          "brdremboss", "brdrengrave", "brdrframe"}) {
        map.emplace(name, Keyword::BorderLine);
    }
    for (std::string_view name : {"stylesheet",  "info",         "header",
                                  "headerl",     "headerr",      "headerf",
                                  "footer",      "footerl",      "footerr",
                                  "footerf",     "footnote",     "pntext",
                                  "pntxta",      "nonesttables", "listtext",
                                  "nonshppict",  "xe",           "tc",
                                  "txe",         "rxe",          "revtbl",
                                  "filetbl",     "objdata",      "objclass",
                                  "objname",     "levelnumbers", "listname",
                                  "listpicture", "do",           "annotation",
                                  "atnid",       "atnauthor",    "colorschememapping"}) {
        map.emplace(name, Keyword::SkippedDestination);
    }
    return map;
}

} // namespace

Keyword lookupKeyword(const RtfToken& word) {
    static const KeywordTable kKeywords(buildKeywordMap());
    return kKeywords.find(word);
}

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
