#include "ui/frame_message.h"

#include <QCoreApplication>

namespace tarnel::ui {

QEvent::Type FrameEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool FrameMailbox::post(FrameMessage message, long long wParam, long long lParam) {
    std::lock_guard lock(m_mutex);
    if (!m_receiver) {
        return false;
    }
    QCoreApplication::postEvent(m_receiver, new FrameEvent(message, wParam, lParam));
    return true;
}

void FrameMailbox::close() {
    std::lock_guard lock(m_mutex);
    m_receiver = nullptr;
}

} // namespace tarnel::ui
