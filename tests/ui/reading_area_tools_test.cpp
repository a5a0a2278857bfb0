#include "app/reading_tools.h"
#include "app/toolbar_config.h"
#include "ops/point_editing.h"
#include "store/attribute_tables.h"
#include "tests/ui/frame_fixture.h"
#include "ui/add_point_form.h"
#include "ui/category_window.h"
#include "ui/information_pane.h"
#include "ui/options_dialog.h"
#include "ui/point_window.h"
#include "ui/reading_area.h"
#include "ui/reading_toolbar.h"
#include "ui/reading_tools_controller.h"

#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>
#include <numeric>

namespace tarnel::ui {
namespace {

// The kinds of the toolbar's items in order, separators left out; empty without a toolbar.
std::vector<int> toolKinds(CReadingArea* area) {
    auto* toolbar = area ? area->findChild<CReadingToolbar*>("readingToolbar") : nullptr;
    std::vector<int> kinds;
    if (!toolbar) {
        return kinds;
    }
    for (LUSTRA::ST_TOOLBAR_ITEM* item : toolbar->items()) {
        if (item->nID != app::kToolSeparator) {
            kinds.push_back(item->nID);
        }
    }
    return kinds;
}

std::vector<int> kindsFrom(int first) {
    std::vector<int> kinds(app::kToolFontBackground + 1 - first);
    std::iota(kinds.begin(), kinds.end(), first);
    return kinds;
}

const std::vector<int> kEditable = kindsFrom(app::kToolSave);
const std::vector<int> kReadOnly = kindsFrom(app::kToolCut);

// A category "工作" holding one note, with the default tool list; the note opened in its own
// window, in the category window's information pane and beside an add-point form.
class ReadingAreaToolsTest : public test::FrameTest {
protected:
    store::CategoryRecord* work = nullptr;
    CReadingArea* pointArea = nullptr;
    CInformationPane* pane = nullptr;
    CAddPointFormView* form = nullptr;

    void SetUp() override {
        settings.readingTools = app::defaultReadingTools();
        makeCategories({"工作"});
        start();
        work = category("工作");
        ops::PointInput input;
        input.title = "笔记";
        input.content = "{\\rtf1\\ansi Hello\\par}";
        {
            ChangeDispatcher::Guard guard(frame->dispatcher());
            ops::OperationResult added = ops::addPoint(*frame->context(), work, input);
            ASSERT_TRUE(added.ok());
            pointId = added.id;
        }
        frame->openPointWindow(*work, note());
        auto* point = dynamic_cast<CPointWindow*>(frame->currentWindow());
        ASSERT_NE(point, nullptr);
        pointArea = point->readingArea();

        auto* window = dynamic_cast<CWindowFormView*>(frame->openCategoryWindow(*work));
        ASSERT_NE(window, nullptr);
        pane = window->information();
        window->list()->setCurrentIndex(window->list()->model()->index(0, 2));
        pane->setCurrentIndex(CInformationPane::Content);
        ASSERT_EQ(pane->contentArea()->editor()->toPlainText().toStdString(), "Hello");

        form = dynamic_cast<CAddPointFormView*>(frame->openAddPointForm(work));
        ASSERT_NE(form, nullptr);
    }

    long long pointId = 0;
    store::PointRecord& note() { return *work->owner->pointsOf(*work).find(pointId); }
    std::vector<CReadingArea*> areas() const {
        return {pointArea, pane->contentArea(), pane->commentArea(), form->contentArea(),
                form->commentArea()};
    }
};

TEST_F(ReadingAreaToolsTest, EveryPlaceShowsTheConfiguredToolbarAndAReadOnlyViewHasNoSaveOrCancel) {
    EXPECT_EQ(toolKinds(pointArea), kEditable);
    EXPECT_EQ(toolKinds(pane->contentArea()), kReadOnly);
    EXPECT_EQ(toolKinds(pane->commentArea()), kEditable);
    EXPECT_EQ(toolKinds(form->findChild<CReadingArea*>("addPointContent")), kEditable);
    EXPECT_EQ(toolKinds(form->findChild<CReadingArea*>("addPointComment")), kEditable);
    for (CReadingArea* area : areas()) {
        auto* toolbar = area->findChild<CReadingToolbar*>("readingToolbar");
        ASSERT_NE(toolbar, nullptr);
        EXPECT_EQ(area->toolBar(), toolbar);
        EXPECT_EQ(area->toolBarEdge(), CReadingArea::ToolBarEdge::Top);
        EXPECT_NE(area->findChild<CReadingToolsController*>(), nullptr);
        EXPECT_FALSE(toolbar->accessibleName().isEmpty());
    }

    // Typing into the comment page enables its save tool, which saves the comment.
    pane->setCurrentIndex(CInformationPane::Comment);
    CReadingArea* comment = pane->commentArea();
    auto* commentBar = comment->findChild<CReadingToolbar*>("readingToolbar");
    auto state = [commentBar](int kind) {
        return commentBar->pane().FindToolbarItem(kind, 0)->nState;
    };
    EXPECT_EQ(state(app::kToolSave), CReadingToolbar::kDisabledState);
    comment->editor()->insertPlainText("批注文字");
    EXPECT_EQ(state(app::kToolSave), 0);
    emit commentBar->toolChosen(app::kToolSave);
    EXPECT_EQ(state(app::kToolSave), CReadingToolbar::kDisabledState);
    EXPECT_EQ(note().values.integer(store::point::kHasComment), 1);
}

TEST_F(ReadingAreaToolsTest, ConfirmedCustomisationRebuildsEveryToolbar) {
    OptionsDialog dialog(settings, platform::realFileSystem(), prompt);
    auto* list = dialog.findChild<QListWidget*>("toolList");
    ASSERT_NE(list, nullptr);
    list->setCurrentRow(0); // "保存"
    dialog.findChild<QPushButton*>("visibleButton")->click();
    dialog.findChild<QPushButton*>("okButton")->click();
    std::vector<int> withoutSave(kEditable.begin() + 1, kEditable.end());
    for (CReadingArea* area : areas()) {
        EXPECT_EQ(toolKinds(area), area == pane->contentArea() ? kReadOnly : withoutSave);
    }
}

TEST_F(ReadingAreaToolsTest, TheReadingModeOfAnyToolbarSwitchesTheFrameAndEveryToolbarFollows) {
    frame->makeCurrent(frame->windowAt(1));
    auto* infoBar = pane->contentArea()->findChild<CReadingToolbar*>("readingToolbar");
    emit infoBar->toolChosen(app::kToolMaxReadMode);
    EXPECT_TRUE(frame->isReadingMaximised());
    for (CReadingArea* area : areas()) {
        auto* toolbar = area->findChild<CReadingToolbar*>("readingToolbar");
        EXPECT_EQ(toolbar->pane().FindToolbarItem(app::kToolMaxReadMode, 0)->szText,
                  app::kRestoreReadModeName);
    }
    emit infoBar->toolChosen(app::kToolMaxReadMode);
    EXPECT_FALSE(frame->isReadingMaximised());
    EXPECT_STREQ(infoBar->pane().FindToolbarItem(app::kToolMaxReadMode, 0)->szText,
                 "最大化阅读模式");
}

} // namespace
} // namespace tarnel::ui
