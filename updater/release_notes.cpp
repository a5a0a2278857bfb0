#include "updater/release_notes.h"

#include "richtext/rtf_reader.h"

#include <QImage>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

namespace tarnel::updater {
namespace {

constexpr double kTwipsPerPixel = 15.0;

const QRegularExpression& addressPattern() {
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:https?://|www\.)[^\s<>"'，。、；）)]+)"));
    return pattern;
}

QTextCharFormat charFormat(const richtext::CharFormat& source) {
    QTextCharFormat format;
    if (!source.font.empty()) {
        format.setFontFamilies({QString::fromStdString(source.font.str())});
    }
    format.setFontPointSize(source.sizeHalfPoints / 2.0);
    format.setFontWeight(source.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(source.italic);
    format.setFontUnderline(source.underline);
    format.setFontStrikeOut(source.strikeThrough);
    if (source.color) {
        format.setForeground(QColor(source.color->red, source.color->green, source.color->blue));
    }
    if (source.background) {
        format.setBackground(
            QColor(source.background->red, source.background->green, source.background->blue));
    }
    return format;
}

QTextCharFormat linkFormat(QTextCharFormat format, const QString& target) {
    QString href = target.startsWith(QStringLiteral("www.")) ? "http://" + target : target;
    format.setAnchor(true);
    format.setAnchorHref(href);
    format.setForeground(QColor(0, 0, 255));
    format.setFontUnderline(true);
    return format;
}

void insertRun(QTextCursor& cursor, const richtext::TextRun& run) {
    QTextCharFormat format = charFormat(run.format);
    QString text = QString::fromStdString(run.text);
    if (!run.format.link.empty()) {
        cursor.insertText(text, linkFormat(format, QString::fromStdString(run.format.link.str())));
        return;
    }
    qsizetype at = 0;
    auto matches = addressPattern().globalMatch(text);
    while (matches.hasNext()) {
        auto match = matches.next();
        cursor.insertText(text.mid(at, match.capturedStart() - at), format);
        cursor.insertText(match.captured(), linkFormat(format, match.captured()));
        at = match.capturedEnd();
    }
    cursor.insertText(text.mid(at), format);
}

void insertPicture(QTextDocument& document, QTextCursor& cursor, const richtext::Picture& picture,
                   int number) {
    if (picture.format != richtext::PictureFormat::Png &&
        picture.format != richtext::PictureFormat::Jpeg) {
        return;
    }
    QImage image = QImage::fromData(QByteArray::fromStdString(picture.data));
    if (image.isNull()) {
        return;
    }
    QUrl name(QStringLiteral("notes-picture-%1").arg(number));
    document.addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat format;
    format.setName(name.toString());
    if (picture.goalWidth > 0 && picture.goalHeight > 0) {
        format.setWidth(picture.goalWidth * picture.scaleX / 100.0 / kTwipsPerPixel);
        format.setHeight(picture.goalHeight * picture.scaleY / 100.0 / kTwipsPerPixel);
    }
    cursor.insertImage(format);
}

QTextBlockFormat blockFormat(const richtext::Paragraph& paragraph) {
    QTextBlockFormat format;
    switch (paragraph.alignment) {
    case richtext::Alignment::Left:
        format.setAlignment(Qt::AlignLeft);
        break;
    case richtext::Alignment::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case richtext::Alignment::Right:
        format.setAlignment(Qt::AlignRight);
        break;
    case richtext::Alignment::Justify:
        format.setAlignment(Qt::AlignJustify);
        break;
    }
    format.setLeftMargin(paragraph.leftIndent / kTwipsPerPixel);
    format.setRightMargin(paragraph.rightIndent / kTwipsPerPixel);
    format.setTextIndent(paragraph.firstLineIndent / kTwipsPerPixel);
    return format;
}

} // namespace

void fillReleaseNotes(QTextDocument& document, std::string_view bytes) {
    document.clear();
    richtext::ReadResult read = richtext::RtfReader().read(bytes);
    QTextCursor cursor(&document);
    bool first = true;
    int pictures = 0;
    for (const auto& paragraph : read.document.paragraphs) {
        if (first) {
            cursor.setBlockFormat(blockFormat(paragraph));
            first = false;
        } else {
            cursor.insertBlock(blockFormat(paragraph));
        }
        for (const auto& item : paragraph.content) {
            if (const auto* run = std::get_if<richtext::TextRun>(&item)) {
                insertRun(cursor, *run);
            } else {
                insertPicture(document, cursor, std::get<richtext::Picture>(item), ++pictures);
            }
        }
    }
}

} // namespace tarnel::updater
