#include "platform/desktop_trash.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

// 2024-05-06 07:08:09 local time, whatever the zone.
std::time_t fixedTime() {
    std::tm local{};
    local.tm_year = 124;
    local.tm_mon = 4;
    local.tm_mday = 6;
    local.tm_hour = 7;
    local.tm_min = 8;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

class FailingRenames : public FileSystem {
public:
    int rename(const fs::path&, const fs::path&) const override { return EACCES; }
};

class DesktopTrashTest : public ::testing::Test {
protected:
    TempDir dir;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", (dir / "data").string()};
    Trash trash{realFileSystem(), fixedTime};

    fs::path home(const std::string& relative) const { return dir / "data" / "Trash" / relative; }
};

TEST_F(DesktopTrashTest, FilesGoToTheHomeTrashWithTheirInfoAndAFreeName) {
    fs::create_directories(dir / "work" / "文 件夹");
    writeBytes(dir / "work" / "会议 #1.rtf", "first");
    writeBytes(dir / "work" / "文 件夹" / "会议 #1.rtf", "second");
    writeBytes(dir / "work" / "文 件夹" / "inside", "x");
    TrashedItem first, second, folder;
    ASSERT_EQ(trash.trash(dir / "work" / "会议 #1.rtf", first), 0);
    ASSERT_EQ(trash.trash(dir / "work" / "文 件夹" / "会议 #1.rtf", second), 0);
    ASSERT_EQ(trash.trash(dir / "work" / "文 件夹", folder), 0);

    EXPECT_EQ(readBytes(home("files/会议 #1.rtf")), "first");
    EXPECT_EQ(readBytes(home("files/会议 #1.2.rtf")), "second");
    EXPECT_EQ(readBytes(home("files/文 件夹/inside")), "x");
    EXPECT_FALSE(fs::exists(dir / "work" / "会议 #1.rtf"));
    EXPECT_FALSE(fs::exists(dir / "work" / "文 件夹"));
    std::string work = (dir / "work").string();
    EXPECT_EQ(readBytes(home("info/会议 #1.rtf.trashinfo")),
              "[Trash Info]\nPath=" + work +
                  "/%E4%BC%9A%E8%AE%AE%20%231.rtf\nDeletionDate=2024-05-06T07:08:09\n");
    EXPECT_EQ(readBytes(home("info/会议 #1.2.rtf.trashinfo")),
              "[Trash Info]\nPath=" + work +
                  "/%E6%96%87%20%E4%BB%B6%E5%A4%B9/%E4%BC%9A%E8%AE%AE%20%231.rtf\n"
                  "DeletionDate=2024-05-06T07:08:09\n");
    EXPECT_TRUE(fs::exists(home("info/文 件夹.trashinfo")));
    EXPECT_EQ(second.file, home("files/会议 #1.2.rtf"));
    EXPECT_EQ(second.info, home("info/会议 #1.2.rtf.trashinfo"));
}

TEST_F(DesktopTrashTest, RestorePutsTheItemBackAndDropsItsInfo) {
    writeBytes(dir / "a.txt", "a");
    TrashedItem item;
    ASSERT_EQ(trash.trash(dir / "a.txt", item), 0);
    ASSERT_EQ(trash.restore(item), 0);
    EXPECT_EQ(readBytes(dir / "a.txt"), "a");
    EXPECT_FALSE(fs::exists(item.info));
    EXPECT_FALSE(fs::exists(item.file));

    ASSERT_EQ(trash.trash(dir / "a.txt", item), 0);
    writeBytes(dir / "a.txt", "new");
    EXPECT_EQ(trash.restore(item), EEXIST);
    EXPECT_EQ(readBytes(dir / "a.txt"), "new");
}

TEST_F(DesktopTrashTest, ARefusedMoveLeavesTheFileAndNoInfo) {
    writeBytes(dir / "a.txt", "a");
    FailingRenames failing;
    Trash refusing(failing, fixedTime);
    TrashedItem item;
    EXPECT_EQ(refusing.trash(dir / "a.txt", item), EACCES);
    EXPECT_EQ(readBytes(dir / "a.txt"), "a");
    EXPECT_TRUE(fs::is_empty(home("info")));
    EXPECT_EQ(trash.trash(dir / "missing", item), ENOENT);
}

TEST_F(DesktopTrashTest, AFileOnAnotherMountGoesToThatMountsTrash) {
    struct stat shm {
    }, data{};
    ASSERT_EQ(::stat(dir.path().c_str(), &data), 0);
    if (::stat("/dev/shm", &shm) != 0 || shm.st_dev == data.st_dev || ::access("/dev/shm", W_OK)) {
        GTEST_SKIP() << "no second writable mount at /dev/shm";
    }
    std::string pattern = "/dev/shm/tarnel-trash-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    fs::path work = pattern;
    fs::path top = "/dev/shm/.Trash-" + std::to_string(::getuid());
    bool topExisted = fs::exists(top);
    writeBytes(work / "b c.txt", "b");
    TrashedItem item;
    int rc = trash.trash(work / "b c.txt", item);
    std::string moved = rc == 0 ? readBytes(item.file) : "";
    std::string info = rc == 0 ? readBytes(item.info) : "";
    fs::path topShared = "/dev/shm/.Trash";
    bool sticky = false;
    struct stat shared {};
    if (::lstat(topShared.c_str(), &shared) == 0) {
        sticky = S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX);
    }
    fs::path expected = sticky ? topShared / std::to_string(::getuid()) / "files" / "b c.txt"
                               : top / "files" / "b c.txt";
    fs::path expectedFile = item.file;
    fs::remove(item.file);
    fs::remove(item.info);
    if (!topExisted && !sticky) {
        fs::remove_all(top);
    }
    fs::remove_all(work);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(expectedFile, expected);
    EXPECT_EQ(moved, "b");
    EXPECT_EQ(info, "[Trash Info]\nPath=" + work.string() +
                        "/b%20c.txt\nDeletionDate=2024-05-06T07:08:09\n");
}

} // namespace
} // namespace tarnel::platform
