#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "tests/richtext/document_dump.h"
#include "tests/richtext/fixture.h"

#include <gtest/gtest.h>
#include <ostream>

namespace tarnel::richtext {
namespace {

using test::dump;

constexpr Color kRed{255, 0, 0};
constexpr Color kYellow{255, 255, 0};

TextRun run(std::string text, CharFormat format = {}) {
    return TextRun{std::move(format), std::move(text)};
}

CharFormat font(std::string name) {
    CharFormat format;
    format.font = std::move(name);
    return format;
}

Paragraph paragraph(std::vector<Inline> content, Alignment alignment = Alignment::Left,
                    ListKind list = ListKind::None) {
    Paragraph result;
    result.alignment = alignment;
    result.list = list;
    result.content = std::move(content);
    return result;
}

Paragraph listItem(Paragraph item, int listId, int level = 0) {
    item.listId = listId;
    item.listLevel = level;
    return item;
}

Document sampleDocument() {
    CharFormat title = font("宋体");
    title.bold = true;
    CharFormat red = font("宋体");
    red.italic = true;
    red.color = kRed;
    CharFormat marked = font("Arial");
    marked.underline = true;
    marked.background = kYellow;
    CharFormat link = font("Arial");
    link.link = "http://a/";
    Picture picture;
    picture.data = "\x89P";
    picture.width = 1;
    picture.height = 1;
    picture.goalWidth = 15;
    picture.goalHeight = 15;
    Document document;
    document.paragraphs = {
        paragraph({run("标题", title)}, Alignment::Center),
        paragraph({run("a{b}\\ 1", font("Arial")), run("你好", red), run(" x", marked)}),
        paragraph({run("item", font("Arial"))}, Alignment::Left, ListKind::Bullet),
        paragraph({run("one", font("Arial"))}, Alignment::Left, ListKind::Decimal),
        paragraph({run("two", font("Arial"))}, Alignment::Left, ListKind::Decimal),
        paragraph({run("site", link), picture}),
    };
    return document;
}

TEST(RtfWriterTest, WritesExactBytes) {
    EXPECT_EQ(
        RtfWriter().write(sampleDocument()),
        "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 "
        "\\uc2\\u23435\\'cb\\'ce\\u20307\\'cc\\'e5;}{\\f1\\fnil\\fcharset134 "
        "Arial;}{\\f2\\fnil\\fcharset2 "
        "Symbol;}}\r\n"
        "{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}\r\n"
        "{\\*\\listtable{\\list{\\listlevel\\levelnfc23\\leveljc0\\levelfollow0\\levelstartat1"
        "{\\leveltext\\'01\\uc4\\u8226\\'81\\'36\\'a6\\'31;}{\\levelnumbers;}\\fi-360\\li360}"
        "\\listid1}{\\list{\\listlevel\\levelnfc0\\leveljc0\\levelfollow0\\levelstartat1"
        "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li360}\\listid2}}\r\n"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid2\\listoverridecount0\\ls2}}\r\n"
        "\\uc1\r\n"
        "\\pard\\qc{\\dbch\\af0\\loch\\f0\\fs24\\b\\uc2\\u26631\\'b1\\'ea\\u-26472\\'cc\\'e2}"
        "\\par\r\n"
        "\\pard{\\dbch\\af1\\loch\\f1\\fs24 a\\{b\\}\\\\ "
        "1}{\\dbch\\af0\\loch\\f0\\fs24\\i\\cf1\\uc2\\u20320\\'c4\\'e3\\u22909\\'ba\\'c3}"
        "{\\dbch\\af1\\loch\\f1\\fs24\\ul\\highlight2  x}\\par\r\n"
        "\\pard\\ls1\\ilvl0{\\pntext\\f2\\'b7\\tab}{\\dbch\\af1\\loch\\f1\\fs24 item}\\par\r\n"
        "\\pard\\ls2\\ilvl0{\\pntext\\f0 1.\\tab}{\\dbch\\af1\\loch\\f1\\fs24 one}\\par\r\n"
        "\\pard\\ls2\\ilvl0{\\pntext\\f0 2.\\tab}{\\dbch\\af1\\loch\\f1\\fs24 two}\\par\r\n"
        "\\pard{\\field{\\*\\fldinst{HYPERLINK "
        "\"http://a/\"}}{\\fldrslt{\\dbch\\af1\\loch\\f1\\fs24 site}}}"
        "{\\pict\\pngblip\\picw1\\pich1\\picwgoal15\\pichgoal15\r\n8950}\\par\r\n"
        "}");
}

TEST(RtfWriterTest, EmptyDocumentIsValidRtf) {
    EXPECT_EQ(
        RtfWriter().write(Document{}),
        "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134;}}\r\n\\uc1\r\n}");
}

struct TextCase {
    const char* name;
    std::string text;
    std::string rtf;
};

void PrintTo(const TextCase& value, std::ostream* out) {
    *out << value.name;
}

class RtfWriterTextTest : public testing::TestWithParam<TextCase> {};

// The run's group as written, without the header around it.
std::string writtenRun(const std::string& text) {
    Document document;
    document.paragraphs = {paragraph({run(text)})};
    std::string rtf = RtfWriter().write(document);
    std::size_t begin = rtf.find("\\pard") + 5;
    return rtf.substr(begin, rtf.rfind("\\par") - begin);
}

TEST_P(RtfWriterTextTest, WritesCharacters) {
    EXPECT_EQ(writtenRun(GetParam().text), GetParam().rtf);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, RtfWriterTextTest,
    testing::Values(
        TextCase{"LeadingSpaceKeepsDelimiter", " a", "{\\dbch\\af0\\loch\\f0\\fs24  a}"},
        TextCase{"DigitAfterWord", "1", "{\\dbch\\af0\\loch\\f0\\fs24 1}"},
        TextCase{"HyphenAfterWord", "-2", "{\\dbch\\af0\\loch\\f0\\fs24 -2}"},
        TextCase{"PunctuationNeedsNoDelimiter", ".", "{\\dbch\\af0\\loch\\f0\\fs24.}"},
        TextCase{"TabAndLineBreak", "a\tb\nc", "{\\dbch\\af0\\loch\\f0\\fs24 a\\tab b\\line c}"},
        TextCase{"LatinWithGbFallback", "é", "{\\dbch\\af0\\loch\\f0\\fs24\\uc2\\u233\\'a8\\'a6}"},
        TextCase{"EuroHasFourByteGb18030", "€",
                 "{\\dbch\\af0\\loch\\f0\\fs24\\uc2\\u8364\\'a2\\'e3}"},
        TextCase{"SupplementaryCharacter", "😀",
                 "{\\dbch\\af0\\loch\\f0\\fs24\\uc0\\u-10179\\uc4\\u-8704\\'94\\'39\\'fc\\'36}"},
        TextCase{"SkipCountChangesOnlyWhenNeeded", "你a你",
                 "{\\dbch\\af0\\loch\\f0\\fs24\\uc2\\u20320\\'c4\\'e3a\\u20320\\'c4\\'e3}"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

Document everyFeature() {
    CharFormat all = font("微软雅黑");
    all.sizeHalfPoints = 31;
    all.bold = all.italic = all.underline = all.strikeThrough = true;
    all.color = Color{1, 2, 3};
    all.background = Color{4, 5, 6};
    CharFormat hidden;
    hidden.hidden = true;
    CharFormat place;
    place.link = "#top";
    CharFormat odd;
    odd.link = "C:\\dir\\\"x\".txt";
    Paragraph indented = paragraph({run("indented")}, Alignment::Justify, ListKind::UpperRoman);
    indented.listId = 1;
    indented.leftIndent = 720;
    indented.firstLineIndent = -360;
    indented.rightIndent = 144;
    Picture metafile;
    metafile.format = PictureFormat::Wmf;
    metafile.metafileMapMode = 1;
    metafile.data = std::string("\x01\x00\x09\x00", 4);
    metafile.scaleX = 50;
    metafile.scaleY = 200;
    Picture bitmap;
    bitmap.format = PictureFormat::Bmp;
    bitmap.data = "(";
    Picture jpeg;
    jpeg.format = PictureFormat::Jpeg;
    jpeg.data = "\xFF\xD8";
    Picture emf;
    emf.format = PictureFormat::Emf;
    emf.data = std::string(1000, '\x7F');
    Picture animated;
    animated.data = "\x89PNG";
    animated.animation = std::string("GIF89a\x00\x01", 8);
    Document document;
    document.paragraphs = {
        paragraph({run("all 全部 formats", all), run("secret", hidden), run("😀\t\n{}", font(""))}),
        paragraph({}),
        indented,
        listItem(paragraph({run("b")}, Alignment::Right, ListKind::LowerLetter), 2),
        listItem(paragraph({run("c")}, Alignment::Right, ListKind::UpperLetter), 3),
        listItem(paragraph({run("d")}, Alignment::Right, ListKind::LowerRoman), 4),
        paragraph({run("up", place), run("file", odd), metafile, bitmap, jpeg, emf}),
        paragraph({animated, run("after")}),
    };
    return document;
}

TEST(RtfWriterTest, ReaderGetsBackEveryFeature) {
    Document document = everyFeature();
    ReadResult result = RtfReader().read(RtfWriter().write(document));
    EXPECT_EQ(result.status, ReadStatus::Complete) << result.message;
    EXPECT_EQ(dump(result.document), dump(document));
    EXPECT_EQ(result.document, document);
}

TEST(RtfWriterTest, AnAnimatedPictureIsItsFirstFrameForOtherReadersAndItsGifForUs) {
    Picture animated;
    animated.data = "\x89P";
    animated.animation = "GIF";
    Document document;
    document.paragraphs = {paragraph({animated})};
    std::string bytes = RtfWriter().write(document);
    EXPECT_NE(bytes.find("{\\*\\tarnelgif\r\n474946}{\\pict\\pngblip"), std::string::npos) << bytes;
    // A read that leaves pictures out passes over the animation as over the picture.
    ReadResult omitted = RtfReader({PictureData::Omit}).read(bytes);
    EXPECT_EQ(omitted.document.paragraphs.size(), 1u);
    EXPECT_TRUE(omitted.document.paragraphs[0].content.empty());
}

TEST(RtfReaderDroppedTest, TheReaderNamesObjectsAndFieldsItKeepsOnlyTheTextOf) {
    ReadResult plain = RtfReader().read(
        "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"http://a/\"}{\\fldrslt a}} text\\par}");
    EXPECT_FALSE(plain.droppedObjects || plain.droppedFields);
    ReadResult table = RtfReader().read("{\\rtf1\\trowd\\cellx100 a\\cell\\row}");
    EXPECT_FALSE(table.droppedObjects || table.droppedFields || table.unkeptTableRows > 0);
    ReadResult object =
        RtfReader().read("{\\rtf1{\\object\\objemb{\\*\\objdata 01}{\\result r}}\\par}");
    EXPECT_TRUE(object.droppedObjects);
    EXPECT_FALSE(object.droppedFields);
    ReadResult field = RtfReader().read("{\\rtf1{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par}");
    EXPECT_TRUE(field.droppedFields);
    EXPECT_FALSE(field.droppedObjects);
}

struct LabelCase {
    ListKind kind;
    int number;
    std::string label;
};

void PrintTo(const LabelCase& value, std::ostream* out) {
    *out << value.label;
}

class RtfWriterListLabelTest : public testing::TestWithParam<LabelCase> {};

// The number text that readers without list numbering show for the list's last item.
TEST_P(RtfWriterListLabelTest, WritesTheNumberText) {
    Document document;
    document.paragraphs.assign(static_cast<std::size_t>(GetParam().number),
                               paragraph({run("x")}, Alignment::Left, GetParam().kind));
    std::string written = RtfWriter().write(document);
    constexpr std::string_view kPrefix = "{\\pntext\\f0 ";
    std::size_t start = written.rfind(kPrefix) + kPrefix.size();
    EXPECT_EQ(written.substr(start, written.find("\\tab", start) - start), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(Items, RtfWriterListLabelTest,
                         testing::Values(LabelCase{ListKind::Decimal, 12, "12."},
                                         LabelCase{ListKind::LowerLetter, 27, "aa."},
                                         LabelCase{ListKind::UpperLetter, 780,
                                                   std::string(30, 'Z') + "."},
                                         LabelCase{ListKind::LowerLetter, 781, "781."},
                                         LabelCase{ListKind::UpperRoman, 3999, "MMMCMXCIX."},
                                         LabelCase{ListKind::LowerRoman, 4000, "4000."}));

class RtfWriterFixtureTest : public testing::TestWithParam<const char*> {};

TEST_P(RtfWriterFixtureTest, RealFilesSurviveAWriteAndRead) {
    Document original = RtfReader().read(test::fixtureBytes(GetParam())).document;
    std::string written = RtfWriter().write(original);
    Document again = RtfReader().read(written).document;
    EXPECT_EQ(dump(again), dump(original));
    EXPECT_EQ(again, original);
    EXPECT_EQ(RtfWriter().write(again), written);
}

INSTANTIATE_TEST_SUITE_P(Programs, RtfWriterFixtureTest,
                         testing::Values("richedit_gbk.rtf", "wordpad.rtf", "word_2016.rtf",
                                         "libreoffice_7_4.rtf", "richedit_tables.rtf",
                                         "wordpad_tables.rtf", "libreoffice_7_4_tables.rtf"));

TableCell cell(int right, std::vector<Paragraph> blocks) {
    TableCell out;
    out.rightBoundary = right;
    out.paragraphs = std::move(blocks);
    return out;
}

Paragraph tableBlock(std::vector<TableRow> rows) {
    Paragraph block;
    block.table.push_back(Table{std::move(rows)});
    return block;
}

// A 2 x 2 table whose first row is one merged cell with a border and shading, and whose last
// cell holds a nested table of one row under a paragraph.
Document tableDocument() {
    TableRow nestedRow;
    nestedRow.cells = {cell(1000, {paragraph({run("n1")})}), cell(2000, {paragraph({run("n2")})})};
    TableCell merged = cell(1440, {paragraph({run("top")}, Alignment::Center)});
    merged.horizontalMerge = CellMerge::First;
    merged.bottom = Border{15, kRed};
    merged.shading = kYellow;
    TableCell covered = cell(2880, {paragraph({})});
    covered.horizontalMerge = CellMerge::Continue;
    TableRow first;
    first.height = -400;
    first.alignment = Alignment::Center;
    first.cellGap = 108;
    first.cells = {merged, covered};
    TableRow second;
    second.cells = {cell(1440, {paragraph({run("a")})}),
                    cell(2880, {paragraph({run("b")}), tableBlock({nestedRow}), paragraph({})})};
    Document document;
    document.paragraphs = {tableBlock({first, second}), paragraph({run("after")})};
    return document;
}

TEST(RtfWriterTest, WritesTablesWithMergesAndNestedTablesAsWordDoes) {
    std::string written = RtfWriter().write(tableDocument());
    std::size_t body = written.find("\\uc1\r\n") + 6;
    EXPECT_EQ(written.substr(body),
              "\\trowd\\trgaph108\\trleft0\\trrh-400\\trqc\\clmgf\\clbrdrb\\brdrs\\brdrw15\\brdrcf1"
              "\\clcbpat2\\cellx1440\\clmrg\\cellx2880"
              "\\pard\\intbl\\qc{\\dbch\\af0\\loch\\f0\\fs24 top}\\cell\r\n"
              "\\pard\\intbl\\cell\r\n"
              "\\row\r\n"
              "\\trowd\\trgaph0\\trleft0\\cellx1440\\cellx2880"
              "\\pard\\intbl{\\dbch\\af0\\loch\\f0\\fs24 a}\\cell\r\n"
              "\\pard\\intbl{\\dbch\\af0\\loch\\f0\\fs24 b}\\par\r\n"
              "\\pard\\intbl\\itap2{\\dbch\\af0\\loch\\f0\\fs24 n1}\\nestcell\r\n"
              "\\pard\\intbl\\itap2{\\dbch\\af0\\loch\\f0\\fs24 n2}\\nestcell\r\n"
              "\\pard\\intbl\\itap2{\\*\\nesttableprops\\trowd\\trgaph0\\trleft0\\cellx1000"
              "\\cellx2000\\nestrow}{\\nonesttables\\par}\r\n"
              "\\pard\\intbl\\cell\r\n"
              "\\row\r\n"
              "\\pard{\\dbch\\af0\\loch\\f0\\fs24 after}\\par\r\n"
              "}");
    ReadResult read = RtfReader().read(written);
    EXPECT_EQ(read.status, ReadStatus::Complete) << read.message;
    EXPECT_EQ(read.unkeptTableRows, 0);
    EXPECT_EQ(dump(read.document), dump(tableDocument()));
    EXPECT_EQ(read.document, tableDocument());
    EXPECT_EQ(RtfWriter().write(read.document), written);
}

// Items keep their list, level, start number and bullet; numbering runs on across other
// paragraphs and starts again below a higher level.
TEST(RtfWriterTest, WritesListLevelsAndTheirLabels) {
    Paragraph bullet = listItem(paragraph({run("b")}, Alignment::Left, ListKind::Bullet), 1);
    Paragraph square = listItem(paragraph({run("s")}, Alignment::Left, ListKind::Bullet), 1, 2);
    square.listBullet = "▪";
    Paragraph number = listItem(paragraph({run("n")}, Alignment::Left, ListKind::LowerRoman), 1, 1);
    number.listStart = 3;
    Document document;
    document.paragraphs = {bullet, number, square, number, paragraph({run("plain")}),
                           bullet, number};
    std::string written = RtfWriter().write(document);
    ReadResult read = RtfReader().read(written);
    EXPECT_EQ(dump(read.document), dump(document));
    EXPECT_EQ(read.document, document);
    std::vector<std::string> labels;
    for (std::size_t at = written.find("{\\pntext"); at != std::string::npos;
         at = written.find("{\\pntext", at + 1)) {
        labels.push_back(written.substr(at + 8, written.find("\\tab", at) - at - 8));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"\\f1\\'b7", "\\f0 iii.",
                                                "\\f0\\uc4\\u9642\\'81\\'37\\'9b\\'34", "\\f0 iv.",
                                                "\\f1\\'b7", "\\f0 iii."}));
}

// A number's texts go into its level's text around the number (the count of characters first,
// the number's place in \\levelnumbers) and into the label for older readers, and come back.
TEST(RtfWriterTest, WritesTheTextsAroundANumberAndReadsThemBack) {
    Paragraph chapter = listItem(paragraph({run("c")}, Alignment::Left, ListKind::Decimal), 1);
    chapter.listNumberPrefix = "第";
    chapter.listNumberSuffix = "章";
    Paragraph part = listItem(paragraph({run("p")}, Alignment::Left, ListKind::LowerLetter), 1, 1);
    part.listNumberPrefix = "(";
    part.listNumberSuffix = ")";
    Document document;
    document.paragraphs = {chapter, part, part};
    std::string written = RtfWriter().write(document);
    EXPECT_NE(written.find("{\\leveltext\\'03\\uc2\\u31532\\'b5\\'da\\'00\\u31456\\'d5\\'c2;}"
                           "{\\levelnumbers\\'02;}"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("{\\leveltext\\'03(\\'01);}{\\levelnumbers\\'02;}"), std::string::npos);
    EXPECT_NE(written.find("{\\pntext\\f0(b)\\tab}"), std::string::npos);
    ReadResult read = RtfReader().read(written);
    EXPECT_EQ(dump(read.document), dump(document));
    EXPECT_EQ(read.document, document);
}

// The numbers of the levels above go before the own one, each with the joint, into the level's
// text (every number's place in \\levelnumbers) and with their values into the label.
TEST(RtfWriterTest, WritesTheNumbersOfTheLevelsAboveAndReadsThemBack) {
    Paragraph chapter = listItem(paragraph({run("c")}, Alignment::Left, ListKind::Decimal), 1);
    Paragraph section = listItem(paragraph({run("s")}, Alignment::Left, ListKind::Decimal), 1, 1);
    section.listOuterNumbers = 1;
    section.listNumberJoint = ".";
    Paragraph point = listItem(paragraph({run("p")}, Alignment::Left, ListKind::LowerLetter), 1, 2);
    point.listNumberPrefix = "(";
    point.listNumberSuffix = ")";
    point.listOuterNumbers = 2;
    point.listNumberJoint = "-";
    Document document;
    document.paragraphs = {chapter, section, point, chapter, section, section, point};
    std::string written = RtfWriter().write(document);
    EXPECT_NE(written.find("{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}"),
              std::string::npos)
        << written;
    EXPECT_NE(
        written.find("{\\leveltext\\'07(\\'00-\\'01-\\'02);}{\\levelnumbers\\'02\\'04\\'06;}"),
        std::string::npos);
    std::vector<std::string> labels;
    for (std::size_t at = written.find("{\\pntext"); at != std::string::npos;
         at = written.find("{\\pntext", at + 1)) {
        labels.push_back(written.substr(at + 8, written.find("\\tab", at) - at - 8));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"\\f0 1.", "\\f0 1.1.", "\\f0(1-1-a)", "\\f0 2.",
                                                "\\f0 2.1.", "\\f0 2.2.", "\\f0(2-2-a)"}));
    ReadResult read = RtfReader().read(written);
    EXPECT_EQ(dump(read.document), dump(document));
    EXPECT_EQ(read.document, document);
}

// The document's blocks handed over as they are made: after every block, a few at a time, or
// none before the end.
std::string streamed(const Document& document, std::size_t every) {
    Document made;
    made.paragraphs.reserve(document.paragraphs.size());
    RtfStreamWriter writer(made.paragraphs);
    for (const Paragraph& block : document.paragraphs) {
        made.paragraphs.push_back(block);
        if (every != 0 && made.paragraphs.size() % every == 0) {
            writer.ready(made.paragraphs.size());
        }
    }
    std::string out;
    std::size_t count = writer.finish(made, [&out](std::string_view piece) { out += piece; });
    EXPECT_EQ(count, out.size());
    return out;
}

// Bullets of the symbol font, which is numbered after every other font, spread over many of
// the writer's pieces, so that its number goes in at piece boundaries too.
Document manySymbolBullets() {
    Document document;
    for (int i = 0; i < 4000; ++i) {
        std::string text(static_cast<std::size_t>(i % 40), 'x');
        document.paragraphs.push_back(
            i % 3 == 0 ? paragraph({run(text, font(i % 7 == 0 ? "宋体" : "Arial"))},
                                   Alignment::Left, ListKind::Bullet)
                       : paragraph({run(text + "你好")}));
    }
    return document;
}

// A section numbered with its chapter's number before any chapter came: the chapter's style is
// known only later.
Document sectionBeforeItsChapter() {
    Paragraph chapter = listItem(paragraph({run("c")}, Alignment::Left, ListKind::UpperRoman), 1);
    Paragraph section = listItem(paragraph({run("s")}, Alignment::Left, ListKind::Decimal), 1, 1);
    section.listOuterNumbers = 1;
    section.listNumberJoint = ".";
    Document document;
    document.paragraphs = {section, chapter, section};
    return document;
}

TEST(RtfStreamWriterTest, GivesTheWritersBytesHoweverTheBlocksAreHandedOver) {
    std::vector<Document> documents = {Document{}, sampleDocument(), tableDocument(),
                                       manySymbolBullets(), sectionBeforeItsChapter()};
    for (const char* name : {"word_2016.rtf", "libreoffice_7_4.rtf", "libreoffice_7_4_tables.rtf",
                             "wordpad_tables.rtf"}) {
        documents.push_back(RtfReader().read(test::fixtureBytes(name)).document);
    }
    for (std::size_t d = 0; d < documents.size(); ++d) {
        std::string whole = RtfWriter().write(documents[d]);
        for (std::size_t every : {1, 3, 500, 0}) {
            EXPECT_EQ(streamed(documents[d], every), whole) << "document " << d << ", " << every;
        }
    }
}

} // namespace
} // namespace tarnel::richtext
