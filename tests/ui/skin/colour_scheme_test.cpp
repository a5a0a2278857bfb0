#include "ui/skin/colour_scheme.h"

#include <gtest/gtest.h>

namespace tarnel::ui::skin {
namespace {

TEST(ColourSchemeTest, DerivesTheTwelveColoursInDoubleTruncated) {
    struct Case {
        SkinColour base;
        ColourScheme::Index index;
        Rgb expected;
    };
    const Case cases[] = {
        {15780020, ColourScheme::kTint079, {195, 211, 243}},
        {15780020, ColourScheme::kShade0618, {111, 123, 148}},
        {15780020, ColourScheme::kTint0914, {186, 204, 241}},
        {15780020, ColourScheme::kTint02, {240, 244, 252}},
        {0, ColourScheme::kTint01, {229, 229, 229}},
        {0, ColourScheme::kShade0618, {0, 0, 0}},
        {0x0000FF, ColourScheme::kShade08, {204, 0, 0}},
        {0xFFFFFF, ColourScheme::kTint065, {255, 255, 255}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColourScheme(c.base).colour(c.index), c.expected) << c.base << " " << c.index;
    }
}

TEST(ColourSchemeTest, TheBaseReadsRedFromTheLowByte) {
    EXPECT_EQ(ColourScheme().base(), (Rgb{180, 200, 240}));
    EXPECT_EQ(rgbOf(0x123456), (Rgb{0x56, 0x34, 0x12}));
}

TEST(ColourSchemeTest, TheNotificationWindowUsesItsNamedColours) {
    ColourScheme scheme(15780020);
    EXPECT_EQ(scheme.notificationCaptionText(), scheme.colour(ColourScheme::kShade0618));
    EXPECT_EQ(scheme.notificationBackground(), (Rgb{186, 204, 241}));
    auto band = scheme.notificationCaptionBand();
    EXPECT_EQ(band[0], scheme.colour(ColourScheme::kTint0423));
    EXPECT_EQ(band[1], scheme.colour(ColourScheme::kTint01));
    EXPECT_EQ(band[2], scheme.colour(ColourScheme::kTint0136));
    EXPECT_EQ(band[3], scheme.colour(ColourScheme::kTint0914));
}

} // namespace
} // namespace tarnel::ui::skin
