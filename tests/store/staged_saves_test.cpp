#include "store/staged_saves.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarnel::store {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

// The real file system, with a refused rename into one name and a record of the flushes and
// renames in the order they came.
class OrderedFileSystem : public platform::FileSystem {
public:
    std::string refusedPlace;
    mutable std::vector<std::string> events;

    int flushFileSystem(const fs::path& path) const override {
        events.push_back("flush " + path.filename().string());
        return FileSystem::flushFileSystem(path);
    }
    int rename(const fs::path& from, const fs::path& to) const override {
        events.push_back("rename " + to.filename().string());
        return to.filename() == refusedPlace ? EACCES : FileSystem::rename(from, to);
    }
};

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(StagedSavesTest, FilesArePutInPlaceOnlyAfterTheWrittenFilesAndThemselvesAreFlushed) {
    TempDir dir;
    fs::create_directories(dir / "Index");
    fs::create_directories(dir / "data");
    writeBytes(dir / "Index" / "1.cps", "old");
    ::chmod((dir / "Index" / "1.cps").c_str(), 0640);
    OrderedFileSystem files;
    StagedSaves saves(files);
    ASSERT_EQ(saves.stage(dir / "Index" / "1.cps", "new one"), 0);
    ASSERT_EQ(saves.stage(dir / "Index" / "2.cps", "new two"), 0);
    EXPECT_EQ(readBytes(dir / "Index" / "1.cps"), "old");
    EXPECT_EQ(namesIn(dir / "Index").size(), 3u);

    fs::path failed;
    EXPECT_EQ(saves.commit(dir / "data", failed), 0);
    EXPECT_EQ(files.events, (std::vector<std::string>{"flush data", "flush Index", "rename 1.cps",
                                                      "rename 2.cps", "flush Index"}));
    EXPECT_EQ(readBytes(dir / "Index" / "1.cps"), "new one");
    EXPECT_EQ(readBytes(dir / "Index" / "2.cps"), "new two");
    struct stat st {};
    ::stat((dir / "Index" / "1.cps").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(namesIn(dir / "Index"), (std::vector<std::string>{"1.cps", "2.cps"}));
}

TEST(StagedSavesTest, ARefusedRenameIsReportedAfterTheOthersArePutInPlaceAndNothingStaysBehind) {
    TempDir dir;
    writeBytes(dir / "1.cps", "old one");
    writeBytes(dir / "2.cps", "old two");
    OrderedFileSystem files;
    files.refusedPlace = "1.cps";
    {
        StagedSaves saves(files);
        ASSERT_EQ(saves.stage(dir / "1.cps", "new one"), 0);
        ASSERT_EQ(saves.stage(dir / "2.cps", "new two"), 0);
        fs::path failed;
        EXPECT_EQ(saves.commit({}, failed), EACCES);
        EXPECT_EQ(failed, dir / "1.cps");
    }
    EXPECT_EQ(readBytes(dir / "1.cps"), "old one");
    EXPECT_EQ(readBytes(dir / "2.cps"), "new two");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"1.cps", "2.cps"}));

    {
        StagedSaves abandoned(files);
        ASSERT_EQ(abandoned.stage(dir / "2.cps", "never"), 0);
        EXPECT_EQ(abandoned.stage(dir / "missing" / "3.cps", "x"), ENOENT);
    }
    EXPECT_EQ(readBytes(dir / "2.cps"), "new two");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"1.cps", "2.cps"}));
}

} // namespace
} // namespace tarnel::store
