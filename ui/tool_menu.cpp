#include "ui/tool_menu.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace tarnel::ui {
namespace {

void recordTriggers(QMenu& root, QMenu& menu, QPointer<QAction>& chosen) {
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) {
            recordTriggers(root, *sub, chosen);
            continue;
        }
        QObject::connect(action, &QAction::triggered, &root, [&root, &chosen, action] {
            chosen = action;
            root.close();
        });
    }
}

} // namespace

QAction* chooseFromMenu(QMenu& menu, QPoint at) {
    QPointer<QAction> chosen;
    recordTriggers(menu, menu, chosen);
    QAction* picked = menu.exec(at);
    return chosen ? chosen.data() : picked;
}

} // namespace tarnel::ui
