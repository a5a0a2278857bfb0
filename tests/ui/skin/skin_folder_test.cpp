#include "tests/support/temp_dir.h"
#include "ui/skin/skin_folder.h"

#include <gtest/gtest.h>

namespace tarnel::ui::skin {
namespace {

TEST(SkinFolderTest, ColoursTakeTheDefaultsForMissingOrEmptyKeysButKeepAWrittenZero) {
    test::TempDir dir;
    SkinFolder folder(dir.path());
    EXPECT_EQ(folder.readColours().base, kDefaultBaseColour);
    EXPECT_EQ(folder.readColours().list, kDefaultListColours);
    test::writeBytes(dir / "color.ini", "[MAIN_COLOR]\r\nBASE_COLOR=\r\n[POINT_LIST_COLOR]\r\n"
                                        "SING_BK=0\r\nDOUBLE_BK=\r\nSEL_BK=-1\r\n");
    SkinColours colours = folder.readColours();
    EXPECT_EQ(colours.base, kDefaultBaseColour);
    EXPECT_EQ(colours.list.singleRowBackground(), 0u);
    EXPECT_EQ(colours.list.doubleRowBackground(), kDefaultListColours.doubleRowBackground());
    EXPECT_EQ(colours.list.selectedBackground(), 0xFFFFFFu);
    ListColours written{{1, 2, 3, 4, 5, 6, 7}};
    ASSERT_EQ(folder.writeListColours(written), 0);
    EXPECT_EQ(folder.readColours().list, written);
    EXPECT_NE(test::readBytes(dir / "color.ini").find("RICH_BK=7"), std::string::npos);
}

TEST(SkinFolderTest, ReadsImageNamesAndSkinXmlWithSlashesTurned) {
    test::TempDir dir;
    test::writeBytes(dir / "skin_images.ini",
                     "[ICON]\nICON_WEB=sub\\web.png\n[BITMAP]\nIMG_OLD_TAG_CLOSE=tag.png\n");
    test::writeBytes(dir / "skin.xml", "<skin>\n  <bitmap path=\"skin\\a\\b.png\">\n"
                                       "    <image id=\"4\" left=\"2\"/>\n    <x/>\n"
                                       "  </bitmap>\n</skin>\n");
    SkinDescription description = SkinFolder(dir.path()).read();
    EXPECT_EQ(description.images.icons[ICON_WEB], "sub/web.png");
    EXPECT_EQ(description.images.bitmaps[IMG_OLD_TAG_CLOSE], "tag.png");
    EXPECT_EQ(description.images.bitmaps[IMG_SAVE], "");
    ASSERT_EQ(description.xml.result, 0);
    ASSERT_EQ(description.xml.bitmaps.size(), 1u);
    EXPECT_EQ(description.xml.bitmaps[0].path, "skin/a/b.png");
    ASSERT_EQ(description.xml.bitmaps[0].cuts.size(), 2u);
    EXPECT_EQ(description.xml.bitmaps[0].cuts[0].id, 4);
    EXPECT_EQ(description.xml.bitmaps[0].cuts[0].left, 2);
    EXPECT_EQ(description.xml.bitmaps[0].cuts[1].id, -1);
    test::writeBytes(dir / "skin.xml", "<skin>\n\n\n\n\n\n<image id='1'/>\n</skin>\n");
    SkinXml broken = SkinFolder(dir.path()).readSkinXml();
    EXPECT_EQ(broken.result, 4);
    EXPECT_EQ(broken.line, 7);
    EXPECT_TRUE(broken.bitmaps.empty());
}

TEST(SkinFolderTest, AnImageMissingAsWrittenIsFoundWithoutRegardToCase) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "images");
    test::writeBytes(dir / "images" / "Save.PNG", "x");
    SkinFolder folder(dir.path());
    EXPECT_EQ(folder.imagePath("save.png"), dir / "images" / "Save.PNG");
    EXPECT_EQ(folder.imagePath("none.png"), dir / "images" / "none.png");
}

} // namespace
} // namespace tarnel::ui::skin
