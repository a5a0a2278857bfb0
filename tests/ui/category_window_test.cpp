#include "ops/category_editing.h"
#include "ops/category_removal.h"
#include "store/attribute_tables.h"
#include "tests/ui/frame_fixture.h"
#include "ui/category_window.h"
#include "ui/point_list_model.h"

#include <QHeaderView>
#include <QLabel>
#include <QMimeDatabase>
#include <QTableView>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using test::FrameTest;

class ListTest : public FrameTest {
protected:
    // A point of the category in the open base, its content file holding bytes.
    void addPoint(store::CategoryRecord& category, const std::string& name,
                  const std::string& bytes) {
        store::CategoryStore& store = *category.owner;
        auto point = std::make_unique<store::PointRecord>();
        point->id = frame->base()->counters().next(store::IdKind::Point);
        point->values.setInteger(store::point::kId, point->id);
        point->values.setInteger(store::point::kClass, category.id);
        point->values.setValue(store::point::kName, name);
        point->values.setInteger(store::point::kPointSize, static_cast<long long>(bytes.size()));
        point->values.setInteger(store::point::kState, 1);
        point->values.setValue(store::point::kModifyDate, "2024-06-07 08:09:10");
        test::writeBytes(store.contentPathOf(category, *point), bytes);
        ASSERT_EQ(store.addPoint(category, std::move(point)), 0);
    }
    QTableView* list() { return frame->findChild<QTableView*>("pointList"); }
    std::vector<std::string> headers() {
        std::vector<std::string> texts;
        QAbstractItemModel* model = list()->model();
        for (int i = 0; i < model->columnCount(); ++i) {
            texts.push_back(model->headerData(i, Qt::Horizontal).toString().toStdString());
        }
        return texts;
    }
    std::vector<std::string> row(int r) {
        std::vector<std::string> texts;
        QAbstractItemModel* model = list()->model();
        for (int i = 0; i < model->columnCount(); ++i) {
            texts.push_back(model->index(r, i).data().toString().toStdString());
        }
        return texts;
    }
};

TEST_F(ListTest, ACategoryListsItsSubCategoriesThenItsPointsInItsColumns) {
    makeCategories({"读书笔记/小说"});
    writeSettings("[POINT_LIST]\r\nSHOW_GRID=1\r\n");
    start();
    addPoint(*category("读书笔记"), "摘录.txt", std::string(2048, 'x'));
    frame->openCategoryWindow(*category("读书笔记"));
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(headers(), (std::vector<std::string>{"星级", "序号", "名称", "预览", "批注", "附件",
                                                   "大小", "类型", "修改日期"}));
    ASSERT_EQ(list()->model()->rowCount(), 2);
    EXPECT_EQ(row(0),
              (std::vector<std::string>{"", "1", "小说", "", "", "", "0.00KB", "TN 分类 ", ""}));
    EXPECT_EQ(row(1)[2], "摘录.txt");
    EXPECT_EQ(row(1)[6], "2.00KB");
    EXPECT_EQ(row(1)[7], QMimeDatabase().mimeTypeForName("text/plain").comment().toStdString());
    EXPECT_EQ(row(1)[8], "2024-06-07 08:09:10");
    EXPECT_TRUE(list()->showGrid());
    EXPECT_EQ(list()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list()->palette().color(QPalette::Base), QColor(Qt::white));
}

TEST_F(ListTest, ThePropertiesFollowTheWindowsCategoryAndTheSelectedRow) {
    makeCategories({"读书笔记/小说", "工作"});
    start();
    frame->openCategoryWindow(*category("读书笔记"));
    auto* properties = frame->findChild<QLabel*>("propertyInfo");
    auto shows = [&](const char* name) {
        return properties->text().contains(QStringLiteral("<td>%1</td>").arg(name));
    };
    EXPECT_TRUE(shows("读书笔记"));
    ops::OperationContext ops{*frame->base(), platform::realFileSystem(), prompt};
    auto rename = [&](const char* path, const char* name) {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::renameCategory(ops, *category(path), name).ok());
    };
    rename("读书笔记", "读书");
    EXPECT_TRUE(shows("读书"));
    list()->setCurrentIndex(list()->model()->index(0, 2));
    EXPECT_TRUE(shows("小说"));
    rename("读书/小说", "散文");
    EXPECT_TRUE(shows("散文"));
    rename("工作", "会议");
    EXPECT_TRUE(shows("散文"));
}

TEST_F(ListTest, TheRecycleBinShowsWhereEachCategoryCameFrom) {
    makeCategories({"读书笔记/小说", "工作"});
    start();
    prompt.script({app::Answer::Yes});
    ops::OperationContext ops{*frame->base(), platform::realFileSystem(), prompt};
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::recycleCategory(ops, *category("读书笔记/小说")).ok());
    }
    frame->openCategoryWindow(*frame->base()->recycle().root());
    EXPECT_EQ(frame->windowTitle().toStdString(), "回收站 - Tarnel个人知识管理系统 2.1.0");
    EXPECT_EQ(headers(), (std::vector<std::string>{"星级", "序号", "名称", "原分类", "大小", "类型",
                                                   "删除日期"}));
    ASSERT_EQ(list()->model()->rowCount(), 1);
    EXPECT_EQ(row(0)[2], "小说");
    EXPECT_EQ(row(0)[3], "\\读书笔记");
    EXPECT_EQ(row(0)[6].size(), std::string("2024-05-06 07:08:09").size());
}

TEST_F(ListTest, TheContentTipShowsTheStartOfThePlainTextWhenAsked) {
    makeCategories({"A"});
    writeSettings("[POINT_LIST]\r\nSHOW_CONTENT_TIP=1\r\n");
    start();
    addPoint(*category("A"), "短", "{\\rtf1\\ansi Hello <world> &\\par second line}");
    addPoint(*category("A"), "长", "{\\rtf1\\ansi " + std::string(500, 'a') + "}");
    frame->openCategoryWindow(*category("A"));
    QAbstractItemModel* model = list()->model();
    int name = 2;
    EXPECT_EQ(model->index(0, name).data(Qt::ToolTipRole).toString().toStdString(),
              "<table width=\"400\"><tr><td>Hello &lt;world&gt; &amp; second line</td></tr>"
              "</table>");
    EXPECT_EQ(model->index(1, name).data(Qt::ToolTipRole).toString().toStdString(),
              "<table width=\"400\"><tr><td>" + std::string(300, 'a') + "</td></tr></table>");

    settings.showContentTip = false;
    frame->applySettings();
    EXPECT_FALSE(model->index(0, name).data(Qt::ToolTipRole).isValid());
}

} // namespace
} // namespace tarnel::ui
