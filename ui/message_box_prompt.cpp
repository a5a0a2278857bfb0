#include "ui/message_box_prompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace tarnel::ui {
namespace {

QMessageBox::Icon boxIcon(app::MessageIcon icon) {
    switch (icon) {
    case app::MessageIcon::Error:
        return QMessageBox::Critical;
    case app::MessageIcon::Information:
        return QMessageBox::Information;
    case app::MessageIcon::Warning:
        return QMessageBox::Warning;
    case app::MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    app::Answer answer;
};

std::vector<ButtonAnswer> buttonsOf(app::Buttons buttons) {
    using B = QMessageBox;
    using A = app::Answer;
    switch (buttons) {
    case app::Buttons::Ok:
        return {{B::Ok, A::Ok}};
    case app::Buttons::OkCancel:
        return {{B::Ok, A::Ok}, {B::Cancel, A::Cancel}};
    case app::Buttons::YesNo:
        return {{B::Yes, A::Yes}, {B::No, A::No}};
    case app::Buttons::YesNoCancel:
        return {{B::Yes, A::Yes}, {B::No, A::No}, {B::Cancel, A::Cancel}};
    case app::Buttons::RetryCancel:
        return {{B::Retry, A::Retry}, {B::Cancel, A::Cancel}};
    case app::Buttons::AbortRetryIgnore:
        return {{B::Abort, A::Abort}, {B::Retry, A::Retry}, {B::Ignore, A::Ignore}};
    }
    return {{B::Ok, A::Ok}};
}

// What closing the box without a button means: the set's Cancel or No, else its first answer.
app::Answer closedAnswer(const std::vector<ButtonAnswer>& set) {
    for (const auto& entry : set) {
        if (entry.answer == app::Answer::Cancel) {
            return entry.answer;
        }
    }
    for (const auto& entry : set) {
        if (entry.answer == app::Answer::No) {
            return entry.answer;
        }
    }
    return set.front().answer;
}

} // namespace

QWidget* MessageBoxPrompt::parentWidget() const {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return m_fallback.data();
}

void MessageBoxPrompt::show(const std::string& text, app::MessageIcon icon) {
    ask(text, icon, app::Buttons::Ok);
}

app::Answer MessageBoxPrompt::ask(const std::string& text, app::MessageIcon icon,
                                  app::Buttons buttons) {
    QMessageBox box(parentWidget());
    box.setObjectName("messageBox");
    box.setWindowTitle(m_title);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    box.setIcon(boxIcon(icon));
    std::vector<ButtonAnswer> set = buttonsOf(buttons);
    for (const auto& entry : set) {
        QAbstractButton* button = box.addButton(entry.button);
        button->setObjectName(QStringLiteral("answer%1").arg(static_cast<int>(entry.answer)));
    }
    box.setDefaultButton(set.front().button);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& entry : set) {
        if (clicked && clicked == box.button(entry.button)) {
            return entry.answer;
        }
    }
    return closedAnswer(set);
}

} // namespace tarnel::ui
