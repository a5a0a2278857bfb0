#include "ui/find_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace tarnel::ui {

bool TextFinder::findNext() {
    return find(false);
}

bool TextFinder::findPrevious() {
    return find(true);
}

bool TextFinder::find(bool backward) {
    if (m_text.isEmpty()) {
        return false;
    }
    const QTextCursor current = m_editor.textCursor();
    const int end = m_editor.document()->characterCount() - 1;
    const int start = backward ? current.selectionStart() : current.selectionEnd();
    if (findFrom(start, backward)) {
        return true;
    }
    const bool fromFarEnd = backward ? start >= end : start == 0;
    if (fromFarEnd) {
        m_prompt.show(finding::kNotFound, app::MessageIcon::Information);
        return false;
    }
    if (m_prompt.ask(backward ? finding::kWrapToEnd : finding::kWrapToStart,
                     app::MessageIcon::Question, app::Buttons::YesNo) != app::Answer::Yes) {
        return false;
    }
    if (findFrom(backward ? end : 0, backward)) {
        return true;
    }
    m_prompt.show(finding::kNotFound, app::MessageIcon::Information);
    return false;
}

bool TextFinder::findFrom(int position, bool backward) {
    QTextDocument::FindFlags flags;
    if (backward) {
        flags |= QTextDocument::FindBackward;
    }
    QTextCursor found = m_editor.document()->find(m_text, position, flags);
    if (found.isNull()) {
        return false;
    }
    m_editor.setTextCursor(found);
    return true;
}

CFindDialog::CFindDialog(TextFinder& finder, QWidget* parent)
    : QDialog(parent), m_finder(finder), m_text(new QLineEdit(this)) {
    setObjectName("findDialog");
    setWindowTitle("查找文本");
    setModal(false);
    m_text->setObjectName("findText");
    m_text->setAccessibleName("查找内容");
    m_text->setText(finder.text());

    auto* form = new QFormLayout;
    form->addRow("查找内容(&N):", m_text);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* next = buttons->addButton("查找下一个(&F)", QDialogButtonBox::ActionRole);
    next->setObjectName("findNextButton");
    next->setDefault(true);
    QPushButton* previous = buttons->addButton("查找上一个(&P)", QDialogButtonBox::ActionRole);
    previous->setObjectName("findPreviousButton");
    QPushButton* close = buttons->addButton("关闭", QDialogButtonBox::RejectRole);
    close->setObjectName("findCloseButton");
    connect(next, &QPushButton::clicked, this, [this] { search(false); });
    connect(previous, &QPushButton::clicked, this, [this] { search(true); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    connect(m_text, &QLineEdit::textChanged, this, [next, previous](const QString& text) {
        next->setEnabled(!text.isEmpty());
        previous->setEnabled(!text.isEmpty());
    });
    next->setEnabled(!finder.text().isEmpty());
    previous->setEnabled(!finder.text().isEmpty());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CFindDialog::present() {
    show();
    raise();
    activateWindow();
    m_text->selectAll();
    m_text->setFocus();
}

void CFindDialog::search(bool backward) {
    m_finder.setText(m_text->text());
    if (backward) {
        m_finder.findPrevious();
    } else {
        m_finder.findNext();
    }
}

} // namespace tarnel::ui
