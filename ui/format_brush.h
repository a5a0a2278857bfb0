#pragma once

#include <QObject>
#include <QTextCharFormat>

class QTextCursor;
class QTextEdit;

namespace tarnel::ui {

// Gives the text of the selection the character format, leaving pictures, hidden text and links
// as they are: what the brush and the font tools change is the look of the text.
void applyTextFormat(QTextCursor& selection, const QTextCharFormat& format);

// The format brush of an editor: picks up the character format at the caret and gives it to the
// text of the next selection the user completes (with the mouse or the keyboard), then lets go.
class CFormatBrush : public QObject {
    Q_OBJECT

public:
    explicit CFormatBrush(QTextEdit& editor);

    bool isHeld() const { return m_held; }
    void pickUp();
    void release();

signals:
    void heldChanged(bool held);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;

    QTextEdit& m_editor;
    QTextCharFormat m_format;
    bool m_held = false;
};

} // namespace tarnel::ui
