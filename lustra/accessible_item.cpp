#include "accessible_item.h"

namespace LUSTRA {

QWindow* AccessibleItem::window() const {
    QAccessibleInterface* control = parent();
    return control ? control->window() : nullptr;
}

void* AccessibleItem::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
}

} // namespace LUSTRA
