#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "ops/tag_points.h"
#include "platform/codepage.h"
#include "tests/ops/ops_fixture.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tarnel::cli {
namespace {

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

// A base made through the stores, searched through tarnel-kb with SEARCH_DOC_TYPE=DOC,Txt.
class SearchCommandsTest : public test::OpsTest {
protected:
    test::TempDir program;

    void SetUp() override {
        OpsTest::SetUp();
        test::writeBytes(program / "tarnel.ini", "[WORKSPACE]\nSEARCH_DOC_TYPE=DOC,Txt\n");
        store::CategoryRecord* work = makeCategory(categories().root(), "工作");
        store::CategoryRecord* home = makeCategory(categories().root(), "家");
        store::PointRecord* report = makePoint(*work, "REPORT.rtf", "{\\rtf1 quarterly numbers}");
        makePoint(*work, "notes.txt", platform::utf8ToGb("本季度 numbers\r\n"));
        makePoint(*work, "data.docx", "numbers");
        makePoint(*home, "笔记.rtf",
                  "{\\rtf1\\ansi\\ansicpg936 \\'cb\\'d1\\'cb\\'f7 num{\\b be}\r\nrs\\par}");
        store::PointRecord* utf8 = makePoint(*home, "utf8.txt", "UTF-8 Numbers 搜索");
        makePoint(*home, "gone.rtf", "numbers");
        std::filesystem::remove(resource("家/gone.rtf"));
        store::TagRecord* project = makeTag("项目");
        ASSERT_TRUE(ops::setTagsOfPoints(context, {{work, report}}, {project->id}).ok());
        ASSERT_TRUE(ops::setTagsOfPoints(context, {{home, utf8}}, {project->id}).ok());
    }

    CliRun run(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--program-dir", program.path().string(), "--data", data().string()});
        std::ostringstream out;
        std::ostringstream err;
        int code = runCommandLine(args, out, err, nullptr);
        return {code, out.str(), err.str()};
    }
};

TEST_F(SearchCommandsTest, SearchesTitlesOfEveryCategoryByDefault) {
    CliRun found = run({"search", "report"});
    EXPECT_EQ(found.exitCode, kExitSuccess) << found.err;
    EXPECT_EQ(found.out, "标题:'report'的查询结果\ncategory\t工作\t工作/REPORT.rtf\t@1\n");
    EXPECT_EQ(run({"search", "report", "--case"}).out, "标题:'report'的查询结果\n");
    EXPECT_EQ(run({"search", "txt 笔记", "--split"}).out,
              "标题:'txt 笔记'的查询结果\ncategory\t工作\t工作/notes.txt\t@2\n"
              "category\t家\t家/笔记.rtf\t@4\ncategory\t家\t家/utf8.txt\t@5\n");
}

TEST_F(SearchCommandsTest, SearchesContentThroughCategoriesThenTags) {
    CliRun found =
        run({"search", "numbers", "--content", "--tag", "项目", "--in", "家", "--in", "工作"});
    EXPECT_EQ(found.exitCode, kExitSuccess) << found.err;
    EXPECT_EQ(found.out, "内容:'numbers'的查询结果\n"
                         "category\t家\t家/笔记.rtf\t@4\n"
                         "category\t家\t家/utf8.txt\t@5\n"
                         "category\t工作\t工作/REPORT.rtf\t@1\n"
                         "category\t工作\t工作/notes.txt\t@2\n"
                         "tag\t项目\t工作/REPORT.rtf\t@1\n"
                         "tag\t项目\t家/utf8.txt\t@5\n");
    EXPECT_EQ(
        run({"--json", "search", "搜索", "--title", "--content", "--case", "--tag", "项目"}).out,
        "{\"title\":\"标题+内容:'搜索'的查询结果\",\"hits\":[{\"route\":\"tag\",\"tag\":1,"
        "\"in\":\"项目\",\"point\":5,\"path\":\"家/utf8.txt\"}]}\n");
}

TEST_F(SearchCommandsTest, QuickFindAndThePanesMessages) {
    EXPECT_EQ(run({"search", "UTF", "--quick", "tag:项目"}).out,
              "标题:'UTF'的查询结果\ntag\t项目\t家/utf8.txt\t@5\n");
    EXPECT_EQ(run({"search", "rtf", "--quick", "工作"}).out,
              "标题:'rtf'的查询结果\ncategory\t工作\t工作/REPORT.rtf\t@1\n");
    CliRun empty = run({"search", ""});
    EXPECT_EQ(empty.exitCode, kExitFailed);
    EXPECT_EQ(empty.err, "information: 您还没有填写要查询的知识点!\n");
    EXPECT_EQ(run({"search", "x", "--quick", "工作", "--case"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"search", "x", "--in", "无"}).err, "error: no category 无\n");
}

TEST_F(SearchCommandsTest, TextPrintsWhatSearchReads) {
    EXPECT_EQ(run({"text", "家/笔记.rtf"}).out, "搜索 numbers\n");
    EXPECT_EQ(run({"--json", "text", "@2"}).out,
              "{\"point\":2,\"path\":\"工作/notes.txt\",\"status\":\"complete\",\"text\":\"本季度 "
              "numbers\"}\n");
    CliRun missing = run({"text", "@6"});
    EXPECT_EQ(missing.exitCode, kExitFailed);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
    EXPECT_EQ(run({"text", "@3"}).err, "error: search does not read the content of data.docx "
                                       "(its type is not in SEARCH_DOC_TYPE)\n");
}

} // namespace
} // namespace tarnel::cli
