#include "richtext/rtf_keywords.h"

#include <cstdint>
#include <unordered_map>

namespace tarnel::richtext {
namespace {

// Control words are short: FNV-1a over their few letters costs less than the library's hash, and
// the reader looks one up for every word of the file.
struct WordHash {
    std::size_t operator()(std::string_view word) const {
        std::uint32_t hash = 2166136261u;
        for (char c : word) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        }
        return hash;
    }
};

using Map = std::unordered_map<std::string_view, Keyword, WordHash>;

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
        {"shppict", Keyword::ShapePicture},
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
        {"pnlvl", Keyword::OldListBody},
        {"pnlvlcont", Keyword::OldListContinue},
        {"pndec", Keyword::OldListDecimal},
        {"pncard", Keyword::OldListDecimal},
        {"pnord", Keyword::OldListDecimal},
        {"pnordt", Keyword::OldListDecimal},
        {"pnucltr", Keyword::OldListUpperLetter},
        {"pnlcltr", Keyword::OldListLowerLetter},
        {"pnucrm", Keyword::OldListUpperRoman},
        {"pnlcrm", Keyword::OldListLowerRoman},
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
         {"stylesheet", "info",      "header",       "headerl",           "headerr",     "headerf",
          "footer",     "footerl",   "footerr",      "footerf",           "footnote",    "pntext",
          "pntxta",     "pntxtb",    "listtext",     "nonshppict",        "xe",          "tc",
          "txe",        "rxe",       "revtbl",       "filetbl",           "objdata",     "objclass",
          "objname",    "leveltext", "levelnumbers", "listname",          "listpicture", "do",
          "annotation", "atnid",     "atnauthor",    "colorschememapping"}) {
        map.emplace(name, Keyword::SkippedDestination);
    }
    return map;
}

} // namespace

Keyword lookupKeyword(std::string_view name) {
    static const Map kKeywords = buildKeywordMap();
    auto found = kKeywords.find(name);
    return found == kKeywords.end() ? Keyword::Unknown : found->second;
}

} // namespace tarnel::richtext
