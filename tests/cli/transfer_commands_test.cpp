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

TEST_F(TransferCommandsTest, CategoriesTagsPointsAndFavouritesAreExported) {
    ASSERT_EQ(run({"add-category", "工作", "子"}).out, "#2\n");
    ASSERT_EQ(run({"add-point", "工作/子", "深", "--text", "y"}).out, "#2\n");
    ASSERT_EQ(run({"add-tag", "/", "项目"}).out, "#1\n");
    ASSERT_EQ(run({"add-tag", "项目", "重要"}).out, "#2\n");
    ASSERT_EQ(run({"set-tags", "@1", "--tags", "项目"}).exitCode, kExitSuccess);
    ASSERT_EQ(run({"set-tags", "@2", "--tags", "项目/重要"}).exitCode, kExitSuccess);
    fs::path out = outside / "out";
    fs::create_directory(out);
    CliRun category = run({"export-category", "工作", out.string()});
    EXPECT_EQ(category.err, "information: 导出成功!                 \r\n\n");
    EXPECT_TRUE(fs::exists(out / "工作" / "子" / "深.rtf"));
    CliRun again = run({"--no", "export-category", "工作", out.string(), "--no-sublevels"});
    EXPECT_EQ(again.exitCode, kExitFailed);
    EXPECT_EQ(again.err, "question: 目录:" + (out / "工作").string() +
                             " 已经存在，确认覆盖文件吗?\nanswer: no\n");
    EXPECT_EQ(run({"export-tag", "项目", (out / "tags").string(), "--no-sublevels"}).exitCode,
              kExitSuccess);
    EXPECT_TRUE(fs::exists(out / "tags" / "项目" / "会议.rtf"));
    EXPECT_FALSE(fs::exists(out / "tags" / "项目" / "重要"));
    EXPECT_EQ(run({"--yes", "export-tag", "项目", (out / "tags").string()}).exitCode, kExitSuccess);
    EXPECT_TRUE(fs::exists(out / "tags" / "项目" / "会议.rtf"));
    EXPECT_TRUE(fs::exists(out / "tags" / "项目" / "重要" / "深.rtf"));
    EXPECT_EQ(run({"--no", "export-point", "工作/子/深.rtf", out.string()}).exitCode, kExitSuccess);
    EXPECT_EQ(test::readBytes(out / "深.rtf"), test::readBytes(resource("工作/子/深.rtf")));

    fs::path favourites = outside / "xdg" / "Tarnel" / "Favorites";
    fs::create_directories(favourites / "站点");
    test::writeBytes(favourites / "站点" / "例子.url",
                     "[InternetShortcut]\nURL=https://example.org/\n");
    EXPECT_EQ(run({"favourites"}).out, "IE收藏夹/\n  站点/\n    例子\thttps://example.org/\n");
    EXPECT_EQ(run({"--json", "favourites", "--dir", (favourites / "站点").string()}).out,
              "{\"label\":\"IE收藏夹\",\"children\":[{\"label\":\"例子\",\"url\":"
              "\"https://example.org/\"}],\"error\":\"\"}\n");

    CliRun added = run({"add-favourite", "新站", "https://example.com/", "--folder", "站点"});
    EXPECT_EQ(added.exitCode, kExitSuccess);
    EXPECT_EQ(added.out, (favourites / "站点" / "新站.url").string() + "\n");
    EXPECT_NE(run({"favourites"}).out.find("    新站\thttps://example.com/\n"), std::string::npos);
    CliRun outsideFolder = run({"add-favourite", "外", "https://example.com/", "--folder", ".."});
    EXPECT_EQ(outsideFolder.exitCode, kExitUsage);
    EXPECT_FALSE(fs::exists(favourites.parent_path() / "外.url"));
}

TEST_F(TransferCommandsTest, DocumentsAreImportedIntoACategory) {
    test::writeBytes(outside / "报告.txt", "report");
    test::writeBytes(outside / "会议.rtf", "same name");
    CliRun imported = run(
        {"import-files", "工作", (outside / "报告.txt").string(), (outside / "会议.rtf").string()});
    EXPECT_EQ(imported.exitCode, kExitSuccess);
    EXPECT_EQ(imported.out, "#2\n");
    EXPECT_EQ(imported.err, "warning: 无法导入文件“会议.rtf”，已经存在此名称的分类或知识点!\n"
                            "information: 导入文档完毕!                 \r\n\n");
    EXPECT_EQ(test::readBytes(resource("工作/报告.txt")), "report");
    EXPECT_EQ(run({"import-files", "工作"}).exitCode, kExitUsage);
}

TEST_F(TransferCommandsTest, FoldersAreImportedAndLinkedWithTheFlagAnsweringTheQuestion) {
    fs::path source = outside / "资料";
    fs::create_directories(source / "sub");
    test::writeBytes(source / "a.txt", "a");
    test::writeBytes(source / "sub" / "b.txt", "b");
    CliRun flat = run({"import-folder", "工作", source.string(), "--no-subfolders"});
    EXPECT_EQ(flat.exitCode, kExitSuccess) << flat.err;
    EXPECT_EQ(flat.out, "#2\n");
    EXPECT_EQ(flat.err.substr(0, 42), "information: 导入文件夹成功! 耗时");
    EXPECT_TRUE(fs::exists(resource("工作/资料/a.txt")));
    EXPECT_FALSE(fs::exists(resource("工作/资料/sub")));
    CliRun asked = run({"import-folder", "/", source.string()});
    EXPECT_EQ(asked.exitCode, kExitUnanswered);
    EXPECT_EQ(asked.err, "question: 是否包含子目录?\n");
    EXPECT_EQ(
        run({"import-folder", "/", source.string(), "--subfolders", "--no-subfolders"}).exitCode,
        kExitUsage);
    EXPECT_EQ(run({"--yes", "import-folder", "/", source.string()}).out, "#3\n");
    EXPECT_TRUE(fs::exists(resource("资料/sub/b.txt")));

    fs::path own = outside / "linked";
    fs::create_directories(own / "inner");
    test::writeBytes(own / "inner" / "c.txt", "c");
    CliRun linked = run({"link-folder", "工作", own.string()});
    EXPECT_EQ(linked.exitCode, kExitSuccess) << linked.err;
    EXPECT_EQ(linked.out, "#5\n");
    EXPECT_EQ(run({"list", "#6"}).out.substr(0, 8), "@5\tc.txt");
    EXPECT_FALSE(fs::exists(resource("工作/linked")));
    EXPECT_EQ(run({"link-folder", "#5", outside.path().string()}).exitCode, kExitFailed);
}

} // namespace
} // namespace tarnel::cli
