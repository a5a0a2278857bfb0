#pragma once

#include <QPoint>

class QAction;
class QMenu;

namespace tarnel::ui {

// Shows the menu at the global position until an entry of it or of one of its sub-menus is
// triggered (by the user or by a program) or the menu is dismissed; the triggered entry, or
// null.
QAction* chooseFromMenu(QMenu& menu, QPoint at);

} // namespace tarnel::ui
