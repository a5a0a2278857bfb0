#include "ops/point_editing.h"
#include "richtext/rtf_writer.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/search_controller.h"
#include "ui/search_pane.h"
#include "ui/search_result_model.h"
#include "ui/search_result_window.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using app::MessageIcon;
using test::shown;

class SearchTest : public test::FrameTest {
protected:
    void SetUp() override {
        makeCategories({"工作", "工作/项目", "生活"});
        start();
    }
    void addPoint(const std::string& category, const std::string& title) {
        ops::PointInput input;
        input.title = title;
        input.content = richtext::RtfWriter().write({});
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::addPoint(*frame->context(), this->category(category), input).ok());
    }
    void tick(const char* name) {
        QTreeWidget* tree = frame->searchPane()->categoryTree();
        QList<QTreeWidgetItem*> found =
            tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        found[0]->setCheckState(0, Qt::Checked);
    }
    CSearchResultView* resultWindow(std::size_t nth) {
        std::size_t seen = 0;
        for (std::size_t i = 0; i < frame->windowCount(); ++i) {
            if (frame->windowAt(i)->kind() == WindowKind::Search && seen++ == nth) {
                return static_cast<CSearchResultView*>(frame->windowAt(i));
            }
        }
        return nullptr;
    }
    std::vector<std::string> rowsOf(CSearchResultView& window) {
        std::vector<std::string> rows;
        SearchResultModel& model = *window.model();
        for (int row = 0; row < model.rowCount(); ++row) {
            rows.push_back(model.index(row, PointListModel::Name).data().toString().toStdString() +
                           " " + model.routeText(row).toStdString());
        }
        return rows;
    }
    void clickSearch() { frame->searchPane()->searchButton()->click(); }
};

TEST_F(SearchTest, ThePaneRefusesInOrderThenFillsAResultWindowHitByHitInOrder) {
    addPoint("工作", "周报");
    addPoint("工作", "闲谈");
    addPoint("生活", "周末计划");
    addPoint("工作", "周会记录");
    CSearchPane& pane = *frame->searchPane();
    clickSearch();
    pane.query()->setText("周");
    pane.findChild<QCheckBox*>("searchByTitle")->setChecked(false);
    clickSearch();
    pane.findChild<QCheckBox*>("searchByTitle")->setChecked(true);
    clickSearch();
    EXPECT_EQ(prompt.events(),
              (std::vector<test::PromptEvent>{
                  shown("您还没有填写要查询的知识点!", MessageIcon::Information),
                  shown("您还没有选择查询的依据,请勾选'标题','内容'进行组合查询!",
                        MessageIcon::Information),
                  shown("您还选择查询的知识分类范围,请勾选知识分类!", MessageIcon::Information)}));
    EXPECT_EQ(resultWindow(0), nullptr);

    tick("工作");
    tick("生活");
    std::vector<int> arrived;
    clickSearch();
    CSearchResultView* window = resultWindow(0);
    ASSERT_NE(window, nullptr);
    QObject::connect(window, &CSearchResultView::hitAdded,
                     [&](int row) { arrived.push_back(row); });
    EXPECT_EQ(window->name(), "标题:'周'的查询结果");
    EXPECT_EQ(frame->currentWindow(), window);
    ASSERT_EVENTUALLY(!window->searching());
    EXPECT_EQ(rowsOf(*window),
              (std::vector<std::string>{"周报.rtf 分类:工作", "周会记录.rtf 分类:工作",
                                        "周末计划.rtf 分类:生活"}));
    EXPECT_EQ(arrived, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(window->information()->isTabEnabled(CInformationPane::Properties));

    // A second search opens a second window; the first keeps its hits.
    pane.query()->setText("闲");
    clickSearch();
    CSearchResultView* second = resultWindow(1);
    ASSERT_NE(second, nullptr);
    ASSERT_EVENTUALLY(!second->searching());
    EXPECT_EQ(rowsOf(*second), (std::vector<std::string>{"闲谈.rtf 分类:工作"}));
    EXPECT_EQ(rowsOf(*window).size(), 3u);
}

TEST_F(SearchTest, QuickFindInACategorySearchesItsSubtreeByTitle) {
    addPoint("工作/项目", "Report");
    addPoint("工作", "周报");
    addPoint("生活", "report card");
    test::whenModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle().toStdString(), "在此分类中快速查找");
        dialog->findChild<QLineEdit*>("quickFindText")->setText("REPORT");
        static_cast<QDialog*>(dialog)->accept();
    });
    CSearchResultView* window = frame->searches()->quickFind(*category("工作"));
    ASSERT_NE(window, nullptr);
    ASSERT_EVENTUALLY(!window->searching());
    EXPECT_EQ(rowsOf(*window), (std::vector<std::string>{"Report.rtf 分类:项目"}));
}

// The result list carries the point list's commands: F2 renames a hit on disk in place.
TEST_F(SearchTest, AHitIsRenamedInPlaceWithF2) {
    addPoint("工作", "周报");
    test::whenModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("quickFindText")->setText("周");
        static_cast<QDialog*>(dialog)->accept();
    });
    CSearchResultView* window = frame->searches()->quickFind(*category("工作"));
    ASSERT_NE(window, nullptr);
    ASSERT_EVENTUALLY(!window->searching());
    QTableView* list = window->list();
    list->selectionModel()->setCurrentIndex(window->model()->index(0, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    frame->activateWindow();
    list->setFocus();
    ASSERT_EVENTUALLY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_F2);
    auto* editor = list->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "周报.rtf");
    editor->setText("月报.rtf");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_EVENTUALLY(rowsOf(*window) == std::vector<std::string>{"月报.rtf 分类:工作"});
    store::CategoryRecord& work = *category("工作");
    EXPECT_TRUE(std::filesystem::exists(work.owner->folderOf(work) / "月报.rtf"));
    EXPECT_EQ(work.owner->pointsOf(work).records().front()->name(), "月报.rtf");
}

} // namespace
} // namespace tarnel::ui
