#include "updater/ui_thread_prompt.h"

#include <QMetaObject>
#include <QThread>

namespace tarnel::updater {

UiThreadPrompt::UiThreadPrompt(app::Prompt& target, QObject* parent)
    : QObject(parent), m_target(target) {}

void UiThreadPrompt::show(const std::string& text, app::MessageIcon icon) {
    ask(text, icon, app::Buttons::Ok);
}

app::Answer UiThreadPrompt::ask(const std::string& text, app::MessageIcon icon,
                                app::Buttons buttons) {
    auto askTarget = [&] {
        if (buttons == app::Buttons::Ok) {
            m_target.show(text, icon);
            return app::Answer::Ok;
        }
        return m_target.ask(text, icon, buttons);
    };
    if (QThread::currentThread() == thread()) {
        return askTarget();
    }
    app::Answer answer = app::Answer::Cancel;
    QMetaObject::invokeMethod(
        this, [&] { answer = askTarget(); }, Qt::BlockingQueuedConnection);
    return answer;
}

} // namespace tarnel::updater
