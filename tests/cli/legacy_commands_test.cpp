#include "cli/command_registry.h"
#include "tests/store/legacy_fixtures.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;
using test::olderCategory;
using test::olderFile;
using test::olderPoint;

class LegacyCommandsTest : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir dataDir;
    fs::path data = dataDir.path();

    void put(const std::string& relative, const std::string& bytes) {
        fs::create_directories((data / relative).parent_path());
        test::writeBytes(data / relative, bytes);
    }

    void write150() {
        put("0/kms.cls", olderFile(150, {olderCategory("1", "0", "0", "0", "Docs")}));
        put("0/1.pts", olderFile(150, {olderPoint("7", "1", "doc", "", "4")}));
        put("0/7.pcr", "rich");
    }

    test::ProcessResult kb(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--program-dir", program.path().string(), "--data", data.string()});
        return test::runProcess(TARNEL_KB_PATH, args, program.path());
    }
};

TEST_F(LegacyCommandsTest, CheckReportsAnOlderBaseAndWritesNothing) {
    write150();
    auto before = test::snapshotOf(data);
    auto text = kb({"check"});
    EXPECT_EQ(text.exitCode, kExitSuccess) << text.err;
    std::string index = (data / "0/kms.cls").string();
    std::string points = (data / "0/1.pts").string();
    std::size_t bytesLine = text.out.find("bytes to write: ");
    ASSERT_NE(bytesLine, std::string::npos) << text.out;
    EXPECT_EQ(text.out.substr(0, bytesLine),
              "older format, store version 150 (1.5.0)\n"
              "category index: " +
                  index +
                  "\n"
                  "category index " +
                  index +
                  ": version 150, 1 records, ok\n"
                  "point list " +
                  points +
                  ": version 150, 1 records, ok\n"
                  "categories: 1, skipped ids: 0, unknown parents: 0, cycles: 0, "
                  "sibling chains in file order: 0\n"
                  "backup: 0 -> bak\n"
                  "writes: 3 index files, 1 content copies, 0 comment files, 1 category "
                  "folders\n"
                  "content files missing: 0, comments without their point: 0\n");
    EXPECT_TRUE(
        text.out.substr(bytesLine).starts_with("bytes to write: 0.45KB (460), free space: "))
        << text.out;
    EXPECT_TRUE(text.out.ends_with("\nconvertible: run tarnel-kb convert\n")) << text.out;
    auto json = kb({"--json", "check"});
    EXPECT_EQ(json.exitCode, kExitSuccess);
    EXPECT_NE(json.out.find("\"format\":\"older\",\"store_version\":150"), std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"tab_align_due\":true}"), std::string::npos) << json.out;
    EXPECT_TRUE(json.out.ends_with("\"convertible\":true}\n")) << json.out;
    EXPECT_EQ(test::snapshotOf(data), before);
}

TEST_F(LegacyCommandsTest, CheckOfAnUnconvertibleBaseFails) {
    put("Index/kms.cls", olderFile(205, {}));
    auto text = kb({"check"});
    EXPECT_EQ(text.exitCode, kExitFailed);
    EXPECT_NE(text.out.find(": version 205, 0 records, version cannot be converted\n"),
              std::string::npos)
        << text.out;
    EXPECT_TRUE(text.out.ends_with("not convertible\n")) << text.out;
}

TEST_F(LegacyCommandsTest, EveryOtherCommandRefusesAnOlderOrHalfConvertedBase) {
    write150();
    auto before = test::snapshotOf(data);
    for (std::vector<std::string> args :
         {std::vector<std::string>{"info"}, {"tree"}, {"add-category", "/", "New"}}) {
        auto run = kb(args);
        EXPECT_EQ(run.exitCode, kExitFailed) << args[0];
        EXPECT_EQ(run.err, "error: the knowledge base is in an older format; run tarnel-kb "
                           "convert\n")
            << args[0];
    }
    EXPECT_EQ(kb({"settings"}).exitCode, kExitSuccess);
    EXPECT_EQ(test::snapshotOf(data), before);
    fs::create_directories(data / ".conversion");
    auto run = kb({"info"});
    EXPECT_EQ(run.err,
              "error: a conversion of the knowledge base was interrupted; run tarnel-kb convert\n");
    auto check = kb({"check"});
    EXPECT_EQ(check.exitCode, kExitSuccess);
    EXPECT_EQ(check.out, "interrupted conversion: journal staging\n"
                         "tarnel-kb convert finishes or undoes it\n");
}

TEST_F(LegacyCommandsTest, ConvertRunsTheStartUpConversionAndWritesTheTabPosition) {
    write150();
    auto run = kb({"convert"});
    ASSERT_EQ(run.exitCode, kExitSuccess) << run.err;
    std::string backup = (data / "bak").string();
    EXPECT_EQ(run.out, "converted\nbackup: " + backup + "\n");
    EXPECT_EQ(run.err, "正在进行数据转换... 0/4\n"
                       "  1/4\n  2/4\n  3/4\n  4/4\n"
                       "information: 数据转换成功，旧数据源备份到:" +
                           backup + "!\n\n");
    EXPECT_EQ(test::readBytes(data / "Resource/分类列表/Docs/doc.rtf"), "rich");
    EXPECT_NE(test::readBytes(program / "tarnel.ini").find("[WORKSPACE]\nTAB_ALIGN=2\n"),
              std::string::npos)
        << test::readBytes(program / "tarnel.ini");
    auto again = kb({"--json", "convert"});
    EXPECT_EQ(again.exitCode, kExitSuccess);
    EXPECT_EQ(again.out,
              "{\"result\":\"current\",\"code\":0,\"backups\":[],\"tab_align_written\":false}\n");
    EXPECT_EQ(kb({"info"}).exitCode, kExitSuccess);
}

TEST_F(LegacyCommandsTest, ConvertOfADamagedBaseFailsWithTheMessage) {
    write150();
    put("0/1.pts", olderFile(150, {olderPoint("7", "1", "doc", "", "4")}).substr(0, 20));
    auto before = test::snapshotOf(data);
    auto run = kb({"--json", "convert"});
    EXPECT_EQ(run.exitCode, kExitFailed);
    EXPECT_EQ(run.out, "{\"result\":\"not converted\",\"code\":17,\"backups\":[],"
                       "\"tab_align_written\":false}\n");
    EXPECT_TRUE(run.err.starts_with("error: 分析知识点文件时失败!可能你的知识点文件已损坏,"
                                    "请联系管理员\n"))
        << run.err;
    EXPECT_EQ(test::snapshotOf(data), before);
}

} // namespace
} // namespace tarnel::cli
