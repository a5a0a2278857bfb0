#include "tests/support/scripted_prompt.h"

#include <gtest/gtest.h>

namespace tarnel::test {

PromptEvent shown(std::string text, app::MessageIcon icon) {
    return {PromptEvent::Kind::Show, std::move(text), icon, app::Buttons::Ok};
}

PromptEvent asked(std::string text, app::MessageIcon icon, app::Buttons buttons) {
    return {PromptEvent::Kind::Ask, std::move(text), icon, buttons};
}

void ScriptedPrompt::script(std::vector<app::Answer> answers) {
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

void ScriptedPrompt::show(const std::string& text, app::MessageIcon icon) {
    m_events.push_back(shown(text, icon));
}

app::Answer ScriptedPrompt::ask(const std::string& text, app::MessageIcon icon,
                                app::Buttons buttons) {
    m_events.push_back(asked(text, icon, buttons));
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        bool hasCancel = buttons == app::Buttons::OkCancel ||
                         buttons == app::Buttons::YesNoCancel ||
                         buttons == app::Buttons::RetryCancel;
        return hasCancel ? app::Answer::Cancel : app::Answer::No;
    }
    app::Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void ScriptedPrompt::clear() {
    m_events.clear();
    m_answers.clear();
}

} // namespace tarnel::test
