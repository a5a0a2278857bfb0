#pragma once

#include "app/prompt.h"

#include <QObject>

namespace tarnel::updater {

// A Prompt that worker threads may call: each call runs on the thread this object lives on (the
// user-interface thread) through the wrapped prompt, and the worker waits for the answer. Called
// on its own thread it calls the wrapped prompt directly.
class UiThreadPrompt : public QObject, public app::Prompt {
    Q_OBJECT

public:
    explicit UiThreadPrompt(app::Prompt& target, QObject* parent = nullptr);

    void show(const std::string& text, app::MessageIcon icon) override;
    app::Answer ask(const std::string& text, app::MessageIcon icon, app::Buttons buttons) override;

private:
    app::Prompt& m_target;
};

} // namespace tarnel::updater
