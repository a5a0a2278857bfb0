#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "tests/store/store_fixtures.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;
using test::scrambledTable;

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

class StoreCommandsTest : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir data;

    void SetUp() override { fs::create_directories(data / "Index"); }

    void write(const std::string& name, const std::vector<std::vector<std::string>>& rows) {
        test::writeBytes(data / "Index" / name, scrambledTable(rows));
    }

    CliRun run(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--program-dir", program.path().string(), "--data", data.path().string()});
        std::ostringstream out;
        std::ostringstream err;
        int code = runCommandLine(args, out, err, nullptr);
        return {code, out.str(), err.str()};
    }

    std::map<std::string, std::string> snapshot() {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(data.path())) {
            files[entry.path().string()] =
                entry.is_regular_file() ? test::readBytes(entry.path()) : "<dir>";
        }
        return files;
    }

    void writeBase() {
        write("kms.ids", {{"version", "class", "point", "tags", "comment", "append"},
                          {"210", "2", "5", "1", "5", "0"}});
        write("kms.cls", {{"id", "parent", "name", "relation_path"},
                          {"1", "0", "A", ""},
                          {"2", "1", "B", ""},
                          {"3", "0", "L", data.path().string()}});
        write("kms.tags", {{"id", "parent", "name"}, {"1", "0", "T"}});
        write("1.cps", {{"id", "class", "name", "state"}, {"5", "1", "a.rtf", "0"}});
    }
};

TEST_F(StoreCommandsTest, InfoCountsTheBase) {
    writeBase();
    CliRun json = run({"--json", "info"});
    ASSERT_EQ(json.exitCode, kExitSuccess) << json.err;
    EXPECT_NE(json.out.find("\"store_version\":210"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"counters\":{\"class\":3,\"point\":5,\"tags\":1,\"comment\":5,"
                            "\"append\":0}"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"categories\":3,\"recycled_categories\":0,\"tags\":1,"
                            "\"points_loaded\":1"),
              std::string::npos)
        << json.out;
}

TEST_F(StoreCommandsTest, TreeShowsIdsStateAndLinkedRoots) {
    writeBase();
    fs::create_directories(data / "Resource" / "分类列表" / "A");
    CliRun plain = run({"tree"});
    ASSERT_EQ(plain.exitCode, kExitSuccess) << plain.err;
    EXPECT_EQ(plain.out,
              "[0] 分类列表\n  [1] A state=1\n    [2] B state=0\n  [3] L state=1 linked: " +
                  data.path().string() + "\n");
    EXPECT_EQ(run({"tree", "--tags"}).out, "[0] 标签管理\n  [1] T\n");
    EXPECT_EQ(run({"tree", "--recycle"}).out, "[0] 回收站\n");
    CliRun json = run({"--json", "tree"});
    EXPECT_EQ(json.out.rfind("{\"id\":0,\"name\":\"分类列表\",", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"linked_root\":true"), std::string::npos);
    EXPECT_EQ(run({"tree", "--tags", "--recycle"}).exitCode, kExitUsage);
}

TEST_F(StoreCommandsTest, CheckReportsDamageAndWritesNothing) {
    writeBase();
    test::writeBytes(data / "Index" / "2.cps", std::string("\x00\x10xx", 4));
    auto before = snapshot();
    CliRun plain = run({"check"});
    EXPECT_EQ(plain.exitCode, kExitFailed);
    EXPECT_NE(plain.out.find("2.cps: damaged (17)"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("1.cps: inconsistent (0): point 5"), std::string::npos) << plain.out;
    CliRun json = run({"--json", "check"});
    EXPECT_EQ(json.exitCode, kExitFailed);
    EXPECT_NE(json.out.find("{\"file\":\"2.cps\",\"status\":\"damaged\",\"code\":17}"),
              std::string::npos)
        << json.out;
    run({"info"});
    run({"tree"});
    EXPECT_EQ(snapshot(), before);
}

TEST_F(StoreCommandsTest, CheckOfASoundBasePasses) {
    writeBase();
    fs::remove(data / "Index" / "1.cps");
    CliRun plain = run({"check"});
    EXPECT_EQ(plain.exitCode, kExitSuccess) << plain.out;
    EXPECT_EQ(plain.out, "all index files sound\n");
}

TEST_F(StoreCommandsTest, ADamagedCountersFileIsReportedAndTheRestStillChecked) {
    writeBase();
    test::writeBytes(data / "Index" / "kms.ids", std::string("\x00\x30", 2));
    test::writeBytes(data / "Index" / "kms.tags", std::string("\x00\x30", 2));
    CliRun plain = run({"check"});
    EXPECT_EQ(plain.exitCode, kExitFailed);
    EXPECT_NE(plain.out.find("kms.ids: damaged (17)"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("kms.tags: damaged (17)"), std::string::npos) << plain.out;
}

} // namespace
} // namespace tarnel::cli
