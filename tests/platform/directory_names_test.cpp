#include "platform/directory_names.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnel::platform {
namespace {

namespace fs = std::filesystem;

TEST(DirectoryNamesTest, ListsRegularFilesAndLinksToThemSorted) {
    test::TempDir dir;
    test::writeBytes(dir / "b.rtf", "x");
    test::writeBytes(dir / "A.mht", "");
    test::writeBytes(dir / "会议.rtf", "y");
    fs::create_directory(dir / "folder.rtf");
    fs::create_symlink(dir / "b.rtf", dir / "link.rtf");
    fs::create_directory_symlink(dir / "folder.rtf", dir / "linked-folder");
    fs::create_symlink(dir / "nowhere", dir / "dangling.rtf");
    int err = -1;
    std::vector<std::string> names = fileNamesIn(dir.path(), err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(names, (std::vector<std::string>{"A.mht", "b.rtf", "link.rtf", "会议.rtf"}));
}

TEST(DirectoryNamesTest, AFolderLargerThanOneReadIsListedWhole) {
    test::TempDir dir;
    std::vector<std::string> expected;
    for (int i = 0; i < 400; ++i) {
        std::string name = std::string(60, 'n') + std::to_string(1000 + i) + ".rtf";
        test::writeBytes(dir / name, "");
        expected.push_back(name);
    }
    int err = -1;
    EXPECT_EQ(fileNamesIn(dir.path(), err), expected);
    EXPECT_EQ(err, 0);
}

TEST(DirectoryNamesTest, AMissingFolderOrAFileGivesNothingAndTheError) {
    test::TempDir dir;
    int err = 0;
    EXPECT_TRUE(fileNamesIn(dir / "missing", err).empty());
    EXPECT_EQ(err, ENOENT);
    test::writeBytes(dir / "file", "");
    EXPECT_TRUE(fileNamesIn(dir / "file", err).empty());
    EXPECT_EQ(err, ENOTDIR);
}

} // namespace
} // namespace tarnel::platform
