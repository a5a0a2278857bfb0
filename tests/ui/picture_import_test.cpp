#include "richtext/rtf_writer.h"
#include "tests/support/eventually.h"
#include "ui/picture_import.h"
#include "ui/rich_text_bridge.h"
#include "ui/rich_text_editor.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using richtext::Picture;
using richtext::PictureFormat;

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage redPicture() {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 0));
    return image;
}

// Two frames of one pixel, red then blue, a tenth of a second each, looping.
QByteArray twoFrameGif() {
    const unsigned char bytes[] = {
        'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF,
        // looping
        0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0,
        // frame 1: colour 0
        0x21, 0xF9, 4, 0, 10, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0,
        // frame 2: colour 1
        0x21, 0xF9, 4, 0, 10, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
    return QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void putWord(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void putDword(QByteArray& out, long value) {
    putWord(out, static_cast<int>(value & 0xFFFF));
    putWord(out, static_cast<int>((value >> 16) & 0xFFFF));
}

void record(QByteArray& out, int function, std::initializer_list<int> words) {
    putDword(out, 3 + static_cast<long>(words.size()));
    putWord(out, function);
    for (int word : words) {
        putWord(out, word);
    }
}

// A placeable metafile of 1000 by 500 units at 1000 units to the inch, filled with red.
QByteArray placeableRedMetafile() {
    QByteArray body;
    record(body, 0x020B, {0, 0});                 // SetWindowOrg
    record(body, 0x020C, {500, 1000});            // SetWindowExt
    record(body, 0x02FC, {0, 0x00FF, 0x0000, 0}); // CreateBrushIndirect: solid, red
    record(body, 0x012D, {0});                    // SelectObject
    record(body, 0x0106, {0});                    // SetPolyFillMode
    record(body, 0x041B, {500, 1000, 0, 0});      // Rectangle
    record(body, 0x0000, {});
    QByteArray header;
    putWord(header, 1);
    putWord(header, 9);
    putWord(header, 0x0300);
    putDword(header, (18 + body.size()) / 2);
    putWord(header, 1);
    putDword(header, 7);
    putWord(header, 0);
    QByteArray placeable;
    putDword(placeable, 0x9AC6CDD7);
    for (int value : {0, 0, 0, 1000, 500, 1000}) {
        putWord(placeable, value);
    }
    putDword(placeable, 0);
    int checksum = 0;
    for (int i = 0; i < 20; i += 2) {
        checksum ^= static_cast<unsigned char>(placeable[i]) |
                    static_cast<unsigned char>(placeable[i + 1]) << 8;
    }
    putWord(placeable, checksum);
    return placeable + header + body;
}

std::vector<Picture> picturesOf(const QTextDocument& document) {
    std::vector<Picture> out;
    for (const auto& paragraph : fromQt(document).paragraphs) {
        for (const auto& item : paragraph.content) {
            if (const auto* picture = std::get_if<Picture>(&item)) {
                out.push_back(*picture);
            }
        }
    }
    return out;
}

TEST(PictureImportTest, EveryFormatKeepsItsOwnBytes) {
    QByteArray png = encoded(redPicture(), "PNG");
    QByteArray jpeg = encoded(redPicture(), "JPEG");
    QByteArray bmp = encoded(redPicture(), "BMP");
    QByteArray gif = twoFrameGif();
    QByteArray wmf = placeableRedMetafile();
    std::optional<Picture> fromPng = pictureFromFile(png);
    ASSERT_TRUE(fromPng);
    EXPECT_EQ(fromPng->format, PictureFormat::Png);
    EXPECT_EQ(fromPng->data, png.toStdString());
    EXPECT_EQ(fromPng->width, 3);
    EXPECT_EQ(fromPng->goalWidth, 45);
    EXPECT_EQ(fromPng->goalHeight, 30);
    EXPECT_EQ(pictureFromFile(jpeg)->data, jpeg.toStdString());
    std::optional<Picture> fromBmp = pictureFromFile(bmp);
    ASSERT_TRUE(fromBmp);
    EXPECT_EQ(fromBmp->format, PictureFormat::Bmp);
    EXPECT_EQ(fromBmp->data, bmp.mid(14).toStdString());
    std::optional<Picture> fromGif = pictureFromFile(gif);
    ASSERT_TRUE(fromGif);
    EXPECT_EQ(fromGif->format, PictureFormat::Png);
    EXPECT_EQ(fromGif->animation, gif.toStdString());
    QImage first = QImage::fromData(QByteArray::fromStdString(fromGif->data), "PNG");
    EXPECT_EQ(first.pixelColor(0, 0), QColor(255, 0, 0));
    std::optional<Picture> fromWmf = pictureFromFile(wmf);
    ASSERT_TRUE(fromWmf);
    EXPECT_EQ(fromWmf->format, PictureFormat::Wmf);
    EXPECT_EQ(fromWmf->data, wmf.mid(22).toStdString());
    EXPECT_EQ(fromWmf->width, 2540);
    EXPECT_EQ(fromWmf->height, 1270);
    EXPECT_EQ(fromWmf->goalWidth, 1440);
    EXPECT_EQ(fromWmf->goalHeight, 720);
    EXPECT_FALSE(pictureFromFile(QByteArray("\xFF\xD8\xFF\xE0 broken", 11)));
}

TEST(PictureImportTest, AMetafileIsDrawnThroughSvg) {
    std::optional<Picture> wmf = pictureFromFile(placeableRedMetafile());
    ASSERT_TRUE(wmf);
    richtext::Document document;
    document.paragraphs.emplace_back().content.emplace_back(*wmf);
    QTextDocument qt;
    toQt(document, qt);
    QImage shown =
        qt.resource(QTextDocument::ImageResource, QUrl("tarnel-picture:1")).value<QImage>();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(255, 0, 0));
}

TEST(PictureImportTest, APastedGifPlaysAndCopyAndPasteKeepThePictureBytes) {
    CRichTextEditor editor;
    auto* data = new QMimeData;
    data->setData("image/gif", twoFrameGif());
    QApplication::clipboard()->setMimeData(data);
    editor.paste();
    std::vector<Picture> pasted = picturesOf(*editor.document());
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_EQ(pasted[0].animation, twoFrameGif().toStdString());
    auto shownColour = [&] {
        return editor.document()
            ->resource(QTextDocument::ImageResource, QUrl("tarnel-picture:1"))
            .value<QImage>()
            .pixelColor(0, 0);
    };
    ASSERT_EVENTUALLY_EQ(shownColour(), QColor(0, 0, 255));
    ASSERT_EVENTUALLY_EQ(shownColour(), QColor(255, 0, 0));

    editor.insertPlainText(" 文字");
    editor.selectAll();
    editor.copy();
    editor.moveCursor(QTextCursor::End);
    editor.paste();
    std::vector<Picture> twice = picturesOf(*editor.document());
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice[1], twice[0]);
    EXPECT_EQ(editor.toPlainText().count(QString::fromUtf8("文字")), 2);
    // What is saved reads back with both pictures whole.
    std::string saved = richtext::RtfWriter().write(fromQt(*editor.document()));
    EXPECT_NE(saved.find("tarnelgif"), std::string::npos);
}

} // namespace
} // namespace tarnel::ui
