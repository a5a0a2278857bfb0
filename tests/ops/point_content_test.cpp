#include "ops/point_content.h"
#include "ops/point_editing.h"
#include "ops/point_messages.h"
#include "store/attribute_tables.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

using app::MessageIcon;
using store::CategoryRecord;
using store::ChangeNotification;
using store::StoreKind;
using test::kNow;
using test::shown;
using test::Snapshot;
using test::snapshotOf;
using ::testing::ElementsAre;
namespace fs = std::filesystem;
namespace point = store::point;

constexpr StoreKind kCat = StoreKind::Category;
const std::string kEdited = "{\\rtf1 edited text}";

std::vector<std::string> valuesOf(const store::Record& record) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < record.attributeCount(); ++i) {
        out.emplace_back(record.value(static_cast<int>(i)));
    }
    return out;
}

// A point of seven bytes in B under A, beside a point of three in A.
class PointContentTest : public test::OpsTest {
protected:
    CategoryRecord* a = nullptr;
    CategoryRecord* b = nullptr;
    store::PointRecord* note = nullptr;

    void SetUp() override {
        OpsTest::SetUp();
        a = makeCategory(categories().root(), "A");
        b = makeCategory(a, "B");
        makePoint(*a, "other.rtf", "abc");
        note = makePoint(*b, "note.rtf", "content");
        sink.clear();
    }

    std::string sizeOf(const CategoryRecord& c) { return rowOf("kms.cls", c.id)[4]; }
};

TEST_F(PointContentTest, TheFileSizesDateAndStateAreSavedThenNotified) {
    note->values.setInteger(point::kState, 0);
    OperationResult result = savePointContent(context, note->id, kEdited);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(test::readBytes(resource("A/B/note.rtf")), kEdited);
    long long grown = static_cast<long long>(kEdited.size()) - 7;
    EXPECT_EQ(note->values.integer(point::kPointSize), 19);
    EXPECT_EQ(b->size(), 7 + grown);
    EXPECT_EQ(a->size(), 10 + grown);
    EXPECT_EQ(note->values.value(point::kModifyDate), kNow);
    EXPECT_EQ(note->values.integer(point::kState), 1);
    EXPECT_THAT(sink.received(), ElementsAre(ChangeNotification{4, kCat, b->id, 0},
                                             ChangeNotification{4, kCat, a->id, 0},
                                             ChangeNotification{5, kCat, note->id, b->id}));
    EXPECT_TRUE(prompt.events().empty());
    std::vector<std::string> row = rowOf(std::to_string(b->id) + ".cps", note->id);
    EXPECT_EQ(row[point::kPointSize], "19");
    EXPECT_EQ(row[point::kModifyDate], kNow);
    EXPECT_EQ(row[point::kState], "1");
    EXPECT_EQ(sizeOf(*a), std::to_string(10 + grown));
    EXPECT_EQ(sizeOf(*b), std::to_string(7 + grown));
}

TEST_F(PointContentTest, APointRenamedWhileOpenIsSavedUnderItsNewName) {
    ASSERT_TRUE(renamePoint(context, *b, *note, "renamed.rtf").ok());
    ASSERT_TRUE(savePointContent(context, note->id, kEdited).ok());
    EXPECT_EQ(test::readBytes(resource("A/B/renamed.rtf")), kEdited);
    EXPECT_FALSE(fs::exists(resource("A/B/note.rtf")));
}

TEST_F(PointContentTest, AShrinkingSaveLowersEveryAncestor) {
    ASSERT_TRUE(savePointContent(context, note->id, "x").ok());
    EXPECT_EQ(b->size(), 1);
    EXPECT_EQ(a->size(), 4);
}

TEST_F(PointContentTest, AFailureShowsTheReasonAndChangesNothing) {
    struct Case {
        std::string failWritesTo;
        std::string reason;
    };
    for (const Case& c : {Case{"note.rtf", platform::errorText(ENOSPC)},
                          Case{".cps", std::string(message::kIndexNotSaved)},
                          Case{"kms.cls", std::string(message::kIndexNotSaved)}}) {
        SCOPED_TRACE(c.failWritesTo);
        Snapshot before = snapshotOf(data());
        std::vector<std::string> pointBefore = valuesOf(note->values);
        std::vector<std::string> aBefore = valuesOf(a->values);
        std::vector<std::string> bBefore = valuesOf(b->values);
        fileSystem.failWritesTo = c.failWritesTo;
        OperationResult result = savePointContent(context, note->id, kEdited);
        fileSystem.failWritesTo.clear();
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(snapshotOf(data()), before);
        EXPECT_EQ(valuesOf(note->values), pointBefore);
        EXPECT_EQ(valuesOf(a->values), aBefore);
        EXPECT_EQ(valuesOf(b->values), bBefore);
        EXPECT_TRUE(sink.received().empty());
        EXPECT_THAT(prompt.events(),
                    ElementsAre(shown(message::formatted(message::kSavePointFailed, {c.reason}),
                                      MessageIcon::Error)));
        prompt.clear();
    }
}

TEST_F(PointContentTest, AnUnknownPointIsReported) {
    EXPECT_EQ(savePointContent(context, 999, kEdited).code, store::kNoRecord);
    EXPECT_EQ(prompt.events().size(), 1u);
}

} // namespace
} // namespace tarnel::ops
