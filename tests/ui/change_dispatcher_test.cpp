#include "ops/category_editing.h"
#include "ops/category_removal.h"
#include "store/attribute_tables.h"
#include "tests/ui/frame_fixture.h"
#include "ui/knowledge_tree_model.h"
#include "ui/knowledge_tree_view.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using test::FrameTest;

// A window that reports each notification that reaches it.
class RecordingWindow : public FrameWindow {
public:
    explicit RecordingWindow(std::function<void()> reached)
        : m_pane(new QWidget), m_reached(std::move(reached)) {}
    ~RecordingWindow() override { delete m_pane.data(); }
    WindowKind kind() const override { return WindowKind::Web; }
    std::string name() const override { return "记录"; }
    QWidget* lowerPane() override { return m_pane; }
    void applyChange(const store::ChangeNotification&) override { m_reached(); }

private:
    QPointer<QWidget> m_pane;
    std::function<void()> m_reached;
};

class DispatchTest : public FrameTest {
protected:
    // Notes who is reached, in order; a step reached again straight after itself is noted once.
    void note(const std::string& step) {
        if (steps.empty() || steps.back() != step) {
            steps.push_back(step);
        }
    }
    void record() {
        frame->addWindow(std::make_unique<RecordingWindow>([this] { note("view"); }));
        QAbstractItemModel* list = frame->findChild<QTreeWidget*>("windowList")->model();
        QObject::connect(list, &QAbstractItemModel::dataChanged, [this] { note("window list"); });
        QObject::connect(list, &QAbstractItemModel::rowsRemoved, [this] { note("window closed"); });
        QObject::connect(&tree(), &QAbstractItemModel::dataChanged, [this] { note("tree"); });
        QObject::connect(&tree(), &QAbstractItemModel::rowsRemoved, [this] { note("tree"); });
    }
    ops::OperationContext context() { return {*frame->base(), platform::realFileSystem(), prompt}; }

    std::vector<std::string> steps;
};

TEST_F(DispatchTest, ViewsThenTheWindowListThenTheTreeThenGoneWindowsClose) {
    makeCategories({"A", "B"});
    start();
    frame->openCategoryWindow(*category("A"));
    record();
    frame->makeCurrent(frame->windowAt(0));
    ops::OperationContext ops = context();
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::renameCategory(ops, *category("A"), "A2").ok());
        EXPECT_TRUE(steps.empty());
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"view", "window list", "tree"}));
    auto* windowList = frame->findChild<QTreeWidget*>("windowList");
    EXPECT_EQ(windowList->topLevelItem(0)->child(0)->text(0), "A2");
    EXPECT_EQ(frame->findChild<QTabBar*>("windowTabs")->tabText(0), "A2");
    EXPECT_EQ(frame->windowTitle().toStdString(), "A2 - Tarnel个人知识管理系统 2.1.0");

    steps.clear();
    prompt.script({app::Answer::Yes});
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::recycleCategory(ops, *category("A2")).ok());
    }
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), "window closed");
    EXPECT_EQ(std::count(steps.begin(), steps.end(), "window closed"), 1);
    EXPECT_EQ(steps[0], "view");
    EXPECT_EQ(frame->windowCount(), 1u);
    EXPECT_EQ(frame->windowAt(0)->name(), "记录");
}

TEST_F(DispatchTest, NothingIsDeliveredWhileAQuestionWaits) {
    messageBoxes = true;
    makeCategories({"A", "B"});
    start();
    frame->openCategoryWindow(*category("A"));
    record();
    store::CategoryRecord* b = category("B");
    std::size_t waiting = 0;
    test::whenMessageBox([&](QMessageBox& box) {
        // Another change arrives while the question is open, and its message with it.
        b->values.setValue(store::category::kName, "B2");
        frame->base()->sink().notify(
            {store::change::kCategoryChanged, store::StoreKind::Category, b->id, 0});
        frame->postMessage(FrameMessage::Change);
        QCoreApplication::sendPostedEvents(frame.get());
        waiting = frame->dispatcher().pending();
        note("question answered");
        box.button(QMessageBox::Yes)->click();
    });
    frame->tree()->setCurrentIndex(categoryIndex("A"));
    QTest::keyClick(frame->tree(), Qt::Key_Delete);
    EXPECT_EQ(waiting, 1u);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), "question answered");
    EXPECT_EQ(steps.back(), "window closed");
    EXPECT_EQ(frame->windowCount(), 1u);
    EXPECT_EQ(tree().labelOf(categoryIndex("B2")).toStdString(), "B2");
    EXPECT_FALSE(categoryIndex("A").isValid());
    EXPECT_EQ(frame->dispatcher().pending(), 0u);
}

} // namespace
} // namespace tarnel::ui
