#include "ops/attachment_messages.h"
#include "ops/point_messages.h"
#include "richtext/rtf_writer.h"
#include "store/attribute_tables.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/add_point_form.h"
#include "ui/attachment_pane.h"
#include "ui/category_chooser.h"
#include "ui/reading_area.h"
#include "ui/tag_chooser.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
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
namespace point = store::point;

class AddPointFormTest : public test::FrameTest {
protected:
    CAddPointFormView* form = nullptr;

    void SetUp() override {
        makeCategories({"工作"});
        start();
        frame->activateWindow();
        form = dynamic_cast<CAddPointFormView*>(frame->openAddPointForm(category("工作")));
        ASSERT_NE(form, nullptr);
    }

    template <class T> T* child(const char* name) { return form->findChild<T*>(name); }
    void click(const char* button) {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    bool formOpen() const {
        for (std::size_t i = 0; i < frame->windowCount(); ++i) {
            if (frame->windowAt(i)->kind() == WindowKind::NewPoint) {
                return true;
            }
        }
        return false;
    }
    store::PointRecord* pointNamed(const std::string& name) {
        store::CategoryRecord* work = category("工作");
        for (const auto& p : work->owner->pointsOf(*work).records()) {
            if (p->name() == name) {
                return p.get();
            }
        }
        return nullptr;
    }
};

TEST_F(AddPointFormTest, RefusedFieldsStayFocusedAndSaveWritesContentAttachmentsAndNoEmptyComment) {
    EXPECT_EQ(frame->findChild<QTabBar*>("windowTabs")->tabText(0), QString("新建知识点"));
    auto* pages = child<QTabWidget>("addPointPages");
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), QString("正文"));
    EXPECT_EQ(pages->tabText(1), QString("批注"));
    EXPECT_EQ(pages->tabText(2), QString("附件"));
    EXPECT_EQ(child<TagChooser>("addPointTag1")->itemText(0), QString("---请选择所属标签---"));
    EXPECT_EQ(child<CategoryChooser>("addPointCategory")->chosen(), category("工作"));

    click("addPointSave");
    ASSERT_EVENTUALLY_EQ(QApplication::focusWidget(), child<QLineEdit>("addPointTitle"));
    child<QLineEdit>("addPointTitle")->setText("  计划 ");
    child<CategoryChooser>("addPointCategory")->select(nullptr);
    click("addPointSave");
    ASSERT_EVENTUALLY_EQ(QApplication::focusWidget(), child<CategoryChooser>("addPointCategory"));
    EXPECT_EQ(prompt.events(),
              (std::vector<test::PromptEvent>{
                  shown(std::string(ops::message::kTitleEmpty), MessageIcon::Error),
                  shown(std::string(ops::message::kChooseValidCategory), MessageIcon::Error)}));
    EXPECT_TRUE(formOpen());

    child<CategoryChooser>("addPointCategory")->select(category("工作"));
    child<QComboBox>("addPointStars")->setCurrentIndex(3);
    form->contentArea()->editor()->insertPlainText("正文内容 text");
    std::string content = form->contentArea()->richText();
    fs::path source = program / "资料.txt";
    test::writeBytes(source, "abc");
    CAttachmentPane* pane = form->attachmentPane();
    pane->setDialogs({[&](QWidget*) {
                          return std::optional<CAttachmentPane::Choice>({{source, source}, false});
                      },
                      {}});
    pages->setCurrentIndex(2);
    click("addAttachment");
    // The same name twice in one choice: the second is refused.
    EXPECT_EQ(prompt.events().back(),
              shown(ops::message::formatted(ops::message::kDuplicateAttachment, {"资料.txt"}),
                    MessageIcon::Information));
    ASSERT_EQ(pane->findChild<QTreeWidget*>("attachmentList")->topLevelItemCount(), 1);
    EXPECT_EQ(pane->findChild<QTreeWidget*>("attachmentList")->topLevelItem(0)->text(3),
              QString("备份模式"));
    prompt.clear();

    click("addPointSave");
    ASSERT_EVENTUALLY(!formOpen());
    EXPECT_TRUE(prompt.events().empty());
    store::PointRecord* added = pointNamed("计划.rtf");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(test::readBytes(data() / "Resource" / "分类列表" / "工作" / "计划.rtf"), content);
    EXPECT_EQ(added->values.integer(point::kStarNum), 3);
    EXPECT_EQ(added->values.integer(point::kPointSize), static_cast<long long>(content.size()));
    EXPECT_EQ(added->values.value(point::kHasComment), "");
    EXPECT_FALSE(fs::exists(frame->base()->layout().commentFile(added->id, "计划.rtf")));
    EXPECT_EQ(added->values.integer(point::kAppendNum), 1);
    EXPECT_EQ(test::readBytes(frame->base()->layout().attachmentCopy(1, "资料.txt")), "abc");
}

TEST_F(AddPointFormTest, CancelAsksAndACommentIsWrittenForItsPoint) {
    prompt.script({Answer::No});
    click("addPointCancel");
    EXPECT_TRUE(formOpen());
    child<QLineEdit>("addPointTitle")->setText("想法");
    form->commentArea()->editor()->insertPlainText("我的批注");
    std::string comment = form->commentArea()->richText();
    click("addPointSave");
    ASSERT_EVENTUALLY(!formOpen());
    store::PointRecord* added = pointNamed("想法.rtf");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(test::readBytes(frame->base()->layout().commentFile(added->id, "想法.rtf")), comment);
    EXPECT_EQ(added->values.integer(point::kHasComment), 1);

    form = dynamic_cast<CAddPointFormView*>(frame->openAddPointForm(nullptr));
    ASSERT_NE(form, nullptr);
    prompt.script({Answer::Yes});
    click("addPointCancel");
    ASSERT_EVENTUALLY(!formOpen());
    std::string question = CAddPointFormView::kCancelQuestion;
    EXPECT_EQ(prompt.events(), (std::vector<test::PromptEvent>{
                                   asked(question, MessageIcon::Question, Buttons::YesNo),
                                   asked(question, MessageIcon::Question, Buttons::YesNo)}));
}

} // namespace
} // namespace tarnel::ui
