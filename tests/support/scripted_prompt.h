#pragma once

#include "app/prompt.h"

#include <deque>
#include <string>
#include <vector>

namespace tarnel::test {

// One message shown or one question asked, as the operation made it.
struct PromptEvent {
    enum class Kind { Show, Ask };
    Kind kind = Kind::Show;
    std::string text;
    app::MessageIcon icon = app::MessageIcon::Information;
    app::Buttons buttons = app::Buttons::Ok;

    bool operator==(const PromptEvent&) const = default;
};

PromptEvent shown(std::string text, app::MessageIcon icon);
PromptEvent asked(std::string text, app::MessageIcon icon, app::Buttons buttons);

// A Prompt that records every text in order and answers questions from a script. A question
// beyond the script fails the test and is answered Cancel (or No where there is no Cancel).
class ScriptedPrompt : public app::Prompt {
public:
    void script(std::vector<app::Answer> answers);

    void show(const std::string& text, app::MessageIcon icon) override;
    app::Answer ask(const std::string& text, app::MessageIcon icon, app::Buttons buttons) override;

    const std::vector<PromptEvent>& events() const { return m_events; }
    std::size_t answersLeft() const { return m_answers.size(); }
    void clear();

private:
    std::deque<app::Answer> m_answers;
    std::vector<PromptEvent> m_events;
};

} // namespace tarnel::test
