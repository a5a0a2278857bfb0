#pragma once

#include "app/prompt.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>
#include <utility>

namespace tarnel::ui {

// A program's Prompt: a modal QMessageBox titled with the program's name ("Tarnel" unless given)
// with the text as plain text.
// Its parent is the active modal dialog when there is one (a question asked from inside a
// dialog stays above it), else the fallback window (the main frame; none before it exists).
// The first button of a set is the default. User-interface thread only.
class MessageBoxPrompt : public app::Prompt {
public:
    explicit MessageBoxPrompt(QWidget* fallbackParent = nullptr, QString title = kTitle)
        : m_fallback(fallbackParent), m_title(std::move(title)) {}

    void setFallbackParent(QWidget* parent) { m_fallback = parent; }

    void show(const std::string& text, app::MessageIcon icon) override;
    app::Answer ask(const std::string& text, app::MessageIcon icon, app::Buttons buttons) override;

    static constexpr const char* kTitle = "Tarnel";

private:
    QWidget* parentWidget() const;

    QPointer<QWidget> m_fallback;
    QString m_title;
};

} // namespace tarnel::ui
