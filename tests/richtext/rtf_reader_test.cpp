#include "richtext/plain_text.h"
#include "richtext/rtf_format.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "tests/richtext/document_dump.h"
#include "tests/richtext/fixture.h"

#include <cctype>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace tarnel::richtext {
namespace {

using test::dump;
using test::fixtureBytes;

ReadResult read(std::string_view bytes) {
    return RtfReader().read(bytes);
}

std::string dumped(std::string_view bytes) {
    return dump(read(bytes).document);
}

// The body text of a document (paragraphs as lines), for cases about characters only.
std::string textOf(std::string_view rtf) {
    return documentText(read(rtf).document);
}

struct TextCase {
    const char* name;
    std::string rtf;
    std::string text;
};

void PrintTo(const TextCase& value, std::ostream* out) {
    *out << value.name;
}

class RtfReaderTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(RtfReaderTextTest, ReadsText) {
    ReadResult result = read(GetParam().rtf);
    EXPECT_EQ(documentText(result.document), GetParam().text);
    EXPECT_EQ(result.status, ReadStatus::Complete) << result.message;
}

INSTANTIATE_TEST_SUITE_P(
    Unicode, RtfReaderTextTest,
    testing::Values(
        TextCase{"FallbackOfOneSkipped", "{\\rtf1\\u20320?b}", "你b"},
        TextCase{"FallbackOfTwoHexBytesSkipped", "{\\rtf1\\uc2\\u20320\\'c4\\'e3 x}", "你 x"},
        TextCase{"FallbackEndsPartWayThroughEscapedBytes",
                 "{\\rtf1\\ansicpg936\\uc2\\u20320\\'c4\\'e3\\'ba\\'c3}", "你好"},
        TextCase{"ZeroBytesBetweenHalvesOfAPairAreNothing",
                 "{\\rtf1\\uc0\\u-10179\\'00\\'00\\u-8704 }", "😀"},
        TextCase{"LoneSurrogateComesBeforeTheBytesAfterZeros",
                 "{\\rtf1\\ansicpg936\\uc0\\u-10179\\'00\\'c4\\'e3}", "\xEF\xBF\xBD你"},
        TextCase{"NoFallback", "{\\rtf1\\uc0\\u20320 a}", "你a"},
        TextCase{"SkipCountIsGroupState", "{\\rtf1{\\uc2\\u20320\\'c4\\'e3}\\u22909?}", "你好"},
        TextCase{"GroupEndStopsSkipping", "{\\rtf1{\\uc4\\u20320 a}b}", "你b"},
        TextCase{"ControlWordCountsAsOneFallback", "{\\rtf1\\u8212\\emdash x}", "—x"},
        TextCase{"NegativeValue", "{\\rtf1\\u-4064?}", "\xEF\x80\xA0"},
        TextCase{"SurrogatePair", "{\\rtf1\\uc0\\u-10179\\u-8704 }", "😀"},
        TextCase{"SurrogatePairWithFallbacks", "{\\rtf1\\u-10179?\\u-8704?}", "😀"},
        TextCase{"LoneSurrogate", "{\\rtf1\\u-10179?x}", "\xEF\xBF\xBDx"},
        TextCase{"NamedCharacters",
                 "{\\rtf1\\lquote\\rquote\\ldblquote\\rdblquote\\endash\\bullet\\~\\_\\-}",
                 "‘’“”–•\xC2\xA0‑"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    CodePages, RtfReaderTextTest,
    testing::Values(
        TextCase{"DocumentCodePageGbk", "{\\rtf1\\ansi\\ansicpg936 \\'c4\\'e3\\'ba\\'c3}", "你好"},
        TextCase{"FontCharset134UnderAnsi",
                 "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset134 S;}}\\f0 \\'c4\\'e3}", "你"},
        TextCase{"FontCharset0UnderGbk",
                 "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset0 A;}}\\f0 caf\\'e9}", "café"},
        TextCase{"DefaultFontDecides",
                 "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset134 B;}}"
                 "\\'c4\\'e3}",
                 "你"},
        TextCase{"DefaultCharsetFollowsDocument",
                 "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset1 A;}}\\f0 \\'c4\\'e3}", "你"},
        TextCase{"FourByteGb18030", "{\\rtf1\\ansicpg936 \\'81\\'30\\'81\\'30}", "\xC2\x80"},
        TextCase{"GbkTrailByteWrittenAsText", "{\\rtf1\\ansicpg936 \\'81@\\'81\\\\}", "丂乗"},
        TextCase{"ShiftJis", "{\\rtf1{\\fonttbl{\\f0\\fcharset128 M;}}\\f0 \\'82\\'a0}", "あ"},
        TextCase{"Korean", "{\\rtf1{\\fonttbl{\\f0\\fcharset129 G;}}\\f0 \\'c7\\'d1}", "한"},
        TextCase{"Big5", "{\\rtf1{\\fonttbl{\\f0\\fcharset136 M;}}\\f0 \\'a4\\'a4}", "中"},
        TextCase{"Cyrillic", "{\\rtf1{\\fonttbl{\\f0\\fcharset204 T;}}\\f0 \\'cf\\'f0\\'e8}",
                 "При"},
        TextCase{"CentralEuropean", "{\\rtf1{\\fonttbl{\\f0\\fcharset238 T;}}\\f0 \\'b9}", "ą"},
        TextCase{"FontCodePageOverridesCharset",
                 "{\\rtf1{\\fonttbl{\\f0\\fcharset0\\cpg1251 T;}}\\f0 \\'cf}", "П"},
        TextCase{"Macintosh", "{\\rtf1\\mac \\'8a}", "ä"},
        TextCase{"AnsiDefault", "{\\rtf1 \\'80\\'e9}", "€é"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Structure, RtfReaderTextTest,
    testing::Values(
        TextCase{"ParagraphsAndEmptyOnes", "{\\rtf1 a\\par\\par b\\par}", "a\n\nb"},
        TextCase{"LastParagraphWithoutMark", "{\\rtf1 a\\par b}", "a\nb"},
        TextCase{"LineBreakAndTab", "{\\rtf1 a\\line b\\tab c}", "a\nb\tc"},
        TextCase{"Escapes", "{\\rtf1 \\\\\\{\\}}", "\\{}"},
        TextCase{"DelimiterSpaceNotText", "{\\rtf1\\b x\\b0  y}", "x y"},
        TextCase{"UnknownStarredDestinationSkipped",
                 "{\\rtf1 a{\\*\\secret hidden {nested \\par} text}b}", "ab"},
        TextCase{"StyleSheetInfoHeaderSkipped",
                 "{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\header H\\par}a}", "a"},
        TextCase{"ListNumberTextSkipped", "{\\rtf1{\\pntext 1.\\tab}{\\listtext 2.\\tab}a}", "a"},
        TextCase{"UnknownWordsIgnored", "{\\rtf1\\foo123 a\\bar b}", "ab"},
        TextCase{"BinaryInBodyPassedOver", "{\\rtf1 a\\bin3 {}\\ b}", "a b"},
        TextCase{
            "TableRowIsOneLine",
            "{\\rtf1\\trowd\\cellx100\\cellx200\\pard\\intbl A\\cell B\\cell\\row\\pard C\\par}",
            "A\tB\nC"},
        TextCase{"OtherFieldsKeepTheirResult", "{\\rtf1{\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}}",
                 "3"},
        TextCase{"TextAfterRootIgnored", "{\\rtf1 a}b}c", "a"},
        TextCase{"ShapePictureFallbackSkipped",
                 "{\\rtf1{\\*\\shppict{\\pict\\pngblip 00}}{\\nonshppict{\\pict\\wmetafile8 00}}x}",
                 "x"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

struct FormatCase {
    const char* name;
    std::string rtf;
    std::string dump;
};

void PrintTo(const FormatCase& value, std::ostream* out) {
    *out << value.name;
}

class RtfReaderFormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(RtfReaderFormatTest, ReadsFormats) {
    EXPECT_EQ(dumped(GetParam().rtf), GetParam().dump);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, RtfReaderFormatTest,
    testing::Values(
        FormatCase{"Toggles", "{\\rtf1\\b b\\b0\\i i\\i0\\ul u\\ulnone\\strike s\\strike0\\v h}",
                   "P: [b]\"b\" [i]\"i\" [u]\"u\" [s]\"s\" [hidden]\"h\"\n"},
        FormatCase{"UnderlineVariantsAndOff", "{\\rtf1\\uldb a\\ul0 b\\ulw c\\ulc1 d}",
                   "P: [u]\"a\" []\"b\" [u]\"cd\"\n"},
        FormatCase{
            "FontsAndSizes",
            "{\\rtf1{\\fonttbl{\\f0\\fnil Arial;}{\\f1 Times New Roman;}}\\f1\\fs36 a\\plain b}",
            "P: [font=Times New Roman,fs=36]\"a\" [font=Arial]\"b\"\n"},
        FormatCase{"FontTableWithoutInnerGroups",
                   "{\\rtf1{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fmodern Courier;}\\f1 a}",
                   "P: [font=Courier]\"a\"\n"},
        FormatCase{"ColoursAndBackgrounds",
                   "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                   "\\cf1 a\\cf0 b\\highlight2 c\\highlight0\\cb1 d\\cb0\\chcbpat2 e\\cf9 f}",
                   "P: [color=#ff0000]\"a\" []\"b\" [bg=#0000ff]\"c\" [bg=#ff0000]\"d\" "
                   "[bg=#0000ff]\"ef\"\n"},
        FormatCase{"GroupsRestoreFormat", "{\\rtf1 a{\\b b{\\i c}d}e}",
                   "P: []\"a\" [b]\"b\" [b,i]\"c\" [b]\"d\" []\"e\"\n"},
        FormatCase{"AssociatedPropertiesForDoubleByteText",
                   "{\\rtf1{\\dbch\\ab\\afs32 x}{\\rtlch\\ab \\ltrch y}{\\hich\\ai z}}",
                   "P: [fs=32,b]\"x\" []\"yz\"\n"},
        FormatCase{"Hyperlink",
                   "{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"http://a.b/c\"}}{\\fldrslt{\\ul "
                   "site}}} after}",
                   "P: [u,link=http://a.b/c]\"site\" []\" after\"\n"},
        FormatCase{"HyperlinkToPlaceWithSwitches",
                   "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \\\\l \"top\" \\\\o \"tip\"}{\\fldrslt "
                   "up}}}",
                   "P: [link=#top]\"up\"\n"},
        FormatCase{"HyperlinkWithEscapedQuote",
                   "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"C:\\\\\\\\x\\\\\"y\"}{\\fldrslt f}}}",
                   "P: [link=C:\\x\"y]\"f\"\n"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Paragraphs, RtfReaderFormatTest,
    testing::Values(
        FormatCase{"Alignments", "{\\rtf1\\qc a\\par\\qr b\\par\\qj c\\par\\pard d\\par}",
                   "P center: []\"a\"\nP right: []\"b\"\nP justify: []\"c\"\nP: []\"d\"\n"},
        FormatCase{"PropertiesAtParagraphMarkApply", "{\\rtf1 a\\qc\\par}", "P center: []\"a\"\n"},
        FormatCase{"Indents", "{\\rtf1\\li720\\ri360\\fi-240 a\\par}",
                   "P indent=720/-240/360: []\"a\"\n"},
        FormatCase{
            "OldBullets",
            "{\\rtf1{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
            "a\\par b\\par\\pard c\\par}",
            "P bullet#1: []\"a\"\nP bullet#1: []\"b\"\nP: []\"c\"\n"},
        FormatCase{"OldNumbering",
                   "{\\rtf1{\\*\\pn\\pnlvlbody\\pnucrm{\\pntxta.}}a\\par\\pard{\\*"
                   "\\pn\\pnlvlbody\\pnlcltr}"
                   "b\\par\\pard{\\*\\pn\\pnlvlbody\\pndec}c\\par}",
                   "P upper-roman#1: []\"a\"\nP lower-letter#2: []\"b\"\nP decimal#3: []\"c\"\n"},
        FormatCase{"ListTable",
                   "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0}{\\listlevel\\levelnfc23}"
                   "\\listid7}}{\\*\\listoverridetable{\\listoverride\\listid7\\ls3}}"
                   "\\ls3 a\\par\\ls3\\ilvl1 b\\par\\pard\\ls9 c\\par}",
                   "P decimal#1: []\"a\"\nP bullet#1 level=1: []\"b\"\nP bullet#2: []\"c\"\n"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Pictures, RtfReaderFormatTest,
    testing::Values(
        FormatCase{
            "Png",
            "{\\rtf1 a{\\pict\\pngblip\\picw2\\pich3\\picwgoal30\\pichgoal45 8950 4e\r\n47}b}",
            "P: []\"a\" <png 2x3 goal=30x45 bytes=4> []\"b\"\n"},
        FormatCase{"Jpeg", "{\\rtf1{\\pict\\jpegblip\\picw1\\pich1 ffd8ffe0}}",
                   "P: <jpeg 1x1 goal=0x0 bytes=4>\n"},
        FormatCase{"EnhancedMetafile", "{\\rtf1{\\pict\\emfblip\\picw10\\pich10 01000000}}",
                   "P: <emf 10x10 goal=0x0 bytes=4>\n"},
        FormatCase{"Bitmap", "{\\rtf1{\\pict\\dibitmap0\\picw1\\pich1 28000000}}",
                   "P: <bmp 1x1 goal=0x0 bytes=4>\n"},
        FormatCase{"BinaryData", "{\\rtf1{\\pict\\pngblip\\picw1\\pich1\\bin4 \x89PNG}}",
                   "P: <png 1x1 goal=0x0 bytes=4>\n"},
        FormatCase{"OddHexDigitDropped", "{\\rtf1{\\pict\\pngblip 89504}}",
                   "P: <png 0x0 goal=0x0 bytes=2>\n"},
        FormatCase{"ObjectResultPicture",
                   "{\\rtf1{\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 0102}"
                   "{\\result{\\pict\\wmetafile8\\picw5\\pich5 0100}}}}",
                   "P: <wmf 5x5 goal=0x0 bytes=2>\n"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

// Word's way: a row's definition before its cells and again before its end, a nested table's in
// \nesttableprops before \nestrow, with text for readers of one level only; a vertical merge.
const std::string kWordTable =
    "{\\rtf1{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue0;}"
    "\\trowd\\irow0\\trgaph108\\trleft-108\\trrh300\\clvmgf\\clbrdrt\\brdrs\\brdrw10\\brdrcf1"
    "\\clcbpat2\\cellx2000\\cellx4000\\pard\\plain\\intbl\\itap1 A\\cell "
    "B1\\par\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell"
    "{\\*\\nesttableprops\\trowd\\trgaph0\\clmgf\\cellx1000\\clmrg\\cellx2000\\nestrow}"
    "{\\nonesttables\\par}\\pard\\intbl\\itap1\\cell"
    "\\pard\\intbl{\\trowd\\irow0\\trgaph108\\trleft-108\\trrh300\\clvmgf\\clbrdrt\\brdrs"
    "\\brdrw10\\brdrcf1\\clcbpat2\\cellx2000\\cellx4000\\row}"
    "\\trowd\\irow1\\trgaph108\\trleft-108\\trqr\\clvmrg\\cellx2000\\cellx4000"
    "\\pard\\intbl\\cell C\\cell\\row\\pard after\\par}";

TEST(RtfReaderTest, ReadsTablesWithMergesAndNestedTables) {
    ReadResult result = read(kWordTable);
    EXPECT_EQ(result.status, ReadStatus::Complete) << result.message;
    EXPECT_EQ(result.unkeptTableRows, 0);
    EXPECT_EQ(dump(result.document), "T\n"
                                     " R height=300 edge=-108/108\n"
                                     "  C x=2000 v=first border=10#000000,0,0,0 shading=#ffff00\n"
                                     "   P: []\"A\"\n"
                                     "  C x=4000\n"
                                     "   P: []\"B1\"\n"
                                     "   T\n"
                                     "    R\n"
                                     "     C x=1000 h=first\n"
                                     "      P: []\"n1\"\n"
                                     "     C x=2000 h=continue\n"
                                     "      P: []\"n2\"\n"
                                     "   P:\n"
                                     " R right edge=-108/108\n"
                                     "  C x=2000 v=continue\n"
                                     "   P:\n"
                                     "  C x=4000\n"
                                     "   P: []\"C\"\n"
                                     "P: []\"after\"\n");
    EXPECT_EQ(documentText(result.document), "A\tB1 n1 n2\n\tC\nafter");
    std::string written = RtfWriter().write(result.document);
    EXPECT_EQ(RtfWriter().write(read(written).document), written);
}

TEST(RtfReaderTest, TablesBeyondTheDepthKeptAndMergesIntoNothingKeepTheirTextAndSaySo) {
    std::string rtf = "{\\rtf1";
    for (int level = 1; level <= kMaxTableDepth + 2; ++level) {
        rtf +=
            "\\pard\\intbl\\itap" + std::to_string(level) + " t" + std::to_string(level) + "\\par";
    }
    for (int level = kMaxTableDepth + 2; level >= 2; --level) {
        rtf += "\\pard\\intbl\\itap" + std::to_string(level) + " c" + std::to_string(level) +
               "\\nestcell{\\*\\nesttableprops\\trowd\\cellx100\\nestrow}";
    }
    rtf += "\\pard\\intbl\\trowd\\clmrg\\cellx100\\clvmrg\\cellx200 x\\cell y\\cell\\row}";
    ReadResult result = read(rtf);
    EXPECT_EQ(result.unkeptTableRows, 3);
    std::string text = documentText(result.document);
    for (const char* piece : {"t1", "t4", "t5", "t6", "c6", "c5", "c4", "c2", "x", "y"}) {
        EXPECT_NE(text.find(piece), std::string::npos) << piece;
    }
    std::string written = RtfWriter().write(result.document);
    EXPECT_EQ(read(written).document, result.document);
}

// Word's list table: a bullet in Symbol by its private code point, one in Wingdings, letters
// starting at 3, and the old form's bullet in the Symbol font.
TEST(RtfReaderTest, ReadsListLevelsWithTheirStartsAndBullets) {
    ReadResult result = read(
        "{\\rtf1{\\fonttbl{\\f0 Calibri;}{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}}"
        "{\\*\\listtable{\\list\\listtemplateid9{\\listlevel\\levelnfc23\\levelstartat1"
        "{\\leveltext\\leveltemplateid1\\'01\\u-3913 ?;}{\\levelnumbers;}\\f1\\fi-360\\li720}"
        "{\\listlevel\\levelnfc4\\levelstartat3{\\leveltext\\'02\\'01.;}{\\levelnumbers\\'01;}}"
        "{\\listlevel\\levelnfc23{\\leveltext\\'01\\'a7;}\\f2}{\\listname ;}\\listid5}}"
        "{\\*\\listoverridetable{\\listoverride\\listid5\\listoverridecount0\\ls1}}"
        "\\pard\\ls1 one\\par\\pard\\ls1\\ilvl1 two\\par\\pard\\ls1\\ilvl2 three\\par"
        "\\pard\\ls1\\ilvl1 four\\par\\pard x\\par"
        "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'b7}}old\\par"
        "\\pard{\\*\\pn\\pnlvl2\\pnucltr\\pnstart4}deeper\\par}");
    EXPECT_EQ(dump(result.document),
              "P bullet#1: [font=Calibri]\"one\"\n"
              "P lower-letter#1 level=1 start=3: [font=Calibri]\"two\"\n"
              "P bullet#1 level=2 shows=▪: [font=Calibri]\"three\"\n"
              "P lower-letter#1 level=1 start=3: [font=Calibri]\"four\"\n"
              "P: [font=Calibri]\"x\"\n"
              "P bullet#2: [font=Calibri]\"old\"\n"
              "P upper-letter#2 level=1 start=4: [font=Calibri]\"deeper\"\n");
    EXPECT_EQ(RtfWriter().write(read(RtfWriter().write(result.document)).document),
              RtfWriter().write(result.document));
}

// What a level's text holds around its own number is kept; a text that names the numbers of the
// levels above first ("1.1.") keeps only what follows. Bytes of a double-byte character in a
// level's text decode together.
// The numbers of the levels just above the own one stand before it, each with one joint ("1.1.",
// "(1-2)"); numbers that skip a level are left out with what precedes them.
TEST(RtfReaderTest, KeepsTheTextsAroundANumber) {
    ReadResult result =
        read("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 SimSun;}}"
             "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'03\\'b5\\'da\\'00;}}"
             "{\\listlevel\\levelnfc0{\\leveltext\\'04\\'00.\\'01.;}}"
             "{\\listlevel\\levelnfc4{\\leveltext\\'05(\\'01-\\'02);}}"
             "{\\listlevel\\levelnfc0{\\leveltext\\'05\\'00.\\'02.\\'03;}}\\listid7}}"
             "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}"
             "\\pard\\ls1 one\\par\\pard\\ls1\\ilvl1 two\\par\\pard\\ls1\\ilvl2 three\\par"
             "\\pard\\ls1\\ilvl3 four\\par}");
    EXPECT_EQ(dump(result.document),
              "P decimal#1 number=第N: [font=SimSun]\"one\"\n"
              "P decimal#1 level=1 number=N.N.: [font=SimSun]\"two\"\n"
              "P lower-letter#1 level=2 number=(N-N): [font=SimSun]\"three\"\n"
              "P decimal#1 level=3 number=N: [font=SimSun]\"four\"\n");
    EXPECT_EQ(read(RtfWriter().write(result.document)).document, result.document);
}

// A level's text that does not start with its count keeps no more characters than one that
// does, as the writer writes it: what is read writes and reads back the same.
TEST(RtfReaderTest, ALevelTextWithoutItsCountKeepsAsManyCharactersAsOneWithIt) {
    ReadResult result =
        read("{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0"
             "{\\leveltext abcdefg\\'00.;}}\\listid1}}{\\*\\listoverridetable"
             "{\\listoverride\\listid1\\listoverridecount0\\ls1}}\\pard\\ls1 x\\par}");
    ASSERT_EQ(result.document.paragraphs.size(), 1u);
    EXPECT_EQ(result.document.paragraphs[0].listNumberPrefix, "abcdefg");
    EXPECT_EQ(result.document.paragraphs[0].listNumberSuffix, "");
    EXPECT_EQ(read(RtfWriter().write(result.document)).document, result.document);
}

// A code page may decode a bullet's bytes into control characters (EBCDIC's "7" is U+0004): they
// are left out, so that what is read writes and reads back the same.
TEST(RtfReaderTest, ABulletKeepsNoControlCharacters) {
    ReadResult result = read("{\\rtf1\\ansi\\ansicpg424{\\*\\pn\\pnlvlblt{\\pntxtb \xff"
                             "76}}one\\par}");
    ASSERT_EQ(result.document.paragraphs.size(), 1u);
    const std::string& bullet = result.document.paragraphs[0].listBullet;
    EXPECT_FALSE(bullet.empty());
    EXPECT_TRUE(std::none_of(bullet.begin(), bullet.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
    EXPECT_EQ(read(RtfWriter().write(result.document)).document, result.document);
}

// In EBCDIC the byte of '^' is ';', which ends an entry of the font table: a name keeps none.
TEST(RtfReaderTest, AFontNameKeepsNoSemicolon) {
    ReadResult result =
        read("{\\rtf1\\ansi\\ansicpg424{\\fonttbl{\\f0\\fnil \xc1^\xc2;}}\\f0 x\\par}");
    ASSERT_EQ(result.document.paragraphs.size(), 1u);
    const auto& run = std::get<TextRun>(result.document.paragraphs[0].content.at(0));
    EXPECT_EQ(run.format.font.str(), "AB");
    EXPECT_EQ(read(RtfWriter().write(result.document)).document, result.document);
}

// Long stretches of digits are decoded in blocks: every byte value, in both cases, with a line
// break after an odd digit and a space inside a block, still gives the exact bytes.
TEST(RtfReaderTest, DecodesLongPictureHexInEitherCaseAcrossBreaks) {
    std::string bytes;
    std::string hex;
    constexpr std::string_view kDigits = "0123456789abcdef";
    for (int value = 0; value < 256; ++value) {
        bytes += static_cast<char>(value);
        hex += kDigits[value >> 4];
        hex += kDigits[value & 15];
    }
    for (std::size_t i = 0; i < hex.size(); i += 3) {
        hex[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(hex[i])));
    }
    hex.insert(101, "\r\n");
    hex.insert(200, " ");
    ReadResult result = read("{\\rtf1{\\pict\\pngblip " + hex + "}}");
    const auto& picture = std::get<Picture>(result.document.paragraphs.at(0).content.at(0));
    EXPECT_EQ(picture.data, bytes);
    EXPECT_EQ(result.status, ReadStatus::Complete);
}

TEST(RtfReaderTest, KeepsMetafileMappingModeAndScale) {
    ReadResult result = read("{\\rtf1{\\pict\\wmetafile1\\picscalex50\\picscaley75 00}}");
    const auto& picture = std::get<Picture>(result.document.paragraphs.at(0).content.at(0));
    EXPECT_EQ(picture.metafileMapMode, 1);
    EXPECT_EQ(picture.scaleX, 50);
    EXPECT_EQ(picture.scaleY, 75);
}

TEST(RtfReaderTest, CountsPicturesInFormatsItCannotHold) {
    ReadResult result = read("{\\rtf1{\\pict\\macpict 0011}x}");
    EXPECT_EQ(result.omittedPictures, 1);
    EXPECT_EQ(dump(result.document), "P: []\"x\"\n");
}

TEST(RtfReaderTest, OmitsPicturesWhenAsked) {
    ReadResult result =
        RtfReader(ReadOptions{PictureData::Omit}).read("{\\rtf1 a{\\pict\\pngblip 89504e47}b}");
    EXPECT_EQ(dump(result.document), "P: []\"ab\"\n");
}

TEST(RtfReaderTest, NonRtfReadsAsPlainText) {
    ReadResult result = read("first\r\nsecond");
    EXPECT_EQ(result.source, SourceFormat::PlainText);
    EXPECT_EQ(dump(result.document), "P: []\"first\"\nP: []\"second\"\n");
}

// Real programs' output, written out by hand in each program's own style.
struct FixtureCase {
    const char* file;
    std::string dump;
};

void PrintTo(const FixtureCase& value, std::ostream* out) {
    *out << value.file;
}

class RtfReaderFixtureTest : public testing::TestWithParam<FixtureCase> {};

TEST_P(RtfReaderFixtureTest, ReadsRealProgramsOutput) {
    ReadResult result = read(fixtureBytes(GetParam().file));
    EXPECT_EQ(result.status, ReadStatus::Complete) << result.message;
    EXPECT_EQ(result.omittedPictures, 0);
    EXPECT_EQ(dump(result.document), GetParam().dump);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, RtfReaderFixtureTest,
    testing::Values(
        FixtureCase{"richedit_gbk.rtf",
                    "P center: [font=宋体,fs=28,b]\"标题\"\n"
                    "P: [font=宋体,fs=18,color=#ff0000]\"红色\" [font=宋体,fs=18]\" \" "
                    "[font=Arial,fs=18,i]\"italic\" [font=Arial,fs=18]\" \" "
                    "[font=宋体,fs=18,u]\"下划线\"\n"
                    "P bullet#1 indent=200/-200/0: [font=宋体,fs=18,bg=#ffff00]\"项目\"\n"
                    "P bullet#1 indent=200/-200/0: [font=宋体,fs=18]\"第二项\"\n"
                    "P: [font=宋体,fs=18]\"丂 乗 ☃\" [font=宋体,fs=18,color=#0000ff]\"最后\"\n"
                    "P: <wmf 265x265 goal=150x150 bytes=211>\n"},
        FixtureCase{
            "wordpad.rtf",
            "P: [font=Calibri,fs=22]\"Café naïve “quoted” \" [font=Calibri,fs=22,b]\"bold\" "
            "[font=Calibri,fs=22]\" \" [font=Calibri,fs=22,i]\"italic\" "
            "[font=Calibri,fs=22]\" \" [font=Calibri,fs=22,u]\"underline\" "
            "[font=Calibri,fs=22]\" \" [font=Calibri,fs=22,s]\"strike\"\n"
            "P: [font=Calibri,fs=22,color=#00b050]\"green\" [font=Calibri,fs=22]\" \" "
            "[font=SimSun,fs=22]\"中文\" [font=Calibri,fs=22]\" € euro\"\n"
            "P bullet#1 indent=720/-360/0: [font=Calibri,fs=22]\"bullet one\"\n"
            "P bullet#1 indent=720/-360/0: [font=Calibri,fs=22]\"bullet two\"\n"
            "P decimal#2 indent=720/-360/0: [font=Calibri,fs=22]\"first\"\n"
            "P decimal#2 indent=720/-360/0: [font=Calibri,fs=22]\"second\"\n"
            "P center: [font=Calibri,fs=22]\"centred\"\n"
            "P right: [font=Calibri,fs=22]\"right\\ttab\\nnext\"\n"
            "P: <png 1x1 goal=15x15 bytes=70>\n"},
        FixtureCase{
            "word_2016.rtf",
            "P center: [font=Calibri,fs=32,b]\"Word \" [font=SimSun,fs=32,b]\"文档\"\n"
            "P justify: [font=Calibri,fs=21,i,color=#c0504d]\"Red italic\" "
            "[font=Calibri,fs=21]\" and marked — see \" "
            "[font=Calibri,fs=21,u,color=#0563c1,link=https://example.org/a?b=1]\"the "
            "site\" [font=Calibri,fs=21]\".\"\n"
            "P justify bullet#1 indent=420/-420/0: [font=Calibri,fs=21]\"Bullet item\"\n"
            "P justify lower-letter#1 level=1 number=N) indent=840/-420/0: "
            "[font=Calibri,fs=21]\"Lettered "
            "item\"\n"
            "P justify decimal#2 indent=420/-420/0: [font=Calibri,fs=21]\"Numbered item\"\n"
            "T\n"
            " R\n"
            "  C x=4040\n"
            "   P justify: [font=Calibri]\"Cell one\"\n"
            "  C x=8188\n"
            "   P justify: [font=Calibri]\"Cell two\"\n"
            "P justify: <png 26x26 goal=15x15 bytes=70> [font=Calibri]\" after picture\"\n"},
        FixtureCase{
            "libreoffice_7_4.rtf",
            "P center: [font=DejaVu Serif,b]\"标题 Title\"\n"
            "P: [font=DejaVu Serif]\"普通文字 plain \" [font=DejaVu Serif,i]\"斜体 italic\" "
            "[font=DejaVu Serif]\" \" [font=DejaVu Serif,u]\"下划线 underline\" "
            "[font=DejaVu Serif]\" \" [font=DejaVu Serif,s]\"删除 strike\"\n"
            "P: [font=DejaVu Serif,color=#ff0000]\"红色 red\" [font=DejaVu Serif]\" \" "
            "[font=DejaVu Serif,bg=#ffff00]\"黄底 yellow\" [font=DejaVu Serif]\" \" "
            "[font=DejaVu Serif,fs=32]\"大字 big\"\n"
            "P bullet#1 indent=709/-283/0: [font=DejaVu Serif]\"第一项 first\"\n"
            "P bullet#1 indent=709/-283/0: [font=DejaVu Serif]\"第二项 second\"\n"
            "P decimal#2 indent=709/-283/0: [font=DejaVu Serif]\"一 one\"\n"
            "P decimal#2 indent=709/-283/0: [font=DejaVu Serif]\"二 two\"\n"
            "P: [font=DejaVu Serif]\"链接 \" [font=DejaVu "
            "Serif,u,color=#000080,link=https://example.com/页面?a=1]\"example 链接\"\n"
            "T\n"
            " R\n"
            "  C x=526 border=5#808080,5#808080,1#808080,5#808080\n"
            "   P: [font=DejaVu Serif]\"甲 A\"\n"
            "  C x=1097 border=5#808080,1#808080,1#808080,5#808080\n"
            "   P: [font=DejaVu Serif]\"乙 B\"\n"
            " R\n"
            "  C x=526 border=0,5#808080,5#808080,5#808080\n"
            "   P: [font=DejaVu Serif]\"丙 C\"\n"
            "  C x=1097 border=0,1#808080,5#808080,5#808080\n"
            "   P: [font=DejaVu Serif]\"丁 D\"\n"
            "P: [font=DejaVu Serif]\"行一 line one\\n行二 line two\"\n"
            "P right: [font=DejaVu Serif]\"右 right\"\n"}),
    [](const testing::TestParamInfo<FixtureCase>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

// Tables and lists as the rich-edit control (merged across, shaded, two paragraphs in a cell,
// old-style numbers and bullets), WordPad (merged down, a nested table between paragraphs of a
// cell) and LibreOffice (cells merged across as one wider cell, merged down, a nested table, a
// list of three levels) write them.
INSTANTIATE_TEST_SUITE_P(
    Tables, RtfReaderFixtureTest,
    testing::Values(
        FixtureCase{"richedit_tables.rtf",
                    "P: [font=宋体,fs=18]\"季度报表\"\n"
                    "T\n"
                    " R edge=-108/108\n"
                    "  C x=1800 h=first border=10,10,10,10 shading=#ffff00\n"
                    "   P center: [font=宋体,fs=18,b]\"项目名称\"\n"
                    "  C x=3600 h=continue border=10,10,10,10 shading=#ffff00\n"
                    "   P:\n"
                    "  C x=5400 border=10,10,10,10\n"
                    "   P right: [font=Arial,fs=18]\"Total\"\n"
                    " R edge=-108/108\n"
                    "  C x=1800 border=10,10,10,10\n"
                    "   P: [font=宋体,fs=18]\"笔记\"\n"
                    "   P: [font=宋体,fs=18,color=#0000ff]\"第二段\"\n"
                    "  C x=3600 border=10,10,10,10\n"
                    "   P: [font=Arial,fs=18]\"12\"\n"
                    "  C x=5400 border=10,10,10,10\n"
                    "   P right: [font=Arial,fs=18]\"3.5\"\n"
                    "P decimal#1 indent=200/-200/0: [font=宋体,fs=18]\"第一步\"\n"
                    "P decimal#1 indent=200/-200/0: [font=宋体,fs=18]\"第二步\"\n"
                    "P bullet#2 indent=200/-200/0: [font=宋体,fs=18]\"要点\"\n"
                    "P: [font=宋体,fs=18]\"结束\"\n"},
        FixtureCase{"wordpad_tables.rtf",
                    "P: [font=Calibri,fs=22]\"Timetable\"\n"
                    "T\n"
                    " R edge=5/108\n"
                    "  C x=2880 v=first border=10,10,10,10 shading=#d9d9d9\n"
                    "   P: [font=Calibri,fs=22]\"Monday\"\n"
                    "  C x=5760 border=10,10,10,10\n"
                    "   P: [font=SimSun,fs=22]\"早上\" [font=Calibri,fs=22]\" morning\"\n"
                    " R edge=5/108\n"
                    "  C x=2880 v=continue border=10,10,10,10 shading=#d9d9d9\n"
                    "   P:\n"
                    "  C x=5760 border=10,10,10,10\n"
                    "   P: [font=Calibri,fs=22]\"afternoon:\"\n"
                    "   T\n"
                    "    R edge=0/108\n"
                    "     C x=1200 border=10,10,10,10\n"
                    "      P: [font=Calibri,fs=22]\"room 1\"\n"
                    "     C x=2400 border=10,10,10,10\n"
                    "      P: [font=Calibri,fs=22]\"room 2\"\n"
                    "   P: [font=Calibri,fs=22]\"bring notes\"\n"
                    "P lower-letter#1 indent=720/-360/0: [font=Calibri,fs=22]\"agenda\"\n"
                    "P lower-letter#1 indent=720/-360/0: [font=Calibri,fs=22]\"minutes\"\n"
                    "P: [font=Calibri,fs=22]\"End\"\n"},
        FixtureCase{"libreoffice_7_4_tables.rtf",
                    "P: [font=DejaVu Serif]\"表格 table\"\n"
                    "T\n"
                    " R\n"
                    "  C x=1360 border=5#808080,5#808080,1#808080,5#808080 shading=#ffff00\n"
                    "   P: [font=DejaVu Serif]\"甲 A\"\n"
                    "  C x=2967 border=5#808080,1#808080,1#808080,5#808080\n"
                    "   P: [font=DejaVu Serif]\"乙 B\"\n"
                    " R\n"
                    "  C x=605 v=first border=0,5#808080,1#808080,5#808080\n"
                    "   P: [font=DejaVu Serif]\"丙 C\"\n"
                    "  C x=1360 border=0,1#808080,1#808080,5#808080\n"
                    "   P: [font=DejaVu Serif]\"丁 D1\"\n"
                    "   P: [font=DejaVu Serif]\"丁 D2\"\n"
                    "  C x=2967 border=0,1#808080,1#808080,5#808080\n"
                    "   P: [font=DejaVu Serif]\"外 outer\"\n"
                    "   T\n"
                    "    R\n"
                    "     C x=721 border=5#808080,5#808080,5#808080,5#808080\n"
                    "      P: [font=DejaVu Serif]\"内 n1\"\n"
                    "     C x=1472 border=5#808080,1#808080,5#808080,5#808080\n"
                    "      P: [font=DejaVu Serif]\"内 n2\"\n"
                    "   P:\n"
                    " R\n"
                    "  C x=605 v=continue border=0,5#808080,5#808080,5#808080\n"
                    "   P:\n"
                    "  C x=1360 border=0,1#808080,5#808080,5#808080\n"
                    "   P: [font=DejaVu Serif]\"戊 E\"\n"
                    "  C x=2967 border=0,1#808080,5#808080,5#808080\n"
                    "   P: [font=DejaVu Serif]\"己 F\"\n"
                    "P decimal#1 indent=709/-283/0: [font=DejaVu Serif]\"一 one\"\n"
                    "P lower-letter#1 level=1 indent=1418/-283/0: [font=DejaVu Serif]\"二 two\"\n"
                    "P bullet#1 level=2 indent=2127/-283/0: [font=DejaVu Serif]\"三 three\"\n"
                    "P lower-letter#1 level=1 indent=1418/-283/0: [font=DejaVu Serif]\"二 "
                    "again\"\n"
                    "P decimal#1 indent=709/-283/0: [font=DejaVu Serif]\"四 four\"\n"
                    "P: [font=DejaVu Serif]\"后 after\"\n"}),
    [](const testing::TestParamInfo<FixtureCase>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

// Search and previews read a table row as one line, its cells separated by a tab, the paragraphs
// and nested tables of a cell separated by blanks; a cell with no text adds no tab of its own
// after the row's first text.
struct RowTextCase {
    const char* file;
    std::string text;
};

void PrintTo(const RowTextCase& value, std::ostream* out) {
    *out << value.file;
}

class RtfReaderRowTextTest : public testing::TestWithParam<RowTextCase> {};

TEST_P(RtfReaderRowTextTest, ReadsARowAsOneLineOfCellsSeparatedByTabs) {
    std::string bytes = fixtureBytes(GetParam().file);
    EXPECT_EQ(documentText(read(bytes).document), GetParam().text);
    EXPECT_EQ(extractPlainText(bytes).text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, RtfReaderRowTextTest,
    testing::Values(RowTextCase{"richedit_tables.rtf",
                                "季度报表\n项目名称\tTotal\n笔记 第二段\t12\t3.5\n"
                                "第一步\n第二步\n要点\n结束"},
                    RowTextCase{"wordpad_tables.rtf",
                                "Timetable\nMonday\t早上 morning\n\tafternoon: room 1 room 2 bring "
                                "notes\nagenda\nminutes\nEnd"},
                    RowTextCase{"libreoffice_7_4_tables.rtf",
                                "表格 table\n甲 A\t乙 B\n丙 C\t丁 D1 丁 D2\t外 outer 内 n1 内 "
                                "n2\n\t戊 E\t己 F\n一 one\n二 two\n三 three\n二 again\n四 "
                                "four\n后 after"}),
    [](const testing::TestParamInfo<RowTextCase>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

struct DamageCase {
    const char* name;
    std::string rtf;
    ReadStatus status;
    std::string text;
    std::string message;
};

void PrintTo(const DamageCase& value, std::ostream* out) {
    *out << value.name;
}

class RtfReaderDamageTest : public testing::TestWithParam<DamageCase> {};

TEST_P(RtfReaderDamageTest, ReadsAsFarAsItCanAndSaysSo) {
    ReadResult result = read(GetParam().rtf);
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(documentText(result.document), GetParam().text);
    EXPECT_EQ(result.message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, RtfReaderDamageTest,
    testing::Values(
        DamageCase{"OpenRoot", "{\\rtf1 abc", ReadStatus::Truncated, "abc",
                   "the file ends inside 1 open group"},
        DamageCase{"OpenGroups", "{\\rtf1 a\\par{\\b b", ReadStatus::Truncated, "a\nb",
                   "the file ends inside 2 open groups"},
        DamageCase{"CutHexEscape", "{\\rtf1 a}\\'4", ReadStatus::Complete, "a", ""},
        DamageCase{"CutBinary", "{\\rtf1 a\\bin99 xx", ReadStatus::Truncated, "a",
                   "the file ends inside 1 open group; byte 8: \\bin announces more bytes than "
                   "the file holds"},
        DamageCase{"BadHexEscape", "{\\rtf1 a\\'zz b}", ReadStatus::Damaged, "a?zz b",
                   "byte 8: \\' is not followed by two hexadecimal digits"},
        DamageCase{"TrailingBackslash", "{\\rtf1 a\\", ReadStatus::Truncated, "a",
                   "the file ends inside 1 open group; byte 8: the file ends after a backslash"},
        DamageCase{"ExtraClosingBraces", "{\\rtf1 a}}}", ReadStatus::Complete, "a", ""}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(RtfReaderTest, MillionNestedGroupsRead) {
    constexpr std::size_t kDepth = 1'000'000;
    std::string rtf =
        "{\\rtf1 " + std::string(kDepth, '{') + "\\b deep" + std::string(kDepth, '}') + " flat}";
    ReadResult result = read(rtf);
    EXPECT_EQ(result.status, ReadStatus::Complete);
    EXPECT_EQ(dump(result.document), "P: [b]\"deep\" []\" flat\"\n");
}

TEST(RtfReaderTest, MillionNestedGroupsThatChangeStateRead) {
    std::string rtf = "{\\rtf1 ";
    for (int i = 0; i < 500'000; ++i) {
        rtf += "{\\b{\\b0";
    }
    rtf += " x";
    EXPECT_EQ(read(rtf).status, ReadStatus::Truncated);
    EXPECT_EQ(textOf(rtf), "x");
}

TEST(RtfReaderTest, MillionNestedSkippedGroupsRead) {
    std::string rtf = "{\\rtf1 a{\\*\\unknown" + std::string(1'000'000, '{') + "}b";
    ReadResult result = read(rtf);
    EXPECT_EQ(result.status, ReadStatus::Truncated);
    EXPECT_EQ(documentText(result.document), "a");
}

std::string repeated(std::string_view piece, std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) {
        text += piece;
    }
    return text;
}

std::string listOf(int levelFormat, std::size_t bytes) {
    return "{\\rtf1{\\*\\listtable{\\list\\listid1{\\listlevel\\levelnfc" +
           std::to_string(levelFormat) +
           "}}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\ls1 " +
           repeated("a\\par ", bytes) + "}";
}

constexpr std::size_t kMebibyte = 1 << 20;

// Items of ever new lists (old-style and numbered ones the file does not describe).
std::string manyLists(std::size_t bytes) {
    std::string text;
    for (int list = 1; text.size() < bytes; ++list) {
        text += "\\pard\\ls" + std::to_string(list) +
                " a\\par\\pard{\\*\\pn\\pnlvlbody}b\\par\\pard c\\par";
    }
    return text;
}

// Inputs where a text every run or item repeats could make reading or writing grow with the
// square of the file: each must read, write back to the same document and stay near its size.
struct LinearCase {
    const char* name;
    std::string rtf;
};

void PrintTo(const LinearCase& value, std::ostream* out) {
    *out << value.name;
}

class RtfReaderLinearTest : public testing::TestWithParam<LinearCase> {};

TEST_P(RtfReaderLinearTest, ReadsAndWritesBackInSizeLinearInTheFile) {
    const std::string& rtf = GetParam().rtf;
    ReadResult result = read(rtf);
    std::string written = RtfWriter().write(result.document);
    EXPECT_LT(written.size(), 32 * rtf.size());
    EXPECT_TRUE(read(written).document == result.document);
}

INSTANTIATE_TEST_SUITE_P(
    Mebibyte, RtfReaderLinearTest,
    testing::Values(
        LinearCase{"RunsOfALongLink", "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"" +
                                          std::string(kMebibyte / 2, 'x') + "\"}{\\fldrslt " +
                                          repeated("\\b a\\b0 a", kMebibyte / 2) + "}}}"},
        LinearCase{"ResultsOfALongLink", "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"" +
                                             std::string(kMebibyte / 2, 'x') + "\"}" +
                                             repeated("{\\fldrslt a}", kMebibyte / 2) + "}}"},
        LinearCase{"RunsOfALongFontName", "{\\rtf1{\\fonttbl{\\f0 " +
                                              std::string(kMebibyte / 2, 'x') + ";}}" +
                                              repeated("\\b a\\b0 a", kMebibyte / 2) + "}"},
        LinearCase{"LongLetteredList", listOf(kLevelLowerLetter, kMebibyte)},
        LinearCase{"LongRomanList", listOf(kLevelLowerRoman, kMebibyte)},
        LinearCase{"ManyLists", "{\\rtf1" + manyLists(kMebibyte) + "}"},
        LinearCase{"ManyRows",
                   "{\\rtf1" + repeated("\\trowd\\cellx9\\intbl a\\cell\\row", kMebibyte) + "}"},
        LinearCase{"DeepTables",
                   "{\\rtf1" +
                       repeated("\\pard\\intbl\\itap3 a\\nestcell\\itap1\\cell", kMebibyte) + "}"}),
    [](const testing::TestParamInfo<LinearCase>& info) { return std::string(info.param.name); });

std::string fontOfFirstRun(const std::string& fontName) {
    ReadResult result = read("{\\rtf1{\\fonttbl{\\f0\\fcharset134 " + fontName + ";}}\\f0 a}");
    return std::get<TextRun>(result.document.paragraphs.at(0).content.at(0)).format.font.str();
}

TEST(RtfReaderTest, CutsAFontNameAtACharacterAndLeavesNoBlankAtTheCut) {
    EXPECT_EQ(fontOfFirstRun(std::string(254, 'x') + "你"), std::string(254, 'x'));
    EXPECT_EQ(fontOfFirstRun(std::string(254, 'x') + " y"), std::string(254, 'x'));
}

TEST(RtfReaderTest, EveryCutOfARealFileReadsAndSaysSo) {
    std::string full = fixtureBytes("richedit_gbk.rtf");
    for (std::size_t length = kRtfSignature.size(); length < full.rfind('}'); length += 3) {
        ReadResult result = read(std::string_view(full).substr(0, length));
        EXPECT_NE(result.status, ReadStatus::Complete) << "cut at " << length;
        EXPECT_FALSE(result.message.empty()) << "cut at " << length;
    }
}

TEST(RtfReaderTest, FlippedBytesNeverCrash) {
    std::string full = fixtureBytes("word_2016.rtf");
    for (std::size_t pos = 0; pos < full.size(); pos += 5) {
        std::string damaged = full;
        damaged[pos] = static_cast<char>(damaged[pos] ^ 0x5A);
        ReadResult result = read(damaged);
        EXPECT_LE(result.document.paragraphs.size(), 64u);
    }
}

} // namespace
} // namespace tarnel::richtext
