#include "store/category_store.h"
#include "store/result_codes.h"
#include "tests/store/store_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarnel::store {
namespace {

namespace fs = std::filesystem;

void put(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    test::writeBytes(path, bytes);
}
using test::scrambledTable;

const std::vector<std::string> kNewHeader = {
    "id",          "parent",      "name", "star_num",   "size",       "point_num",    "state",
    "create_date", "modify_date", "memo", "fore_color", "back_color", "relation_path"};

class CategoryStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::FaultyFileSystem fileSystem;
    IdCounters counters{fileSystem, dir / "Index" / "kms.ids"};
    DisplayTypes displayTypes;
    RecordingChangeSink sink;
    StoreContext context{fileSystem, DataLayout(dir.path()), counters, displayTypes, sink};
    CategoryStore categories{StoreKind::Category, context};
    CategoryStore recycle{StoreKind::Recycle, context};

    void SetUp() override { fs::create_directories(dir / "Index"); }

    fs::path indexFile(const char* name) { return dir / "Index" / name; }
    fs::path resource(const std::string& relative) {
        return dir / "Resource" / "分类列表" / relative;
    }

    CategoryRecord* add(CategoryStore& store, CategoryRecord* parent, const std::string& name,
                        long long size = 0, int n = kLastChild) {
        auto record = std::make_unique<CategoryRecord>();
        record->values.setValue(category::kName, name);
        record->values.setInteger(category::kSize, size);
        CategoryRecord* raw = record.get();
        EXPECT_EQ(store.add(std::move(record), parent, n), kOk);
        for (CategoryRecord* p = parent; p; p = p->parent) {
            p->values.setInteger(category::kSize, p->size() + size);
        }
        return raw;
    }

    static std::vector<std::string> names(const CategoryStore& store) {
        std::vector<std::string> out;
        for (const auto& record : store.rows()) {
            out.emplace_back(record->name());
        }
        return out;
    }
};

TEST_F(CategoryStoreTest, SavesANewStoreWithThirteenColumns) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    a->values.setValue(category::kCreateDate, "2024-01-02 03:04:05");
    ASSERT_EQ(categories.save(), kOk);
    EXPECT_EQ(test::readBytes(indexFile("kms.cls")),
              scrambledTable(
                  {kNewHeader,
                   {"1", "0", "A", "", "0", "", "", "2024-01-02 03:04:05", "", "", "", "", ""}}));
    EXPECT_TRUE(fs::is_directory(resource("A")));
}

TEST_F(CategoryStoreTest, ARecycleStoreNamesAllFifteenColumns) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    ASSERT_EQ(categories.moveUnder(a, recycle, recycle.root()), kOk);
    a->values.setValue(category::kOriginalLocal, "\\");
    ASSERT_EQ(recycle.save(), kOk);
    EXPECT_EQ(
        test::readBytes(indexFile("recycle_kms.cls")),
        scrambledTable({{"id", "parent", "name", "star_num", "size", "point_num", "state",
                         "create_date", "modify_date", "delete_date", "memo", "fore_color",
                         "back_color", "relation_path", "original_local"},
                        {"1", "0", "A", "", "0", "", "1", "", "", "", "", "", "", "", "\\"}}));
}

TEST_F(CategoryStoreTest, LoadsColumnsInAnyOrderAndLacksMemo) {
    put(indexFile("kms.cls"),
        scrambledTable(
            {{"name", "parent", "id", "extra"}, {"A", "0", "5", "x"}, {"B", "5", "9", "y"}}));
    ASSERT_EQ(categories.load(), kOk);
    EXPECT_THAT(names(categories), ::testing::ElementsAre("分类列表", "A", "B"));
    CategoryRecord* b = categories.find(9);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->parent, categories.find(5));
    EXPECT_FALSE(b->values.has(category::kMemo));
    EXPECT_EQ(categories.root()->descendantCount, 2);
    EXPECT_EQ(categories.find(5)->childCount, 1);
    EXPECT_EQ(counters.highest(IdKind::Category), 9);
    // The file's own column order is kept on save, and so are the values of its unknown column.
    ASSERT_EQ(categories.save(), kOk);
    EXPECT_EQ(test::readBytes(indexFile("kms.cls")),
              scrambledTable(
                  {{"name", "parent", "id", "extra"}, {"A", "0", "5", "x"}, {"B", "5", "9", "y"}}));
}

TEST_F(CategoryStoreTest, ResolvesParentsThroughTheAncestorsOfThePreviousRow) {
    put(indexFile("kms.cls"), scrambledTable({{"id", "parent", "name"},
                                              {"1", "0", "A"},
                                              {"2", "1", "B"},
                                              {"3", "2", "C"},
                                              {"4", "1", "D"},
                                              {"5", "77", "orphan"}}));
    ASSERT_EQ(categories.load(), kOk);
    EXPECT_EQ(categories.find(4)->parent, categories.find(1));
    EXPECT_EQ(categories.find(5)->parent, categories.root());
    EXPECT_EQ(categories.find(1)->descendantCount, 3);
    EXPECT_EQ(categories.find(1)->childCount, 2);
}

TEST_F(CategoryStoreTest, StateFollowsTheFolderOnEveryLoad) {
    put(indexFile("kms.cls"),
        scrambledTable(
            {{"id", "parent", "name", "state"}, {"1", "0", "here", "0"}, {"2", "0", "gone", "1"}}));
    fs::create_directories(resource("here"));
    ASSERT_EQ(categories.load(), kOk);
    EXPECT_EQ(categories.find(1)->values.value(category::kState), "1");
    EXPECT_EQ(categories.find(2)->values.value(category::kState), "0");
}

TEST_F(CategoryStoreTest, ADamagedFileEmptiesTheStoreAndSurvivesTheNextSave) {
    std::string damaged = scrambledTable({{"id", "parent", "name"}, {"1", "0", "A", "more"}});
    put(indexFile("kms.cls"), damaged);
    EXPECT_EQ(categories.load(), kDamagedFile);
    EXPECT_EQ(categories.categoryCount(), 0u);
    EXPECT_EQ(test::readBytes(indexFile("kms.cls")), damaged);

    ASSERT_EQ(categories.save(), kOk);
    EXPECT_FALSE(fs::exists(indexFile("kms.cls")));
    ASSERT_FALSE(categories.file().setAside().empty());
    EXPECT_EQ(test::readBytes(categories.file().setAside()), damaged);
}

TEST_F(CategoryStoreTest, AFileWithoutAnIdColumnIsDamaged) {
    put(indexFile("kms.cls"), scrambledTable({{"parent", "name"}, {"0", "A"}}));
    EXPECT_EQ(categories.load(), kDamagedFile);
    EXPECT_EQ(categories.categoryCount(), 0u);
    EXPECT_TRUE(categories.file().damaged());
}

TEST_F(CategoryStoreTest, OnlyTheRootLeftDeletesTheFileAndLoadsBackEmpty) {
    put(indexFile("kms.cls"), scrambledTable({kNewHeader}));
    ASSERT_EQ(categories.load(), kOk);
    ASSERT_EQ(categories.save(), kOk);
    EXPECT_FALSE(fs::exists(indexFile("kms.cls")));
    ASSERT_EQ(categories.load(), kOk);
    EXPECT_EQ(categories.rows().size(), 1u);
    EXPECT_EQ(categories.root()->id, 0);
}

TEST_F(CategoryStoreTest, AValueTheFormatCannotCarryIsRefusedAndTheFileKept) {
    add(categories, categories.root(), "A");
    ASSERT_EQ(categories.save(), kOk);
    std::string before = test::readBytes(indexFile("kms.cls"));
    categories.find(1)->values.setValue(category::kMemo, "line\x08"
                                                         "break");
    EXPECT_EQ(categories.save(), kValueNotStorable);
    categories.find(1)->values.setValue(category::kMemo, std::string(70000, 'm'));
    EXPECT_EQ(categories.save(), kRowTooLong);
    EXPECT_EQ(test::readBytes(indexFile("kms.cls")), before);
}

TEST_F(CategoryStoreTest, AFailedSaveIsReportedAndChangesNothingOnDisk) {
    add(categories, categories.root(), "A");
    ASSERT_EQ(categories.save(), kOk);
    std::string before = test::readBytes(indexFile("kms.cls"));
    add(categories, categories.root(), "B");
    fileSystem.failWritesTo = "Index";
    EXPECT_EQ(categories.save(), kSaveFailed);
    EXPECT_EQ(test::readBytes(indexFile("kms.cls")), before);
}

TEST_F(CategoryStoreTest, InsertionPositionRule) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    add(categories, a, "A1");
    add(categories, a, "A2");
    add(categories, a, "A3");
    add(categories, categories.root(), "B");
    add(categories, a, "last", 0, kLastChild);
    add(categories, a, "first", 0, kFirstChild);
    add(categories, a, "second", 0, 1);
    EXPECT_THAT(names(categories), ::testing::ElementsAre("分类列表", "A", "first", "second", "A1",
                                                          "A2", "A3", "last", "B"));
    EXPECT_EQ(a->childCount, 6);
    EXPECT_EQ(categories.root()->descendantCount, 8);
}

TEST_F(CategoryStoreTest, AddGivesIdsAndRefusesWhatItCannotPlace) {
    EXPECT_EQ(categories.add(nullptr, categories.root()), kNoRecord);
    CategoryRecord stranger;
    EXPECT_EQ(categories.add(std::make_unique<CategoryRecord>(), &stranger), kNoNewParent);
    fileSystem.failCreateDirectories = true;
    auto record = std::make_unique<CategoryRecord>();
    record->values.setValue(category::kName, "X");
    EXPECT_EQ(categories.add(std::move(record), categories.root()), kFolderCreateFailed);
    EXPECT_EQ(categories.categoryCount(), 0u);
    fileSystem.failCreateDirectories = false;
    CategoryRecord* y = add(categories, categories.root(), "Y");
    EXPECT_EQ(y->id, 1);
    EXPECT_EQ(counters.highest(IdKind::Category), 1);
}

TEST_F(CategoryStoreTest, MoveUpAndDownSwapWholeBlocks) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    add(categories, a, "A1");
    CategoryRecord* b = add(categories, categories.root(), "B");
    ASSERT_EQ(categories.moveUp(b), kOk);
    EXPECT_THAT(names(categories), ::testing::ElementsAre("分类列表", "B", "A", "A1"));
    ASSERT_EQ(categories.moveUp(b), kOk);
    EXPECT_THAT(names(categories), ::testing::ElementsAre("分类列表", "B", "A", "A1"));
    ASSERT_EQ(categories.moveDown(b), kOk);
    EXPECT_THAT(names(categories), ::testing::ElementsAre("分类列表", "A", "A1", "B"));
    EXPECT_EQ(categories.moveDown(nullptr), kMissingRecord);
    CategoryRecord stranger;
    EXPECT_EQ(categories.moveUp(&stranger), kNoRecord);
}

TEST_F(CategoryStoreTest, MoveUnderMovesTheFolderCountsAndSizes) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    CategoryRecord* a1 = add(categories, a, "A1", 100);
    add(categories, a1, "A1x", 30);
    CategoryRecord* b = add(categories, categories.root(), "B");
    put(resource("A/A1/note.rtf"), "x");
    sink.clear();

    ASSERT_EQ(categories.moveUnder(a1, b), kOk);
    EXPECT_TRUE(fs::exists(resource("B/A1/note.rtf")));
    EXPECT_TRUE(fs::is_directory(resource("B/A1/A1x")));
    EXPECT_FALSE(fs::exists(resource("A/A1")));
    EXPECT_THAT(names(categories), ::testing::ElementsAre("分类列表", "A", "B", "A1", "A1x"));
    EXPECT_EQ(a1->values.integer(category::kParent), b->id);
    EXPECT_EQ(a->size(), 0);
    EXPECT_EQ(b->size(), 130);
    EXPECT_EQ(categories.root()->size(), 130);
    EXPECT_EQ(a->descendantCount, 0);
    EXPECT_EQ(b->descendantCount, 2);
    EXPECT_EQ(b->childCount, 1);
    using N = ChangeNotification;
    EXPECT_THAT(sink.received(), ::testing::ElementsAre(N{4, StoreKind::Category, a->id, 0},
                                                        N{4, StoreKind::Category, 0, 0},
                                                        N{4, StoreKind::Category, b->id, 0},
                                                        N{4, StoreKind::Category, 0, 0},
                                                        N{11, StoreKind::Category, a1->id, 0}));
}

TEST_F(CategoryStoreTest, AFailedFolderMoveChangesNothing) {
    CategoryRecord* a = add(categories, categories.root(), "A", 5);
    CategoryRecord* b = add(categories, categories.root(), "B");
    fileSystem.failMoves = true;
    sink.clear();
    EXPECT_EQ(categories.moveUnder(a, b), kFolderMoveFailed);
    EXPECT_EQ(a->parent, categories.root());
    EXPECT_EQ(b->size(), 0);
    EXPECT_TRUE(fs::is_directory(resource("A")));
    EXPECT_TRUE(sink.received().empty());
}

TEST_F(CategoryStoreTest, MoveUnderRefusals) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    CategoryRecord* a1 = add(categories, a, "A1");
    CategoryRecord stranger;
    EXPECT_EQ(categories.moveUnder(nullptr, a), kMissingRecord);
    EXPECT_EQ(categories.moveUnder(&stranger, a), kNoRecord);
    EXPECT_EQ(categories.moveUnder(categories.root(), a), kNoRecord);
    EXPECT_EQ(categories.moveUnder(a, &stranger), kNoNewParent);
    EXPECT_EQ(categories.moveUnder(a, a1), kNotAllowed);
}

TEST_F(CategoryStoreTest, RecyclingMovesTheBlockWithItsIdsIntoAnIdNamedFolder) {
    CategoryRecord* a = add(categories, categories.root(), "Same");
    add(categories, a, "child");
    CategoryRecord* b = add(categories, categories.root(), "Same2");
    b->values.setValue(category::kName, "Same");
    fs::create_directories(resource("Same"));
    ASSERT_EQ(categories.moveUnder(a, recycle, recycle.root()), kOk);
    fs::path bin = dir / "Resource" / "回收站";
    EXPECT_TRUE(fs::is_directory(bin / "1_Same" / "child"));
    EXPECT_EQ(recycle.find(1), a);
    EXPECT_EQ(recycle.find(2)->owner, &recycle);
    EXPECT_EQ(categories.find(1), nullptr);
    EXPECT_EQ(categories.categoryCount(), 1u);
    EXPECT_EQ(recycle.folderOf(*recycle.find(2)), bin / "1_Same" / "child");
    // And back again.
    ASSERT_EQ(recycle.moveUnder(a, categories, categories.root()), kOk);
    EXPECT_TRUE(fs::is_directory(resource("Same/child")));
    EXPECT_EQ(recycle.categoryCount(), 0u);
}

TEST_F(CategoryStoreTest, AcrossFileSystemsAMoveCopiesAndDeletes) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    CategoryRecord* b = add(categories, categories.root(), "B");
    put(resource("A/doc.txt"), "content");
    fileSystem.renameCrossesDevices = true;
    ASSERT_EQ(categories.moveUnder(a, b), kOk);
    EXPECT_EQ(test::readBytes(resource("B/A/doc.txt")), "content");
    EXPECT_FALSE(fs::exists(resource("A")));
}

TEST_F(CategoryStoreTest, FolderOfLinkedCategories) {
    fs::path own = dir / "own folder";
    CategoryRecord* a = add(categories, categories.root(), "A");
    auto linked = std::make_unique<CategoryRecord>();
    linked->values.setValue(category::kName, "L");
    linked->values.setValue(category::kRelationPath, own.string());
    CategoryRecord* l = linked.get();
    ASSERT_EQ(categories.add(std::move(linked), a), kOk);
    CategoryRecord* inner = add(categories, l, "inner");
    EXPECT_EQ(categories.folderOf(*l), own);
    EXPECT_EQ(categories.folderOf(*inner), own / "inner");
    EXPECT_TRUE(CategoryStore::isLinked(*inner));
    EXPECT_FALSE(CategoryStore::isLinked(*a));
    EXPECT_EQ(categories.folderOf(*a), resource("A"));
    EXPECT_EQ(categories.folderOf(*categories.root()), dir / "Resource" / "分类列表");
}

TEST_F(CategoryStoreTest, FormerLocationPath) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    CategoryRecord* b = add(categories, a, "B");
    EXPECT_EQ(CategoryStore::formerLocationPath(*b), "\\A\\B");
    EXPECT_EQ(CategoryStore::formerLocationPath(*categories.root()), "\\");
}

TEST_F(CategoryStoreTest, NameCollisionLooksAtTheFolderWhenItExists) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    add(categories, a, "Known");
    put(resource("A/Unknown.TXT"), "");
    put(resource("A/.hidden"), "");
    EXPECT_TRUE(categories.nameExistsUnder(*a, "known"));
    EXPECT_TRUE(categories.nameExistsUnder(*a, "unknown.txt"));
    EXPECT_FALSE(categories.nameExistsUnder(*a, ".hidden"));
    EXPECT_FALSE(categories.nameExistsUnder(*a, "other"));
}

TEST_F(CategoryStoreTest, NameCollisionFallsBackToChildrenAndPoints) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    add(categories, a, "Known");
    auto point = std::make_unique<PointRecord>();
    point->id = 1;
    point->values.setValue(point::kName, "Note.rtf");
    ASSERT_EQ(categories.addPoint(*a, std::move(point)), kOk);
    fs::remove_all(resource("A"));
    EXPECT_TRUE(categories.nameExistsUnder(*a, "KNOWN"));
    EXPECT_TRUE(categories.nameExistsUnder(*a, "note.RTF"));
    EXPECT_FALSE(categories.nameExistsUnder(*a, "other"));
}

TEST_F(CategoryStoreTest, TheCategoryRootHoldsNoPoints) {
    put(indexFile("0.cps"), scrambledTable({{"id", "name", "state"}, {"4", "x", "0"}}));
    EXPECT_EQ(categories.pointsOf(*categories.root()).size(), 0u);
    EXPECT_EQ(categories.addPoint(*categories.root(), std::make_unique<PointRecord>()),
              kNotAllowed);
    EXPECT_EQ(recycle.pointsOf(*recycle.root()).size(), 1u);
}

TEST_F(CategoryStoreTest, AMissingContentFileLowersTheSizesAndRaisesTheCounters) {
    CategoryRecord* a = add(categories, categories.root(), "A", 0);
    CategoryRecord* b = add(categories, a, "B", 500);
    put(resource("A/B/present.rtf"), "p");
    fs::create_directories(resource("A/B/folder.mht"));
    put(indexFile("2.cps"), scrambledTable({{"id", "name", "point_size", "state"},
                                            {"7", "present.rtf", "100", "1"},
                                            {"9", "gone.doc", "300", "1"},
                                            {"12", "folder.mht", "50", "1"},
                                            {"0", "ignored", "1", "1"},
                                            {"3", "known missing", "40", "0"}}));
    PointList& list = categories.pointsOf(*b);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list.find(7)->values.value(point::kState), "1");
    EXPECT_EQ(list.find(9)->values.value(point::kState), "0");
    EXPECT_FALSE(list.find(9)->values.has(point::kPointSize));
    EXPECT_EQ(list.find(12)->values.value(point::kState), "0");
    EXPECT_EQ(list.find(3)->values.value(point::kPointSize), "40");
    EXPECT_EQ(b->size(), 500 - 300 - 50);
    EXPECT_EQ(a->size(), 500 - 350);
    EXPECT_TRUE(list.changed());
    EXPECT_EQ(counters.highest(IdKind::Point), 12);
    EXPECT_EQ(counters.highest(IdKind::Comment), 12);
    EXPECT_EQ(list.find(12)->displayType->kind, PointKind::Web);
    EXPECT_EQ(list.find(7)->displayType->kind, PointKind::General);
    EXPECT_EQ(displayTypes.size(), 4u);
}

// Lists read with the standard header share it; a save that must add a column for a value
// moved in from another file changes that one list's header only.
TEST_F(CategoryStoreTest, AColumnAddedForOneListLeavesTheOtherListsHeadersAlone) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    CategoryRecord* b = add(categories, categories.root(), "B");
    CategoryRecord* c = add(categories, categories.root(), "C");
    std::vector<std::string> standard(point::kNames.begin(), point::kNames.end());
    std::vector<std::string> row(standard.size());
    row[point::kId] = "5";
    row[point::kName] = "b.rtf";
    put(indexFile("2.cps"), scrambledTable({standard, row}));
    put(indexFile("3.cps"), scrambledTable({{"id", "name", "extra"}, {"9", "c.rtf", "kept"}}));
    PointList& listA = categories.pointsOf(*a);
    PointList& listB = categories.pointsOf(*b);
    PointList& listC = categories.pointsOf(*c);
    ASSERT_EQ(listB.size(), 1u);
    ASSERT_EQ(listC.size(), 1u);

    ASSERT_EQ(listA.add(listC.take(listC.find(9))), kOk);
    ASSERT_EQ(listA.save(), kOk);
    ASSERT_EQ(listB.save(), kOk);

    std::vector<std::string> grown = standard;
    grown.push_back("extra");
    std::vector<std::string> moved(grown.size());
    moved[point::kId] = "9";
    moved[point::kName] = "c.rtf";
    moved.back() = "kept";
    EXPECT_EQ(test::readBytes(indexFile("1.cps")), scrambledTable({grown, moved}));
    EXPECT_EQ(test::readBytes(indexFile("2.cps")), scrambledTable({standard, row}));
}

TEST_F(CategoryStoreTest, APointListWithoutAnIdColumnIsDamagedAndEmpty) {
    CategoryRecord* a = add(categories, categories.root(), "A");
    put(indexFile("1.cps"), scrambledTable({{"name"}, {"x"}}));
    PointList& list = categories.pointsOf(*a);
    EXPECT_EQ(list.loadResult(), kDamagedFile);
    EXPECT_EQ(list.size(), 0u);
}

TEST_F(CategoryStoreTest, RecyclePointsLiveUnderTheirIdInTheRecycleFolder) {
    auto point = std::make_unique<PointRecord>();
    point->id = 8;
    point->values.setValue(point::kName, "n.rtf");
    EXPECT_EQ(recycle.contentPathOf(*recycle.root(), *point),
              dir / "Resource" / "回收站" / "8_n.rtf");
}

TEST(DataLayoutTest, CommentAndAttachmentPaths) {
    DataLayout layout("/data");
    EXPECT_EQ(layout.commentFile(7, "a.rtf"), fs::path("/data/Comment/7_a.rtf.rtf"));
    EXPECT_EQ(layout.pointListFile(0), fs::path("/data/Index/0.cps"));
    EXPECT_EQ(layout.attachmentListFile(12), fs::path("/data/Index/12.cas"));
    AttachmentRecord copy;
    copy.id = 5;
    copy.values.setValue(attachment::kName, "报告.pdf");
    copy.values.setValue(attachment::kLinkPath, "/elsewhere/x.pdf");
    EXPECT_EQ(attachmentPath(layout, copy), fs::path("/data/Append/5_报告.pdf"));
    copy.values.setInteger(attachment::kIsLinked, 1);
    EXPECT_EQ(attachmentPath(layout, copy), fs::path("/elsewhere/x.pdf"));
}

} // namespace
} // namespace tarnel::store
