#include "cli/category_path.h"
#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "store/knowledge_store.h"
#include "tests/ops/ops_fixture.h"
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

class CategoryCommandsTest : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir data;

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

TEST_F(CategoryCommandsTest, AddsRenamesMovesRecyclesAndRestoresByPath) {
    EXPECT_EQ(run({"--yes", "add-category", "/", "A", "--star", "2", "--memo", "m"}).out, "#1\n");
    EXPECT_EQ(run({"add-category", "A", "B"}).out, "#2\n");
    EXPECT_EQ(run({"add-category", "A/B", "C", "--same-level"}).out, "#3\n");
    EXPECT_TRUE(fs::is_directory(resource("A/B")));
    EXPECT_TRUE(fs::is_directory(resource("A/C")));
    EXPECT_EQ(run({"rename-category", "#3", "D"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"category-props", "A/D", "--star", "5"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"set-color", "A/D", "--fore", "255"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"move-category", "A/D", "/"}).exitCode, kExitSuccess);
    EXPECT_TRUE(fs::is_directory(resource("D")));

    CliRun declined = run({"--no", "recycle-category", "A"});
    EXPECT_EQ(declined.exitCode, kExitFailed);
    EXPECT_TRUE(fs::is_directory(resource("A/B")));
    CliRun recycled = run({"--yes", "--json", "recycle-category", "A"});
    EXPECT_EQ(recycled.exitCode, kExitSuccess);
    EXPECT_NE(recycled.out.find("\"store\":\"recycle\""), std::string::npos) << recycled.out;
    EXPECT_TRUE(fs::is_directory(data / "Resource" / "回收站" / "1_A" / "B"));

    EXPECT_EQ(run({"restore-category", "recycle:A"}).exitCode, kExitSuccess);
    EXPECT_TRUE(fs::is_directory(resource("A/B")));

    test::Rows rows = test::tableRows(data / "Index" / "kms.cls");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][2], "D");
    EXPECT_EQ(rows[1][3], "5");
    EXPECT_EQ(rows[1][10], "255");
    EXPECT_EQ(rows[2][2], "A");
    EXPECT_EQ(rows[3][2], "B");
}

TEST_F(CategoryCommandsTest, RefusalsExitWithTheirMessage) {
    ASSERT_EQ(run({"--yes", "add-category", "/", "A"}).exitCode, kExitSuccess);
    CliRun taken = run({"add-category", "/", "a"});
    EXPECT_EQ(taken.exitCode, kExitFailed);
    EXPECT_NE(taken.err.find("已经存在此名称的分类或知识点，请输入其他名称!"), std::string::npos);
    EXPECT_EQ(run({"move-category", "A", "A"}).exitCode, kExitFailed);
    EXPECT_EQ(run({"delete-category", "A"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"rename-category", "nowhere", "B"}).exitCode, kExitUsage);
    EXPECT_EQ(run({"set-color", "A"}).exitCode, kExitUsage);
    ASSERT_EQ(run({"--yes", "recycle-category", "A"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"--yes", "delete-category", "#1"}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"--yes", "empty-recycle"}).exitCode, kExitSuccess);
    EXPECT_FALSE(fs::exists(data / "Index" / "recycle_kms.cls"));
}

TEST(CategoryPathTest, ResolvesRootIdsPathsAndRecyclePaths) {
    test::TempDir dir;
    store::RecordingChangeSink sink;
    store::KnowledgeStore base(platform::realFileSystem(), sink);
    ASSERT_EQ(base.open(dir.path()), 0);
    auto record = std::make_unique<store::CategoryRecord>();
    record->values.setValue(store::category::kName, "A");
    store::CategoryRecord* a = record.get();
    ASSERT_EQ(base.categories().add(std::move(record), base.categories().root()), 0);
    EXPECT_EQ(resolveCategory(base, "/"), base.categories().root());
    EXPECT_EQ(resolveCategory(base, "#0"), base.categories().root());
    EXPECT_EQ(resolveCategory(base, "A"), a);
    EXPECT_EQ(resolveCategory(base, "#1"), a);
    EXPECT_EQ(resolveCategory(base, "recycle:"), base.recycle().root());
    EXPECT_EQ(resolveCategory(base, "recycle:A"), nullptr);
    EXPECT_EQ(resolveCategory(base, "#x"), nullptr);
    EXPECT_EQ(resolveCategory(base, "B"), nullptr);
}

} // namespace
} // namespace tarnel::cli
