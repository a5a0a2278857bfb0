#include "ops/attachment_editing.h"
#include "ops/point_content.h"
#include "ops/point_editing.h"
#include "store/attribute_tables.h"
#include "tests/ui/frame_fixture.h"
#include "ui/attachment_pane.h"
#include "ui/category_window.h"
#include "ui/information_pane.h"
#include "ui/reading_area.h"

#include <QLabel>
#include <QTableView>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
using test::shown;
namespace fs = std::filesystem;

class InformationPaneTest : public test::FrameTest {
protected:
    CWindowFormView* window = nullptr;
    CInformationPane* pane = nullptr;

    void SetUp() override {
        makeCategories({"工作"});
        start();
    }
    long long addPoint(const std::string& title, const std::string& text) {
        ops::PointInput input;
        input.title = title;
        input.content = "{\\rtf1\\ansi " + text + "\\par}";
        ChangeDispatcher::Guard guard(frame->dispatcher());
        return ops::addPoint(*frame->context(), category("工作"), input).id;
    }
    void open() {
        window = dynamic_cast<CWindowFormView*>(frame->openCategoryWindow(*category("工作")));
        ASSERT_NE(window, nullptr);
        pane = window->information();
    }
    void select(int row) {
        window->list()->setCurrentIndex(window->list()->model()->index(row, 2));
    }
    std::vector<bool> enabledTabs() {
        std::vector<bool> enabled;
        for (int i = 0; i < pane->count(); ++i) {
            enabled.push_back(pane->isTabEnabled(i));
        }
        return enabled;
    }
    std::vector<std::string> attachmentRow(int row) {
        QTreeWidgetItem* item =
            pane->attachmentPane()->findChild<QTreeWidget*>("attachmentList")->topLevelItem(row);
        std::vector<std::string> texts;
        for (int i = 0; item && i < item->columnCount(); ++i) {
            texts.push_back(item->text(i).toStdString());
        }
        return texts;
    }
    int attachmentRows() {
        return pane->attachmentPane()
            ->findChild<QTreeWidget*>("attachmentList")
            ->topLevelItemCount();
    }
};

TEST_F(InformationPaneTest, TheTabsFollowWhatIsSelectedAndTheContentIsReadOnly) {
    addPoint("会议记录", "first item");
    open();
    ASSERT_EQ(pane->count(), 5);
    std::vector<std::string> labels;
    for (int i = 0; i < pane->count(); ++i) {
        labels.push_back(pane->tabText(i).toStdString());
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"属性信息", "正文", "批注", "附件", "预览"}));
    EXPECT_EQ(enabledTabs(), (std::vector<bool>{true, false, false, false, false}));
    EXPECT_TRUE(pane->propertyInfo()->text().contains("<td>工作</td>"));
    select(0);
    EXPECT_EQ(enabledTabs(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_TRUE(pane->propertyInfo()->text().contains("<td>会议记录.rtf</td>"));
    pane->setCurrentIndex(CInformationPane::Content);
    EXPECT_EQ(pane->contentArea()->editor()->toPlainText().toStdString(), "first item");
    EXPECT_TRUE(pane->contentArea()->editor()->isReadOnly());
    EXPECT_FALSE(pane->contentArea()->save());
    pane->setCurrentIndex(CInformationPane::Preview);
    EXPECT_TRUE(pane->preview()->toPlainText().contains("first item"));

    frame->openCategoryWindow(*frame->base()->recycle().root());
    auto* recycle = dynamic_cast<CWindowFormView*>(frame->currentWindow());
    EXPECT_EQ(recycle->information()->count(), 1);
}

TEST_F(InformationPaneTest, AttachmentsAreAddedByCopyOrLinkAndDeletedThroughThePane) {
    long long id = addPoint("会议记录", "agenda");
    fs::path outside = program / "外部";
    fs::create_directories(outside);
    test::writeBytes(outside / "议程.txt", std::string(2048, 'a'));
    test::writeBytes(outside / "名单.txt", "b");
    open();
    select(0);
    pane->setCurrentIndex(CInformationPane::Attachments);
    CAttachmentPane* attachments = pane->attachmentPane();
    bool linked = false;
    attachments->setDialogs(
        {[&](QWidget*) {
             return std::optional<CAttachmentPane::Choice>(
                 {{linked ? outside / "名单.txt" : outside / "议程.txt"}, linked});
         },
         {}});
    attachments->addAttachments();
    linked = true;
    attachments->addAttachments();
    ASSERT_EQ(attachmentRows(), 2);
    std::vector<std::string> copied = attachmentRow(0);
    EXPECT_EQ(copied[0], "议程.txt");
    EXPECT_EQ(copied[1], "会议记录.rtf");
    EXPECT_EQ(copied[2], "2.00KB");
    EXPECT_EQ(copied[3], "备份模式");
    EXPECT_EQ(copied[6], "正常");
    EXPECT_EQ(attachmentRow(1)[3], "关联模式");
    fs::path copy = data() / "Append" / "1_议程.txt";
    EXPECT_EQ(fs::file_size(copy), 2048u);
    EXPECT_TRUE(window->list()->model()->index(0, 5).data().toString() == "2");

    prompt.script({Answer::Yes, Answer::Yes});
    attachments->findChild<QTreeWidget*>("attachmentList")
        ->setCurrentItem(attachments->findChild<QTreeWidget*>("attachmentList")->topLevelItem(1));
    attachments->deleteSelected();
    EXPECT_TRUE(fs::exists(outside / "名单.txt"));
    attachments->findChild<QTreeWidget*>("attachmentList")
        ->setCurrentItem(attachments->findChild<QTreeWidget*>("attachmentList")->topLevelItem(0));
    attachments->deleteSelected();
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(attachmentRows(), 0);
    EXPECT_EQ(prompt.events(),
              (std::vector{
                  asked("真的要从知识点中删除此附件吗?", MessageIcon::Question, Buttons::YesNo),
                  asked("真的要从知识点中删除此附件吗?", MessageIcon::Question, Buttons::YesNo)}));

    // An attachment added elsewhere reaches the pane through its notification; a file gone from
    // disk shows as such.
    ops::FoundPoint found = ops::findPoint(*frame->base(), id);
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::addAttachments(*frame->context(), *found.category, *found.point,
                                        {{outside / "名单.txt", true}})
                        .ok());
    }
    ASSERT_EQ(attachmentRows(), 1);
    fs::remove(outside / "名单.txt");
    attachments->refresh();
    EXPECT_EQ(attachmentRow(0)[6], "文件失效");
}

TEST_F(InformationPaneTest, AnEditedCommentIsSavedBeforeAnotherPointIsShown) {
    addPoint("甲", "one");
    long long second = addPoint("乙", "two");
    open();
    select(0);
    pane->setCurrentIndex(CInformationPane::Comment);
    QTextCursor(pane->commentArea()->editor()->document()).insertText("要点");
    EXPECT_TRUE(window->hasUnsavedContent());
    prompt.script({Answer::Cancel, Answer::Yes});
    select(1);
    EXPECT_EQ(window->list()->currentIndex().row(), 0);
    select(1);
    EXPECT_EQ(window->list()->currentIndex().row(), 1);
    EXPECT_EQ(prompt.events(), (std::vector{asked("知识点“甲.rtf”的批注已经修改，是否保存？",
                                                  MessageIcon::Question, Buttons::YesNoCancel),
                                            asked("知识点“甲.rtf”的批注已经修改，是否保存？",
                                                  MessageIcon::Question, Buttons::YesNoCancel)}));
    EXPECT_TRUE(fs::exists(frame->base()->layout().commentFile(1, "甲.rtf")));
    EXPECT_EQ(pane->shownPointId(), second);
    EXPECT_FALSE(window->hasUnsavedContent());
}

} // namespace
} // namespace tarnel::ui
