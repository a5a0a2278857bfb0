#pragma once

#include <string>

namespace tarnel::app {

// The icon a message or question is shown with.
enum class MessageIcon { Error, Information, Warning, Question };

// The button sets of the system's message boxes.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

// The answers, numbered as the platform's message box returns them.
enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// How an operation talks to the user. Operations never open a window: the main window shows
// message boxes, the command line writes to the terminal, tests record every text in order.
// Only the thread that runs the operation calls it.
class Prompt {
public:
    virtual ~Prompt() = default;

    // Shows a message that needs no decision (one OK button).
    virtual void show(const std::string& text, MessageIcon icon) = 0;

    // Asks a question and returns the chosen button.
    virtual Answer ask(const std::string& text, MessageIcon icon, Buttons buttons) = 0;
};

} // namespace tarnel::app
