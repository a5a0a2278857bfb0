#include "ops/category_editing.h"
#include "ops/category_removal.h"
#include "store/attribute_tables.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/category_commands.h"
#include "ui/knowledge_tree_model.h"
#include "ui/knowledge_tree_view.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using test::FrameTest;
using Kind = KnowledgeTreeModel::ItemKind;

std::vector<std::string> childLabels(KnowledgeTreeModel& model, const QModelIndex& parent) {
    std::vector<std::string> labels;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        labels.push_back(model.index(row, 0, parent).data().toString().toStdString());
    }
    return labels;
}

class TreeTest : public FrameTest {
protected:
    ops::OperationContext context() { return {*frame->base(), platform::realFileSystem(), prompt}; }
};

TEST_F(TreeTest, TheTopItemsAndTheCategoriesInStoreOrder) {
    makeCategories({"读书笔记/小说", "读书笔记/历史", "工作", "工作/会议"});
    start();
    EXPECT_EQ(childLabels(tree(), {}),
              (std::vector<std::string>{"分类列表", "标签管理", "回收站"}));
    EXPECT_EQ(tree().kindOf(tree().index(2, 0)), Kind::RecycleRoot);
    EXPECT_EQ(tree().rowCount(tree().recycleRootIndex()), 0);
    EXPECT_EQ(childLabels(tree(), tree().categoryRootIndex()),
              (std::vector<std::string>{"读书笔记", "工作"}));
    EXPECT_EQ(childLabels(tree(), categoryIndex("读书笔记")),
              (std::vector<std::string>{"小说", "历史"}));
    // AUTO_EXPAND_CLASS is on when missing.
    EXPECT_TRUE(frame->tree()->isExpanded(categoryIndex("读书笔记")));
    EXPECT_TRUE(frame->tree()->isExpanded(categoryIndex("工作")));
}

TEST_F(TreeTest, LabelsCountPointsAsTheSettingsSay) {
    makeCategories({"A/B", "C"});
    writeSettings("[WORKSPACE]\r\nSHOW_POINT_NUM=1\r\n");
    start();
    category("A")->values.setInteger(store::category::kPointNum, 2);
    category("A/B")->values.setInteger(store::category::kPointNum, 3);
    EXPECT_EQ(tree().labelOf(categoryIndex("A")).toStdString(), "A(2)");
    EXPECT_EQ(tree().labelOf(categoryIndex("A/B")).toStdString(), "B(3)");
    EXPECT_EQ(tree().labelOf(tree().recycleRootIndex()).toStdString(), "回收站(0)");
    settings.showTotalPointNum = true;
    EXPECT_EQ(tree().labelOf(categoryIndex("A")).toStdString(), "A(5)");
    EXPECT_EQ(tree().labelOf(categoryIndex("C")).toStdString(), "C(0)");
}

TEST_F(TreeTest, ColoursKeepRedInTheLowByte) {
    makeCategories({"A", "B"});
    start();
    category("A")->values.setInteger(store::category::kForeColor, 0x0000ff);
    category("A")->values.setInteger(store::category::kBackColor, 0xff0000);
    EXPECT_EQ(categoryIndex("A").data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(categoryIndex("A").data(Qt::BackgroundRole).value<QColor>(), QColor(0, 0, 255));
    EXPECT_FALSE(categoryIndex("B").data(Qt::ForegroundRole).isValid());
}

TEST_F(TreeTest, NotificationsReconcileOneRecordAtATime) {
    makeCategories({"A/B", "C"});
    start();
    ops::OperationContext ops = context();
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::addCategory(ops, category("C"), {"D", 2, ""}).ok());
        // Nothing reaches the tree while the operation runs.
        EXPECT_EQ(tree().rowCount(categoryIndex("C")), 0);
    }
    EXPECT_EQ(childLabels(tree(), categoryIndex("C")), (std::vector<std::string>{"D"}));

    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::renameCategory(ops, *category("A/B"), "B2").ok());
    }
    EXPECT_EQ(childLabels(tree(), categoryIndex("A")), (std::vector<std::string>{"B2"}));

    prompt.script({app::Answer::Yes});
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::recycleCategory(ops, *category("A")).ok());
    }
    EXPECT_EQ(childLabels(tree(), tree().categoryRootIndex()), (std::vector<std::string>{"C"}));
    EXPECT_FALSE(tree().indexOf(store::StoreKind::Category, 1).isValid());
}

TEST_F(TreeTest, ANotificationOutsideAnOperationArrivesByMessage) {
    makeCategories({"A"});
    start();
    store::CategoryRecord* a = category("A");
    a->values.setValue(store::category::kName, "A2");
    frame->base()->sink().notify(
        {store::change::kCategoryChanged, store::StoreKind::Category, a->id, 0});
    EXPECT_EQ(frame->dispatcher().pending(), 1u);
    ASSERT_EVENTUALLY_EQ(frame->dispatcher().pending(), 0u);
    EXPECT_EQ(tree().labelOf(categoryIndex("A2")).toStdString(), "A2");
}

} // namespace
} // namespace tarnel::ui
