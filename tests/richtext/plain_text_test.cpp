#include "richtext/plain_text.h"
#include "tests/richtext/document_dump.h"
#include "tests/richtext/fixture.h"

#include <gtest/gtest.h>

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
