#include "store/change_gate.h"

namespace tarnel::store {

void ChangeGate::notify(const ChangeNotification& notification) {
    if (m_holds > 0) {
        m_held.push_back(notification);
    } else {
        m_next.notify(notification);
    }
}

HeldChanges::HeldChanges(ChangeGate& gate) : m_gate(gate), m_mark(gate.m_held.size()) {
    ++m_gate.m_holds;
}

HeldChanges::~HeldChanges() {
    if (m_holding) {
        m_gate.m_held.resize(m_mark);
        --m_gate.m_holds;
    }
}

void HeldChanges::release() {
    if (!m_holding) {
        return;
    }
    m_holding = false;
    if (--m_gate.m_holds > 0) {
        return;
    }
    std::vector<ChangeNotification> held;
    held.swap(m_gate.m_held);
    for (const ChangeNotification& notification : held) {
        m_gate.m_next.notify(notification);
    }
}

} // namespace tarnel::store
