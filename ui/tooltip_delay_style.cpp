#include "ui/tooltip_delay_style.h"

namespace tarnel::ui {

TooltipDelayStyle::TooltipDelayStyle(int delayMs) : QProxyStyle("Fusion"), m_delayMs(delayMs) {}

int TooltipDelayStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                 QStyleHintReturn* data) const {
    if (hint == QStyle::SH_ToolTip_WakeUpDelay) {
        return m_delayMs;
    }
    return QProxyStyle::styleHint(hint, option, widget, data);
}

} // namespace tarnel::ui
