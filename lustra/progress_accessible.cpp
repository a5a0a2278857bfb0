#include "progress_accessible.h"

#include "lustra/progress_ctrl_ext.h"

namespace LUSTRA {

ProgressAccessible::ProgressAccessible(CProgressCtrlExt* bar)
    : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

CProgressCtrlExt* ProgressAccessible::bar() const {
    return static_cast<CProgressCtrlExt*>(widget());
}

QString ProgressAccessible::text(QAccessible::Text type) const {
    const QString drawn = QString::fromStdString(bar()->GetText());
    if (type == QAccessible::Value) {
        return drawn.isEmpty() ? QString::number(bar()->value()) : drawn;
    }
    if (type == QAccessible::Description && bar()->accessibleDescription().isEmpty()) {
        return drawn;
    }
    return QAccessibleWidget::text(type);
}

void* ProgressAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QVariant ProgressAccessible::currentValue() const {
    return bar()->value();
}

QVariant ProgressAccessible::maximumValue() const {
    return bar()->maximum();
}

QVariant ProgressAccessible::minimumValue() const {
    return bar()->minimum();
}

// Readers take the number of digits to speak from the step: a hundredth of the range.
QVariant ProgressAccessible::minimumStepSize() const {
    return (double(bar()->maximum()) - bar()->minimum()) / 100.0;
}

} // namespace LUSTRA
