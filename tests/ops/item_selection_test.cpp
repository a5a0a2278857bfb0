#include "ops/item_selection.h"
#include "ops/tag_points.h"
#include "store/attribute_tables.h"
#include "tests/ops/ops_fixture.h"
#include "tests/support/scoped_environment.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::Answer;
using app::Buttons;
using app::MessageIcon;
using store::CategoryRecord;
using store::TagRecord;
using test::asked;
using test::shown;
using ::testing::ElementsAre;
namespace point = store::point;

class ItemSelectionTest : public test::OpsTest {
protected:
    test::TempDir outside;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", (outside / "data").string()};
    platform::Trash trash{fileSystem};
    CategoryRecord* a = nullptr;
    CategoryRecord* b = nullptr;
    CategoryRecord* c = nullptr;
    CategoryRecord* l = nullptr;
    TagRecord* t = nullptr;
    TagRecord* sub = nullptr;
    TagRecord* other = nullptr;

    // A/B with a point, C with a point, the linked L with a point; tags T/Sub and Other.
    void SetUp() override {
        OpsTest::SetUp();
        a = makeCategory(categories().root(), "A");
        b = makeCategory(a, "B");
        c = makeCategory(categories().root(), "C");
        fs::create_directories(outside / "own");
        auto linked = std::make_unique<CategoryRecord>();
        linked->values.setValue(store::category::kName, "L");
        linked->values.setValue(store::category::kRelationPath, (outside / "own").string());
        l = linked.get();
        EXPECT_EQ(categories().add(std::move(linked), categories().root()), 0);
        makePoint(*b, "inner.rtf");
        makePoint(*c, "c.rtf");
        makePoint(*l, "own.doc");
        t = makeTag("T");
        sub = makeTag("Sub", t);
        other = makeTag("Other");
        ASSERT_TRUE(
            setTagsOfPoints(context, {{c, c->points->records().front().get()}}, {sub->id}).ok());
        sink.clear();
    }

    SelectedItem pointOf(CategoryRecord* category) {
        return SelectedItem::ofPoint(*category, *category->points->records().front());
    }

    // Three categories (A, X, the linked L), three points of C and L, the tags T and Other; a
    // point of C that stays carries Other, so that C's list is touched by points and tags alike.
    std::vector<SelectedItem> wideSelection() {
        CategoryRecord* x = makeCategory(categories().root(), "X");
        store::PointRecord* second = makePoint(*c, "c2.rtf");
        store::PointRecord* kept = makePoint(*c, "kept.rtf");
        EXPECT_TRUE(setTagsOfPoints(context, {{c, kept}}, {other->id}).ok());
        makePoint(*l, "own2.doc");
        sink.clear();
        return {SelectedItem::ofCategory(*a),
                SelectedItem::ofCategory(*x),
                SelectedItem::ofCategory(*b),
                pointOf(c),
                SelectedItem::ofPoint(*c, *second),
                pointOf(l),
                SelectedItem::ofTag(*t),
                SelectedItem::ofTag(*other)};
    }
};

TEST_F(ItemSelectionTest, ItemsUnderASelectedAncestorAreLeftOut) {
    std::vector<SelectedItem> kept =
        itemsToHandle({SelectedItem::ofCategory(*b), pointOf(b), SelectedItem::ofCategory(*a),
                       SelectedItem::ofTag(*sub), SelectedItem::ofTag(*t), pointOf(c), pointOf(c)});
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].category, a);
    EXPECT_EQ(kept[1].tag, t);
    EXPECT_EQ(kept[2].point, c->points->records().front().get());
}

TEST_F(ItemSelectionTest, DeletingSeveralRecyclesDeletesAndAsksOnce) {
    std::vector<SelectedItem> selection = {
        SelectedItem::ofCategory(*a), pointOf(b), pointOf(c), pointOf(l), SelectedItem::ofTag(*t),
        SelectedItem::ofTag(*sub)};
    long long tagId = t->id;
    prompt.script({Answer::Yes});
    ASSERT_TRUE(deleteSeveral(context, trash, selection).ok());
    EXPECT_THAT(prompt.events(), ElementsAre(asked("确实要将这 6 项放入回收站吗？",
                                                   MessageIcon::Question, Buttons::YesNo)));
    EXPECT_TRUE(recycle().contains(a));
    EXPECT_TRUE(fs::exists(recycleFolder("1_A/B/inner.rtf")));
    ASSERT_EQ(recycle().pointsOf(*recycle().root()).size(), 1u);
    EXPECT_TRUE(fs::exists(recycleFolder("2_c.rtf")));
    EXPECT_TRUE(fs::exists(outside / "data" / "Trash" / "files" / "own.doc"));
    EXPECT_FALSE(fs::exists(outside / "own" / "own.doc"));
    EXPECT_EQ(base.tags().tagCount(), 1u);
    EXPECT_TRUE(rowOf("kms.tags", tagId).empty());
    EXPECT_EQ(rowOf("0.cps", 2)[4], ";" + std::to_string(tagId + 1) + ";");
}

TEST_F(ItemSelectionTest, DeletingSeveralWritesEachTouchedIndexFileOnce) {
    std::vector<SelectedItem> selection = wideSelection();
    fileSystem.indexWrites.clear();
    prompt.script({Answer::Yes});
    ASSERT_TRUE(deleteSeveral(context, trash, selection).ok());
    std::string list = std::to_string(c->id) + ".cps";
    std::string linkedList = std::to_string(l->id) + ".cps";
    EXPECT_EQ(fileSystem.indexWrites, (std::map<std::string, int>{{"kms.cls", 1},
                                                                  {"recycle_kms.cls", 1},
                                                                  {"kms.tags", 1},
                                                                  {"0.cps", 1},
                                                                  {list, 1},
                                                                  {linkedList, 1}}));
    EXPECT_EQ(recycle().pointsOf(*recycle().root()).size(), 2u);
    EXPECT_EQ(rowOf(list, c->points->records().front()->id)[4], "");
    EXPECT_TRUE(fs::exists(outside / "data" / "Trash" / "files" / "own.doc"));
    EXPECT_EQ(base.tags().tagCount(), 0u);
    std::vector<int> sent = codes(); // passed on after the commit, in the order of the changes
    ASSERT_GE(sent.size(), 2u);
    EXPECT_THAT(std::vector<int>(sent.end() - 2, sent.end()), ElementsAre(32, 5));
}

TEST_F(ItemSelectionTest, AFailureDeletingSeveralLeavesEverythingAsItStood) {
    std::vector<SelectedItem> selection = wideSelection();
    test::Snapshot data0 = test::snapshotOf(data());
    test::Snapshot own0 = test::snapshotOf(outside / "own");
    std::size_t tags0 = base.tags().tagCount();
    fileSystem.failWritesTo = "Index/kms.cls";
    prompt.script({Answer::Yes});
    EXPECT_EQ(deleteSeveral(context, trash, selection).code, store::kSaveFailed);
    fileSystem.failWritesTo = "Index/" + std::to_string(c->id) + ".cps";
    prompt.script({Answer::Yes});
    EXPECT_EQ(deleteSeveral(context, trash, selection).code, store::kSaveFailed);
    fileSystem.failWritesTo.clear();
    fileSystem.failRenamesOf = "Trash"; // after every file was written
    prompt.script({Answer::Yes});
    EXPECT_EQ(deleteSeveral(context, trash, selection).code, kTrashFailed);

    EXPECT_EQ(test::snapshotOf(data()), data0);
    EXPECT_EQ(test::snapshotOf(outside / "own"), own0);
    EXPECT_TRUE(test::snapshotOf(outside / "data" / "Trash" / "files").empty());
    const auto question =
        asked("确实要将这 8 项放入回收站吗？", MessageIcon::Question, Buttons::YesNo);
    EXPECT_THAT(prompt.events(),
                ElementsAre(question, shown("删除分类失败!", MessageIcon::Error), question,
                            shown("删除知识点失败！", MessageIcon::Error), question,
                            shown("删除知识点失败！", MessageIcon::Error)));
    EXPECT_TRUE(sink.received().empty());
    EXPECT_EQ(a->owner, &categories());
    EXPECT_EQ(c->points->size(), 3u);
    EXPECT_EQ(l->points->size(), 2u);
    EXPECT_EQ(base.tags().tagCount(), tags0);
}

TEST_F(ItemSelectionTest, AnItemThatCannotMoveTakesTheMovedOnesBack) {
    test::Snapshot before = test::snapshotOf(data());
    EXPECT_EQ(moveSeveral(context, {SelectedItem::ofCategory(*b), pointOf(l)}, c, nullptr).code,
              kNotMovable);
    EXPECT_EQ(test::snapshotOf(data()), before);
    EXPECT_EQ(b->parent, a);
    EXPECT_THAT(prompt.events(), ElementsAre(shown("移动知识点失败!", MessageIcon::Error)));
    EXPECT_TRUE(sink.received().empty());
}

TEST_F(ItemSelectionTest, MovingSeveralSkipsImpossibleTargetsAndMovesTheRest) {
    std::vector<SelectedItem> selection = {SelectedItem::ofCategory(*b), pointOf(c),
                                           SelectedItem::ofCategory(*c), SelectedItem::ofTag(*sub),
                                           SelectedItem::ofTag(*other)};
    ASSERT_TRUE(moveSeveral(context, selection, c, t).ok());
    EXPECT_EQ(b->parent, c);
    EXPECT_EQ(c->parent, categories().root());
    EXPECT_TRUE(fs::exists(resource("C/B/inner.rtf")));
    EXPECT_EQ(other->parent, t);
    EXPECT_EQ(sub->parent, t);
    EXPECT_EQ(rowOf("kms.tags", other->id)[1], std::to_string(t->id));
    EXPECT_TRUE(prompt.events().empty());
}

TEST_F(ItemSelectionTest, AFailedSaveOfMovedTagsPutsThemBack) {
    TagRecord* last = makeTag("Last");
    test::Snapshot before = test::snapshotOf(data());
    fileSystem.failWritesTo = "kms.tags";
    EXPECT_EQ(
        moveSeveral(context, {SelectedItem::ofTag(*t), SelectedItem::ofTag(*other)}, nullptr, last)
            .code,
        store::kSaveFailed);
    EXPECT_EQ(test::snapshotOf(data()), before);
    std::vector<TagRecord*> top = base.tags().children(base.tags().root());
    EXPECT_THAT(top, ElementsAre(t, other, last));
    EXPECT_EQ(sub->parent, t);
}

} // namespace
} // namespace tarnel::ops
