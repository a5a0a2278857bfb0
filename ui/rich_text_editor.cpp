#include "ui/rich_text_editor.h"

#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "ui/picture_import.h"
#include "ui/rich_text_bridge.h"
#include "ui/table_tools.h"
#include "ui/tool_menu.h"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <memory>

namespace tarnel::ui {
namespace {

// The formats a picture's own bytes come in, as programs put them on the clipboard.
constexpr const char* kPictureMimes[] = {"image/png", "image/jpeg",  "image/gif",
                                         "image/bmp", "image/x-wmf", "image/x-emf"};

QByteArray rtfOf(const QMimeData& source) {
    for (const char* mime : {CRichTextEditor::kRtfMime, "application/rtf", "text/richtext"}) {
        if (source.hasFormat(mime)) {
            return source.data(mime);
        }
    }
    return {};
}

std::optional<richtext::Picture> pictureOfFile(const QUrl& url) {
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return pictureFromFile(file.readAll());
}

} // namespace

CRichTextEditor::CRichTextEditor(QWidget* parent)
    : QTextEdit(parent), m_tables(new CTableTools(*this)) {
    setAcceptRichText(false);
    QFont plain = font();
    plain.setPointSizeF(richtext::kDefaultFontSizeHalfPoints / 2.0);
    setFont(plain);
    connect(this, &QTextEdit::cursorPositionChanged, this, &CRichTextEditor::typePlainInEmptyCell);
}

// The caret in an empty cell takes the format of the cell itself, which holds the cell's shading
// as a background: text typed there would be saved highlighted in the shading's colour. It is
// typed instead in the font and size of the nearest text before it, as in a word processor, and
// in nothing else of that text's format.
void CRichTextEditor::typePlainInEmptyCell() {
    QTextCursor caret = textCursor();
    if (caret.hasSelection() || !caret.charFormat().isTableCellFormat()) {
        return;
    }
    QTextCharFormat typed;
    QTextCursor before(document());
    for (int position = caret.position() - 1; position > 0; --position) {
        before.setPosition(position);
        QTextCharFormat format = before.charFormat();
        if (!format.isTableCellFormat() && !format.isTableFormat()) {
            for (int property : {int(QTextFormat::FontFamilies), int(QTextFormat::FontPointSize)}) {
                if (format.hasProperty(property)) {
                    typed.setProperty(property, format.property(property));
                }
            }
            break;
        }
    }
    setCurrentCharFormat(typed);
}

void CRichTextEditor::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    menu->setObjectName("editorMenu");
    if (!isReadOnly()) {
        menu->addSeparator();
        m_tables->addMenu(*menu);
    }
    chooseFromMenu(*menu, event->globalPos());
}

void CRichTextEditor::keyPressEvent(QKeyEvent* event) {
    // Shift+Tab comes as a back tab from the keyboard, as a shifted tab from some input methods.
    const bool tab = event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier;
    const bool backTab = event->key() == Qt::Key_Backtab ||
                         (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ShiftModifier);
    if ((tab || backTab) && m_tables->moveToNeighbourCell(tab)) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void CRichTextEditor::insertModel(const richtext::Document& document) {
    QTextCursor cursor = textCursor();
    insertDocument(cursor, document);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CRichTextEditor::insertPicture(const richtext::Picture& picture) {
    richtext::Document document;
    document.paragraphs.emplace_back().content.emplace_back(picture);
    insertModel(document);
}

// Qt's own data lists a fixed set of formats, whatever is added to it: its formats are copied into
// data of our own.
QMimeData* CRichTextEditor::createMimeDataFromSelection() const {
    std::unique_ptr<QMimeData> qt(QTextEdit::createMimeDataFromSelection());
    auto* data = new QMimeData;
    for (const QString& format : qt->formats()) {
        data->setData(format, qt->data(format));
    }
    std::string rtf = richtext::RtfWriter().write(selectionModel(textCursor()));
    data->setData(kRtfMime, QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())));
    return data;
}

bool CRichTextEditor::canInsertFromMimeData(const QMimeData* source) const {
    return !rtfOf(*source).isEmpty() || source->hasImage() || source->hasHtml() ||
           QTextEdit::canInsertFromMimeData(source);
}

bool CRichTextEditor::insertPictureFrom(const QMimeData& source) {
    for (const char* mime : kPictureMimes) {
        if (source.hasFormat(mime)) {
            if (std::optional<richtext::Picture> picture = pictureFromFile(source.data(mime))) {
                insertPicture(*picture);
                return true;
            }
        }
    }
    if (source.hasImage()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (qvariant_cast<QImage>(source.imageData()).save(&buffer, "PNG")) {
            if (std::optional<richtext::Picture> picture = pictureFromFile(png)) {
                insertPicture(*picture);
                return true;
            }
        }
    }
    if (source.hasUrls()) {
        std::vector<richtext::Picture> pictures;
        for (const QUrl& url : source.urls()) {
            std::optional<richtext::Picture> picture = pictureOfFile(url);
            if (!picture) {
                return false;
            }
            pictures.push_back(std::move(*picture));
        }
        richtext::Document document;
        auto& content = document.paragraphs.emplace_back().content;
        content.assign(pictures.begin(), pictures.end());
        insertModel(document);
        return !pictures.empty();
    }
    return false;
}

void CRichTextEditor::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly()) {
        return;
    }
    QByteArray rtf = rtfOf(*source);
    if (!rtf.isEmpty()) {
        insertModel(
            richtext::RtfReader().read(std::string_view(rtf.constData(), rtf.size())).document);
        return;
    }
    if (insertPictureFrom(*source)) {
        return;
    }
    if (source->hasHtml()) {
        QTextDocument html;
        html.setHtml(source->html());
        insertModel(fromQt(html));
        return;
    }
    QTextEdit::insertFromMimeData(source);
}

} // namespace tarnel::ui
