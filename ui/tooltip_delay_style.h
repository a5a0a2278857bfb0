#pragma once

#include <QProxyStyle>

namespace tarnel::ui {

// The program's style with its own delay before a tooltip shows. Widgets that set it share it;
// the owner keeps it alive for as long as they are.
class TooltipDelayStyle : public QProxyStyle {
public:
    explicit TooltipDelayStyle(int delayMs);

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override;

private:
    int m_delayMs;
};

} // namespace tarnel::ui
