#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

// The attachment, comment, import, link and export commands over real folders.
class TransferCommandsTest : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir data;
    test::TempDir outside;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", (outside / "xdg").string()};

    void SetUp() override {
        ASSERT_EQ(run({"--yes", "add-category", "/", "工作"}).out, "#1\n");
        ASSERT_EQ(run({"add-point", "工作", "会议", "--text", "x"}).out, "#1\n");
    }

    CliRun run(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--program-dir", program.path().string(), "--data", data.path().string()});
        std::ostringstream out;
        std::ostringstream err;
        int code = runCommandLine(args, out, err, nullptr);
        return {code, out.str(), err.str()};
    }

    static std::string withoutDates(const std::string& text) {
        static const std::regex date("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
        return std::regex_replace(text, date, "DATE");
    }

    fs::path resource(const std::string& relative) const {
        return data / "Resource" / "分类列表" / relative;
    }
};

TEST_F(TransferCommandsTest, AttachmentsAndCommentsGoThroughTheirCommands) {
    test::writeBytes(outside / "plan.doc", "plan!");
    test::writeBytes(outside / "linked.txt", "stay");
    EXPECT_EQ(run({"attach", "工作/会议.rtf", (outside / "plan.doc").string()}).out, "#1\n");
    EXPECT_EQ(run({"attach", "@1", (outside / "linked.txt").string(), "--link"}).out, "#2\n");
    CliRun twice = run({"attach", "@1", (outside / "PLAN.doc").string(), "--link"});
    EXPECT_EQ(twice.exitCode, kExitFailed);
    EXPECT_EQ(twice.err, "information: 文件“PLAN.doc”已经存在相同名称的附件，无法添加！\n");
    fs::path copy = data / "Append" / "1_plan.doc";
    EXPECT_EQ(withoutDates(run({"attachments", "@1"}).out),
              "1\tplan.doc\tbackup\t5\tDATE\t\t" + copy.string() +
                  "\n2\tlinked.txt\tlink\t4\tDATE\t\t" + (outside / "linked.txt").string() + "\n");
    fs::create_directory(outside / "out");
    EXPECT_EQ(run({"export-attachment", "@1", "PLAN.DOC", (outside / "out").string()}).err,
              "information: 保存成功!\n");
    EXPECT_EQ(test::readBytes(outside / "out" / "plan.doc"), "plan!");
    EXPECT_EQ(
        run({"export-attachment", "@1", "linked.txt", (outside / "linked.txt").string()}).exitCode,
        kExitFailed);
    EXPECT_EQ(run({"--yes", "detach", "@1", "linked.txt"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"--no", "detach", "@1", "plan.doc"}).exitCode, kExitFailed);
    EXPECT_EQ(run({"--yes", "detach", "@1", "plan.doc"}).exitCode, kExitSuccess);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(test::readBytes(outside / "linked.txt"), "stay");
    EXPECT_EQ(run({"detach", "@1", "nothing"}).exitCode, kExitUsage);

    EXPECT_EQ(run({"comment", "@1", "--text", "批注"}).exitCode, kExitSuccess);
    fs::path comment = data / "Comment" / "1_会议.rtf.rtf";
    EXPECT_NE(test::readBytes(comment).find("{\\rtf1"), std::string::npos);
    EXPECT_EQ(run({"list", "工作"}).out.substr(0, 13), "@1\t会议.rtf");
    EXPECT_EQ(run({"--no", "export-comment", "@1", (outside / "out").string()}).exitCode,
              kExitSuccess);
    EXPECT_EQ(test::readBytes(outside / "out" / "会议.rtf的批注文档.rtf"),
              test::readBytes(comment));
    EXPECT_EQ(run({"--yes", "delete-comment", "@1"}).exitCode, kExitSuccess);
    EXPECT_FALSE(fs::exists(comment));
    EXPECT_EQ(run({"comment", "@1"}).exitCode, kExitUsage);
}

} // namespace
} // namespace tarnel::cli
