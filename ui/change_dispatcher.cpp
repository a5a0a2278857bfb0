#include "ui/change_dispatcher.h"

namespace tarnel::ui {

void ChangeDispatcher::notify(const store::ChangeNotification& notification) {
    m_pending.push_back(notification);
    if (m_depth == 0 && !m_delivering && !m_requested && m_receivers.requestDelivery) {
        m_requested = true;
        m_receivers.requestDelivery();
    }
}

void ChangeDispatcher::deliverPending() {
    m_requested = false;
    if (m_depth > 0 || m_delivering || m_pending.empty()) {
        return;
    }
    // A receiver may itself change the base (a store loads a list): what it reports joins the
    // end of this batch.
    m_delivering = true;
    while (!m_pending.empty()) {
        store::ChangeNotification next = m_pending.front();
        m_pending.pop_front();
        if (m_receivers.deliver) {
            m_receivers.deliver(next);
        }
    }
    if (m_receivers.settle) {
        m_receivers.settle();
    }
    m_delivering = false;
}

} // namespace tarnel::ui
