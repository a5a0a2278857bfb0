#include "tests/ui/frame_fixture.h"
#include "ui/message_box_prompt.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace tarnel::ui {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::whenMessageBox;

struct BoxCase {
    Buttons buttons;
    std::vector<std::pair<QMessageBox::StandardButton, Answer>> answers; // the first is default
};

const std::vector<BoxCase> kCases = {
    {Buttons::Ok, {{QMessageBox::Ok, Answer::Ok}}},
    {Buttons::OkCancel, {{QMessageBox::Ok, Answer::Ok}, {QMessageBox::Cancel, Answer::Cancel}}},
    {Buttons::YesNo, {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}}},
    {Buttons::YesNoCancel,
     {{QMessageBox::Yes, Answer::Yes},
      {QMessageBox::No, Answer::No},
      {QMessageBox::Cancel, Answer::Cancel}}},
    {Buttons::RetryCancel,
     {{QMessageBox::Retry, Answer::Retry}, {QMessageBox::Cancel, Answer::Cancel}}},
    {Buttons::AbortRetryIgnore,
     {{QMessageBox::Abort, Answer::Abort},
      {QMessageBox::Retry, Answer::Retry},
      {QMessageBox::Ignore, Answer::Ignore}}},
};

TEST(MessageBoxPromptTest, EachButtonOfASetGivesItsAnswerAndTheFirstIsTheDefault) {
    QWidget frame;
    MessageBoxPrompt prompt(&frame);
    for (const BoxCase& set : kCases) {
        for (const auto& [clicked, answer] : set.answers) {
            std::vector<QMessageBox::StandardButton> shown;
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
            whenMessageBox([&, clicked = clicked](QMessageBox& box) {
                for (QAbstractButton* button : box.buttons()) {
                    shown.push_back(box.standardButton(button));
                }
                defaultButton = box.standardButton(box.defaultButton());
                box.button(clicked)->click();
            });
            EXPECT_EQ(prompt.ask("问题", MessageIcon::Question, set.buttons), answer);
            EXPECT_EQ(shown.size(), set.answers.size());
            for (const auto& entry : set.answers) {
                EXPECT_NE(std::find(shown.begin(), shown.end(), entry.first), shown.end());
            }
            EXPECT_EQ(defaultButton, set.answers.front().first);
        }
    }
}

TEST(MessageBoxPromptTest, TheBoxIsTitledTarnelWithPlainTextAndTheMappedIcon) {
    QWidget frame;
    MessageBoxPrompt prompt(&frame);
    const std::vector<std::pair<MessageIcon, QMessageBox::Icon>> icons = {
        {MessageIcon::Error, QMessageBox::Critical},
        {MessageIcon::Information, QMessageBox::Information},
        {MessageIcon::Warning, QMessageBox::Warning},
        {MessageIcon::Question, QMessageBox::Question},
    };
    for (const auto& [icon, expected] : icons) {
        QMessageBox::Icon seen = QMessageBox::NoIcon;
        whenMessageBox([&](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), "Tarnel");
            EXPECT_EQ(box.textFormat(), Qt::PlainText);
            EXPECT_EQ(box.text(), "分类“<b>a</b>”不存在!");
            EXPECT_EQ(box.parentWidget(), &frame);
            seen = box.icon();
            box.button(QMessageBox::Ok)->click();
        });
        prompt.show("分类“<b>a</b>”不存在!", icon);
        EXPECT_EQ(seen, expected);
    }
}

TEST(MessageBoxPromptTest, ABoxClosedWithoutAButtonAnswersCancelElseNo) {
    MessageBoxPrompt prompt;
    for (auto [buttons, answer] :
         {std::pair{Buttons::YesNoCancel, Answer::Cancel}, std::pair{Buttons::YesNo, Answer::No},
          std::pair{Buttons::Ok, Answer::Ok}}) {
        whenMessageBox([](QMessageBox& box) { box.reject(); });
        EXPECT_EQ(prompt.ask("问题", MessageIcon::Question, buttons), answer);
    }
}

TEST(MessageBoxPromptTest, AQuestionFromADialogStaysAboveTheDialog) {
    QWidget frame;
    MessageBoxPrompt prompt(&frame);
    QDialog dialog(&frame);
    QWidget* parent = nullptr;
    Answer answer = Answer::Cancel;
    QTimer::singleShot(0, &dialog, [&] {
        whenMessageBox([&](QMessageBox& box) {
            parent = box.parentWidget();
            box.button(QMessageBox::No)->click();
        });
        answer = prompt.ask("问题", MessageIcon::Question, Buttons::YesNo);
        dialog.accept();
    });
    dialog.exec();
    EXPECT_EQ(parent, &dialog);
    EXPECT_EQ(answer, Answer::No);
}

} // namespace
} // namespace tarnel::ui
