#include "tests/support/temp_dir.h"
#include "ui/skin/skin_catalog.h"

#include <gtest/gtest.h>

namespace tarnel::ui::skin {
namespace {

TEST(SkinCatalogTest, ListsFoldersWithAProfileSortedByName) {
    test::TempDir dir;
    auto skin = [&](const std::string& folder, const std::string& profile) {
        std::filesystem::create_directories(dir / ("skin/" + folder));
        if (!profile.empty()) {
            test::writeBytes(dir / ("skin/" + folder + "/profile.ini"), profile);
        }
    };
    skin("zeta", "[INTRODUCE]\nSKIN_NAME=Alpha\nSKIN_AUTHOR=Me\nSKIN_IMAGE=p.png\n");
    test::writeBytes(dir / "skin/zeta/p.png", "x");
    skin("alpha", "[INTRODUCE]\nSKIN_NAME=Beta\nSKIN_IMAGE=missing.png\n");
    skin(".hidden", "[INTRODUCE]\nSKIN_NAME=Hidden\n");
    skin("bare", "");
    test::writeBytes(dir / "skin/file", "x");
    SkinCatalog catalog = SkinCatalog::scan(dir.path());
    ASSERT_EQ(catalog.entries().size(), 2u);
    EXPECT_EQ(catalog.entries()[0].name, "Alpha");
    EXPECT_EQ(catalog.entries()[0].author, "Me");
    EXPECT_EQ(catalog.entries()[0].skinPath, "skin/zeta");
    EXPECT_EQ(catalog.entries()[0].preview, dir / "skin/zeta/p.png");
    EXPECT_EQ(catalog.entries()[1].skinPath, "skin/alpha");
    EXPECT_TRUE(catalog.entries()[1].preview.empty());
    EXPECT_EQ(catalog.indexOf("skin\\alpha"), 1);
    EXPECT_EQ(catalog.indexOf("skin/Alpha"), -1);
}

} // namespace
} // namespace tarnel::ui::skin
