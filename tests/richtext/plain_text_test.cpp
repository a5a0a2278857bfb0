#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"
#include "tests/richtext/document_dump.h"
#include "tests/richtext/fixture.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace tarnel::richtext {
namespace {

TEST(PlainTextTest, DecodesValidUtf8AsIsWithoutByteOrderMark) {
    EXPECT_EQ(decodePlainText("\xEF\xBB\xBF你好"), "你好");
}

TEST(PlainTextTest, DecodesOtherBytesAsGb18030) {
    EXPECT_EQ(decodePlainText("\xC4\xE3\xBA\xC3 ok"), "你好 ok");
}

TEST(PlainTextTest, EveryLineIsAParagraph) {
    EXPECT_EQ(test::dump(documentFromPlainText("a\r\nb\rc\n\nd\n")),
              "P: []\"a\"\nP: []\"b\"\nP: []\"c\"\nP:\nP: []\"d\"\n");
}

TEST(PlainTextTest, TabsStayInTheText) {
    EXPECT_EQ(test::dump(documentFromPlainText("a\tb")), "P: []\"a\\tb\"\n");
}

TEST(PlainTextTest, EmptyFileHasNoParagraphs) {
    EXPECT_TRUE(documentFromPlainText("").paragraphs.empty());
}

TEST(PlainTextTest, ExtractionLeavesOutPicturesHiddenTextAndDestinations) {
    PlainTextResult result = extractPlainText(
        "{\\rtf1{\\*\\bookmark x}a{\\pict\\pngblip 8950}{\\v b}\\par c\\tab d\\line e}");
    EXPECT_EQ(result.text, "a\nc\td\ne");
    EXPECT_EQ(result.source, SourceFormat::Rtf);
    EXPECT_EQ(result.status, ReadStatus::Complete);
}

struct AgreementCase {
    const char* name;
    std::string rtf;
    std::string text;
};

void PrintTo(const AgreementCase& value, std::ostream* out) {
    *out << value.name;
}

class PlainTextAgreementTest : public testing::TestWithParam<AgreementCase> {};

// Extraction passes over pictures unread; the lines it gives must be those of the full read.
TEST_P(PlainTextAgreementTest, ExtractionGivesTheLinesOfTheFullRead) {
    EXPECT_EQ(extractPlainText(GetParam().rtf).text, GetParam().text);
    EXPECT_EQ(documentText(RtfReader().read(GetParam().rtf).document), GetParam().text);
}

std::string caseName(const testing::TestParamInfo<AgreementCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    PictureAloneInLastParagraph, PlainTextAgreementTest,
    testing::Values(AgreementCase{"Kept", "{\\rtf1 a\\par{\\pict\\pngblip 00}}", "a\n"},
                    AgreementCase{"FormatNotHeld", "{\\rtf1 a\\par{\\pict\\macpict 0011}}", "a\n"},
                    AgreementCase{"WithoutData", "{\\rtf1 a\\par{\\pict\\wmetafile8}}", "a\n"},
                    AgreementCase{"CutShort", "{\\rtf1 a\\par{\\pict\\pngblip 00", "a\n"}),
    caseName);

// Only a picture's own words count inside it: the rest would change the text of a full read only.
INSTANTIATE_TEST_SUITE_P(
    WordsInsideAPicture, PlainTextAgreementTest,
    testing::Values(
        AgreementCase{"FieldResult", "{\\rtf1 x{\\pict\\pngblip{\\field{\\fldrslt a}}00}y}", "xy"},
        AgreementCase{"CodePage", "{\\rtf1 {\\pict\\pngblip\\ansicpg936 00}\\'c4\\'e3}", "Äã"},
        AgreementCase{"FontTable",
                      "{\\rtf1 {\\pict{\\fonttbl{\\f0\\fcharset134 S;}}00}\\f0\\'c4\\'e3}", "Äã"}),
    caseName);

TEST(PlainTextTest, ExtractionOfARealFile) {
    EXPECT_EQ(extractPlainText(test::fixtureBytes("richedit_gbk.rtf")).text,
              "标题\n红色 italic 下划线\n项目\n第二项\n丂 乗 ☃最后\n");
}

TEST(PlainTextTest, ExtractionOfPlainTextFile) {
    PlainTextResult result = extractPlainText("\xC4\xE3\r\nb");
    EXPECT_EQ(result.text, "你\nb");
    EXPECT_EQ(result.source, SourceFormat::PlainText);
}

TEST(PlainTextTest, ExtractionSaysWhenTheFileIsCut) {
    PlainTextResult result = extractPlainText("{\\rtf1 abc\\par de");
    EXPECT_EQ(result.text, "abc\nde");
    EXPECT_EQ(result.status, ReadStatus::Truncated);
}

} // namespace
} // namespace tarnel::richtext
