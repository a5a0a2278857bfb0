#include "ops/file_copy.h"
#include "tests/ops/ops_fixture.h"

#include <gtest/gtest.h>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using test::Snapshot;
using test::snapshotOf;

// Another program writes the target while the copy is under way.
class RacingFileSystem : public test::OpsFileSystem {
public:
    fs::path appears;

    int copyFileUnflushed(const fs::path& from, const fs::path& to) const override {
        int err = OpsFileSystem::copyFileUnflushed(from, to);
        if (!appears.empty()) {
            test::writeBytes(appears, "theirs");
        }
        return err;
    }
};

TEST(FileCopyTest, ABatchedCopyNeverReplacesAFileThatAppearedMeanwhileNorTripsOverAStaleCopy) {
    test::TempDir dir;
    RacingFileSystem fileSystem;
    fs::create_directories(dir / "out");
    test::writeBytes(dir / "source", "ours");
    test::writeBytes(dir / "out" / ".doc.txt.tarnel-part", "left by a crash");
    EXPECT_EQ(copyIntoPlace(fileSystem, dir / "source", dir / "out" / "doc.txt",
                            Placement::NeverReplace, Flush::Later),
              0);

    fileSystem.appears = dir / "out" / "late.txt";
    EXPECT_EQ(copyIntoPlace(fileSystem, dir / "source", dir / "out" / "late.txt",
                            Placement::NeverReplace, Flush::Later),
              EEXIST);
    EXPECT_EQ(snapshotOf(dir / "out"), (Snapshot{{"doc.txt", "ours"}, {"late.txt", "theirs"}}));
}

} // namespace
} // namespace tarnel::ops
