#include "ui/format_brush.h"

#include "ui/rich_text_bridge.h"

#include <QEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace tarnel::ui {
namespace {

// The properties of a look; a link and the stored font name of the run stay with the run.
QTextCharFormat lookOf(const QTextCharFormat& format) {
    QTextCharFormat look;
    look.setFontFamilies(format.fontFamilies().toStringList());
    look.setFontWeight(format.fontWeight());
    look.setFontItalic(format.fontItalic());
    look.setFontUnderline(format.fontUnderline());
    look.setFontStrikeOut(format.fontStrikeOut());
    if (format.hasProperty(QTextFormat::FontPointSize)) {
        look.setFontPointSize(format.fontPointSize());
    }
    if (format.hasProperty(bridge::kStoredFont)) {
        look.setProperty(bridge::kStoredFont, format.property(bridge::kStoredFont));
    }
    if (format.hasProperty(QTextFormat::ForegroundBrush)) {
        look.setForeground(format.foreground());
    }
    if (format.hasProperty(QTextFormat::BackgroundBrush)) {
        look.setBackground(format.background());
    }
    return look;
}

QTextCharFormat withLook(QTextCharFormat format, const QTextCharFormat& look) {
    for (int property : {int(QTextFormat::FontPointSize), int(QTextFormat::ForegroundBrush),
                         int(QTextFormat::BackgroundBrush), bridge::kStoredFont}) {
        format.clearProperty(property);
    }
    format.merge(look);
    return format;
}

} // namespace

void applyTextFormat(QTextCursor& selection, const QTextCharFormat& format) {
    const QTextCharFormat look = lookOf(format);
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    selection.beginEditBlock();
    for (QTextBlock block = selection.document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from >= to || fragment.charFormat().isImageFormat() ||
                fragment.charFormat().objectType() == bridge::kHiddenObjectType) {
                continue;
            }
            QTextCursor part(selection.document());
            part.setPosition(from);
            part.setPosition(to, QTextCursor::KeepAnchor);
            part.setCharFormat(withLook(fragment.charFormat(), look));
        }
    }
    selection.endEditBlock();
}

CFormatBrush::CFormatBrush(QTextEdit& editor) : QObject(&editor), m_editor(editor) {
    editor.viewport()->installEventFilter(this);
    editor.installEventFilter(this);
}

void CFormatBrush::pickUp() {
    m_format = m_editor.textCursor().charFormat();
    m_held = true;
    emit heldChanged(true);
}

void CFormatBrush::release() {
    m_held = false;
    emit heldChanged(false);
}

bool CFormatBrush::eventFilter(QObject*, QEvent* event) {
    const bool completes =
        event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyRelease;
    if (m_held && completes && m_editor.textCursor().hasSelection() && !m_editor.isReadOnly()) {
        QTextCursor selection = m_editor.textCursor();
        applyTextFormat(selection, m_format);
        release();
    }
    return false;
}

} // namespace tarnel::ui
