#include "lustra/list_box_notify_event.h"

namespace LUSTRA {

CListBoxNotifyEvent::CListBoxNotifyEvent(int message, int row, CListBoxExt* list)
    : QEvent(eventType()), m_message(message), m_row(row), m_list(list) {}

QEvent::Type CListBoxNotifyEvent::eventType() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

} // namespace LUSTRA
