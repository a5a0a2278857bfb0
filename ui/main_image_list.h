#pragma once

#include "ui/skin/skin_keys.h"

#include <QIcon>
#include <array>

namespace tarnel::ui {

// The program's shared image list: the 16 skin icons at the positions of their ICON_ keys. The
// skin loader fills it; views ask it by index whenever they paint, so that a skin change shows at
// the next paint. User-interface thread only.
class MainImageList {
public:
    // The icon at that index; an empty icon outside 0..15 or before a skin was loaded.
    QIcon icon(int index) const {
        return index >= 0 && index < skin::kIconCount ? m_icons[static_cast<std::size_t>(index)]
                                                      : QIcon();
    }
    void setIcon(int index, QIcon icon) { m_icons.at(static_cast<std::size_t>(index)) = icon; }

private:
    std::array<QIcon, skin::kIconCount> m_icons;
};

} // namespace tarnel::ui
