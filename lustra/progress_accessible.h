#pragma once

#include <QAccessibleWidget>

namespace LUSTRA {

class CProgressCtrlExt;

// A progress bar whose value text is the text it draws ("7%"), the position when it draws
// none.
class ProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressAccessible(CProgressCtrlExt* bar);

    QString text(QAccessible::Text type) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    // The position is the program's to set, not the reader's.
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    CProgressCtrlExt* bar() const;
};

} // namespace LUSTRA
