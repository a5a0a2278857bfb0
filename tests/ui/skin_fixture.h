#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tarnel::test {

// A skin folder written by a test: every picture and icon a solid square of a colour of its own,
// told apart from every other skin's by the skin's seed.
struct TestSkin {
    explicit TestSkin(int seed, std::string name = "测试皮肤", std::uint32_t base = 15780020)
        : seed(seed), name(std::move(name)), base(base) {}

    int seed;
    std::string name;
    // How the skin's "skin.xml" names its pictures ("skin/FOLDER"); the folder's own name when
    // empty.
    std::string skinPath;
    // Written to "color.ini" unless writeColours is false.
    std::uint32_t base;
    bool writeColours = true;
};

QColor pictureColour(int seed, int slot);
QColor iconColour(int seed, int index);

// Writes the four description files, "images" with 123 pictures (4 x 4) and 16 icons (16 x 16),
// and a preview "preview.png" (40 x 30, the picture colour of slot 0).
void writeTestSkin(const std::filesystem::path& folder, const TestSkin& skin);

// A built-in copy of the default skin written once per test run (seed 100).
const std::filesystem::path& sharedBuiltInSkin();
inline constexpr int kBuiltInSeed = 100;

// The colour at the middle of an icon drawn 16 x 16.
QColor iconPixel(const QIcon& icon);
// The colour at the centre of a picture.
QColor centrePixel(const QImage& picture);

} // namespace tarnel::test
