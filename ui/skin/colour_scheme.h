#pragma once

#include "ui/skin/skin_folder.h"

#include <array>
#include <cstddef>

namespace tarnel::ui::skin {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    bool operator==(const Rgb&) const = default;
};

Rgb rgbOf(SkinColour colour);

// Each channel moved towards white: 255 - (255 - channel) * factor, in double, truncated.
Rgb tint(Rgb base, double factor);
// Each channel moved towards black: channel * factor, in double, truncated.
Rgb shade(Rgb base, double factor);

// The twelve colours every skin derives from its one base colour, in their fixed order.
class ColourScheme {
public:
    enum Index : std::size_t {
        kTint079,
        kTint055,
        kTint045,
        kTint02,
        kShade0618,
        kShade08,
        kTint0423,
        kTint01,
        kTint0136,
        kTint0914,
        kTint03,
        kTint065,
        kCount
    };

    explicit ColourScheme(SkinColour base = kDefaultBaseColour);

    Rgb base() const { return m_base; }
    Rgb colour(Index index) const { return m_colours[index]; }

    // The notification window of the version check: caption text, caption band (top to
    // bottom) and background.
    Rgb notificationCaptionText() const { return colour(kShade0618); }
    std::array<Rgb, 4> notificationCaptionBand() const {
        return {colour(kTint0423), colour(kTint01), colour(kTint0136), colour(kTint0914)};
    }
    Rgb notificationBackground() const { return colour(kTint0914); }

private:
    Rgb m_base;
    std::array<Rgb, kCount> m_colours;
};

} // namespace tarnel::ui::skin
