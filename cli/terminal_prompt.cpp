#include "cli/terminal_prompt.h"

#include <initializer_list>
#include <ostream>
#include <unistd.h>
#include <vector>

namespace tarnel::cli {
namespace {

using app::Answer;
using app::Buttons;

std::vector<Answer> answersOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return {Answer::Ok};
    case Buttons::OkCancel:
        return {Answer::Ok, Answer::Cancel};
    case Buttons::YesNo:
        return {Answer::Yes, Answer::No};
    case Buttons::YesNoCancel:
        return {Answer::Yes, Answer::No, Answer::Cancel};
    case Buttons::RetryCancel:
        return {Answer::Retry, Answer::Cancel};
    case Buttons::AbortRetryIgnore:
        return {Answer::Abort, Answer::Retry, Answer::Ignore};
    }
    return {Answer::Ok};
}

bool fits(Answer answer, Buttons buttons) {
    for (Answer candidate : answersOf(buttons)) {
        if (candidate == answer) {
            return true;
        }
    }
    return false;
}

Answer affirmative(Buttons buttons) {
    return answersOf(buttons).front();
}

Answer firstFitting(std::initializer_list<Answer> preference, Buttons buttons) {
    for (Answer answer : preference) {
        if (fits(answer, buttons)) {
            return answer;
        }
    }
    return Answer::Ok;
}

Answer negative(Buttons buttons) {
    return firstFitting({Answer::No, Answer::Cancel, Answer::Abort}, buttons);
}

Answer cautious(Buttons buttons) {
    return firstFitting({Answer::Cancel, Answer::No, Answer::Abort}, buttons);
}

std::string choicesText(Buttons buttons) {
    std::string text;
    for (Answer answer : answersOf(buttons)) {
        text += text.empty() ? "" : "/";
        text += answerName(answer);
    }
    return text;
}

std::string trimmedLine(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    std::size_t start = line.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : line.substr(start);
}

} // namespace

const char* iconKind(app::MessageIcon icon) {
    switch (icon) {
    case app::MessageIcon::Error:
        return "error";
    case app::MessageIcon::Information:
        return "information";
    case app::MessageIcon::Warning:
        return "warning";
    case app::MessageIcon::Question:
        return "question";
    }
    return "information";
}

TerminalPrompt::TerminalPrompt(const GlobalOptions& options, std::ostream& err, std::FILE* input)
    : m_options(options), m_err(err), m_input(input) {}

void TerminalPrompt::show(const std::string& text, app::MessageIcon icon) {
    m_err << iconKind(icon) << ": " << text << '\n' << std::flush;
}

Answer TerminalPrompt::ask(const std::string& text, app::MessageIcon icon, Buttons buttons) {
    m_err << iconKind(icon) << ": " << text << '\n' << std::flush;
    std::optional<Answer> answer = m_options.answerMode == AnswerMode::Terminal
                                       ? answerFromTerminal(buttons)
                                       : answerFromOptions(buttons);
    if (!answer) {
        m_unanswered = true;
        return cautious(buttons);
    }
    if (m_options.answerMode != AnswerMode::Terminal) {
        m_err << "answer: " << answerName(*answer) << '\n' << std::flush;
    }
    return *answer;
}

std::optional<Answer> TerminalPrompt::answerFromOptions(Buttons buttons) {
    switch (m_options.answerMode) {
    case AnswerMode::AllAffirmative:
        return affirmative(buttons);
    case AnswerMode::AllNegative:
        return negative(buttons);
    case AnswerMode::List: {
        if (m_nextAnswer >= m_options.answers.size()) {
            m_err << "error: no answer left in --answers for this question\n";
            return std::nullopt;
        }
        Answer answer = m_options.answers[m_nextAnswer++];
        if (!fits(answer, buttons)) {
            m_err << "error: the answer " << answerName(answer) << " is not one of "
                  << choicesText(buttons) << '\n';
            return std::nullopt;
        }
        return answer;
    }
    case AnswerMode::Terminal:
        break;
    }
    return std::nullopt;
}

std::optional<Answer> TerminalPrompt::answerFromTerminal(Buttons buttons) {
    if (m_input == nullptr || !::isatty(::fileno(m_input))) {
        return std::nullopt;
    }
    for (;;) {
        m_err << "[" << choicesText(buttons) << "] " << std::flush;
        char buffer[256];
        if (std::fgets(buffer, sizeof buffer, m_input) == nullptr) {
            return std::nullopt;
        }
        auto answer = answerNamed(trimmedLine(buffer));
        if (answer && fits(*answer, buttons)) {
            return answer;
        }
    }
}

} // namespace tarnel::cli
