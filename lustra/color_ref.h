#pragma once

#include <QColor>

namespace LUSTRA {

// Colour numbers keep red in the low byte, then green, then blue; -1 stands for none.
constexpr int kNoColor = -1;

inline QColor colorFromRef(int ref) {
    return QColor(ref & 0xff, (ref >> 8) & 0xff, (ref >> 16) & 0xff);
}

} // namespace LUSTRA
