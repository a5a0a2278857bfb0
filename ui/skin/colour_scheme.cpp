#include "ui/skin/colour_scheme.h"

namespace tarnel::ui::skin {
namespace {

struct Derivation {
    bool isTint;
    double factor;
};

constexpr std::array<Derivation, ColourScheme::kCount> kDerivations{{
    {true, 0.79},
    {true, 0.55},
    {true, 0.45},
    {true, 0.2},
    {false, 0.618},
    {false, 0.8},
    {true, 0.423},
    {true, 0.1},
    {true, 0.136},
    {true, 0.914},
    {true, 0.3},
    {true, 0.65},
}};

int tintChannel(int channel, double factor) {
    return static_cast<int>(255 - (255 - channel) * factor);
}

int shadeChannel(int channel, double factor) {
    return static_cast<int>(channel * factor);
}

} // namespace

Rgb rgbOf(SkinColour colour) {
    return {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
            static_cast<int>((colour >> 16) & 0xFF)};
}

Rgb tint(Rgb base, double factor) {
    return {tintChannel(base.red, factor), tintChannel(base.green, factor),
            tintChannel(base.blue, factor)};
}

Rgb shade(Rgb base, double factor) {
    return {shadeChannel(base.red, factor), shadeChannel(base.green, factor),
            shadeChannel(base.blue, factor)};
}

ColourScheme::ColourScheme(SkinColour base) : m_base(rgbOf(base)) {
    for (std::size_t i = 0; i < kCount; ++i) {
        const Derivation& derivation = kDerivations[i];
        m_colours[i] =
            derivation.isTint ? tint(m_base, derivation.factor) : shade(m_base, derivation.factor);
    }
}

} // namespace tarnel::ui::skin
