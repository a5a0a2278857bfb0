#include "lustra/list_box_ext.h"
#include "ops/category_editing.h"
#include "ops/point_editing.h"
#include "ops/tag_editing.h"
#include "ops/tag_points.h"
#include "platform/file_system.h"
#include "richtext/rtf_writer.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/search_controller.h"
#include "ui/search_pane.h"
#include "ui/search_result_model.h"
#include "ui/search_result_window.h"
#include "ui/skin/skin_keys.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace tarnel::ui {
namespace {

using app::MessageIcon;
using LUSTRA::CListBoxExt;
using LUSTRA::ST_LISTBOX_ITEM;
using test::shown;

constexpr int kRow = 16;

// Each row as its indent in dots, "[x]" or "[ ]", the text, and "+" for a collapsed branch.
std::string rowsOf(CListBoxExt& list) {
    std::string rows;
    for (int row = 0; row < list.count(); ++row) {
        const ST_LISTBOX_ITEM* item = list.GetItemByIndex(row);
        rows += std::string(static_cast<std::size_t>(item->nIndent / kRow), '.') +
                (item->bChecked ? "[x]" : "[ ]") + item->pszText +
                (item->bHasChild && !item->bExpanded ? "+" : "") + " ";
    }
    return rows;
}

int rowNamed(CListBoxExt& list, const char* name) {
    for (int row = 0; row < list.count(); ++row) {
        if (std::string_view(list.GetItemByIndex(row)->pszText) == name) {
            return row;
        }
    }
    return -1;
}

// A left click at x of the row, as the user gives it.
void clickRow(CListBoxExt& list, const char* name, int x) {
    const int row = rowNamed(list, name);
    ASSERT_GE(row, 0) << name;
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(x, row * kRow + kRow / 2));
}

// On the check box, in the column after the left margin.
void tick(CListBoxExt& list, const char* name) {
    clickRow(list, name, list.GetLeftMargin() + kRow / 2);
}

// On the expand button, after the check column and the indent.
void clickButton(CListBoxExt& list, const char* name) {
    const ST_LISTBOX_ITEM* item = list.GetItemByIndex(rowNamed(list, name));
    ASSERT_NE(item, nullptr) << name;
    clickRow(list, name, list.GetLeftMargin() + kRow + item->nIndent + kRow / 2);
}

// Reads content files through the real file system, holding the reader of the gated one (by
// count) until released.
class GatedFileSystem : public platform::FileSystem {
public:
    explicit GatedFileSystem(int gatedRead) : m_gatedRead(gatedRead) {}

    int readChunks(const std::filesystem::path& path, const ChunkConsumer& consume) const override {
        if (path.extension() == ".rtf") {
            std::unique_lock lock(m_mutex);
            if (++m_reads == m_gatedRead) {
                m_held = true;
                m_changed.notify_all();
                m_changed.wait(lock, [this] { return m_released; });
            }
        }
        return platform::FileSystem::readChunks(path, consume);
    }

    bool holding() const {
        std::lock_guard lock(m_mutex);
        return m_held;
    }
    int reads() const {
        std::lock_guard lock(m_mutex);
        return m_reads;
    }
    void release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    const int m_gatedRead;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    mutable int m_reads = 0;
    mutable bool m_held = false;
    bool m_released = false;
};

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
        addPoint(category, input);
    }
    void addPoint(const std::string& category, const ops::PointInput& input) {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::addPoint(*frame->context(), this->category(category), input).ok());
    }
    void showPane() {
        frame->findChild<QTabWidget*>("workspaceTabs")->setCurrentWidget(frame->searchPane());
    }
    CListBoxExt& categories() { return *frame->searchPane()->categoryTree(); }
    CListBoxExt& tags() { return *frame->searchPane()->tagTree(); }
    store::TagRecord* addTag(const std::string& name, store::TagRecord* parent = nullptr) {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ops::OperationResult result =
            ops::addTag(*frame->context(), parent ? parent : frame->base()->tags().root(),
                        ops::TagInput{name, 0, ""});
        return result.ok() ? frame->base()->tags().find(result.id) : nullptr;
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
    std::vector<std::string> hitsOf(CSearchResultView& window) {
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
    addPoint("工作/项目", "周计划");
    showPane();
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

    // A ticked parent does not bring its children.
    tick(categories(), "工作");
    tick(categories(), "生活");
    EXPECT_EQ(rowsOf(categories()), "[x]工作 .[ ]项目 [x]生活 ");
    std::vector<int> arrived;
    clickSearch();
    CSearchResultView* window = resultWindow(0);
    ASSERT_NE(window, nullptr);
    QObject::connect(window, &CSearchResultView::hitAdded,
                     [&](int row) { arrived.push_back(row); });
    EXPECT_EQ(window->name(), "标题:'周'的查询结果");
    EXPECT_EQ(frame->currentWindow(), window);
    ASSERT_EVENTUALLY(!window->searching());
    EXPECT_EQ(hitsOf(*window),
              (std::vector<std::string>{"周报.rtf 分类:工作", "周会记录.rtf 分类:工作",
                                        "周末计划.rtf 分类:生活"}));
    EXPECT_EQ(arrived, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(window->status()->text(), "查询完成, 共找到3个知识点");
    EXPECT_FALSE(window->information()->isTabEnabled(CInformationPane::Properties));

    // A second search opens a second window; the first keeps its hits.
    pane.query()->setText("闲");
    clickSearch();
    CSearchResultView* second = resultWindow(1);
    ASSERT_NE(second, nullptr);
    ASSERT_EVENTUALLY(!second->searching());
    EXPECT_EQ(hitsOf(*second), (std::vector<std::string>{"闲谈.rtf 分类:工作"}));
    EXPECT_EQ(hitsOf(*window).size(), 3u);
}

TEST_F(SearchTest, TheTreesShowTheBaseWithTheSkinsIconsAndKeepTicksThroughChanges) {
    store::TagRecord* reading = addTag("阅读");
    store::TagRecord* novels = addTag("小说", reading);
    addTag("诗歌", reading);
    showPane();
    ASSERT_EVENTUALLY_EQ(rowsOf(tags()), "[ ]阅读 .[ ]小说 .[ ]诗歌 ");
    EXPECT_EQ(rowsOf(categories()), "[ ]工作 .[ ]项目 [ ]生活 ");
    const MainImageList& images = frame->imageList();
    auto picture = [](const LUSTRA::ST_IMG_INFO* info) {
        return info && info->pBitmap ? *info->pBitmap : QImage();
    };
    auto skinPicture = [&](skin::IconIndex icon) {
        return images.icon(icon).pixmap(kRow, kRow).toImage();
    };
    const ST_LISTBOX_ITEM* work = categories().GetItemByIndex(0);
    EXPECT_FALSE(picture(work->pImgExpand).isNull());
    EXPECT_EQ(picture(work->pImgExpand), skinPicture(skin::ICON_FOLDER_OPEN));
    EXPECT_EQ(picture(work->pImgCollapse), skinPicture(skin::ICON_FOLDER_CLOSE));
    const ST_LISTBOX_ITEM* life = categories().GetItemByIndex(2);
    EXPECT_TRUE(life->bExpanded);
    EXPECT_EQ(picture(life->pImgExpand), skinPicture(skin::ICON_FOLDER_CLOSE));
    EXPECT_EQ(picture(tags().GetItemByIndex(1)->pImgCollapse), skinPicture(skin::ICON_TAG_OPEN));

    tick(categories(), "项目");
    tick(tags(), "小说");
    tick(tags(), "诗歌");
    tick(tags(), "诗歌");
    clickButton(categories(), "工作");
    EXPECT_EQ(rowsOf(categories()), "[ ]工作+ [ ]生活 ");
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::renameCategory(*frame->context(), *category("工作/项目"), "计划").ok());
        ASSERT_TRUE(ops::addCategory(*frame->context(), category("工作"), {"总结"}).ok());
    }
    ASSERT_EVENTUALLY_EQ(categories().GetItemCount(), 4);
    EXPECT_EQ(rowsOf(categories()), "[ ]工作+ [ ]生活 ");
    clickButton(categories(), "工作");
    EXPECT_EQ(rowsOf(categories()), "[ ]工作 .[x]计划 .[ ]总结 [ ]生活 ");

    prompt.script({app::Answer::Ok});
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::deleteTag(*frame->context(), *novels).ok());
    }
    ASSERT_EVENTUALLY_EQ(rowsOf(tags()), "[ ]阅读 .[ ]诗歌 ");
    ops::SearchPaneInput input = frame->searchPane()->input();
    EXPECT_EQ(input.ticked.categories, (std::vector{category("工作/计划")}));
    EXPECT_TRUE(input.ticked.tags.empty());
}

// The search reads one content file after another; the gate holds it inside the third.
class StoppedSearchTest : public SearchTest {
protected:
    static constexpr int kPoints = 40;
    static constexpr int kGatedRead = 3;

    void SetUp() override {
        fileSystem = &gate;
        SearchTest::SetUp();
        ops::PointInput input;
        input.content = richtext::RtfWriter().write({});
        for (int i = 0; i < kPoints; ++i) {
            input.title = "笔记" + std::to_string(i);
            addPoint("工作", input);
        }
        showPane();
        tick(categories(), "工作");
        CSearchPane& pane = *frame->searchPane();
        pane.query()->setText("不在其中");
        pane.findChild<QCheckBox*>("searchByTitle")->setChecked(false);
        pane.findChild<QCheckBox*>("searchByContent")->setChecked(true);
        clickSearch();
        window = resultWindow(0);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->name(), "内容:'不在其中'的查询结果");
        ASSERT_EVENTUALLY(gate.holding());
        EXPECT_TRUE(window->searching());
        EXPECT_EQ(window->status()->text(), "正在查询..., 已找到0个知识点");
    }

    GatedFileSystem gate{kGatedRead};
    CSearchResultView* window = nullptr;
};

TEST_F(StoppedSearchTest, ClosingTheResultWindowEndsItsSearchAtTheNextPoint) {
    ASSERT_TRUE(frame->closeWindow(window));
    EXPECT_EQ(resultWindow(0), nullptr);
    EXPECT_EQ(frame->searches()->running(), 1u);
    gate.release();
    ASSERT_EVENTUALLY(frame->searches()->running() == 0u);
    EXPECT_EQ(gate.reads(), kGatedRead);
}

TEST_F(StoppedSearchTest, TheFrameGoingEndsTheSearchAtTheNextPoint) {
    std::thread releaser([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        gate.release();
    });
    frame.reset();
    releaser.join();
    EXPECT_EQ(gate.reads(), kGatedRead);
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
    EXPECT_EQ(hitsOf(*window), (std::vector<std::string>{"Report.rtf 分类:项目"}));
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
    ASSERT_EVENTUALLY(hitsOf(*window) == std::vector<std::string>{"月报.rtf 分类:工作"});
    store::CategoryRecord& work = *category("工作");
    EXPECT_TRUE(std::filesystem::exists(work.owner->folderOf(work) / "月报.rtf"));
    EXPECT_EQ(work.owner->pointsOf(work).records().front()->name(), "月报.rtf");
}

} // namespace
} // namespace tarnel::ui
