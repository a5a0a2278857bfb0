#include "tests/support/temp_dir.h"
#include "ui/resource_file_system.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

// The program's own resource ":/tarnel/tarnel.svg" is answered by Qt; other paths by the files.
TEST(ResourceFileSystemTest, ReadsResourcesAndPassesOtherPathsOn) {
    ResourceFileSystem files(platform::realFileSystem());
    EXPECT_TRUE(files.exists(":/tarnel/tarnel.svg"));
    EXPECT_TRUE(files.isRegularFile(":/tarnel/tarnel.svg"));
    EXPECT_TRUE(files.isDirectory(":/tarnel"));
    EXPECT_FALSE(files.exists(":/tarnel/missing.svg"));
    std::string bytes;
    ASSERT_EQ(files.readFile(":/tarnel/tarnel.svg", bytes), 0);
    EXPECT_NE(bytes.find("<svg"), std::string::npos);
    EXPECT_EQ(files.readFile(":/tarnel/missing.svg", bytes), ENOENT);
    EXPECT_TRUE(bytes.empty());
    int err = -1;
    std::vector<platform::FileSystem::Entry> entries = files.listDirectory(":/tarnel", err);
    EXPECT_EQ(err, 0);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "tarnel.svg");
    files.listDirectory(":/nothing", err);
    EXPECT_EQ(err, ENOENT);

    test::TempDir dir;
    test::writeBytes(dir / "a.ini", "x");
    EXPECT_TRUE(files.isRegularFile(dir / "a.ini"));
    ASSERT_EQ(files.readFile(dir / "a.ini", bytes), 0);
    EXPECT_EQ(bytes, "x");
    EXPECT_EQ(files.listDirectory(dir.path(), err).size(), 1u);
}

} // namespace
} // namespace tarnel::ui
