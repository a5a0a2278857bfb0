#include "ops/category_move.h"
#include "ops/category_removal.h"
#include "ops/category_restore.h"
#include "ops/operation_messages.h"
#include "ops/point_restore.h"
#include "store/attribute_tables.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::Answer;
using app::Buttons;
using app::MessageIcon;
using store::CategoryRecord;
using store::ChangeNotification;
using store::StoreKind;
using test::asked;
using test::shown;
using test::Snapshot;
using test::snapshotOf;
using ::testing::ElementsAre;
namespace category = store::category;
namespace point = store::point;

constexpr StoreKind kCat = StoreKind::Category;
constexpr StoreKind kBin = StoreKind::Recycle;

class RecycleBinTest : public test::OpsTest {
protected:
    CategoryRecord* a = nullptr;
    CategoryRecord* b = nullptr;
    CategoryRecord* c = nullptr;
    store::PointRecord* note = nullptr;

    // A/B with a point in B, and C beside A.
    void SetUp() override {
        OpsTest::SetUp();
        a = makeCategory(categories().root(), "A");
        b = makeCategory(a, "B");
        c = makeCategory(categories().root(), "C");
        note = makePoint(*b, "note.rtf", "12345");
        sink.clear();
    }

    void tagNote(store::TagRecord& tag) {
        note->values.setValue(point::kTagsId, store::listWith("", tag.id));
        tag.values.setValue(store::tag::kClass, store::listWith("", b->id));
        tag.values.setInteger(store::tag::kPointNum, 1);
        ASSERT_EQ(base.saveAll(), 0);
    }

    void recycleAnswered(CategoryRecord& category) {
        prompt.script({Answer::Yes});
        ASSERT_TRUE(recycleCategory(context, category).ok());
        prompt.clear();
        sink.clear();
    }
};

TEST_F(RecycleBinTest, RecyclingMovesTheSubtreeWithItsFilesAndReportsInOrder) {
    prompt.script({Answer::Yes});
    ASSERT_TRUE(recycleCategory(context, *a).ok());
    EXPECT_THAT(prompt.events(), ElementsAre(asked("确实要把分类“A”放入回收站吗?",
                                                   MessageIcon::Question, Buttons::YesNo)));
    EXPECT_THAT(sink.received(),
                ElementsAre(ChangeNotification{4, kCat, 0, 0}, ChangeNotification{7, kCat, 1, 0},
                            ChangeNotification{7, kCat, 2, 0}, ChangeNotification{4, kBin, 0, 0},
                            ChangeNotification{1, kBin, 1, 0}));
    EXPECT_EQ(test::readBytes(recycleFolder("1_A/B/note.rtf")), "12345");
    EXPECT_FALSE(fs::exists(resource("A")));
    test::Rows bin = test::tableRows(indexFile("recycle_kms.cls"));
    ASSERT_EQ(bin.size(), 3u);
    EXPECT_EQ(bin[1], (std::vector<std::string>{"1", "0", "A", "0", "5", "", "1", "", "",
                                                test::kNow, "", "", "", "", "\\"}));
    EXPECT_EQ(bin[2][2], "B");
    EXPECT_EQ(bin[2][14], "");
    EXPECT_EQ(test::tableRows(indexFile("kms.cls")).size(), 2u); // header and C
    EXPECT_EQ(test::tableRows(indexFile("2.cps"))[1][2], "note.rtf");
}

TEST_F(RecycleBinTest, TwoRecycledCategoriesOfOneNameGetTwoFolders) {
    recycleAnswered(*c);
    CategoryRecord* again = makeCategory(categories().root(), "C");
    recycleAnswered(*again);
    EXPECT_TRUE(fs::is_directory(recycleFolder("3_C")));
    EXPECT_TRUE(fs::is_directory(recycleFolder("4_C")));
}

TEST_F(RecycleBinTest, DeclinedOrFailedRecyclingLeavesTheDiskAsItStood) {
    Snapshot before = snapshotOf(data());
    prompt.script({Answer::No});
    EXPECT_EQ(recycleCategory(context, *a).code, kDeclined);

    fileSystem.renameCrossesDevices = true;
    fileSystem.failCopiesOf = "note.rtf";
    prompt.script({Answer::Yes});
    EXPECT_EQ(recycleCategory(context, *a).code, store::kFolderMoveFailed);

    fileSystem.renameCrossesDevices = false;
    fileSystem.failCopiesOf.clear();
    fileSystem.failWritesTo = "kms.cls"; // the recycle store saves, the category store does not
    prompt.script({Answer::Yes});
    EXPECT_EQ(recycleCategory(context, *a).code, store::kSaveFailed);

    EXPECT_EQ(prompt.events().back(), shown("删除分类失败!", MessageIcon::Error));
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_EQ(a->owner, &categories());
    EXPECT_EQ(categories().children(categories().root()).front(), a);
    EXPECT_EQ(recycle().categoryCount(), 0u);
}

TEST_F(RecycleBinTest, RecyclingAcrossFileSystemsCopiesThenDeletes) {
    fileSystem.renameCrossesDevices = true;
    recycleAnswered(*a);
    EXPECT_EQ(test::readBytes(recycleFolder("1_A/B/note.rtf")), "12345");
    EXPECT_FALSE(fs::exists(resource("A")));
}

TEST_F(RecycleBinTest, RecycledPointsLeaveTheirTagsAndRejoinOnRestore) {
    store::TagRecord* tag = makeTag("T");
    tagNote(*tag);
    sink.clear();
    prompt.script({Answer::Yes});
    ASSERT_TRUE(recycleCategory(context, *a).ok());
    EXPECT_THAT(
        std::vector<ChangeNotification>(sink.received().begin() + 3, sink.received().begin() + 5),
        ElementsAre(ChangeNotification{35, kCat, note->id, tag->id},
                    ChangeNotification{33, StoreKind::Tag, tag->id, 0}));
    EXPECT_EQ(test::tableRows(indexFile("kms.tags"))[1][4], ";");
    EXPECT_EQ(test::tableRows(indexFile("kms.tags"))[1][5], "0");
    EXPECT_EQ(note->values.value(point::kTagsId), ";1;");

    ASSERT_TRUE(restoreCategory(context, *a, nullptr).ok());
    EXPECT_EQ(test::tableRows(indexFile("kms.tags"))[1][4], ";2;");
    EXPECT_EQ(test::tableRows(indexFile("kms.tags"))[1][5], "1");
    EXPECT_EQ(test::readBytes(resource("A/B/note.rtf")), "12345");
    EXPECT_FALSE(fs::exists(indexFile("recycle_kms.cls")));
    test::Rows rows = test::tableRows(indexFile("kms.cls"));
    EXPECT_EQ(rows[1][2], "C");
    EXPECT_EQ(rows[2],
              (std::vector<std::string>{"1", "0", "A", "0", "5", "", "1", "", "", "", "", "", ""}));
}

TEST_F(RecycleBinTest, DragAndDropIgnoresImpossibleDrops) {
    auto linked = std::make_unique<CategoryRecord>();
    test::TempDir own;
    linked->values.setValue(category::kName, "L");
    linked->values.setValue(category::kRelationPath, own.path().string());
    CategoryRecord* l = linked.get();
    ASSERT_EQ(categories().add(std::move(linked), categories().root()), 0);
    ASSERT_EQ(base.saveAll(), 0);
    Snapshot before = snapshotOf(data());
    for (auto [moved, target] : std::vector<std::pair<CategoryRecord*, CategoryRecord*>>{
             {a, a}, {a, categories().root()}, {a, b}, {b, a}, {c, l}, {l, c}}) {
        EXPECT_EQ(moveCategory(context, *moved, *target, MoveWay::DragAndDrop).code, kNotMovable);
    }
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_TRUE(sink.received().empty());
    EXPECT_EQ(snapshotOf(data()), before);
}

TEST_F(RecycleBinTest, DragAndDropAsksAndMoves) {
    makeCategory(c, "b");
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(moveCategory(context, *b, *c, MoveWay::DragAndDrop).code, kNameTaken);
    prompt.script({Answer::No});
    EXPECT_EQ(moveCategory(context, *a, *c, MoveWay::DragAndDrop).code, kDeclined);
    EXPECT_EQ(snapshotOf(data()), before);
    prompt.script({Answer::Yes});
    ASSERT_TRUE(moveCategory(context, *b, *categories().root(), MoveWay::DragAndDrop).ok());
    prompt.script({Answer::Yes});
    ASSERT_TRUE(moveCategory(context, *a, *c, MoveWay::DragAndDrop).ok());
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(
            shown("目标分类下已经存在此分类，无法移动！", MessageIcon::Error),
            asked("真的要将分类:'A' 移动到 分类:'C' 下吗?", MessageIcon::Question, Buttons::YesNo),
            asked("真的要将分类:'B' 移动到 顶级分类 下吗?", MessageIcon::Question, Buttons::YesNo),
            asked("真的要将分类:'A' 移动到 分类:'C' 下吗?", MessageIcon::Question,
                  Buttons::YesNo)));
    EXPECT_EQ(codes().back(), 11);
    EXPECT_EQ(test::readBytes(resource("B/note.rtf")), "12345");
    EXPECT_TRUE(fs::is_directory(resource("C/A")));
    EXPECT_EQ(b->size(), 5);
    EXPECT_EQ(a->size(), 0);
}

TEST_F(RecycleBinTest, DialogMoveReportsFailure) {
    EXPECT_TRUE(moveCategory(context, *b, *a, MoveWay::Dialog).ok());
    EXPECT_TRUE(prompt.events().empty());
    Snapshot before = snapshotOf(data());
    fileSystem.failRenamesOf = "/B";
    EXPECT_EQ(moveCategory(context, *b, *c, MoveWay::Dialog).code, store::kFolderMoveFailed);
    EXPECT_THAT(prompt.events(), ElementsAre(shown("移动分类失败!", MessageIcon::Error)));
    EXPECT_EQ(snapshotOf(data()), before);
}

TEST_F(RecycleBinTest, DeletingARecycledCategoryRemovesItsFilesAndSideFiles) {
    note->values.setInteger(point::kHasComment, 1);
    fs::path comment = base.layout().commentFile(note->id, "note.rtf");
    test::writeBytes(comment, "comment");
    ASSERT_EQ(base.saveAll(), 0);
    recycleAnswered(*a);
    Snapshot before = snapshotOf(data());
    prompt.script({Answer::Cancel});
    EXPECT_EQ(deleteCategory(context, *a).code, kDeclined);
    EXPECT_EQ(snapshotOf(data()), before);
    prompt.script({Answer::Ok});
    ASSERT_TRUE(deleteCategory(context, *a).ok());
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(asked("确定要删除分类“A”吗？", MessageIcon::Question, Buttons::OkCancel),
                    asked("确定要删除分类“A”吗？", MessageIcon::Question, Buttons::OkCancel),
                    shown("删除分类“A”成功!", MessageIcon::Information)));
    EXPECT_EQ(codes(), (std::vector<int>{7, 7, 4}));
    EXPECT_FALSE(fs::exists(recycleFolder("1_A")));
    EXPECT_FALSE(fs::exists(indexFile("2.cps")));
    EXPECT_FALSE(fs::exists(comment));
    EXPECT_FALSE(fs::exists(indexFile("recycle_kms.cls")));
}

TEST_F(RecycleBinTest, AFailedSaveOfAPermanentDeleteKeepsEverything) {
    recycleAnswered(*a);
    Snapshot before = snapshotOf(data());
    fileSystem.failRemovesOf = "recycle_kms.cls";
    prompt.script({Answer::Ok});
    EXPECT_EQ(deleteCategory(context, *a).code, store::kSaveFailed);
    EXPECT_EQ(prompt.events().back(), shown("删除分类失败!", MessageIcon::Error));
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_EQ(recycle().categoryCount(), 2u);
}

TEST_F(RecycleBinTest, UnlinkingKeepsTheUsersFilesAndDropsTheIndexFiles) {
    test::TempDir own;
    fs::create_directories(own / "sub");
    test::writeBytes(own / "sub" / "doc.txt", "mine");
    auto linked = std::make_unique<CategoryRecord>();
    linked->values.setValue(category::kName, "L");
    linked->values.setValue(category::kRelationPath, own.path().string());
    CategoryRecord* l = linked.get();
    ASSERT_EQ(categories().add(std::move(linked), categories().root()), 0);
    CategoryRecord* sub = makeCategory(l, "sub");
    store::PointRecord* doc = makePoint(*sub, "doc.txt", "mine");
    doc->values.setInteger(point::kHasComment, 1);
    fs::path comment = base.layout().commentFile(doc->id, "doc.txt");
    test::writeBytes(comment, "c");
    ASSERT_EQ(base.saveAll(), 0);
    fs::path list = indexFile(store::decimal(sub->id) + ".cps");
    ASSERT_TRUE(fs::exists(list));
    prompt.script({Answer::Ok});
    ASSERT_TRUE(recycleCategory(context, *l).ok());
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(asked("确定要解除关联分类“L”吗？", MessageIcon::Question, Buttons::OkCancel),
                    shown("解除关联分类“L”成功!", MessageIcon::Information)));
    EXPECT_EQ(test::readBytes(own / "sub" / "doc.txt"), "mine");
    EXPECT_FALSE(fs::exists(list));
    EXPECT_FALSE(fs::exists(comment));
    EXPECT_TRUE(fs::is_directory(own.path()));
}

TEST_F(RecycleBinTest, RestoringRecreatesAMissingFormerLocation) {
    recycleAnswered(*b);
    prompt.script({Answer::Yes});
    ASSERT_TRUE(recycleCategory(context, *a).ok());
    sink.clear();
    ASSERT_TRUE(restoreCategory(context, *b, nullptr).ok());
    CategoryRecord* recreated = byPath("A");
    ASSERT_NE(recreated, nullptr);
    EXPECT_NE(recreated, a);
    EXPECT_EQ(recreated->values.integer(category::kStarNum), 1);
    EXPECT_EQ(recreated->values.value(category::kCreateDate), test::kNow);
    EXPECT_EQ(test::readBytes(resource("A/B/note.rtf")), "12345");
    EXPECT_EQ(codes().front(), 1);
    EXPECT_EQ(recreated->size(), 5);
}

TEST_F(RecycleBinTest, AFailedRestoreTakesTheRecreatedLocationAway) {
    recycleAnswered(*b);
    prompt.script({Answer::Yes});
    ASSERT_TRUE(recycleCategory(context, *a).ok());
    prompt.clear();
    Snapshot before = snapshotOf(data());
    fileSystem.failRenamesOf = "2_B";
    EXPECT_EQ(restoreCategory(context, *b, nullptr).code, store::kFolderMoveFailed);
    EXPECT_THAT(prompt.events(), ElementsAre(shown("还原分类“B”时失败！", MessageIcon::Error)));
    Snapshot after = snapshotOf(data());
    after.erase("Index/kms.ids");
    before.erase("Index/kms.ids");
    EXPECT_EQ(after, before);
    EXPECT_EQ(byPath("A"), nullptr);
}

TEST_F(RecycleBinTest, MergingAsksForEveryCollidingPointAndKeepsDeclinedOnes) {
    makePoint(*b, "keep.rtf", "k");
    long long readme = makePoint(*b, "readme", "r")->id;
    recycleAnswered(*b);
    CategoryRecord* fresh = makeCategory(a, "B");
    makePoint(*fresh, "note.rtf", "new");
    makePoint(*fresh, "note(1).rtf", "new1");
    makePoint(*fresh, "keep.rtf", "new");
    makePoint(*fresh, "readme", "new");
    sink.clear();
    prompt.script({Answer::Yes, Answer::No, Answer::Yes});
    ASSERT_TRUE(restoreCategory(context, *b, nullptr).ok());
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(asked("原位置“\\A\\B”已经存在相同名称的知识点，是否重命名为“note(2).rtf”？",
                          MessageIcon::Question, Buttons::YesNoCancel),
                    asked("原位置“\\A\\B”已经存在相同名称的知识点，是否重命名为“keep(1).rtf”？",
                          MessageIcon::Question, Buttons::YesNoCancel),
                    asked("原位置“\\A\\B”已经存在相同名称的知识点，是否重命名为“readme(1)”？",
                          MessageIcon::Question, Buttons::YesNoCancel)));
    EXPECT_EQ(test::readBytes(resource("A/B/note(2).rtf")), "12345");
    EXPECT_EQ(test::readBytes(resource("A/B/readme(1)")), "r");
    EXPECT_EQ(test::readBytes(resource("A/B/keep.rtf")), "new");
    // The declined point stays in the recycle bin with its category.
    EXPECT_TRUE(recycle().contains(b));
    ASSERT_EQ(recycle().pointsOf(*b).size(), 1u);
    EXPECT_EQ(recycle().pointsOf(*b).records().front()->name(), "keep.rtf");
    EXPECT_EQ(test::readBytes(recycleFolder("2_B/keep.rtf")), "k");
    EXPECT_EQ(fresh->values.integer(category::kPointNum), 6);
    EXPECT_EQ(fresh->size(), 3 + 4 + 3 + 3 + 5 + 1);
    EXPECT_NE(fresh->points->find(readme), nullptr);
}

TEST_F(RecycleBinTest, CancelStopsTheMergeAndAMergeWithoutCollisionsEmptiesTheBin) {
    recycleAnswered(*b);
    CategoryRecord* fresh = makeCategory(a, "B");
    makePoint(*fresh, "note.rtf", "new");
    Snapshot before = snapshotOf(data());
    prompt.script({Answer::Cancel});
    EXPECT_EQ(restoreCategory(context, *b, nullptr).code, kCancelled);
    EXPECT_EQ(snapshotOf(data()), before);

    prompt.clear();
    CategoryRecord* d = makeCategory(c, "B");
    ASSERT_TRUE(restoreCategory(context, *b, c).ok());
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(test::readBytes(resource("C/B/note.rtf")), "12345");
    EXPECT_FALSE(fs::exists(indexFile("recycle_kms.cls")));
    EXPECT_FALSE(fs::exists(recycleFolder("2_B")));
    EXPECT_EQ(d->values.integer(category::kPointNum), 1);
}

TEST_F(RecycleBinTest, EmptyingTheBinDeletesPointsAndCategories) {
    recycleAnswered(*a);
    CategoryRecord& root = *recycle().root();
    store::PointRecord* single = makePoint(root, "lone.rtf", "x");
    ASSERT_TRUE(fs::exists(recycleFolder(store::decimal(single->id) + "_lone.rtf")));
    prompt.script({Answer::Cancel});
    EXPECT_EQ(emptyRecycleBin(context).code, kDeclined);
    prompt.script({Answer::Ok});
    ASSERT_TRUE(emptyRecycleBin(context).ok());
    EXPECT_THAT(prompt.events().back(),
                asked("确实要清空回收站吗？", MessageIcon::Question, Buttons::OkCancel));
    EXPECT_FALSE(fs::exists(indexFile("0.cps")));
    EXPECT_FALSE(fs::exists(indexFile("recycle_kms.cls")));
    int err = 0;
    EXPECT_TRUE(fileSystem.listDirectory(recycleFolder(""), err).empty());
    EXPECT_EQ(recycle().categoryCount(), 0u);
}

TEST(FreePointNameTest, CountsUpBeforeTheExtension) {
    auto takenOf = [](std::vector<std::string> names) {
        return [names](const std::string& n) {
            return std::find(names.begin(), names.end(), n) != names.end();
        };
    };
    EXPECT_EQ(freePointName("a.rtf", takenOf({"a(1).rtf"})), "a(2).rtf");
    EXPECT_EQ(freePointName("readme", takenOf({})), "readme(1)");
    EXPECT_EQ(freePointName("x.tar.gz", takenOf({})), "x.tar(1).gz");
}

} // namespace
} // namespace tarnel::ops
