#pragma once

#include "app/prompt.h"

#include <QPointer>
#include <QWidget>
#include <string>

namespace tarnel::ui {

// The main program's Prompt: a modal QMessageBox titled "Tarnel" with the text as plain text.
// Its parent is the active modal dialog when there is one (a question asked from inside a
// dialog stays above it), else the fallback window (the main frame; none before it exists).
// The first button of a set is the default. User-interface thread only.
class MessageBoxPrompt : public app::Prompt {
public:
    explicit MessageBoxPrompt(QWidget* fallbackParent = nullptr) : m_fallback(fallbackParent) {}

    void setFallbackParent(QWidget* parent) { m_fallback = parent; }

    void show(const std::string& text, app::MessageIcon icon) override;
    app::Answer ask(const std::string& text, app::MessageIcon icon, app::Buttons buttons) override;

    static constexpr const char* kTitle = "Tarnel";

private:
    QWidget* parentWidget() const;

    QPointer<QWidget> m_fallback;
};

} // namespace tarnel::ui
