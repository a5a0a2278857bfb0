#include "combo_box_accessible.h"

#include "lustra/combo_box_ext.h"

#include <QAbstractItemView>

namespace LUSTRA {

ComboBoxAccessible::ComboBoxAccessible(CComboBoxExt* combo)
    : QAccessibleWidget(combo, QAccessible::ComboBox) {}

CComboBoxExt* ComboBoxAccessible::combo() const {
    return static_cast<CComboBoxExt*>(widget());
}

QString ComboBoxAccessible::text(QAccessible::Text type) const {
    if (type == QAccessible::Name && !combo()->accessibleName().isEmpty()) {
        return combo()->accessibleName();
    }
    if (type == QAccessible::Name || type == QAccessible::Value) {
        return combo()->faceText();
    }
    return QAccessibleWidget::text(type);
}

QAccessible::State ComboBoxAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    const bool open = combo()->view()->isVisible();
    state.hasPopup = true;
    state.expandable = true;
    state.expanded = open;
    state.collapsed = !open;
    return state;
}

int ComboBoxAccessible::childCount() const {
    return 1 + QAccessibleWidget::childCount();
}

QAccessibleInterface* ComboBoxAccessible::child(int index) const {
    if (index == 0) {
        return QAccessible::queryAccessibleInterface(combo()->view());
    }
    return QAccessibleWidget::child(index - 1);
}

int ComboBoxAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child && child->object() == combo()->view()) {
        return 0;
    }
    const int own = QAccessibleWidget::indexOfChild(child);
    return own < 0 ? -1 : own + 1;
}

QStringList ComboBoxAccessible::actionNames() const {
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
}

void ComboBoxAccessible::doAction(const QString& name) {
    if (name != showMenuAction() && name != pressAction()) {
        QAccessibleWidget::doAction(name);
    } else if (combo()->view()->isVisible()) {
        combo()->hidePopup();
    } else {
        combo()->showPopup();
    }
}

} // namespace LUSTRA
