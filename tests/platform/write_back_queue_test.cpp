#include "platform/write_back_queue.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace tarnel::platform {
namespace {

using test::TempDir;

// Records which files were waited for, failing for one of them.
class RecordingDisk : public FileSystem {
public:
    int writeBackFile(const std::filesystem::path& file) const override {
        std::lock_guard lock(m_mutex);
        m_waited.push_back(file.filename().string());
        return file.filename() == "bad" ? EIO : FileSystem::writeBackFile(file);
    }
    std::vector<std::string> waited() const {
        std::lock_guard lock(m_mutex);
        return m_waited;
    }

private:
    mutable std::mutex m_mutex;
    mutable std::vector<std::string> m_waited;
};

TEST(WriteBackQueueTest, WaitsForEveryFileInOrderAndStopsAtTheFirstFailure) {
    TempDir dir;
    for (const char* name : {"a", "b", "bad", "c"}) {
        ASSERT_EQ(realFileSystem().writeNewFile(dir / name, name), 0);
    }
    RecordingDisk disk;
    std::filesystem::path failed;
    {
        WriteBackQueue queue(disk);
        queue.add(dir / "a");
        queue.add(dir / "b");
        EXPECT_EQ(queue.finish(failed), 0);
        EXPECT_EQ(failed, std::filesystem::path());
        EXPECT_EQ(disk.waited(), (std::vector<std::string>{"a", "b"}));
    }
    WriteBackQueue queue(disk);
    for (const char* name : {"bad", "c", "gone"}) {
        queue.add(dir / name);
    }
    EXPECT_EQ(queue.finish(failed), EIO);
    EXPECT_EQ(failed, dir / "bad");
    EXPECT_EQ(disk.waited(), (std::vector<std::string>{"a", "b", "bad"}));
    queue.add(dir / "c");
    EXPECT_EQ(queue.finish(failed), EIO);
    EXPECT_EQ(disk.waited().size(), 3u);
}

TEST(WriteBackQueueTest, AMissingFileIsItsOwnFailure) {
    TempDir dir;
    WriteBackQueue queue(realFileSystem());
    queue.add(dir / "gone");
    std::filesystem::path failed;
    EXPECT_EQ(queue.finish(failed), ENOENT);
    EXPECT_EQ(failed, dir / "gone");
}

} // namespace
} // namespace tarnel::platform
