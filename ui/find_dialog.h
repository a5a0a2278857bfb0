#pragma once

#include "app/prompt.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class QLineEdit;
class QTextEdit;

namespace tarnel::ui {

// The texts of the search in the reading area.
namespace finding {
inline constexpr const char* kNotFound = "没有找到匹配的字符!";
inline constexpr const char* kWrapToStart = "查找至末尾，是否从头开始查找?";
inline constexpr const char* kWrapToEnd = "查找至开头，是否从末尾开始查找?";
} // namespace finding

// Searches an editor for a text, forward from the end of the current match or backward from
// its start, and selects what it finds. A search that started at the far end of the text and
// found nothing says so; one that started inside it offers to go on from the far end. Hidden
// text is an object in the editor, so it is never found.
class TextFinder {
public:
    TextFinder(QTextEdit& editor, app::Prompt& prompt) : m_editor(editor), m_prompt(prompt) {}

    void setText(const QString& text) { m_text = text; }
    const QString& text() const { return m_text; }

    // False when nothing was found (after the message or the declined question).
    bool findNext();
    bool findPrevious();

private:
    bool find(bool backward);
    bool findFrom(int position, bool backward);

    QTextEdit& m_editor;
    app::Prompt& m_prompt;
    QString m_text;
};

// The modeless find dialog of one editor ("findDialog"): the text to find ("findText") and
// buttons for the next ("findNextButton") and the previous match ("findPreviousButton").
class CFindDialog : public QDialog {
    Q_OBJECT

public:
    CFindDialog(TextFinder& finder, QWidget* parent);

    // Shows the dialog, raised, with its text selected for typing over.
    void present();

private:
    void search(bool backward);

    TextFinder& m_finder;
    QLineEdit* m_text;
};

} // namespace tarnel::ui
