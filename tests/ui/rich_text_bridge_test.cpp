#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "tests/richtext/document_dump.h"
#include "tests/richtext/fixture.h"
#include "ui/rich_text_bridge.h"

#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <algorithm>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using namespace richtext;

Document throughQt(const Document& document) {
    QTextDocument qt;
    toQt(document, qt);
    return fromQt(qt);
}

std::vector<std::string> pictureBytes(const Document& document) {
    std::vector<std::string> out;
    for (const Paragraph& paragraph : document.paragraphs) {
        for (const Inline& item : paragraph.content) {
            if (const auto* picture = std::get_if<Picture>(&item)) {
                out.push_back(picture->data);
            }
        }
    }
    return out;
}

void expectKept(const Document& document) {
    Document back = throughQt(document);
    EXPECT_EQ(richtext::test::dump(back), richtext::test::dump(document));
    EXPECT_TRUE(back == document);
    RtfWriter writer;
    EXPECT_EQ(writer.write(back), writer.write(document));
    EXPECT_EQ(pictureBytes(back), pictureBytes(document));
    QTextDocument qt;
    toQt(document, qt);
    std::string written;
    EXPECT_TRUE(writtenFromQt(qt, [&](std::string_view piece) { written += piece; }) == document);
    EXPECT_EQ(written, writer.write(document));
}

TEST(RichTextBridgeTest, EveryFixtureComesBackAsItWasRead) {
    for (const char* name :
         {"libreoffice_7_4.rtf", "richedit_gbk.rtf", "word_2016.rtf", "wordpad.rtf"}) {
        SCOPED_TRACE(name);
        ReadResult read = RtfReader().read(richtext::test::fixtureBytes(name));
        ASSERT_FALSE(read.document.paragraphs.empty());
        expectKept(read.document);
    }
}

CharFormat everyCharField() {
    CharFormat format;
    format.font = "Nowhere Sans 未知";
    format.sizeHalfPoints = 21;
    format.bold = true;
    format.italic = true;
    format.underline = true;
    format.strikeThrough = true;
    format.color = Color{0, 0, 0};
    format.background = Color{204, 232, 207};
    format.link = "https://example.org/a?b=1";
    return format;
}

Picture picture(PictureFormat format, std::string data, int width, int height) {
    Picture out;
    out.format = format;
    out.data = std::move(data);
    out.width = width;
    out.height = height;
    return out;
}

// A PNG, a 1x1 bitmap, unreadable metafiles and an animated PNG, with every picture field set on
// some.
std::vector<Inline> pictures() {
    Picture png = picture(PictureFormat::Png, richtext::test::fixtureBytes("dot.png"), 1, 1);
    png.goalWidth = 300;
    png.goalHeight = 150;
    png.scaleX = 50;
    png.scaleY = 200;
    std::string dib(40, '\0');
    dib[0] = 40;
    dib[4] = 1;
    dib[8] = 1;
    dib[12] = 1;
    dib[14] = 24;
    dib += std::string("\x10\x20\x30\x00", 4);
    Picture bmp = picture(PictureFormat::Bmp, dib, 1, 1);
    Picture wmf =
        picture(PictureFormat::Wmf, std::string("\x01\x00\x09\x00\x00\x03", 6), 2540, 1270);
    wmf.metafileMapMode = 7;
    Picture emf = picture(PictureFormat::Emf, std::string("\x01\x00\x00\x00", 4), 100, 100);
    Picture animated = png;
    animated.animation = "GIF89a, not a whole one";
    return {png, png, bmp, wmf, emf, picture(PictureFormat::Jpeg, "not a jpeg", 3, 4), animated};
}

Document everyField() {
    Document document;
    Paragraph first;
    first.alignment = Alignment::Justify;
    first.leftIndent = 357;
    first.rightIndent = 1;
    first.firstLineIndent = -283;
    CharFormat plain;
    CharFormat hidden = plain;
    hidden.hidden = true;
    CharFormat linked = plain;
    linked.link = "#place";
    first.content = {TextRun{plain, "tab\there,\nbreak"}, TextRun{everyCharField(), "全部"},
                     TextRun{hidden, "unseen"}, TextRun{linked, "link"}};
    document.paragraphs.push_back(first);
    document.paragraphs.push_back(Paragraph{}); // an empty paragraph stays one
    for (Alignment alignment : {Alignment::Left, Alignment::Center, Alignment::Right}) {
        Paragraph aligned;
        aligned.alignment = alignment;
        aligned.content = {TextRun{plain, "aligned"}};
        document.paragraphs.push_back(aligned);
    }
    for (ListKind kind :
         {ListKind::Bullet, ListKind::Bullet, ListKind::Decimal, ListKind::LowerLetter,
          ListKind::UpperLetter, ListKind::LowerRoman, ListKind::UpperRoman}) {
        Paragraph item;
        item.list = kind;
        item.leftIndent = kind == ListKind::Decimal ? 720 : 0;
        item.firstLineIndent = -360;
        if (kind == ListKind::UpperRoman) {
            item.listNumberPrefix = "第";
            item.listNumberSuffix = ")";
        }
        item.content = {TextRun{plain, "item"}};
        document.paragraphs.push_back(item);
    }
    Paragraph subItem = document.paragraphs.back();
    subItem.listLevel = 1;
    subItem.listOuterNumbers = 1;
    subItem.listNumberJoint = "-";
    document.paragraphs.push_back(subItem);
    Paragraph withPictures;
    withPictures.content = pictures();
    document.paragraphs.push_back(withPictures);
    return document;
}

TEST(RichTextBridgeTest, EveryModelFieldComesBack) {
    expectKept(everyField());
    expectKept(Document{});
}

TEST(RichTextBridgeTest, HiddenTextIsNeitherShownNorFound) {
    QTextDocument qt;
    toQt(everyField(), qt);
    EXPECT_TRUE(qt.find("unseen").isNull());
    EXPECT_FALSE(qt.find("link").isNull());
    EXPECT_FALSE(qt.toPlainText().contains("unseen"));
    // The editor takes pastes as plain text: a pasted object character keeps nothing.
    QTextCursor cursor(&qt);
    cursor.insertText(QString(QChar::ObjectReplacementCharacter));
    EXPECT_EQ(richtext::test::dump(fromQt(qt)), richtext::test::dump(everyField()));
}

// Runs of ASCII longer and shorter than four letters, two-, three- and four-byte characters, a
// line break, halves of pairs alone ('?', as QString::toUtf8 makes them) and a pair parted by a
// pasted object character.
TEST(RichTextBridgeTest, TypedTextComesBackAsItsUtf8) {
    const char16_t typed[] = {u'a',   u'b', u'c',   u'd',   u'e',   0x00E9, 0x4E2D,
                              u'w',   u'x', u'y',   u'z',   0xD83D, 0xDE00, 0x2028,
                              0xD83D, u'x', 0xDE00, 0xD83D, 0xFFFC, 0xDE00, 0xFFFC};
    QTextDocument qt;
    QTextCursor(&qt).insertText(QStringView(typed, std::size(typed)).toString());
    Document back = fromQt(qt);
    ASSERT_EQ(back.paragraphs.size(), 1u);
    ASSERT_EQ(back.paragraphs[0].content.size(), 1u);
    EXPECT_EQ(std::get<TextRun>(back.paragraphs[0].content[0]).text,
              "abcde\xC3\xA9\xE4\xB8\xADwxyz\xF0\x9F\x98\x80\n?x?\xF0\x9F\x98\x80");
}

TEST(RichTextBridgeTest, TextTypedAfterHiddenTextIsVisible) {
    CharFormat hidden;
    hidden.hidden = true;
    Document document;
    document.paragraphs.push_back(Paragraph{});
    document.paragraphs[0].content = {TextRun{CharFormat{}, "a"}, TextRun{hidden, "h"}};
    QTextDocument qt;
    toQt(document, qt);
    QTextCursor cursor(&qt);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText("b");
    document.paragraphs[0].content.push_back(TextRun{CharFormat{}, "b"});
    EXPECT_EQ(richtext::test::dump(fromQt(qt)), richtext::test::dump(document));
}

TEST(RichTextBridgeTest, AnEmptyFontStaysEmptyAndAStoredNameIsKeptAsStored) {
    QTextDocument qt;
    Document document;
    document.paragraphs.push_back(Paragraph{});
    document.paragraphs[0].content = {TextRun{CharFormat{}, "a"}};
    toQt(document, qt);
    QTextCursor cursor(&qt);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText("b");
    Document back = fromQt(qt);
    ASSERT_EQ(back.paragraphs.size(), 1u);
    ASSERT_EQ(back.paragraphs[0].content.size(), 1u);
    EXPECT_EQ(std::get<TextRun>(back.paragraphs[0].content[0]).text, "ab");
    EXPECT_TRUE(std::get<TextRun>(back.paragraphs[0].content[0]).format.font.empty());
}

TEST(RichTextBridgeTest, AnIndentChangedInTheEditorIsConvertedFromItsPixels) {
    Document document;
    Paragraph paragraph;
    paragraph.leftIndent = 357;
    paragraph.content = {TextRun{CharFormat{}, "a"}};
    document.paragraphs.push_back(paragraph);
    QTextDocument qt;
    toQt(document, qt);
    QTextCursor cursor(&qt);
    QTextBlockFormat format = cursor.blockFormat();
    format.setLeftMargin(1440 * pixelsPerTwip());
    cursor.setBlockFormat(format);
    EXPECT_EQ(fromQt(qt).paragraphs[0].leftIndent, 1440);
}

TEST(RichTextBridgeTest, PicturesShowAtTheirGoalSizeAndScale) {
    QTextDocument qt;
    toQt(everyField(), qt);
    std::vector<QTextImageFormat> images;
    for (QTextBlock block = qt.firstBlock(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat()) {
                images.push_back(it.fragment().charFormat().toImageFormat());
            }
        }
    }
    ASSERT_EQ(images.size(), 7u);
    EXPECT_DOUBLE_EQ(images[0].width(), 150 * pixelsPerTwip());
    EXPECT_DOUBLE_EQ(images[0].height(), 300 * pixelsPerTwip());
    // A metafile of 2540 by 1270 hundredths of a millimetre: one inch by half an inch.
    const QTextImageFormat& wmf = images[3];
    EXPECT_DOUBLE_EQ(wmf.width(), 1440 * pixelsPerTwip());
    EXPECT_DOUBLE_EQ(wmf.height(), 720 * pixelsPerTwip());
    QImage shown = qt.resource(QTextDocument::ImageResource, QUrl(wmf.name())).value<QImage>();
    EXPECT_FALSE(shown.isNull());
}

// Word's way of a table with a vertical merge, a merge across, borders, shading and a nested
// table, and a three-level list running on across a paragraph.
const char* const kTablesAndLists =
    "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}"
    "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00);}}"
    "{\\listlevel\\levelnfc4\\levelstartat3{\\leveltext\\'02\\'01.;}}"
    "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u9642 ?;}}\\listid7}}"
    "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
    "\\trowd\\trgaph108\\trqc\\clvmgf\\clbrdrb\\brdrs\\brdrw15\\brdrcf1\\clcbpat2\\cellx1440"
    "\\clmgf\\cellx2880\\clmrg\\cellx4320\\pard\\intbl A\\cell B\\par\\pard\\intbl\\itap2 "
    "n1\\nestcell"
    " n2\\nestcell{\\*\\nesttableprops\\trowd\\cellx700\\cellx1400\\nestrow}{\\nonesttables\\par}"
    "\\pard\\intbl\\cell\\cell\\row"
    "\\trowd\\trgaph108\\trqc\\clvmrg\\cellx1440\\cellx2880\\cellx4320\\pard\\intbl\\cell C\\cell D"
    "\\cell\\row\\pard\\ls1 one\\par\\pard\\ls1\\ilvl1 two\\par\\pard\\ls1\\ilvl2 three\\par\\pard "
    "between\\par\\pard\\ls1 four\\par}";

TEST(RichTextBridgeTest, TablesBecomeQtTablesAndListLevelsQtListsAndBothComeBack) {
    ReadResult read = RtfReader().read(kTablesAndLists);
    ASSERT_EQ(read.status, ReadStatus::Complete) << read.message;
    expectKept(read.document);

    QTextDocument qt;
    toQt(read.document, qt);
    QList<QTextFrame*> frames = qt.rootFrame()->childFrames();
    ASSERT_EQ(frames.size(), 1);
    auto* table = qobject_cast<QTextTable*>(frames[0]);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 3);
    EXPECT_EQ(table->cellAt(0, 0).rowSpan(), 2);
    EXPECT_EQ(table->cellAt(0, 1).columnSpan(), 2);
    EXPECT_EQ(table->format().alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QTextTableCellFormat first = table->cellAt(0, 0).format().toTableCellFormat();
    EXPECT_EQ(first.background().color(), QColor(255, 255, 0));
    EXPECT_EQ(first.bottomBorderBrush().color(), QColor(255, 0, 0));
    EXPECT_DOUBLE_EQ(first.bottomBorder(), 15 * pixelsPerTwip());
    QList<QTextLength> widths = table->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 3);
    EXPECT_DOUBLE_EQ(widths[1].rawValue(), 1440 * pixelsPerTwip());
    QList<QTextFrame*> nested = frames[0]->childFrames();
    ASSERT_EQ(nested.size(), 1);
    auto* inner = qobject_cast<QTextTable*>(nested[0]);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->columns(), 2);
    QTextCursor n2 = inner->cellAt(0, 1).firstCursorPosition();
    n2.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    EXPECT_EQ(n2.selectedText(), QString("n2"));

    std::vector<int> indents;
    std::vector<QTextListFormat::Style> styles;
    QTextBlock block = qt.begin();
    for (; block.isValid(); block = block.next()) {
        if (block.textList() != nullptr) {
            indents.push_back(block.textList()->format().indent());
            styles.push_back(block.textList()->format().style());
        }
    }
    EXPECT_EQ(indents, (std::vector<int>{1, 2, 3, 1}));
    EXPECT_EQ(styles, (std::vector<QTextListFormat::Style>{
                          QTextListFormat::ListDecimal, QTextListFormat::ListLowerAlpha,
                          QTextListFormat::ListSquare, QTextListFormat::ListDecimal}));
    // "four" numbers on from "one": the same Qt list.
    QTextBlock one = qt.find("one").block();
    QTextBlock four = qt.find("four").block();
    EXPECT_EQ(one.textList(), four.textList());
    EXPECT_EQ(four.textList()->itemText(four), QString("2)"));

    // Text typed into a cell is kept in it.
    QTextCursor cell = table->cellAt(1, 2).lastCursorPosition();
    cell.insertText("!");
    Document edited = fromQt(qt);
    const Table& back = edited.paragraphs.at(0).table.at(0);
    EXPECT_EQ(documentText(edited).substr(0, 15), "A\tB n1 n2\n\tC\tD!");
    EXPECT_EQ(back.rows.at(1).cells.at(2).paragraphs.size(), 1u);
}

// As word processors number them: a level's numbers start again after an item of a level above
// it, and run on across paragraphs of other levels below it; a label shows the numbers of the
// levels above its own that its level's text names.
// Long enough for the writer to take blocks on its own thread twice while the rest is read: tables,
// the blocks Qt keeps around them, list levels and long paragraphs, the last ones as typed.
TEST(RichTextBridgeTest, ANoteWrittenWhileItIsReadBackGivesTheSameModelAndBytes) {
    Document note;
    std::vector<Paragraph> tablesAndLists = RtfReader().read(kTablesAndLists).document.paragraphs;
    for (int i = 0; i < 300; ++i) {
        Paragraph text;
        text.content.push_back(TextRun{CharFormat{}, std::string(500, 'a' + i % 26) + "段落"});
        note.paragraphs.push_back(text);
        note.paragraphs.insert(note.paragraphs.end(), tablesAndLists.begin(), tablesAndLists.end());
    }
    QTextDocument qt;
    toQt(note, qt);
    QTextCursor end(&qt);
    end.movePosition(QTextCursor::End);
    end.insertBlock();
    end.insertText("typed at the end");
    Document read = fromQt(qt);
    std::string written;
    Document back = writtenFromQt(qt, [&](std::string_view piece) { written += piece; });
    EXPECT_EQ(richtext::test::dump(back), richtext::test::dump(read));
    EXPECT_TRUE(back == read);
    EXPECT_EQ(written, RtfWriter().write(read));
}

TEST(RichTextBridgeTest, ASubLevelNumbersAgainAfterAnItemAboveIt) {
    ReadResult read = RtfReader().read(
        "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
        "{\\listlevel\\levelnfc4{\\leveltext\\'04\\'00.\\'01);}}{\\listlevel\\levelnfc2{\\leveltext"
        "\\'02\\'02.;}}\\listid7}}{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
        "\\pard\\ls1 one\\par\\pard\\ls1\\ilvl1 a\\par\\pard\\ls1\\ilvl2 i\\par\\pard\\ls1"
        "\\ilvl1 b\\par\\pard\\ls1\\ilvl2 i again\\par\\pard\\ls1 two\\par\\pard\\ls1\\ilvl1 "
        "a again\\par\\pard after\\par}");
    ASSERT_EQ(read.status, ReadStatus::Complete) << read.message;
    QTextDocument qt;
    toQt(read.document, qt);
    std::vector<std::string> labels;
    for (QTextBlock block = qt.begin(); block.isValid(); block = block.next()) {
        QTextList* list = block.textList();
        labels.push_back((list ? list->itemText(block) + " " : QString()).toStdString() +
                         block.text().toStdString());
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"1. one", "1.a) a", "i. i", "1.b) b", "i. i again",
                                                "2. two", "2.a) a again", "after"}));
    EXPECT_EQ(fromQt(qt), read.document);
}

// The top and bottom rows of each run of columns that hold ink, left to right.
std::vector<std::pair<int, int>> inkedColumnRuns(const QImage& image) {
    std::vector<std::pair<int, int>> runs;
    bool inRun = false;
    for (int x = 0; x < image.width(); ++x) {
        int top = image.height();
        int bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 128) {
                top = std::min(top, y);
                bottom = y;
            }
        }
        if (bottom < 0) {
            inRun = false;
            continue;
        }
        if (!inRun) {
            runs.emplace_back(top, bottom);
        } else {
            runs.back() = {std::min(runs.back().first, top), std::max(runs.back().second, bottom)};
        }
        inRun = true;
    }
    return runs;
}

// The document as Qt draws it, in a default font smaller than the model's.
QImage drawn(const Document& document) {
    QTextDocument qt;
    qt.setDefaultFont(QFont(qt.defaultFont().family(), 8));
    toQt(document, qt);
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    qt.drawContents(&painter);
    painter.end();
    return image;
}

// A list item's number is drawn as large as its text and on its baseline, not in the smaller
// default font of the document: the label's "1" and the text's "1" are the same glyph.
TEST(RichTextBridgeTest, AListItemsNumberHasTheSizeAndBaselineOfItsText) {
    Paragraph item;
    item.list = ListKind::Decimal;
    item.listId = 1;
    CharFormat large;
    large.sizeHalfPoints = 60;
    item.content.emplace_back(TextRun{large, "1"});
    Document document;
    document.paragraphs.push_back(item);
    expectKept(document);

    std::vector<std::pair<int, int>> runs = inkedColumnRuns(drawn(document));
    ASSERT_GE(runs.size(), 3u); // "1", "." and the text's "1"
    EXPECT_NEAR(runs.front().first, runs.back().first, 1);
    EXPECT_NEAR(runs.front().second, runs.back().second, 1);
}

// Lists as word processors write them hang their first line back to the margin; the number shows
// in the hanging space and the text starts at the left indent, and both indents come back.
TEST(RichTextBridgeTest, AHangingListItemShowsItsNumberInTheHangingSpace) {
    Paragraph item;
    item.list = ListKind::Decimal;
    item.listId = 1;
    item.leftIndent = 720;
    item.firstLineIndent = -720;
    item.content.emplace_back(TextRun{{}, "1"});
    Document document;
    document.paragraphs.push_back(item);
    expectKept(document);

    std::vector<std::pair<int, int>> runs = inkedColumnRuns(drawn(document));
    EXPECT_EQ(runs.size(), 3u); // "1", "." and the text's "1"

    QTextDocument qt;
    toQt(document, qt);
    qt.firstBlock().textList()->remove(qt.firstBlock());
    EXPECT_EQ(fromQt(qt).paragraphs.at(0).firstLineIndent, 0);
}

// Cells whose boundaries fall back (as a damaged file may give them) still show and come back.
TEST(RichTextBridgeTest, CellsWhoseBoundariesDoNotRiseStillShowAndComeBack) {
    ReadResult read =
        RtfReader().read("{\\rtf1\\trowd\\cellx2000\\cellx1000\\cellx1000\\pard\\intbl a\\cell b"
                         "\\cell c\\cell\\row\\trowd\\cellx500\\pard\\intbl d\\cell\\row}");
    expectKept(read.document);
    QTextDocument qt;
    toQt(read.document, qt);
    EXPECT_EQ(qt.toPlainText().remove(QChar::ObjectReplacementCharacter).simplified(),
              QString("a b c d"));
}

} // namespace
} // namespace tarnel::ui
