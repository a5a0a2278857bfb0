#include "ops/favourite_writer.h"
#include "ops/favourites_tree.h"
#include "ops/operation_result.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using test::readBytes;

TEST(FavouriteWriterTest, AFavouriteIsOneUrlFileUnderAFreeSafeName) {
    test::TempDir home;
    fs::path favourites = home / "Favorites";
    const platform::FileSystem& files = platform::realFileSystem();

    FavouriteAdded first = addFavourite(files, favourites, "", "Page A", "http://a.example/x?y=1");
    ASSERT_EQ(first.code, kOk);
    EXPECT_EQ(first.file, favourites / "Page A.url");
    EXPECT_EQ(readBytes(first.file), "[InternetShortcut]\nURL=http://a.example/x?y=1\n");
    FavouriteAdded second = addFavourite(files, favourites, "", " Page A ", "http://b.example/");
    EXPECT_EQ(second.file, favourites / "Page A(1).url");
    EXPECT_EQ(addFavourite(files, favourites, "", "Page A", "http://c/").file,
              favourites / "Page A(2).url");

    // The reader sees what the writer wrote, in the sub-folder it was given.
    FavouriteAdded nested = addFavourite(files, favourites, "工作/资料", "a/b:c*?", "https://d/");
    EXPECT_EQ(nested.file, favourites / "工作" / "资料" / "a_b_c__.url");
    FavouritesTree tree = readFavourites(files, favourites);
    ASSERT_EQ(tree.root.children.size(), 4u);
    EXPECT_EQ(tree.root.children[3].label, "工作");
    EXPECT_EQ(tree.root.children[3].children[0].children[0].url, "https://d/");

    EXPECT_EQ(addFavourite(files, favourites, "../out", "x", "http://e/").code, kInvalidName);
    EXPECT_EQ(addFavourite(files, favourites, "/tmp", "x", "http://e/").code, kInvalidName);
    EXPECT_EQ(addFavourite(files, favourites, "", "x", "http://e/\n[Other]").code, kInvalidName);
    EXPECT_FALSE(fs::exists(home / "out"));
}

TEST(FavouriteWriterTest, TheNameNeverLeavesItsFolderOrSplitsACharacter) {
    EXPECT_EQ(favouriteFileBase("..hidden", "http://h/"), "hidden");
    EXPECT_EQ(favouriteFileBase("../../etc/passwd", "http://h/"), "_.._etc_passwd");
    EXPECT_EQ(favouriteFileBase("line\nbreak\ttab", "http://h/"), "line_break_tab");
    EXPECT_EQ(favouriteFileBase("  ", "http://User:pw@Host.example:81/p"), "host.example_81");
    EXPECT_EQ(favouriteFileBase("", "about:blank"), "网页");
    std::string chinese;
    for (int i = 0; i < 100; ++i) {
        chinese += "网";
    }
    std::string cut = favouriteFileBase(chinese, "http://h/");
    EXPECT_EQ(cut.size(), 198u);
    EXPECT_EQ(cut, chinese.substr(0, 198));
}

} // namespace
} // namespace tarnel::ops
