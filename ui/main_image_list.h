#pragma once

#include "ui/skin/skin_keys.h"

#include <QIcon>
#include <array>
#include <vector>

namespace tarnel::ui {

// The program's shared image list: the 16 skin icons at the positions of their ICON_ keys, then
// the icons added for the run (the site icons of the web windows). The skin loader fills the
// first 16; views ask it by index whenever they paint, so that a skin change shows at the next
// paint. User-interface thread only.
class MainImageList {
public:
    // The icon at that index; an empty icon for an index never given or before a skin was loaded.
    QIcon icon(int index) const {
        if (index >= 0 && index < skin::kIconCount) {
            return m_icons[static_cast<std::size_t>(index)];
        }
        std::size_t added = static_cast<std::size_t>(index - skin::kIconCount);
        return index >= skin::kIconCount && added < m_added.size() ? m_added[added] : QIcon();
    }
    void setIcon(int index, QIcon icon) { m_icons.at(static_cast<std::size_t>(index)) = icon; }
    // Keeps the icon for the run; its index, 16 or above.
    int addIcon(QIcon icon) {
        m_added.push_back(std::move(icon));
        return skin::kIconCount + static_cast<int>(m_added.size()) - 1;
    }

private:
    std::array<QIcon, skin::kIconCount> m_icons;
    std::vector<QIcon> m_added;
};

} // namespace tarnel::ui
