#include "lustra/list_box_ext.h"
#include "tests/ui/frame_fixture.h"
#include "ui/category_chooser.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDialog>
#include <gtest/gtest.h>
#include <string>

namespace tarnel::ui {
namespace {

using LUSTRA::CListBoxExt;

class TreeChooserTest : public test::FrameTest {
protected:
    void SetUp() override {
        makeCategories({"工作", "工作/项目", "工作/项目/一期", "生活"});
        start();
    }
    // The shown rows, indented by dots; "+" marks a collapsed branch.
    static std::string rowsOf(CListBoxExt& list) {
        std::string rows;
        for (int row = 0; row < list.count(); ++row) {
            const LUSTRA::ST_LISTBOX_ITEM* item = list.GetItemByIndex(row);
            rows += std::string(static_cast<std::size_t>(item->nIndent / 16), '.') + item->pszText +
                    (item->bHasChild && !item->bExpanded ? "+" : "") + " ";
        }
        return rows;
    }
    // What a screen reader (or a click on the row's button) does to a row.
    static void collapse(CListBoxExt& list, int row) {
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&list)->child(row);
        ASSERT_NE(shown, nullptr);
        shown->actionInterface()->doAction(QStringLiteral("collapse"));
    }
};

TEST_F(TreeChooserTest, TheDropDownIsATreeWhoseChoiceSurvivesACollapseOfItsBranch) {
    QDialog dialog;
    CategoryChooser chooser(frame->base()->categories(), &dialog);
    auto* list = chooser.findChild<CListBoxExt*>("categoryChooserTree");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(rowsOf(*list), "顶级分类 .工作 ..项目 ...一期 .生活 ");
    EXPECT_EQ(chooser.currentIndex(), -1);
    EXPECT_EQ(chooser.chosen(), nullptr);

    chooser.select(category("工作/项目/一期"));
    EXPECT_EQ(chooser.currentText(), "一期");
    collapse(*list, 1);
    EXPECT_EQ(rowsOf(*list), "顶级分类 .工作+ .生活 ");
    EXPECT_EQ(chooser.currentText(), "工作");
    EXPECT_EQ(chooser.chosen(), category("工作"));

    // Choosing inside a collapsed branch opens it.
    chooser.select(category("工作/项目/一期"));
    EXPECT_EQ(rowsOf(*list), "顶级分类 .工作 ..项目 ...一期 .生活 ");
    EXPECT_EQ(chooser.chosen(), category("工作/项目/一期"));

    chooser.select(category("生活"));
    collapse(*list, 2);
    EXPECT_EQ(rowsOf(*list), "顶级分类 .工作 ..项目+ .生活 ");
    EXPECT_EQ(chooser.chosen(), category("生活"));
    collapse(*list, 0);
    EXPECT_EQ(rowsOf(*list), "顶级分类+ ");
    EXPECT_EQ(chooser.chosen(), frame->base()->categories().root());
    EXPECT_EQ(chooser.currentText(), CategoryChooser::kTopEntry);
}

} // namespace
} // namespace tarnel::ui
