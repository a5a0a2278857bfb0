#pragma once

#include <QAccessible>

namespace LUSTRA {

// A part that a control draws itself (a tool button, a list row): no object or children of
// its own, read-only texts, and actions that click it.
class AccessibleItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    void* interface_cast(QAccessible::InterfaceType type) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

} // namespace LUSTRA
