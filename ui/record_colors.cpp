#include "ui/record_colors.h"

namespace tarnel::ui {

std::optional<QColor> recordColor(const store::Record& values, int attribute) {
    if (!values.has(attribute)) {
        return std::nullopt;
    }
    long long stored = values.integer(attribute, -1);
    if (stored < 0) {
        return std::nullopt;
    }
    return QColor(static_cast<int>(stored & 0xff), static_cast<int>((stored >> 8) & 0xff),
                  static_cast<int>((stored >> 16) & 0xff));
}

long long storedColor(const QColor& color) {
    return static_cast<long long>(color.red()) | (static_cast<long long>(color.green()) << 8) |
           (static_cast<long long>(color.blue()) << 16);
}

} // namespace tarnel::ui
