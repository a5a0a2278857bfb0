#include "ops/tag_editing.h"
#include "store/attribute_tables.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using store::ChangeNotification;
using store::StoreKind;
using store::TagRecord;
using test::asked;
using test::shown;
using test::Snapshot;
using test::snapshotOf;
using ::testing::ElementsAre;
namespace tag = store::tag;

class TagEditingTest : public test::OpsTest {
protected:
    TagRecord* work = nullptr;
    TagRecord* urgent = nullptr;
    TagRecord* home = nullptr;

    // 工作 with the child 重要, and 家 beside it.
    void SetUp() override {
        OpsTest::SetUp();
        work = makeTag("工作");
        urgent = makeTag("重要", work);
        home = makeTag("家");
        sink.clear();
    }

    std::vector<std::string> tagNamesInFileOrder() {
        std::vector<std::string> names;
        test::Rows rows = test::tableRows(indexFile("kms.tags"));
        for (std::size_t i = 1; i < rows.size(); ++i) {
            names.push_back(rows[i][2] + "<" + rows[i][1]);
        }
        return names;
    }
};

TEST_F(TagEditingTest, AddWritesTheRowAndTheCounterWithoutANameRule) {
    OperationResult result =
        addTag(context, initialTagParent(*urgent, Level::Same), {"  a/b:c  ", 4, "备注"});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.id, 4);
    EXPECT_EQ(rowOf("kms.tags", 4), (std::vector<std::string>{"4", "1", "a/b:c", "4", "", "",
                                                              test::kNow, "", "备注", "", ""}));
    EXPECT_EQ(test::tableRows(indexFile("kms.ids"))[1][3], "4");
    EXPECT_THAT(sink.received(), ElementsAre(ChangeNotification{30, StoreKind::Tag, 4, 0}));
    EXPECT_THAT(tagNamesInFileOrder(), ElementsAre("工作<0", "重要<1", "a/b:c<1", "家<0"));
}

TEST_F(TagEditingTest, AddRefusalsChangeNothing) {
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(addTag(context, work, {" ", 0, ""}).code, kInvalidName);
    EXPECT_EQ(addTag(context, nullptr, {"x", 0, ""}).code, kNoParentChosen);
    EXPECT_EQ(addTag(context, base.tags().root(), {"家", 0, ""}).code, kNameTaken);
    EXPECT_EQ(addTag(context, work, {"重要", 0, ""}).code, kNameTaken);
    fileSystem.failWritesTo = "kms.tags";
    EXPECT_EQ(addTag(context, work, {"新", 0, ""}).code, store::kSaveFailed);
    EXPECT_THAT(prompt.events(),
                ElementsAre(shown("标签名称不能为空!", MessageIcon::Error),
                            shown("请选择合适的标签!", MessageIcon::Error),
                            shown("已经存在此名称的标签，请输入其他名称!", MessageIcon::Error),
                            shown("已经存在此名称的标签，请输入其他名称!", MessageIcon::Error),
                            shown("添加标签失败!", MessageIcon::Error)));
    Snapshot after = snapshotOf(data());
    after.erase("Index/kms.ids");
    before.erase("Index/kms.ids");
    EXPECT_EQ(after, before);
    EXPECT_EQ(base.tags().tagCount(), 3u);
}

TEST_F(TagEditingTest, RenameAndPropertiesKeepSiblingNamesApart) {
    TagRecord* other = makeTag("Project");
    sink.clear();
    EXPECT_EQ(renameTag(context, *home, "project").code, kNameTaken);
    EXPECT_EQ(setTagProperties(context, *home, {"PROJECT", 0, ""}).code, kNameTaken);
    EXPECT_EQ(setTagProperties(context, *home, {"", 0, ""}).code, kInvalidName);
    EXPECT_EQ(renameTag(context, *home, "").code, kInvalidName);
    ASSERT_TRUE(renameTag(context, *other, "PROJECT").ok()); // letter case only
    ASSERT_TRUE(renameTag(context, *urgent, "家").ok());     // not a sibling of 家
    ASSERT_TRUE(setTagProperties(context, *home, {"家", 5, "m"}).ok());
    ASSERT_TRUE(setTagProperties(context, *home, {"家", 5, "m"}).ok()); // nothing changed
    ASSERT_TRUE(setTagColor(context, *home, ColorRole::Back, 255).ok());
    EXPECT_THAT(prompt.events(),
                ElementsAre(shown("已经存在此名称的标签，请输入其他名称!", MessageIcon::Error),
                            shown("已经存在此名称的标签，请输入其他名称!", MessageIcon::Error),
                            shown("标签名称不可为空!", MessageIcon::Error),
                            shown("名称不可为空!", MessageIcon::Error)));
    EXPECT_EQ(rowOf("kms.tags", other->id)[2], "PROJECT");
    EXPECT_EQ(rowOf("kms.tags", urgent->id)[2], "家");
    EXPECT_EQ(rowOf("kms.tags", home->id),
              (std::vector<std::string>{"3", "0", "家", "5", "", "", "", "", "m", "", "255"}));
    EXPECT_THAT(codes(), ElementsAre(33, 33, 33, 33));
}

TEST_F(TagEditingTest, DragAndDropAsksAndMovesTheRunBehindTheTarget) {
    TagRecord* sub = makeTag("子", urgent);
    sink.clear();
    for (auto [moved, target] : std::vector<std::pair<TagRecord*, TagRecord*>>{
             {work, work}, {urgent, work}, {work, sub}, {base.tags().root(), home}}) {
        EXPECT_EQ(moveTag(context, *moved, *target, MoveWay::DragAndDrop).code, kNotMovable);
    }
    EXPECT_TRUE(prompt.events().empty());
    prompt.script({Answer::No, Answer::Yes, Answer::Yes});
    EXPECT_EQ(moveTag(context, *work, *home, MoveWay::DragAndDrop).code, kDeclined);
    ASSERT_TRUE(moveTag(context, *work, *home, MoveWay::DragAndDrop).ok());
    EXPECT_THAT(tagNamesInFileOrder(), ElementsAre("家<0", "工作<3", "重要<1", "子<2"));
    ASSERT_TRUE(moveTag(context, *urgent, *base.tags().root(), MoveWay::DragAndDrop).ok());
    EXPECT_THAT(tagNamesInFileOrder(), ElementsAre("家<0", "工作<3", "重要<0", "子<2"));
    EXPECT_THAT(prompt.events(), ElementsAre(asked("真的要将标签:'工作' 移动到 标签:'家' 下吗?",
                                                   MessageIcon::Question, Buttons::YesNo),
                                             asked("真的要将标签:'工作' 移动到 标签:'家' 下吗?",
                                                   MessageIcon::Question, Buttons::YesNo),
                                             asked("真的要将标签:'重要' 移动到 顶级标签 下吗?",
                                                   MessageIcon::Question, Buttons::YesNo)));
    EXPECT_THAT(codes(), ElementsAre(31, 31));
    EXPECT_EQ(home->descendantCount, 1);
    EXPECT_EQ(base.tags().root()->childCount, 2);
}

TEST_F(TagEditingTest, TheDialogRefusesATakenNameAndUndoesAFailedSave) {
    makeTag("重要");
    TagRecord* last = makeTag("末");
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(moveTag(context, *urgent, *base.tags().root(), MoveWay::Dialog).code, kNameTaken);
    EXPECT_TRUE(moveTag(context, *urgent, *work, MoveWay::Dialog).ok()); // its own parent
    EXPECT_EQ(moveTag(context, *work, *urgent, MoveWay::Dialog).code, kNotMovable);
    fileSystem.failWritesTo = "kms.tags";
    EXPECT_EQ(moveTag(context, *work, *last, MoveWay::Dialog).code, store::kSaveFailed);
    EXPECT_THAT(prompt.events(),
                ElementsAre(shown("目标分类下已经存在此分类，无法移动！", MessageIcon::Error),
                            shown("移动标签失败!", MessageIcon::Error),
                            shown("移动标签失败!", MessageIcon::Error)));
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_EQ(base.tags().children(base.tags().root()).front(), work);
}

} // namespace
} // namespace tarnel::ops
