#pragma once

#include "store/record.h"

#include <QColor>
#include <optional>

namespace tarnel::ui {

// A colour attribute (`fore_color`, `back_color`) as the views paint it: the stored integer
// holds red in its low byte, then green, then blue. None when the value is absent or negative
// (the default colour).
std::optional<QColor> recordColor(const store::Record& values, int attribute);

// The integer a colour is stored as.
long long storedColor(const QColor& color);

} // namespace tarnel::ui
