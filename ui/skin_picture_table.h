#pragma once

#include "ui/skin/skin_keys.h"

#include <QImage>
#include <array>

namespace tarnel::ui {

// The table of skin pictures: one slot per BITMAP key, slot i holding the picture of image id i.
// The skin loader fills it; views ask it by slot whenever they paint. User-interface thread only.
class SkinPictureTable {
public:
    // The picture of that slot; a null image outside 0..122 or before a skin was loaded.
    QImage picture(int slot) const {
        return slot >= 0 && slot < skin::kBitmapCount ? m_pictures[static_cast<std::size_t>(slot)]
                                                      : QImage();
    }
    void setPicture(int slot, QImage picture) {
        m_pictures.at(static_cast<std::size_t>(slot)) = std::move(picture);
    }

private:
    std::array<QImage, skin::kBitmapCount> m_pictures;
};

} // namespace tarnel::ui
