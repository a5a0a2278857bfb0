#include "store/result_codes.h"
#include "store/tag_store.h"
#include "tests/store/store_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarnel::store {
namespace {

struct ListCase {
    std::string list;
    long long id;
    std::string with;
    std::string without;
};

class IdListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(IdListTest, AddsAndRemovesLikeTheOlderPrograms) {
    EXPECT_EQ(listWith(GetParam().list, GetParam().id), GetParam().with);
    EXPECT_EQ(listWithout(GetParam().list, GetParam().id), GetParam().without);
}

INSTANTIATE_TEST_SUITE_P(Cases, IdListTest,
                         ::testing::Values(ListCase{"", 3, ";3;", ""},
                                           ListCase{";3;", 3, ";3;", ";"},
                                           ListCase{";3;7;", 7, ";3;7;", ";3;"},
                                           ListCase{";13;", 3, ";13;3;", ";13;"},
                                           ListCase{";", 5, ";5;", ";"}));

TEST(IdListTest, ReadsIdsAboveZero) {
    EXPECT_THAT(idsOfList(";3;7;"), ::testing::ElementsAre(3, 7));
    EXPECT_THAT(idsOfList(";0;x;-2;9"), ::testing::ElementsAre(9));
    EXPECT_TRUE(idsOfList("").empty());
}

class TagStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    IdCounters counters{platform::realFileSystem(), dir / "Index" / "kms.ids"};
    DisplayTypes displayTypes;
    RecordingChangeSink sink;
    StoreContext context{platform::realFileSystem(), DataLayout(dir.path()), counters, displayTypes,
                         sink};
    TagStore tags{context};

    TagRecord* add(TagRecord* parent, const std::string& name) {
        auto record = std::make_unique<TagRecord>();
        record->values.setValue(tag::kName, name);
        TagRecord* raw = record.get();
        EXPECT_EQ(tags.add(std::move(record), parent), kOk);
        return raw;
    }
};

TEST_F(TagStoreTest, ANewStoreNamesAllElevenColumns) {
    std::filesystem::create_directories(dir / "Index");
    add(tags.root(), "T");
    ASSERT_EQ(tags.save(), kOk);
    EXPECT_EQ(
        test::readBytes(dir / "Index" / "kms.tags"),
        test::scrambledTable({{"id", "parent", "name", "star_num", "class", "point_num",
                               "create_date", "modify_date", "memo", "fore_color", "back_color"},
                              {"1", "0", "T", "", "", "", "", "", "", "", ""}}));
    EXPECT_EQ(tags.root()->name(), "标签管理");
}

TEST_F(TagStoreTest, MoveUnderMakesTheLastChildAndReports31) {
    TagRecord* a = add(tags.root(), "A");
    TagRecord* b = add(tags.root(), "B");
    add(a, "A1");
    ASSERT_EQ(tags.moveUnder(b, a), kOk);
    EXPECT_EQ(tags.children(a).back(), b);
    EXPECT_EQ(b->values.value(tag::kParent), "1");
    EXPECT_EQ(a->descendantCount, 2);
    EXPECT_EQ(sink.received().back(), (ChangeNotification{31, StoreKind::Tag, b->id, 0}));
    EXPECT_EQ(tags.moveUnder(a, b), kNotAllowed);
}

} // namespace
} // namespace tarnel::store
