#pragma once

#include "ui/information_pane.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace tarnel::ui {

// Holds a list window's list on its row while the information pane will not leave the point it
// shows (an edited comment whose save question was cancelled).
class RowKeeper {
public:
    // True when the move from previous to current may go on; false when the list was put back,
    // or is being put back, on previous.
    bool allows(QTableView& list, CInformationPane& info, const QModelIndex& current,
                const QModelIndex& previous) {
        if (m_keeping) {
            return false;
        }
        if (previous.isValid() && current.row() != previous.row() && !info.leavePoint()) {
            m_keeping = true;
            list.selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
            m_keeping = false;
            return false;
        }
        return true;
    }

private:
    bool m_keeping = false;
};

} // namespace tarnel::ui
