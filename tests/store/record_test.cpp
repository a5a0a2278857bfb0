#include "store/knowledge_store.h"
#include "store/record.h"
#include "store/result_codes.h"
#include "tests/store/store_fixtures.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace tarnel::store {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;
using test::scrambledTable;

// Bytes that no GB18030 decoder would give back unchanged, so only a raw copy keeps them.
const std::string kRaw = "\xFF\x01\x81";
// "颜色" and "红" in GB18030: a column name and a value outside ASCII.
const std::string kGbName = "\xD1\xD5\xC9\xAB";
const std::string kGbValue = "\xBA\xEC";

const Rows kOneCategory = {{"id", "parent", "name"}, {"1", "0", "A"}};

struct UnknownColumnCase {
    const char* what;
    std::string file;
    Rows before;
    // Changes one known value and saves the file; returns the save's result.
    std::function<int(KnowledgeStore&)> changeAndSave;
    Rows after;
};

// A base on disk whose index files the test writes itself.
class IndexFilesTest : public ::testing::Test {
protected:
    test::TempDir dir;
    RecordingChangeSink sink;
    KnowledgeStore base{platform::realFileSystem(), sink};

    fs::path index(const std::string& name) { return dir / "Index" / name; }
    void write(const std::string& name, const Rows& rows) {
        fs::create_directories(dir / "Index");
        test::writeBytes(index(name), scrambledTable(rows));
    }
};

class UnknownColumnsTest : public IndexFilesTest,
                           public ::testing::WithParamInterface<UnknownColumnCase> {};

TEST_P(UnknownColumnsTest, ASaveWritesTheirValuesBackByteForByte) {
    const UnknownColumnCase& c = GetParam();
    if (c.file != "kms.cls") {
        write("kms.cls", kOneCategory);
    }
    write(c.file, c.before);
    ASSERT_EQ(base.open(dir.path()), kOk);
    ASSERT_EQ(c.changeAndSave(base), kOk);
    EXPECT_EQ(test::readBytes(index(c.file)), scrambledTable(c.after));
}

CategoryRecord& categoryOne(KnowledgeStore& base) {
    return *base.categories().find(1);
}

INSTANTIATE_TEST_SUITE_P(
    FileKinds, UnknownColumnsTest,
    ::testing::Values(
        UnknownColumnCase{"categories",
                          "kms.cls",
                          {{"id", "parent", "sync", "name", kGbName},
                           {"1", "0", kRaw, "A", kGbValue},
                           {"2", "1", "", "B", "x"}},
                          [](KnowledgeStore& base) {
                              base.categories().find(2)->values.setValue(category::kName, "C");
                              return base.saveStore(StoreKind::Category);
                          },
                          {{"id", "parent", "sync", "name", kGbName},
                           {"1", "0", kRaw, "A", kGbValue},
                           {"2", "1", "", "C", "x"}}},
        UnknownColumnCase{
            "recycle",
            "recycle_kms.cls",
            {{"id", "parent", "name", "delete_date", "sync"}, {"7", "0", "Z", "d", kRaw}},
            [](KnowledgeStore& base) {
                base.recycle().find(7)->values.setValue(category::kDeleteDate, "e");
                return base.saveStore(StoreKind::Recycle);
            },
            {{"id", "parent", "name", "delete_date", "sync"}, {"7", "0", "Z", "e", kRaw}}},
        UnknownColumnCase{
            "tags",
            "kms.tags",
            {{"id", kGbName, "parent", "name", "point_num"}, {"3", kGbValue, "0", "T", "2"}},
            [](KnowledgeStore& base) {
                base.tags().find(3)->values.setInteger(tag::kPointNum, 1);
                return base.saveStore(StoreKind::Tag);
            },
            {{"id", kGbName, "parent", "name", "point_num"}, {"3", kGbValue, "0", "T", "1"}}},
        UnknownColumnCase{"point list",
                          "1.cps",
                          {{"id", "class", "name", "sync", "sync"},
                           {"4", "1", "a.rtf", kRaw, "second"},
                           {"5", "1", "b.rtf", "", ""}},
                          [](KnowledgeStore& base) {
                              CategoryRecord& one = categoryOne(base);
                              base.categories().pointsOf(one).find(5)->values.setValue(point::kName,
                                                                                       "c.rtf");
                              return base.savePoints(one);
                          },
                          {{"id", "class", "name", "sync", "sync"},
                           {"4", "1", "a.rtf", kRaw, "second"},
                           {"5", "1", "c.rtf", "", ""}}},
        UnknownColumnCase{"attachment list",
                          "1.cas",
                          {{"sync", "id", "point", "name"}, {kRaw, "6", "4", "f.txt"}},
                          [](KnowledgeStore& base) {
                              CategoryRecord& one = categoryOne(base);
                              base.categories().attachmentsOf(one).find(6)->values.setValue(
                                  attachment::kName, "g.txt");
                              return base.saveAttachments(one);
                          },
                          {{"sync", "id", "point", "name"}, {kRaw, "6", "4", "g.txt"}}},
        UnknownColumnCase{"counters",
                          "kms.ids",
                          {{"version", "class", "point", "sync", "tags", "comment", "append"},
                           {"210", "1", "9", kRaw, "0", "9", "0"}},
                          [](KnowledgeStore& base) {
                              base.counters().next(IdKind::Tag);
                              return base.saveCounters();
                          },
                          {{"version", "class", "point", "sync", "tags", "comment", "append"},
                           {"210", "1", "9", kRaw, "1", "9", "0"}}}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

class UnknownColumnsOnMoveTest : public IndexFilesTest {
protected:
    void recycleCategoryOne() {
        CategoryRecord* one = base.categories().find(1);
        ASSERT_EQ(base.categories().moveUnder(one, base.recycle(), base.recycle().root()), kOk);
        ASSERT_EQ(base.saveStore(StoreKind::Category), kOk);
        ASSERT_EQ(base.saveStore(StoreKind::Recycle), kOk);
    }
};

TEST_F(UnknownColumnsOnMoveTest, ARecycledCategoryKeepsItsValueInTheBinsColumnOfTheSameName) {
    write("kms.cls", {{"id", "parent", "name", "sync"}, {"1", "0", "A", kRaw}});
    write("recycle_kms.cls",
          {{"id", "parent", "sync", "name", "delete_date"}, {"7", "0", "q", "Z", "d"}});
    ASSERT_EQ(base.open(dir.path()), kOk);
    recycleCategoryOne();
    EXPECT_FALSE(fs::exists(index("kms.cls")));
    EXPECT_EQ(test::readBytes(index("recycle_kms.cls")),
              scrambledTable({{"id", "parent", "sync", "name", "delete_date"},
                              {"7", "0", "q", "Z", "d"},
                              {"1", "0", kRaw, "A", ""}}));
}

TEST_F(UnknownColumnsOnMoveTest, TheBinGainsTheColumnItLacksAndTheValueComesBackOnRestore) {
    write("kms.cls", {{"id", "parent", "name", "sync", "note"},
                      {"1", "0", "A", kRaw, ""},
                      {"2", "0", "B", "", ""}});
    write("recycle_kms.cls", {{"id", "parent", "name", "delete_date"}, {"7", "0", "Z", "d"}});
    ASSERT_EQ(base.open(dir.path()), kOk);
    recycleCategoryOne();
    // Only a column with a value to keep is added; "note" was empty.
    EXPECT_EQ(test::readBytes(index("recycle_kms.cls")),
              scrambledTable({{"id", "parent", "name", "delete_date", "sync"},
                              {"7", "0", "Z", "d", ""},
                              {"1", "0", "A", "", kRaw}}));
    EXPECT_EQ(test::readBytes(index("kms.cls")),
              scrambledTable({{"id", "parent", "name", "sync", "note"}, {"2", "0", "B", "", ""}}));

    CategoryRecord* one = base.recycle().find(1);
    ASSERT_EQ(base.recycle().moveUnder(one, base.categories(), base.categories().root()), kOk);
    ASSERT_EQ(base.saveStore(StoreKind::Category), kOk);
    EXPECT_EQ(test::readBytes(index("kms.cls")),
              scrambledTable({{"id", "parent", "name", "sync", "note"},
                              {"2", "0", "B", "", ""},
                              {"1", "0", "A", kRaw, ""}}));
}

TEST_F(UnknownColumnsOnMoveTest, ANewCategoryGetsEmptyValuesThere) {
    write("kms.cls", {{"id", "parent", "name", "sync"}, {"1", "0", "A", kRaw}});
    ASSERT_EQ(base.open(dir.path()), kOk);
    auto record = std::make_unique<CategoryRecord>();
    record->values.setValue(category::kName, "N");
    ASSERT_EQ(base.categories().add(std::move(record), base.categories().root()), kOk);
    ASSERT_EQ(base.saveStore(StoreKind::Category), kOk);
    EXPECT_EQ(test::readBytes(index("kms.cls")),
              scrambledTable(
                  {{"id", "parent", "name", "sync"}, {"1", "0", "A", kRaw}, {"2", "0", "N", ""}}));
}

TEST(RecordTest, ChangingAValueKeepsTheUnknownValuesAndACopyCarriesThem) {
    std::vector<std::string> header = {"id", "extra", "name"};
    ColumnMap map = mapColumns(header, point::kNames);
    std::vector<std::string_view> row = {"4", kRaw, "a.rtf"};
    Record record = recordFromRow(row, map, point::kNames.size());
    record.setValue(point::kName, "a much longer name.rtf");
    Record copy = record;
    std::string out;
    ASSERT_EQ(appendRecord(copy, map, out), kOk);
    EXPECT_EQ(out, test::scrambledRow({"4", kRaw, "a much longer name.rtf"}));
}

} // namespace
} // namespace tarnel::store
