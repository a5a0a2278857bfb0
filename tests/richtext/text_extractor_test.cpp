#include "platform/codepage.h"
#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "richtext/text_extractor.h"
#include "tests/richtext/fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tarnel::richtext {
namespace {

// Collects the text; with a stop word, ends the extraction once the word has come.
struct CollectingSink : TextSink {
    std::string collected;
    std::string stopAt;
    int pieces = 0;

    bool text(std::string_view utf8) override {
        ++pieces;
        collected += utf8;
        return stopAt.empty() || collected.find(stopAt) == std::string::npos;
    }
};

struct Extracted {
    std::string text;
    ReadStatus status = ReadStatus::Complete;
    SourceFormat source = SourceFormat::Rtf;
    std::string message;
};

Extracted extractInPieces(std::string_view bytes, std::size_t piece) {
    CollectingSink sink;
    TextExtractor extractor(sink);
    for (std::size_t pos = 0; pos < bytes.size(); pos += piece) {
        extractor.feed(bytes.substr(pos, piece));
    }
    Extracted result;
    result.status = extractor.finish();
    result.source = extractor.source();
    result.message = extractor.message();
    result.text = std::move(sink.collected);
    return result;
}

// The streaming pass must give the text of the document the reader reads and the reader's
// format, status and message, however the bytes are cut into pieces: one byte at a time, odd
// sizes, the whole file at once; and so must the extraction of the whole bytes.
void expectSameAsFullRead(const std::string& bytes) {
    ReadResult read = RtfReader(ReadOptions{PictureData::Omit}).read(bytes);
    const std::string text = documentText(read.document);
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{61}, bytes.size() + 1}) {
        Extracted streamed = extractInPieces(bytes, piece);
        EXPECT_EQ(streamed.text, text) << "pieces of " << piece;
        EXPECT_EQ(streamed.status, read.status) << "pieces of " << piece;
        EXPECT_EQ(streamed.source, read.source) << "pieces of " << piece;
        EXPECT_EQ(streamed.message, read.message) << "pieces of " << piece;
    }
    PlainTextResult whole = extractPlainText(bytes);
    EXPECT_EQ(whole.text, text);
    EXPECT_EQ(whole.status, read.status);
    EXPECT_EQ(whole.source, read.source);
    EXPECT_EQ(whole.message, read.message);
}

TEST(TextExtractorTest, GivesTheTextOfTheFullReadForRealFiles) {
    for (const char* name :
         {"richedit_gbk.rtf", "wordpad.rtf", "word_2016.rtf", "libreoffice_7_4.rtf",
          "richedit_tables.rtf", "wordpad_tables.rtf", "libreoffice_7_4_tables.rtf"}) {
        SCOPED_TRACE(name);
        expectSameAsFullRead(test::fixtureBytes(name));
    }
}

// Raw GBK text longer than a piece, with two- and four-byte characters.
std::string longRawGbkText() {
    std::string text = "{\\rtf1\\ansicpg936 ";
    for (int i = 0; i < 3000; ++i) {
        text += "\xD6\xD0"
                "ab"
                "\x81\x30\x81\x30";
    }
    return text + "}";
}

TEST(TextExtractorTest, GivesTheTextOfTheFullReadForHandMadeAndDamagedInput) {
    const std::string cases[] = {
        longRawGbkText(),
        // GBK bytes under a \fcharset134 font, Latin-1 under the document's code page.
        "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce;}{\\f1 Arial;}}"
        "\\f0\\'d6\\'d0\\'ce\\'c4 \\f1\\'e9t\\'e9\\par}",
        // \uN with a two-byte fallback, a surrogate pair and a lone one, \uc0.
        "{\\rtf1\\uc2\\u20013\\'d6\\'d0 \\u-10179\\u-8704?? x\\u-10179 y{\\uc0\\u25991 z}}",
        // Escaped bytes in a row: a fallback that ends part way through them, zero bytes between
        // the halves of a pair and inside a character.
        "{\\rtf1\\ansicpg936\\uc2\\u20320\\'c4\\'e3\\'ba\\'c3 \\uc0\\u-10179\\'00\\'00\\u-8704 "
        "\\'c4\\'00\\'e3}",
        // Destinations that hold no body text, hidden text, a field's instruction and result.
        "{\\rtf1{\\stylesheet{\\s1 Heading;}}{\\info{\\title T}}{\\*\\generator G;}"
        "{\\pict\\pngblip 8950}a{\\v hidden}b{\\field{\\*\\fldinst HYPERLINK \"x\"}"
        "{\\fldrslt link}}\\cell c\\row\\sect\\page{\\*\\unknown u}d\\emdash\\~\\line e}",
        // Binary data that holds braces and backslashes; a backslash of data just before a
        // control word, which is no escaped backslash.
        "{\\rtf1 a{\\pict\\bin6 {}\\\\}}b\\par}",
        "{\\rtf1 a\\bin1\\\\line b\\par}",
        // Paragraph marks of every kind around empty and hidden paragraphs.
        "{\\rtf1 a\\par\\par{\\v h}\\par b\\\n c\\par{\\pict\\pngblip 00}}",
        // Tables: rows as lines, a nested table, a cell without its end mark, a row beyond the
        // depth kept, a table cut short.
        "{\\rtf1\\trowd\\cellx1\\cellx2\\pard\\intbl A\\cell B\\par\\pard\\intbl\\itap2 n\\nestcell"
        "{\\*\\nesttableprops\\trowd\\cellx1\\nestrow}{\\nonesttables\\par}\\pard\\intbl\\cell\\row"
        "\\pard\\intbl\\cell\\cell D\\cell\\row\\pard\\intbl E\\par\\pard\\intbl\\itap9 F\\nestcell"
        "\\nestrow\\pard x\\par\\intbl G\\cell{\\v h}\\cell}",
        "{\\rtf1\\pard\\intbl A\\cell\\pard\\intbl\\itap2 B\\par",
        // Damage: a cut \', a file cut inside groups and inside \bin.
        "{\\rtf1 ab\\'zz cd}",
        "{\\rtf1 {\\b ab\\par cd",
        "{\\rtf1 x{\\pict\\bin100 short",
        "{\\rtf1 x\\'zz{\\pict\\bin100 short",
        // Deep nesting costs nothing, a zero byte is no character, text after the end is left.
        std::string(20000, '{') + "\\rtf1 deep\\'00" + std::string(20000, '}') + "after",
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.substr(0, 80));
        expectSameAsFullRead(bytes);
    }
}

TEST(TextExtractorTest, WordsAreWholeAcrossFormatRunsLineBreaksAndEscapes) {
    EXPECT_EQ(extractInPieces("{\\rtf1 se{\\b ar}\\i ch\\i0}", 2).text, "search");
    EXPECT_EQ(extractInPieces("{\\rtf1 sea\r\nrch}", 4).text, "search");
    EXPECT_EQ(extractInPieces("{\\rtf1\\ansicpg936 \\'cb\\'d1\r\n\\'cb\\'f7}", 5).text, "搜索");
    EXPECT_EQ(extractInPieces("{\\rtf1 \\u25628?{\\b\\u32034?}}", 3).text, "搜索");
}

TEST(TextExtractorTest, OurWritersOutputReadsBack) {
    Document document;
    Paragraph first;
    first.content.push_back(TextRun{{}, "知识 knowledge "});
    CharFormat bold;
    bold.bold = true;
    first.content.push_back(TextRun{bold, "管理{\\}"});
    document.paragraphs.push_back(first);
    document.paragraphs.push_back(Paragraph{});
    std::string bytes = RtfWriter().write(document);
    expectSameAsFullRead(bytes);
    EXPECT_EQ(extractInPieces(bytes, 7).text, "知识 knowledge 管理{\\}\n");
}

TEST(TextExtractorTest, PlainTextDecodesAsTheReaderDoes) {
    const std::string cases[] = {
        "ascii only\r\nline two\rthree\n\n",
        platform::utf8ToGb("GB18030 文本\r\n第二行\n"),
        "\xEF\xBB\xBF"
        "UTF-8 文本\n",
        "ascii first then \xEF\xBB\xBF not a mark",
        std::string("nul\0bytes"
                    "\xC4\xE3",
                    11),
        "{\\rt",
        "",
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes);
        expectSameAsFullRead(bytes);
    }
}

// Counts the pieces read, to tell how far a file was read.
struct CountingFileSystem : platform::FileSystem {
    mutable int chunks = 0;

    int readChunks(const std::filesystem::path& path, const ChunkConsumer& consume) const override {
        return FileSystem::readChunks(path, [&](std::string_view chunk, std::uint64_t size) {
            ++chunks;
            return consume(chunk, size);
        });
    }
};

TEST(TextExtractorTest, TheSinkEndsTheExtractionAndTheFileIsReadNoFurther) {
    tarnel::test::TempDir dir;
    std::string body(4 * platform::FileSystem::kReadChunkBytes, 'x');
    tarnel::test::writeBytes(dir / "big.rtf", "{\\rtf1 needle " + body + " tail}");
    CountingFileSystem fileSystem;
    CollectingSink sink;
    sink.stopAt = "needle";
    FileText read = extractFileText(fileSystem, dir / "big.rtf", sink);
    EXPECT_EQ(read.error, 0);
    EXPECT_EQ(fileSystem.chunks, 1);
    EXPECT_EQ(sink.pieces, 1);

    CollectingSink missing;
    EXPECT_EQ(extractFileText(fileSystem, dir / "none.rtf", missing).error, ENOENT);
    EXPECT_EQ(extractFileText(fileSystem, dir.path(), missing).error, EISDIR);
    EXPECT_EQ(missing.collected, "");
}

} // namespace
} // namespace tarnel::richtext
