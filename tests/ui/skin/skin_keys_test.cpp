#include "ui/skin/skin_keys.h"

#include <gtest/gtest.h>
#include <set>

namespace tarnel::ui::skin {
namespace {

TEST(SkinKeysTest, PositionsAreTheImageIdsAndNamesAreSpelledAsTheFilesSpellThem) {
    struct Case {
        int index;
        std::string_view key;
    };
    const Case bitmaps[] = {{IMG_SAVE, "IMG_SAVE"},
                            {IMG_ITAL, "IMG_ITAL"},
                            {IMG_BACKGROUND, "IMG_BACKGROUND"},
                            {IMG_READ_PANE_NOMAL, "IMG_READ_PANE_NOMAL"},
                            {IMG_CLASS_INFO_MANAGER, "IMG_CLASS_INFO_MANAGER"},
                            {IMG_OLD_TAG_CLOSE, "IMG_OLD_TAG_CLOSE"}};
    const int expectedBitmapIndex[] = {0, 16, 30, 72, 115, 122};
    for (std::size_t i = 0; i < std::size(bitmaps); ++i) {
        EXPECT_EQ(bitmaps[i].index, expectedBitmapIndex[i]) << bitmaps[i].key;
        EXPECT_EQ(kBitmapKeys[static_cast<std::size_t>(bitmaps[i].index)], bitmaps[i].key);
    }
    EXPECT_EQ(ICON_CLASS_OPEN, 0);
    EXPECT_EQ(ICON_SEARCH_POINT, 9);
    EXPECT_EQ(ICON_TAG_OPEN, 15);
    EXPECT_EQ(kIconKeys[ICON_SEARCH_POINT], "ICON_SEARCH_POINT");
}

TEST(SkinKeysTest, NoKeyIsListedTwice) {
    std::set<std::string_view> keys(kBitmapKeys.begin(), kBitmapKeys.end());
    keys.insert(kIconKeys.begin(), kIconKeys.end());
    EXPECT_EQ(keys.size(), 139u);
}

} // namespace
} // namespace tarnel::ui::skin
