#pragma once

#include "lustra/lustra_export.h"

#include <QEvent>

namespace LUSTRA {

class CListBoxExt;

// The requests a tree list sends at once to its notify object. The receiver's event() returning
// true is the non-zero answer ("handled"). The receiver may change the list.
enum {
    LBEN_COLLAPSE = 1124,    // the button of an expanded row was clicked
    LBEN_EXPAND = 1125,      // the button of a collapsed row was clicked
    LBEN_CHECKCHANGE = 1126, // a check box was toggled
    LBEN_LISTUP = 1127,      // the left button went up in a simple combo box's list
};

class LUSTRA_API CListBoxNotifyEvent : public QEvent {
public:
    CListBoxNotifyEvent(int message, int row, CListBoxExt* list);

    // The one event type of every request, registered on first use.
    static QEvent::Type eventType();

    int message() const { return m_message; }
    int row() const { return m_row; }
    CListBoxExt* list() const { return m_list; }

private:
    int m_message;
    int m_row;
    CListBoxExt* m_list;
};

} // namespace LUSTRA
