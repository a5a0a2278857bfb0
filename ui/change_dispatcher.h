#pragma once

#include "store/change_notification.h"

#include <deque>
#include <functional>

namespace tarnel::ui {

// The knowledge base's sink in the main window. Notifications are collected while an operation
// runs and delivered in order once it has returned (see Guard), never from inside the event loop
// of a question it asks. A notification that arrives outside any operation asks, through
// requestDelivery, for a later delivery (the main window posts message 2029 to itself).
// User-interface thread only.
class ChangeDispatcher : public store::ChangeSink {
public:
    struct Receivers {
        // Called for each notification in order.
        std::function<void(const store::ChangeNotification&)> deliver;
        // Called once after a batch (the windows whose object is gone close here).
        std::function<void()> settle;
        // A notification is waiting and no operation is running.
        std::function<void()> requestDelivery;
    };

    void setReceivers(Receivers receivers) { m_receivers = std::move(receivers); }

    void notify(const store::ChangeNotification& notification) override;

    // Delivers what is waiting, unless an operation is still running.
    void deliverPending();

    bool operationRunning() const { return m_depth > 0; }
    std::size_t pending() const { return m_pending.size(); }

    // Held around every operation call; the outermost one delivers when it goes.
    class Guard {
    public:
        explicit Guard(ChangeDispatcher& dispatcher) : m_dispatcher(dispatcher) {
            ++m_dispatcher.m_depth;
        }
        ~Guard() {
            --m_dispatcher.m_depth;
            m_dispatcher.deliverPending();
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        ChangeDispatcher& m_dispatcher;
    };

private:
    Receivers m_receivers;
    std::deque<store::ChangeNotification> m_pending;
    int m_depth = 0;
    bool m_delivering = false;
    bool m_requested = false;
};

} // namespace tarnel::ui
