#include "ui/reading_tools_controller.h"

#include "app/reading_tools.h"
#include "ui/background_menu.h"
#include "ui/colour_popup.h"
#include "ui/find_dialog.h"
#include "ui/format_brush.h"
#include "ui/picture_import.h"
#include "ui/picture_insert.h"
#include "ui/reading_area.h"
#include "ui/reading_background.h"
#include "ui/reading_toolbar.h"
#include "ui/rich_text_bridge.h"
#include "ui/tool_menu.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>

namespace tarnel::ui {
namespace {

bool carries(int kind, const QTextCharFormat& format) {
    switch (kind) {
    case app::kToolBold:
        return format.fontWeight() >= QFont::Bold;
    case app::kToolItalic:
        return format.fontItalic();
    default:
        return format.fontUnderline();
    }
}

bool isTextFragment(const QTextFragment& fragment) {
    const QTextCharFormat format = fragment.charFormat();
    return !format.isImageFormat() && format.objectType() != bridge::kHiddenObjectType;
}

std::string upperExtension(const QString& file) {
    return QFileInfo(file).suffix().toUpper().toStdString();
}

std::filesystem::path pathOf(const QString& file) {
    return std::filesystem::path(file.toStdString());
}

// Each selected list item's bullet is drawn in the font of its first character.
void labelInTextFont(const QTextCursor& selection) {
    const QTextDocument* document = selection.document();
    const int end = selection.selectionEnd();
    for (QTextBlock block = document->findBlock(selection.selectionStart());
         block.isValid() && block.position() <= end; block = block.next()) {
        if (block.begin() != block.end()) {
            QTextCursor(block).setBlockCharFormat(
                listLabelFormat(block.begin().fragment().charFormat()));
        }
    }
}

} // namespace

CReadingToolsController::CReadingToolsController(CReadingArea& area, CReadingToolbar& toolbar,
                                                 ReadingToolServices services, bool wordWrap)
    : QObject(&area), m_area(area), m_toolbar(toolbar), m_services(std::move(services)),
      m_finder(std::make_unique<TextFinder>(*area.editor(), m_services.prompt)),
      m_brush(new CFormatBrush(*area.editor())) {
    connect(&toolbar, &CReadingToolbar::toolChosen, this, &CReadingToolsController::runTool);
    connect(&area, &CReadingArea::modifiedChanged, &toolbar, &CReadingToolbar::setContentModified);
    connect(m_brush, &CFormatBrush::heldChanged, &toolbar, &CReadingToolbar::setFormatBrushHeld);
    m_services.background.attach(editor());
    toolbar.setContentModified(area.isModified());
    setWordWrap(wordWrap);
}

CReadingToolsController::~CReadingToolsController() = default;

CRichTextEditor& CReadingToolsController::editor() const {
    return *m_area.editor();
}

bool CReadingToolsController::changesContent(int kind) const {
    switch (kind) {
    case app::kToolCopy:
    case app::kToolBackground:
    case app::kToolAutoSwap:
    case app::kToolPrint:
    case app::kToolDock:
    case app::kToolMaxReadMode:
    case app::kToolFind:
    case app::kToolFindNext:
    case app::kToolFindPrevious:
        return false;
    default:
        return true;
    }
}

void CReadingToolsController::runTool(int kind) {
    if (editor().isReadOnly() && changesContent(kind)) {
        return;
    }
    switch (kind) {
    case app::kToolSave:
        m_area.save();
        m_toolbar.setContentModified(m_area.isModified());
        break;
    case app::kToolCancel:
        revert();
        break;
    case app::kToolCut:
        editor().cut();
        break;
    case app::kToolCopy:
        editor().copy();
        break;
    case app::kToolPaste:
        editor().paste();
        break;
    case app::kToolUndo:
        editor().undo();
        break;
    case app::kToolBold:
    case app::kToolItalic:
    case app::kToolUnderline:
        toggleEffect(kind);
        break;
    case app::kToolFont:
        chooseFont();
        break;
    case app::kToolFontColor:
    case app::kToolFontBackground:
        chooseColour(kind);
        break;
    case app::kToolInsertPicture:
        insertPicture();
        break;
    case app::kToolBackground:
        chooseBackground();
        break;
    case app::kToolAutoSwap:
        setWordWrap(!m_toolbar.wordWrap());
        break;
    case app::kToolPrint:
        print();
        break;
    case app::kToolDock:
        chooseDock();
        break;
    case app::kToolMaxReadMode:
        if (m_services.toggleReadingMode) {
            m_toolbar.setMaximisedReading(m_services.toggleReadingMode());
        }
        break;
    case app::kToolParaLeft:
    case app::kToolParaCenter:
    case app::kToolParaRight:
        align(kind);
        break;
    case app::kToolParaBullet:
        toggleBullet();
        break;
    case app::kToolFormatBrush:
        toggleBrush();
        break;
    case app::kToolFind:
        find();
        break;
    case app::kToolFindNext:
    case app::kToolFindPrevious:
        findAgain(kind == app::kToolFindPrevious);
        break;
    default:
        break;
    }
}

void CReadingToolsController::revert() {
    if (m_services.prompt.ask(tools::kRevertQuestion, app::MessageIcon::Question,
                              app::Buttons::YesNo) != app::Answer::Yes) {
        return;
    }
    m_area.revert();
    m_toolbar.setContentModified(m_area.isModified());
}

bool CReadingToolsController::selectionCarries(int kind) const {
    const QTextCursor cursor = editor().textCursor();
    if (!cursor.hasSelection()) {
        return carries(kind, editor().currentCharFormat());
    }
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    bool anyText = false;
    for (QTextBlock block = editor().document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const bool inside =
                fragment.position() < end && fragment.position() + fragment.length() > start;
            if (!inside || !isTextFragment(fragment)) {
                continue;
            }
            anyText = true;
            if (!carries(kind, fragment.charFormat())) {
                return false;
            }
        }
    }
    return anyText;
}

void CReadingToolsController::toggleEffect(int kind) {
    const bool on = !selectionCarries(kind);
    QTextCharFormat format;
    switch (kind) {
    case app::kToolBold:
        format.setFontWeight(on ? QFont::Bold : QFont::Normal);
        break;
    case app::kToolItalic:
        format.setFontItalic(on);
        break;
    default:
        format.setFontUnderline(on);
        break;
    }
    mergeFormat(format);
}

void CReadingToolsController::mergeFormat(const QTextCharFormat& format) {
    editor().mergeCurrentCharFormat(format);
}

// The family is taken only when the user changed it, so that a stored font the system shows
// with a substitute keeps its name.
void CReadingToolsController::chooseFont() {
    QFontDialog dialog(editor().currentCharFormat().font(), &m_area);
    dialog.setObjectName("fontDialog");
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    const QString shownFamily = dialog.currentFont().family();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const QFont font = dialog.selectedFont();
    QTextCharFormat format;
    if (font.family() != shownFamily) {
        format.setFontFamilies({font.family()});
        format.setProperty(bridge::kStoredFont, font.family());
    }
    format.setFontPointSize(font.pointSizeF());
    format.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
    format.setFontItalic(font.italic());
    format.setFontUnderline(font.underline());
    format.setFontStrikeOut(font.strikeOut());
    mergeFormat(format);
}

// The automatic colour is no colour of the text's own (shown black); the background's default
// takes the selection's background away.
void CReadingToolsController::chooseColour(int kind) {
    const bool foreground = kind == app::kToolFontColor;
    auto* popup =
        new CColourPopup(QString::fromUtf8(foreground ? tools::kAutomatic : tools::kNoBackground),
                         foreground ? QColor(Qt::black) : QColor(), &m_toolbar);
    connect(popup, &CColourPopup::colourChosen, this, [this, foreground](QColor colour) {
        QTextCharFormat format;
        if (foreground) {
            format.setForeground(colour);
        } else {
            format.setBackground(colour);
        }
        mergeFormat(format);
    });
    connect(popup, &CColourPopup::defaultChosen, this, [this, foreground] {
        clearColour(foreground ? QTextFormat::ForegroundBrush : QTextFormat::BackgroundBrush);
    });
    popup->popupAt(popupAt(kind, popup->sizeHint()));
}

void CReadingToolsController::clearColour(int property) {
    QTextCursor cursor = editor().textCursor();
    if (cursor.hasSelection()) {
        const int start = cursor.selectionStart();
        const int end = cursor.selectionEnd();
        cursor.beginEditBlock();
        for (QTextBlock block = editor().document()->findBlock(start);
             block.isValid() && block.position() < end; block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int from = std::max(start, fragment.position());
                const int to = std::min(end, fragment.position() + fragment.length());
                if (from >= to) {
                    continue;
                }
                QTextCursor part(editor().document());
                part.setPosition(from);
                part.setPosition(to, QTextCursor::KeepAnchor);
                QTextCharFormat format = fragment.charFormat();
                format.clearProperty(property);
                part.setCharFormat(format);
            }
        }
        cursor.endEditBlock();
        return;
    }
    QTextCharFormat typing = editor().currentCharFormat();
    typing.clearProperty(property);
    editor().setCurrentCharFormat(typing);
}

void CReadingToolsController::insertPicture() {
    QFileDialog dialog(&m_area, QString::fromUtf8(tools::kInsertPictureTitle), QString(),
                       QString::fromUtf8(inserting::kFilter));
    dialog.setObjectName("insertPictureDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString file = dialog.selectedFiles().front();
    std::string bytes;
    std::optional<richtext::Picture> picture;
    if (m_services.fileSystem.readFile(pathOf(file), bytes) == 0) {
        picture = pictureFromFile(QByteArray::fromStdString(bytes));
    }
    if (!picture) {
        m_services.prompt.show(upperExtension(file) == "JPG" ? inserting::kJpgFailed
                                                             : inserting::kFailed,
                               app::MessageIcon::Error);
        return;
    }
    editor().insertPicture(*picture);
}

void CReadingToolsController::chooseBackground() {
    CBackgroundMenu menu(m_services.background, &m_toolbar);
    menu.run(popupAt(app::kToolBackground, menu.sizeHint()),
             [this](QSize size) { return popupAt(app::kToolBackground, size); });
}

void CReadingToolsController::setWordWrap(bool wrap) {
    editor().setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    m_toolbar.setWordWrap(wrap);
}

void CReadingToolsController::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromUtf8(tools::kPrintJob));
    QPrintDialog dialog(&printer, &m_area);
    dialog.setObjectName("printDialog");
    if (editor().textCursor().hasSelection()) {
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    }
    if (dialog.exec() == QDialog::Accepted) {
        editor().print(&printer);
    }
}

void CReadingToolsController::chooseDock() {
    QMenu menu(&m_toolbar);
    menu.setObjectName("dockMenu");
    QAction* top = menu.addAction(QString::fromUtf8(tools::kDockTop));
    top->setObjectName("dockTop");
    QAction* bottom = menu.addAction(QString::fromUtf8(tools::kDockBottom));
    bottom->setObjectName("dockBottom");
    QAction* chosen = chooseFromMenu(menu, popupAt(app::kToolDock, menu.sizeHint()));
    if (!chosen) {
        return;
    }
    const bool atTop = chosen == top;
    m_toolbar.setEdge(atTop ? ToolbarEdge::Top : ToolbarEdge::Bottom);
    m_area.setToolBar(&m_toolbar,
                      atTop ? CReadingArea::ToolBarEdge::Top : CReadingArea::ToolBarEdge::Bottom);
}

void CReadingToolsController::align(int kind) {
    QTextBlockFormat format;
    switch (kind) {
    case app::kToolParaCenter:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case app::kToolParaRight:
        format.setAlignment(Qt::AlignRight);
        break;
    default:
        format.setAlignment(Qt::AlignLeft);
        break;
    }
    editor().textCursor().mergeBlockFormat(format);
}

// A bulleted paragraph becomes plain with no indent; any other one gets the bullet, indented as
// a list of its own when it had no indent, so that the bullet hangs left of the text.
void CReadingToolsController::toggleBullet() {
    QTextCursor cursor = editor().textCursor();
    QTextList* list = cursor.currentList();
    cursor.beginEditBlock();
    if (list && list->format().style() == QTextListFormat::ListDisc) {
        const int end = cursor.selectionEnd();
        for (QTextBlock block = editor().document()->findBlock(cursor.selectionStart());
             block.isValid() && block.position() <= end; block = block.next()) {
            if (QTextList* own = block.textList()) {
                own->remove(block);
            }
            QTextCursor at(block);
            QTextBlockFormat plain;
            plain.setIndent(0);
            plain.setLeftMargin(0);
            plain.setTextIndent(0);
            at.mergeBlockFormat(plain);
        }
    } else {
        QTextListFormat bullets;
        bullets.setStyle(QTextListFormat::ListDisc);
        const bool indented = cursor.blockFormat().leftMargin() > 0;
        bullets.setIndent(indented ? 0 : 1);
        if (list) {
            list->setFormat(bullets);
        } else {
            cursor.createList(bullets);
        }
        labelInTextFont(cursor);
    }
    cursor.endEditBlock();
}

void CReadingToolsController::toggleBrush() {
    if (m_brush->isHeld()) {
        m_brush->release();
    } else {
        m_brush->pickUp();
    }
}

void CReadingToolsController::find() {
    if (!m_findDialog) {
        m_findDialog = new CFindDialog(*m_finder, &m_area);
        m_findDialog->setWindowFlag(Qt::Tool);
    }
    m_findDialog->present();
}

void CReadingToolsController::findAgain(bool backward) {
    if (m_finder->text().isEmpty()) {
        find();
        return;
    }
    if (backward) {
        m_finder->findPrevious();
    } else {
        m_finder->findNext();
    }
}

QPoint CReadingToolsController::popupAt(int kind, QSize size) const {
    return m_toolbar.popupPositionFor(kind, size);
}

} // namespace tarnel::ui
