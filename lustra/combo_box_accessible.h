#pragma once

#include <QAccessibleWidget>

namespace LUSTRA {

class CComboBoxExt;

// A check combo: named and valued by the text its face shows; its first child is the
// drop-down list, then its own widgets (the edit field).
class ComboBoxAccessible : public QAccessibleWidget {
public:
    explicit ComboBoxAccessible(CComboBoxExt* combo);

    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    QStringList actionNames() const override;
    void doAction(const QString& name) override;

private:
    CComboBoxExt* combo() const;
};

} // namespace LUSTRA
