#pragma once

#include "app/prompt.h"
#include "cli/global_options.h"

#include <cstdio>
#include <iosfwd>
#include <optional>
#include <string>

namespace tarnel::cli {

// The command line's Prompt: every message goes to standard error as "kind: text"; questions are
// answered from the global answer options, else on the terminal. A question that cannot be
// answered (no terminal, the answer list used up, an answer that is not one of the question's
// buttons) gets the question's most cautious answer (Cancel, else No, else Abort, else OK) so
// that the operation stops without changing anything, and the prompt remembers it: the command
// then ends with exit code 3.
class TerminalPrompt : public app::Prompt {
public:
    TerminalPrompt(const GlobalOptions& options, std::ostream& err, std::FILE* input = stdin);

    void show(const std::string& text, app::MessageIcon icon) override;
    app::Answer ask(const std::string& text, app::MessageIcon icon, app::Buttons buttons) override;

    bool unanswered() const { return m_unanswered; }

private:
    std::optional<app::Answer> answerFromOptions(app::Buttons buttons);
    std::optional<app::Answer> answerFromTerminal(app::Buttons buttons);

    const GlobalOptions& m_options;
    std::ostream& m_err;
    std::FILE* m_input;
    std::size_t m_nextAnswer = 0;
    bool m_unanswered = false;
};

// "error", "information", "warning" or "question".
const char* iconKind(app::MessageIcon icon);

} // namespace tarnel::cli
