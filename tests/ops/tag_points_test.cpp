#include "ops/point_tags.h"
#include "ops/tag_points.h"
#include "store/attribute_tables.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using store::CategoryRecord;
using store::ChangeNotification;
using store::PointRecord;
using store::StoreKind;
using store::TagRecord;
using test::asked;
using test::shown;
using test::Snapshot;
using test::snapshotOf;
using ::testing::ElementsAre;
namespace point = store::point;
namespace tag = store::tag;

constexpr StoreKind kCat = StoreKind::Category;
constexpr StoreKind kTag = StoreKind::Tag;

class TagPointsTest : public test::OpsTest {
protected:
    CategoryRecord* k = nullptr;
    CategoryRecord* m = nullptr;
    PointRecord* p1 = nullptr;
    PointRecord* p2 = nullptr;
    PointRecord* q = nullptr;
    std::vector<TagRecord*> tags;

    // Categories K (points p1, p2) and M (point q); tags 1 to 7, 7 under 3.
    void SetUp() override {
        OpsTest::SetUp();
        k = makeCategory(categories().root(), "K");
        m = makeCategory(categories().root(), "M");
        p1 = makePoint(*k, "p1.rtf");
        p2 = makePoint(*k, "p2.rtf");
        q = makePoint(*m, "q.rtf");
        for (int i = 1; i <= 6; ++i) {
            tags.push_back(makeTag("t" + std::to_string(i)));
        }
        tags.push_back(makeTag("t7", tags[2]));
        sink.clear();
    }

    std::string tagValue(int id, int attribute) { return rowOf("kms.tags", id)[attribute]; }

    void setTags(PointRecord* p, CategoryRecord* c, std::vector<long long> ids) {
        ASSERT_TRUE(setTagsOfPoints(context, {{c, p}}, ids).ok());
    }
};

TEST_F(TagPointsTest, SettingTagsWritesBothListsAndCountsAndClearsToEmpty) {
    setTags(p1, k, {3, 7});
    EXPECT_EQ(rowOf("1.cps", p1->id)[4], ";3;7;");
    EXPECT_EQ(tagValue(3, tag::kClass), ";1;");
    EXPECT_EQ(tagValue(7, tag::kPointNum), "1");
    EXPECT_THAT(sink.received(), ElementsAre(ChangeNotification{33, kTag, 3, 0},
                                             ChangeNotification{34, kCat, p1->id, 3},
                                             ChangeNotification{33, kTag, 7, 0},
                                             ChangeNotification{34, kCat, p1->id, 7},
                                             ChangeNotification{5, kCat, p1->id, k->id}));
    sink.clear();
    setTags(p1, k, {});
    EXPECT_EQ(rowOf("1.cps", p1->id)[4], "");
    EXPECT_EQ(tagValue(3, tag::kPointNum), "0");
    EXPECT_EQ(tagValue(7, tag::kPointNum), "0");
    EXPECT_EQ(tagValue(3, tag::kClass), ";");
    EXPECT_THAT(codes(), ElementsAre(33, 35, 33, 35, 5));
}

TEST_F(TagPointsTest, ACategoryLeavesATagOnlyWithItsLastPoint) {
    ASSERT_TRUE(setTagsOfPoints(context, {{k, p1}, {k, p2}, {m, q}}, {2}).ok());
    EXPECT_EQ(tagValue(2, tag::kClass), ";1;2;");
    EXPECT_EQ(tagValue(2, tag::kPointNum), "3");
    setTags(p1, k, {});
    EXPECT_EQ(tagValue(2, tag::kClass), ";1;2;");
    setTags(p2, k, {4});
    EXPECT_EQ(tagValue(2, tag::kClass), ";2;");
    EXPECT_EQ(tagValue(2, tag::kPointNum), "1");
}

TEST_F(TagPointsTest, ReadingATagListSkipsUnknownRootAndRepeatedIds) {
    p1->values.setValue(point::kTagsId, ";0;3;99;x;3;-2;5");
    EXPECT_THAT(tagsOf(base.tags(), *p1), ElementsAre(3, 5));
}

TEST_F(TagPointsTest, ListingATagRepairsItsCount) {
    ASSERT_TRUE(setTagsOfPoints(context, {{k, p1}, {m, q}}, {1}).ok());
    tags[0]->values.setInteger(tag::kPointNum, 9);
    ASSERT_EQ(base.saveStore(StoreKind::Tag), 0);
    sink.clear();
    TagListing listing = listTagPoints(context, *tags[0]);
    ASSERT_EQ(listing.points.size(), 2u);
    EXPECT_EQ(listing.points[0].point, p1);
    EXPECT_EQ(listing.points[1].point, q);
    EXPECT_EQ(tagValue(1, tag::kPointNum), "2");
    EXPECT_THAT(sink.received(), ElementsAre(ChangeNotification{33, kTag, 1, 0}));
    sink.clear();
    listTagPoints(context, *tags[0]);
    EXPECT_TRUE(sink.received().empty());
}

TEST_F(TagPointsTest, RemovingAPointFromATagAsksFirst) {
    setTags(p1, k, {1, 2});
    sink.clear();
    prompt.script({Answer::No, Answer::Yes});
    EXPECT_EQ(removePointFromTag(context, *tags[0], *k, *p1).code, kDeclined);
    ASSERT_TRUE(removePointFromTag(context, *tags[0], *k, *p1).ok());
    EXPECT_THAT(prompt.events().back(), asked("确定要从标签 ‘t1’ 中移除知识点 ‘p1.rtf’ 吗？",
                                              MessageIcon::Question, Buttons::YesNo));
    EXPECT_EQ(rowOf("1.cps", p1->id)[4], ";2;");
    EXPECT_EQ(tagValue(1, tag::kPointNum), "0");
    EXPECT_THAT(codes(), ElementsAre(33, 35, 5));
}

TEST_F(TagPointsTest, DeletingATagClearsItsSubTagsFromEveryPointAndSavesEachListOnce) {
    setTags(p1, k, {3, 7, 1});
    setTags(p2, k, {7});
    setTags(q, m, {3});
    sink.clear();
    prompt.script({Answer::Cancel, Answer::Ok});
    EXPECT_EQ(deleteTag(context, *tags[2]).code, kDeclined);
    ASSERT_TRUE(deleteTag(context, *tags[2]).ok());
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(asked("确定要删除标签“t3”吗？", MessageIcon::Question, Buttons::OkCancel),
                    asked("确定要删除标签“t3”吗？", MessageIcon::Question, Buttons::OkCancel),
                    shown("删除标签“t3”成功!", MessageIcon::Information)));
    EXPECT_EQ(rowOf("1.cps", p1->id)[4], ";1;");
    EXPECT_EQ(rowOf("1.cps", p2->id)[4], "");
    EXPECT_EQ(rowOf("2.cps", q->id)[4], "");
    EXPECT_TRUE(rowOf("kms.tags", 3).empty());
    EXPECT_TRUE(rowOf("kms.tags", 7).empty());
    EXPECT_EQ(base.tags().tagCount(), 5u);
    EXPECT_THAT(sink.received(), ElementsAre(ChangeNotification{32, kTag, 3, 0},
                                             ChangeNotification{5, kCat, p1->id, k->id},
                                             ChangeNotification{5, kCat, q->id, m->id},
                                             ChangeNotification{32, kTag, 7, 0},
                                             ChangeNotification{5, kCat, p1->id, k->id},
                                             ChangeNotification{5, kCat, p2->id, k->id}));
}

TEST_F(TagPointsTest, AFailedDeletePutsTheTagsAndListsBack) {
    setTags(p1, k, {3, 7});
    setTags(q, m, {7});
    Snapshot before = snapshotOf(data());
    fileSystem.failWritesTo = "kms.tags";
    prompt.script({Answer::Ok});
    EXPECT_EQ(deleteTag(context, *tags[2]).code, store::kSaveFailed);
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_EQ(p1->values.value(point::kTagsId), ";3;7;");
    ASSERT_NE(base.tags().find(7), nullptr);
    EXPECT_EQ(base.tags().find(7)->parent, base.tags().find(3));
    EXPECT_EQ(base.tags().children(base.tags().root())[2], base.tags().find(3));
}

} // namespace
} // namespace tarnel::ops
