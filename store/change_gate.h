#pragma once

#include "store/change_notification.h"

#include <cstddef>
#include <vector>

namespace tarnel::store {

// Passes notifications on to the sink the base was made with, or keeps them back while a command
// of several steps can still be taken back, so that the views hear only of committed changes.
class ChangeGate final : public ChangeSink {
public:
    explicit ChangeGate(ChangeSink& next) : m_next(next) {}
    void notify(const ChangeNotification& notification) override;

private:
    friend class HeldChanges;

    ChangeSink& m_next;
    std::vector<ChangeNotification> m_held;
    int m_holds = 0;
};

// Keeps the gate's notifications back while it lives. release() passes them on in order (or
// leaves them to an enclosing hold); a hold that ends unreleased forgets those sent since it
// began.
class HeldChanges {
public:
    explicit HeldChanges(ChangeGate& gate);
    HeldChanges(const HeldChanges&) = delete;
    HeldChanges& operator=(const HeldChanges&) = delete;
    ~HeldChanges();

    void release();

private:
    ChangeGate& m_gate;
    std::size_t m_mark;
    bool m_holding = true;
};

} // namespace tarnel::store
