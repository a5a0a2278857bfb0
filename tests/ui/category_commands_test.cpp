#include "store/attribute_tables.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/category_chooser.h"
#include "ui/category_commands.h"
#include "ui/knowledge_tree_model.h"
#include "ui/knowledge_tree_view.h"

#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
using test::FrameTest;
using test::shown;

std::vector<std::string> menuOf(CMainFrame& frame, const QModelIndex& index) {
    QMenu menu;
    frame.tree()->fillMenu(menu, index);
    return test::entriesOf(menu);
}

void pressKey(CMainFrame& frame, const QModelIndex& index, Qt::Key key) {
    frame.tree()->setCurrentIndex(index);
    QTest::keyClick(frame.tree(), key);
}

TEST_F(FrameTest, EveryTreeMenuListsItsCommandsInOrder) {
    makeCategories({"A"});
    start();
    EXPECT_EQ(menuOf(*frame, tree().categoryRootIndex()),
              (std::vector<std::string>{"新建子级分类", "新建关联分类", "导入文件夹"}));
    EXPECT_EQ(menuOf(*frame, tree().recycleRootIndex()),
              (std::vector<std::string>{"打开", "清空回收站", "属性"}));
    EXPECT_EQ(menuOf(*frame, categoryIndex("A")), (std::vector<std::string>{"打开",
                                                                            "新建知识点",
                                                                            "-",
                                                                            "新建子级分类",
                                                                            "新建同级分类",
                                                                            "新建关联分类",
                                                                            "-",
                                                                            "删除分类",
                                                                            "移动分类",
                                                                            "重命名分类",
                                                                            "-",
                                                                            "设置字体颜色",
                                                                            "设置背景颜色",
                                                                            "-",
                                                                            "导入文档",
                                                                            "导入文件夹",
                                                                            "导出分类",
                                                                            "-",
                                                                            "打开分类所在的文件夹",
                                                                            "在此分类中快速查找",
                                                                            "-",
                                                                            "属性"}));
    EXPECT_EQ(menuOf(*frame, tree().tagRootIndex()), (std::vector<std::string>{"新建子级标签"}));
}

TEST_F(FrameTest, TheAddDialogStaysOpenOnARefusalAndAddsOnOk) {
    makeCategories({"读书笔记"});
    start();
    std::vector<std::string> steps;
    test::whenModal([&](QWidget* dialog) {
        ASSERT_EQ(dialog->objectName(), "categoryAddDialog");
        EXPECT_EQ(dialog->windowTitle(), "新建子级分类");
        auto* parent = dialog->findChild<CategoryChooser*>("categoryParent");
        EXPECT_EQ(parent->currentText(), "读书笔记");
        auto* name = dialog->findChild<QLineEdit*>("categoryName");
        name->setText("a/b");
        dialog->findChild<QPushButton*>("okButton")->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->focusWidget(), name);
        name->setText("  小说 ");
        dialog->findChild<QSpinBox*>("categoryStars")->setValue(4);
        dialog->findChild<QPushButton*>("okButton")->click();
    });
    QMenu menu;
    frame->tree()->fillMenu(menu, categoryIndex("读书笔记"));
    menu.findChild<QAction*>("addChildCategory")->trigger();
    EXPECT_EQ(prompt.events(),
              (std::vector{shown("分类名称中不可以包含\\/:*?\"<>|字符!", MessageIcon::Error)}));
    EXPECT_TRUE(
        std::filesystem::is_directory(data() / "Resource" / "分类列表" / "读书笔记" / "小说"));
    ASSERT_NE(category("读书笔记/小说"), nullptr);
    EXPECT_EQ(category("读书笔记/小说")->values.integer(store::category::kStarNum), 4);
}

TEST_F(FrameTest, EnterOpensTheCategoryWindowAndTheCaptionFollows) {
    makeCategories({"读书笔记"});
    start();
    pressKey(*frame, categoryIndex("读书笔记"), Qt::Key_Return);
    ASSERT_EQ(frame->windowCount(), 1u);
    EXPECT_EQ(frame->windowTitle().toStdString(), "读书笔记 - Tarnel个人知识管理系统 2.1.0");
    EXPECT_EQ(test::iconPixel(categoryIndex("读书笔记").data(Qt::DecorationRole).value<QIcon>()),
              test::iconColour(test::kBuiltInSeed, ui::skin::ICON_FOLDER_OPEN));
    // Opening it again makes the same window current.
    pressKey(*frame, categoryIndex("读书笔记"), Qt::Key_Return);
    EXPECT_EQ(frame->windowCount(), 1u);
}

TEST_F(FrameTest, DeleteRecyclesAndTheCategoryWindowCloses) {
    makeCategories({"读书笔记", "工作"});
    start();
    pressKey(*frame, categoryIndex("读书笔记"), Qt::Key_Return);
    ASSERT_EQ(frame->windowCount(), 1u);
    prompt.script({Answer::Yes});
    pressKey(*frame, categoryIndex("读书笔记"), Qt::Key_Delete);
    EXPECT_EQ(prompt.events(), (std::vector{asked("确实要把分类“读书笔记”放入回收站吗?",
                                                  MessageIcon::Question, Buttons::YesNo)}));
    EXPECT_EQ(frame->windowCount(), 0u);
    EXPECT_EQ(frame->windowTitle().toStdString(), "Tarnel个人知识管理系统 2.1.0");
    EXPECT_FALSE(categoryIndex("读书笔记").isValid());
    EXPECT_TRUE(std::filesystem::is_directory(data() / "Resource" / "回收站" / "1_读书笔记"));
}

TEST_F(FrameTest, ASameStoreMoveKeepsTheWindow) {
    makeCategories({"A", "B"});
    start();
    pressKey(*frame, categoryIndex("A"), Qt::Key_Return);
    prompt.script({Answer::Yes});
    std::unique_ptr<QMimeData> dragged(frame->treeModel()->mimeData({categoryIndex("A")}));
    frame->treeModel()->dropMimeData(dragged.get(), Qt::MoveAction, -1, 0, categoryIndex("B"));
    ASSERT_EVENTUALLY(categoryIndex("B/A").isValid());
    EXPECT_EQ(prompt.events(), (std::vector{asked("真的要将分类:'A' 移动到 分类:'B' 下吗?",
                                                  MessageIcon::Question, Buttons::YesNo)}));
    EXPECT_EQ(frame->windowCount(), 1u);
    EXPECT_EQ(frame->tree()->currentIndex(), categoryIndex("B/A"));
    EXPECT_TRUE(std::filesystem::is_directory(data() / "Resource" / "分类列表" / "B" / "A"));
}

TEST_F(FrameTest, TheMoveDialogRefusesATargetHoldingTheName) {
    makeCategories({"A", "B/A"});
    start();
    test::whenModal([&](QWidget* dialog) {
        ASSERT_EQ(dialog->objectName(), "categoryMoveDialog");
        dialog->findChild<CategoryChooser*>("categoryTarget")->select(category("B"));
        dialog->findChild<QPushButton*>("okButton")->click();
        EXPECT_TRUE(dialog->isVisible());
        dialog->findChild<QPushButton*>("cancelButton")->click();
    });
    pressKey(*frame, categoryIndex("A"), Qt::Key_F3);
    EXPECT_EQ(prompt.events(),
              (std::vector{shown("目标分类下已经存在此分类，无法移动！", MessageIcon::Error)}));
    EXPECT_TRUE(categoryIndex("A").isValid());
}

TEST_F(FrameTest, ThePropertiesDialogRenamesAndSavesTheMemo) {
    makeCategories({"A"});
    start();
    test::whenModal([&](QWidget* dialog) {
        ASSERT_EQ(dialog->objectName(), "categoryPropertiesDialog");
        EXPECT_EQ(dialog->findChild<QLineEdit*>("categoryCreateDate")->text(),
                  "2024-05-06 07:08:09");
        dialog->findChild<QLineEdit*>("categoryName")->setText("A2");
        dialog->findChild<QPlainTextEdit*>("categoryMemo")->setPlainText("备注");
        dialog->findChild<QPushButton*>("okButton")->click();
    });
    QMenu menu;
    frame->tree()->fillMenu(menu, categoryIndex("A"));
    menu.actions().back()->trigger();
    ASSERT_NE(category("A2"), nullptr);
    EXPECT_EQ(category("A2")->values.value(store::category::kMemo), "备注");
    EXPECT_TRUE(std::filesystem::is_directory(data() / "Resource" / "分类列表" / "A2"));
    EXPECT_TRUE(prompt.events().empty());
}

TEST_F(FrameTest, OpeningTheFolderGoesToTheOpenerAndAMissingFolderIsReported) {
    makeCategories({"A"});
    start();
    QMenu menu;
    frame->tree()->fillMenu(menu, categoryIndex("A"));
    QAction* open = menu.findChild<QAction*>("openCategoryFolder");
    ASSERT_NE(open, nullptr);
    open->trigger();
    EXPECT_EQ(opener.opened, (std::vector{data() / "Resource" / "分类列表" / "A"}));
    std::filesystem::remove_all(data() / "Resource" / "分类列表" / "A");
    open->trigger();
    EXPECT_EQ(prompt.events(), (std::vector{shown("分类对应的文件夹不存在!", MessageIcon::Error)}));
}

// Calls act with the colour pop-up once it is open.
void whenColorPopup(std::function<void(QMenu& popup)> act) {
    test::whenShown(
        [] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return popup && popup->objectName() == "colorPopup" ? popup : nullptr;
        },
        [act](QWidget* popup) { act(static_cast<QMenu&>(*popup)); });
}

TEST_F(FrameTest, TheColourPopupStoresASwatchAChosenColourAndTheDefault) {
    makeCategories({"A"});
    start();
    auto pick = [&](const char* command, std::function<void(QMenu&)> act) {
        whenColorPopup(act);
        QMenu menu;
        frame->tree()->fillMenu(menu, categoryIndex("A"));
        menu.findChild<QAction*>(command)->trigger();
    };
    pick("setForeColor", [](QMenu& popup) {
        EXPECT_EQ(popup.title(), "设置字体颜色");
        auto* red = popup.findChild<QToolButton*>("color9");
        EXPECT_EQ(red->accessibleName(), "红色");
        red->click();
    });
    EXPECT_EQ(categoryIndex("A").data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));

    pick("setBackColor", [](QMenu& popup) {
        test::whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<QColorDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
            dialog->accept();
        });
        popup.findChild<QAction*>("moreColors")->trigger();
        popup.close();
    });
    EXPECT_EQ(categoryIndex("A").data(Qt::BackgroundRole).value<QColor>(),
              QColor(0x12, 0x34, 0x56));

    pick("setForeColor", [](QMenu& popup) {
        popup.findChild<QAction*>("defaultColor")->trigger();
        popup.close();
    });
    EXPECT_FALSE(categoryIndex("A").data(Qt::ForegroundRole).isValid());

    // What the index on disk holds: red in the low byte; the default leaves no colour.
    store::NullChangeSink sink;
    store::KnowledgeStore saved(platform::realFileSystem(), sink);
    ASSERT_EQ(saved.open(data()), 0);
    store::CategoryRecord* a = saved.categories().children(saved.categories().root()).front();
    EXPECT_EQ(a->values.value(store::category::kBackColor), std::to_string(0x563412));
    EXPECT_EQ(a->values.value(store::category::kForeColor), "");
    EXPECT_TRUE(prompt.events().empty());
}

} // namespace
} // namespace tarnel::ui
