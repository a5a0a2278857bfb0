#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "tests/ops/ops_fixture.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

class PointCommandsTest : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir data;
    test::TempDir outside;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", (outside / "xdg").string()};

    CliRun run(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--program-dir", program.path().string(), "--data", data.path().string()});
        std::ostringstream out;
        std::ostringstream err;
        int code = runCommandLine(args, out, err, nullptr);
        return {code, out.str(), err.str()};
    }

    fs::path resource(const std::string& relative) const {
        return data / "Resource" / "分类列表" / relative;
    }
};

TEST_F(PointCommandsTest, PointsAreAddedListedRenamedMovedAndRecycledByPath) {
    ASSERT_EQ(run({"--yes", "add-category", "/", "工作"}).out, "#1\n");
    ASSERT_EQ(run({"--yes", "add-category", "/", "家"}).out, "#2\n");
    ASSERT_EQ(run({"add-tag", "/", "项目"}).out, "#1\n");
    ASSERT_EQ(run({"add-tag", "项目", "重要"}).out, "#2\n");
    test::writeBytes(outside / "c.rtf", "{\\rtf1 comment}");
    test::writeBytes(outside / "a.txt", "attached");
    CliRun added = run({"add-point", "工作", "会议", "--text", "第一行\nsecond", "--star", "2",
                        "--tags", "项目/重要", "--comment", (outside / "c.rtf").string(),
                        "--attach", (outside / "a.txt").string()});
    ASSERT_EQ(added.exitCode, kExitSuccess) << added.err;
    EXPECT_EQ(added.out, "#1\n");
    std::string rtf = test::readBytes(resource("工作/会议.rtf"));
    EXPECT_TRUE(rtf.starts_with("{\\rtf1")) << rtf;
    EXPECT_NE(rtf.find("second"), std::string::npos);
    EXPECT_EQ(run({"list", "工作"}).out,
              "@1\t会议.rtf\trtf\t" + std::to_string(rtf.size()) + "\t2\t重要\t1\t1\t1\n");
    EXPECT_EQ(run({"tag-points", "#2"}).out, "@1\t#1\t会议.rtf\n");

    EXPECT_EQ(run({"rename-point", "工作/会议.rtf", "纪要.rtf"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"star", "@1", "9"}).exitCode, kExitFailed);
    EXPECT_EQ(run({"star", "@1", "4"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"point-color", "@1", "--back", "255"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"move-point", "@1", "家"}).exitCode, kExitSuccess);
    EXPECT_TRUE(fs::exists(resource("家/纪要.rtf")));
    EXPECT_EQ(run({"--yes", "delete-point", "家/纪要.rtf"}).exitCode, kExitSuccess);
    EXPECT_TRUE(fs::exists(data / "Resource" / "回收站" / "1_纪要.rtf"));
    EXPECT_EQ(run({"tag-points", "项目/重要"}).out, "");
    EXPECT_EQ(run({"restore-point", "recycle:@1"}).exitCode, kExitSuccess);
    EXPECT_TRUE(fs::exists(resource("家/纪要.rtf")));
    EXPECT_EQ(
        run({"--json", "list", "家"}).out,
        "[{\"id\":1,\"name\":\"纪要.rtf\",\"type\":\"rtf\",\"size\":" + std::to_string(rtf.size()) +
            ",\"stars\":4,\"tags\":\"重要\",\"comment\":true,\"attachments\":1,"
            "\"state\":1}]\n");
}

TEST_F(PointCommandsTest, SetContentReplacesTheFileAndTheSizes) {
    run({"--yes", "add-category", "/", "K"});
    run({"add-point", "K", "p", "--text", "x"});
    CliRun fromText = run({"set-content", "K/p.rtf", "--text", "新的\nline"});
    ASSERT_EQ(fromText.exitCode, kExitSuccess) << fromText.err;
    EXPECT_EQ(fromText.out, "#1\n");
    std::string rtf = test::readBytes(resource("K/p.rtf"));
    EXPECT_NE(rtf.find("line"), std::string::npos);
    EXPECT_EQ(run({"list", "K"}).out,
              "@1\tp.rtf\trtf\t" + std::to_string(rtf.size()) + "\t0\t\t0\t0\t1\n");
    test::Rows categories = test::tableRows(data / "Index" / "kms.cls");
    ASSERT_EQ(categories.size(), 2u); // the header row doubles as the root's
    EXPECT_EQ(categories[1][4], std::to_string(rtf.size()));
    test::writeBytes(outside / "n.rtf", "{\\rtf1 given}");
    ASSERT_EQ(run({"set-content", "@1", "--rtf", (outside / "n.rtf").string()}).exitCode,
              kExitSuccess);
    EXPECT_EQ(test::readBytes(resource("K/p.rtf")), "{\\rtf1 given}");
    EXPECT_EQ(run({"set-content", "@1"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"set-content", "@1", "--rtf", (outside / "none.rtf").string()}).exitCode,
              kExitFailed);
}

TEST_F(PointCommandsTest, TagsAreEditedMovedAndDeletedByPath) {
    run({"--yes", "add-category", "/", "K"});
    run({"add-tag", "/", "A"});
    run({"add-tag", "/", "B"});
    run({"add-tag", "A", "a1"});
    run({"add-point", "K", "p", "--text", "x"});
    run({"add-point", "K", "q", "--text", "y"});
    EXPECT_EQ(run({"set-tags", "K/p.rtf", "K/q.rtf", "--tags", "A/a1,B"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"tag-points", "B"}).out, "@1\t#1\tp.rtf\n@2\t#1\tq.rtf\n");
    EXPECT_EQ(run({"--yes", "untag", "K/q.rtf", "B"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"tag-points", "B"}).out, "@1\t#1\tp.rtf\n");
    EXPECT_EQ(run({"rename-tag", "B", "a"}).exitCode, kExitFailed);
    EXPECT_EQ(run({"tag-props", "B", "--name", "C", "--star", "3"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"tag-color", "C", "--fore", "1"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"move-tag", "C", "A"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"tag-points", "A/C"}).out, "@1\t#1\tp.rtf\n");
    EXPECT_EQ(run({"--yes", "delete-tag", "A"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"list", "K"}).out,
              "@1\tp.rtf\trtf\t" + std::to_string(fs::file_size(resource("K/p.rtf"))) +
                  "\t0\t\t0\t0\t1\n@2\tq.rtf\trtf\t" +
                  std::to_string(fs::file_size(resource("K/q.rtf"))) + "\t0\t\t0\t0\t1\n");
}

TEST_F(PointCommandsTest, SeveralItemsAreMovedAndDeletedAtOnce) {
    run({"--yes", "add-category", "/", "A"});
    run({"add-category", "A", "B"});
    run({"--yes", "add-category", "/", "C"});
    run({"add-tag", "/", "T"});
    run({"add-point", "A/B", "in", "--text", "x"});
    run({"add-point", "C", "c", "--text", "y"});
    // B already lies under A and stays; the point moves.
    EXPECT_EQ(run({"move-items", "A/B", "C/c.rtf", "--to", "A"}).exitCode, kExitSuccess);
    EXPECT_TRUE(fs::exists(resource("A/c.rtf")));
    EXPECT_EQ(run({"move-items", "A/B", "--to", "C"}).exitCode, kExitSuccess);
    EXPECT_TRUE(fs::exists(resource("C/B/in.rtf")));
    CliRun deleted = run({"--yes", "delete-items", "C", "C/B/in.rtf", "A/c.rtf", "tag:T"});
    EXPECT_EQ(deleted.exitCode, kExitSuccess) << deleted.err;
    EXPECT_TRUE(fs::exists(data / "Resource" / "回收站" / "3_C" / "B" / "in.rtf"));
    EXPECT_TRUE(fs::exists(data / "Resource" / "回收站" / "2_c.rtf"));
    EXPECT_EQ(run({"tag-points", "T"}).exitCode, kExitUsage);
    CliRun help = run({"help"});
    for (const char* name : {"add-point", "delete-items", "move-items", "tag-points", "untag"}) {
        EXPECT_NE(help.out.find(name), std::string::npos) << name;
    }
}

} // namespace
} // namespace tarnel::cli
