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

// The files are copied on other threads while the walk goes on: a copy that fails before a cancel
// is what the tree copy reports, even when the walk meets the cancel before the copy is done.
TEST(FileCopyTest, ATreeCopyReportsTheFirstFailureInTheWalksOrderAndStopsThere) {
    test::TempDir dir;
    test::OpsFileSystem fileSystem;
    fs::create_directories(dir / "from");
    for (int i = 0; i < 40; ++i) {
        test::writeBytes(dir / "from" / ("a" + std::to_string(100 + i)), std::to_string(i));
    }
    fileSystem.failCopiesOf = "a102";
    int asked = 0;
    EXPECT_EQ(
        copyTreeReplacing(fileSystem, dir / "from", dir / "to", [&asked] { return ++asked > 5; }),
        ENOSPC);
    Snapshot copied = snapshotOf(dir / "to");
    EXPECT_EQ(copied.at("a100"), "0");
    EXPECT_EQ(copied.at("a101"), "1");
    for (const auto& [name, bytes] : copied) {
        EXPECT_TRUE(name >= "a100" && name < "a105") << name << ": " << bytes;
        EXPECT_NE(name, "a102");
    }

    fileSystem.failCopiesOf.clear();
    test::writeBytes(dir / "to" / "a139", "older");
    EXPECT_EQ(copyTreeReplacing(fileSystem, dir / "from", dir / "to"), 0);
    EXPECT_EQ(snapshotOf(dir / "to"), snapshotOf(dir / "from"));
}

} // namespace
} // namespace tarnel::ops
