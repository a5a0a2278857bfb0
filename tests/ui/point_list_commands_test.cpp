#include "ops/point_editing.h"
#include "ops/point_removal.h"
#include "ops/tag_editing.h"
#include "richtext/rtf_writer.h"
#include "store/attribute_tables.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/category_chooser.h"
#include "ui/category_window.h"
#include "ui/list_find_dialog.h"
#include "ui/point_list_commands.h"
#include "ui/point_list_model.h"
#include "ui/point_move_dialogs.h"
#include "ui/tag_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
using test::shown;
namespace fs = std::filesystem;
using Entries = std::vector<std::string>;

const Entries kPointMenu = {"阅读/编辑知识点",
                            "-",
                            "重命名标题",
                            "移动知识点",
                            "导出知识点",
                            "导出批注",
                            "删除知识点",
                            "-",
                            "设置知识点标签",
                            "设置字体颜色",
                            "设置背景颜色",
                            "-",
                            "添加/编辑批注",
                            "删除批注",
                            "添加附件",
                            "-",
                            "打开知识点所在的文件夹"};

class PointListTest : public test::FrameTest {
protected:
    ops::OperationContext& context() { return *frame->context(); }
    const store::PointRecord* addPoint(const std::string& path, const std::string& title,
                                       std::vector<long long> tags = {}) {
        ops::PointInput input;
        input.title = title;
        input.tags = std::move(tags);
        input.content = richtext::RtfWriter().write({});
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ops::OperationResult result = ops::addPoint(context(), category(path), input);
        return result.ok() ? points(path).find(result.id) : nullptr;
    }
    const store::PointList& points(const std::string& path) {
        store::CategoryRecord* c = category(path);
        return c->owner->pointsOf(*c);
    }
    // The folder of the category, and a file name inside it.
    fs::path folder(const std::string& path, const std::string& file = "") {
        store::CategoryRecord* c = category(path);
        return file.empty() ? c->owner->folderOf(*c) : c->owner->folderOf(*c) / file;
    }
    void focus(QWidget* widget) {
        frame->activateWindow();
        widget->setFocus();
        ASSERT_EVENTUALLY(widget->hasFocus());
    }
    CWindowFormView* openList(store::CategoryRecord& c) {
        frame->openCategoryWindow(c);
        return dynamic_cast<CWindowFormView*>(frame->currentWindow());
    }
    template <typename Window> void selectRows(Window& window, std::vector<int> rows) {
        QItemSelectionModel* selection = window.list()->selectionModel();
        selection->clearSelection();
        for (int row : rows) {
            selection->setCurrentIndex(window.list()->model()->index(row, 2),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    template <typename Window> Entries menuOf(Window& window, std::vector<int> rows) {
        selectRows(window, rows);
        QMenu menu;
        frame->pointCommands()->fillMenu(menu, window.listView());
        return test::entriesOf(menu);
    }
};

TEST_F(PointListTest, EveryKindOfListOffersItsPointCommandsInOrder) {
    makeCategories({"工作/项目", "链接"});
    start();
    store::TagRecord* tag = nullptr;
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ops::OperationResult made =
            ops::addTag(context(), frame->base()->tags().root(), ops::TagInput{"阅读", 0, ""});
        tag = frame->base()->tags().find(made.id);
    }
    addPoint("工作", "周报", {tag->id});
    addPoint("工作", "月报");
    addPoint("链接", "说明");
    category("链接")->values.setValue(store::category::kRelationPath, program.path().string());

    CWindowFormView* work = openList(*category("工作"));
    EXPECT_EQ(menuOf(*work, {1}), kPointMenu);
    EXPECT_EQ(menuOf(*work, {1, 2}), (Entries{"设置标签", "移动选中的对象", "删除选中的对象"}));
    EXPECT_EQ(menuOf(*work, {0})[0], "打开"); // a sub-category row has the category's menu

    CWindowFormView* linked = openList(*category("链接"));
    EXPECT_EQ(menuOf(*linked, {0}),
              (Entries{"阅读/编辑知识点", "-", "重命名标题", "导出知识点", "导出批注", "-",
                       "设置知识点标签", "设置字体颜色", "设置背景颜色", "-", "添加/编辑批注",
                       "删除批注", "添加附件", "-", "打开知识点所在的文件夹"}));

    frame->openTagWindow(*tag);
    auto* tagged = dynamic_cast<CTagWindowView*>(frame->currentWindow());
    Entries underTag = kPointMenu;
    underTag[6] = "从标签中移除";
    EXPECT_EQ(menuOf(*tagged, {0}), underTag);

    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        const store::PointRecord* monthly = points("工作").records().back().get();
        ASSERT_EQ(ops::recyclePoint(context(), *category("工作"), *monthly), 0);
    }
    CWindowFormView* bin = openList(*frame->base()->recycle().root());
    EXPECT_EQ(menuOf(*bin, {0}), (Entries{"还原", "删除", "导出知识点", "打开知识点所在的文件夹"}));
    EXPECT_TRUE(prompt.events().empty());
}

TEST_F(PointListTest, TheMoveDialogKeepsARefusalOpenAndMovesTheFile) {
    makeCategories({"工作", "存档", "旧"});
    start();
    addPoint("工作", "周报");
    addPoint("旧", "周报");
    CWindowFormView* work = openList(*category("工作"));
    selectRows(*work, {0});
    bool refusedKeptOpen = false;
    test::whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CPointMoveDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* target = dialog->findChild<CategoryChooser*>("pointTarget");
        auto* ok = dialog->findChild<QPushButton*>("okButton");
        EXPECT_EQ(target->chosen(), category("工作"));
        target->select(category("旧"));
        ok->click();
        refusedKeptOpen = dialog->isVisible() && dialog->focusWidget() == target;
        target->select(category("存档"));
        ok->click();
    });
    focus(work->list());
    QTest::keyClick(work->list(), Qt::Key_F3);
    EXPECT_TRUE(refusedKeptOpen);
    EXPECT_EQ(prompt.events(),
              (std::vector{
                  shown("目标分类下已经存在此名称的分类或知识点，移动失败!", MessageIcon::Error)}));
    EXPECT_FALSE(fs::exists(folder("工作", "周报.rtf")));
    EXPECT_TRUE(fs::exists(folder("存档", "周报.rtf")));
    EXPECT_EQ(points("存档").size(), 1u);
    EXPECT_EQ(work->model()->rowCount(), 0);
}

TEST_F(PointListTest, F2RenamesThePointInPlaceOnDisk) {
    makeCategories({"工作"});
    start();
    addPoint("工作", "周报");
    CWindowFormView* work = openList(*category("工作"));
    selectRows(*work, {0});
    work->list()->selectionModel()->setCurrentIndex(work->model()->index(0, 0),
                                                    QItemSelectionModel::NoUpdate);
    focus(work->list());
    QTest::keyClick(work->list(), Qt::Key_F2);
    auto* editor = work->list()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "周报.rtf");
    editor->setText("月报.rtf");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_EVENTUALLY(work->model()->index(0, 2).data().toString() == "月报.rtf");
    EXPECT_TRUE(fs::exists(folder("工作", "月报.rtf")));
    EXPECT_FALSE(fs::exists(folder("工作", "周报.rtf")));
    EXPECT_EQ(points("工作").records().front()->name(), "月报.rtf");
}

TEST_F(PointListTest, TheStarMenuOffersEachRatingAndWritesTheChoice) {
    makeCategories({"工作"});
    writeSettings("[POINT_LIST]\r\nMAX_STAR_NUM=3\r\n");
    start();
    const store::PointRecord* weekly = addPoint("工作", "周报");
    QMenu menu;
    frame->pointCommands()->fillStarMenu(menu, *category("工作"), *weekly);
    EXPECT_EQ(test::entriesOf(menu), (Entries{"0星级", "1星级", "2星级", "3星级"}));
    menu.findChild<QAction*>("star2")->trigger();
    EXPECT_EQ(points("工作").records().front()->values.integer(store::point::kStarNum), 2);
}

TEST_F(PointListTest, F6ExportsThePointWithItsExtensionsFilterAndOffersToOpenIt) {
    makeCategories({"工作"});
    start();
    addPoint("工作", "周报");
    CWindowFormView* work = openList(*category("工作"));
    selectRows(*work, {0});
    Entries offered;
    fs::path target = program / "导出.rtf";
    frame->pointCommands()->setChooseTarget(
        [&](QWidget*, const QString& title, const QString& name, const QString& extension) {
            offered = {title.toStdString(), name.toStdString(), extension.toStdString()};
            return std::optional(target);
        });
    prompt.script({Answer::No});
    focus(work->list());
    QTest::keyClick(work->list(), Qt::Key_F6);
    EXPECT_EQ(offered, (Entries{"导出知识点", "周报", "rtf"}));
    EXPECT_EQ(test::readBytes(target), test::readBytes(folder("工作", "周报.rtf")));
    EXPECT_EQ(prompt.events(), (std::vector{asked("保存成功!\n\n需要现在打开吗?",
                                                  MessageIcon::Information, Buttons::YesNo)}));
}

TEST_F(PointListTest, MissingFilesShowAsGoneAndTheFindDialogWrapsOnRequest) {
    makeCategories({"工作/丢失"});
    start();
    addPoint("工作", "周报");
    addPoint("工作", "月报");
    fs::remove(folder("工作", "周报.rtf"));
    fs::remove(folder("工作/丢失"));
    store::KnowledgeStore* before = frame->base();
    frame->postMessage(FrameMessage::ReloadSource, 0);
    ASSERT_EVENTUALLY(frame->base() != before);
    CWindowFormView* work = openList(*category("工作"));
    auto type = [&](int row) { return work->model()->index(row, 7).data().toString(); };
    EXPECT_EQ(type(0), "TN 分类 (已失效)");
    EXPECT_EQ(type(1), "文件已失效");

    ListFinder finder(*work->list(), 2, prompt);
    selectRows(*work, {2});
    prompt.script({Answer::Yes});
    EXPECT_TRUE(finder.find({"周报", ListFinder::Direction::Down, false}));
    EXPECT_EQ(work->list()->currentIndex().row(), 1);
    work->list()->selectionModel()->clear(); // from the bottom up: the whole list
    EXPECT_FALSE(finder.find({"RTF", ListFinder::Direction::Up, true}));
    EXPECT_EQ(
        prompt.events(),
        (std::vector{asked("查找至末尾，是否从头开始查找?", MessageIcon::Question, Buttons::YesNo),
                     shown("没有找到匹配的记录!", MessageIcon::Information)}));
}

} // namespace
} // namespace tarnel::ui
