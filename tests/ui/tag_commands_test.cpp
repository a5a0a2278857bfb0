#include "ops/point_editing.h"
#include "ops/tag_editing.h"
#include "richtext/rtf_writer.h"
#include "store/attribute_tables.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "tests/ui/scripted_file_chooser.h"
#include "ui/knowledge_tree_model.h"
#include "ui/knowledge_tree_view.h"
#include "ui/set_tags_dialog.h"
#include "ui/tag_chooser.h"
#include "ui/tag_commands.h"
#include "ui/tag_point_list_model.h"
#include "ui/tag_tree_chooser.h"
#include "ui/tag_window.h"

#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
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
namespace tag = store::tag;

class TagTest : public test::FrameTest {
protected:
    void SetUp() override {
        makeCategories({"工作"});
        start();
    }
    ops::OperationContext& context() { return *frame->context(); }
    store::TagRecord* addTag(const std::string& name, store::TagRecord* parent = nullptr) {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ops::OperationResult result = ops::addTag(
            context(), parent ? parent : frame->base()->tags().root(), ops::TagInput{name, 0, ""});
        return result.ok() ? frame->base()->tags().find(result.id) : nullptr;
    }
    store::PointRecord* addPoint(const std::string& title, std::vector<long long> tags) {
        ops::PointInput input;
        input.title = title;
        input.tags = std::move(tags);
        input.content = richtext::RtfWriter().write({});
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ops::OperationResult result = ops::addPoint(context(), category("工作"), input);
        store::CategoryRecord* work = category("工作");
        return result.ok() ? work->owner->pointsOf(*work).find(result.id) : nullptr;
    }
    QModelIndex tagIndex(const store::TagRecord* record) {
        return tree().indexOf(store::StoreKind::Tag, record->id);
    }
    std::vector<std::string> menuOf(const QModelIndex& index) {
        QMenu menu;
        frame->tree()->fillMenu(menu, index);
        return test::entriesOf(menu);
    }
    void trigger(const QModelIndex& index, const char* entry) {
        QMenu menu;
        frame->tree()->fillMenu(menu, index);
        menu.findChild<QAction*>(entry)->trigger();
    }
    // An attribute of the tag as kms.tags on disk holds it.
    std::string onDisk(long long id, tag::Attribute attribute) {
        store::NullChangeSink sink;
        store::KnowledgeStore again(platform::realFileSystem(), sink);
        again.open(data());
        store::TagRecord* found = again.tags().find(id);
        return found ? std::string(found->values.value(attribute)) : std::string();
    }
};

TEST_F(TagTest, TheTagMenusListTheirCommandsInOrder) {
    store::TagRecord* reading = addTag("阅读");
    EXPECT_EQ(menuOf(tree().tagRootIndex()), (std::vector<std::string>{"新建子级标签"}));
    EXPECT_EQ(menuOf(tagIndex(reading)),
              (std::vector<std::string>{"打开", "新建知识点", "-", "新建子级标签", "新建同级标签",
                                        "-", "删除标签", "移动标签", "重命名标签", "-",
                                        "设置字体颜色", "设置背景颜色", "-", "在此标签中快速查找",
                                        "导出标签", "-", "属性"}));
    QMenu menu;
    bool found = false;
    TagCommands commands(context(), frame->dispatcher(), frame.get(),
                         {{}, {}, {}, [&](store::TagRecord&) { found = true; }, {}});
    commands.fillTagMenu(menu, *reading, [](store::TagRecord&) {});
    EXPECT_EQ(
        test::entriesOf(menu),
        (std::vector<std::string>{"打开", "-", "新建子级标签", "新建同级标签", "-", "删除标签",
                                  "移动标签", "重命名标签", "-", "设置字体颜色", "设置背景颜色",
                                  "-", "在此标签中快速查找", "导出标签", "-", "属性"}));
    menu.findChild<QAction*>("quickFindInTag")->trigger();
    EXPECT_TRUE(found);
}

TEST_F(TagTest, TheAddDialogKeepsARefusalOpenAndAddsUnderTheChosenParent) {
    store::TagRecord* reading = addTag("阅读");
    addTag("小说", reading);
    test::whenModal([&](QWidget* dialog) {
        ASSERT_EQ(dialog->objectName(), "tagAddDialog");
        EXPECT_EQ(dialog->windowTitle(), "新建子级标签");
        EXPECT_EQ(dialog->findChild<TagTreeChooser*>("tagParent")->currentText(), "阅读");
        auto* name = dialog->findChild<QLineEdit*>("tagName");
        auto* ok = dialog->findChild<QPushButton*>("okButton");
        name->setText("   ");
        ok->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->focusWidget(), name);
        name->setText("小说");
        ok->click();
        EXPECT_TRUE(dialog->isVisible());
        name->setText(" 散文 ");
        dialog->findChild<QSpinBox*>("tagStars")->setValue(3);
        ok->click();
    });
    trigger(tagIndex(reading), "addChildTag");
    EXPECT_EQ(prompt.events(),
              (std::vector{shown("标签名称不能为空!", MessageIcon::Error),
                           shown("已经存在此名称的标签，请输入其他名称!", MessageIcon::Error)}));
    ASSERT_EQ(tree().rowCount(tagIndex(reading)), 2);
    QModelIndex added = tree().index(1, 0, tagIndex(reading));
    EXPECT_EQ(tree().labelOf(added).toStdString(), "散文(0)");
    EXPECT_EQ(tree().tagAt(added)->values.integer(tag::kStarNum), 3);
    EXPECT_EQ(onDisk(tree().tagAt(added)->id, tag::kName), "散文");
}

TEST_F(TagTest, OpeningATagRepairsItsCountAndTheLabelShowsItAtOnce) {
    store::TagRecord* reading = addTag("阅读");
    addPoint("第一章", {reading->id});
    addPoint("第二章", {});
    EXPECT_EQ(tree().labelOf(tagIndex(reading)).toStdString(), "阅读(1)");
    reading->values.setInteger(tag::kPointNum, 7);
    QSignalSpy labels(frame->treeModel(), &QAbstractItemModel::dataChanged);
    trigger(tagIndex(reading), "openTag");
    ASSERT_EQ(frame->windowCount(), 1u);
    auto* window = dynamic_cast<CTagWindowView*>(frame->currentWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(frame->dispatcher().pending(), 0u);
    EXPECT_EQ(tree().labelOf(tagIndex(reading)).toStdString(), "阅读(1)");
    EXPECT_FALSE(labels.isEmpty());
    ASSERT_EQ(window->model()->rowCount(), 1);
    EXPECT_EQ(window->model()->index(0, 2).data().toString().toStdString(), "第一章.rtf");
    EXPECT_EQ(frame->windowTitle().toStdString(), "阅读 - Tarnel个人知识管理系统 2.1.0");
}

TEST_F(TagTest, ADropMovesATagUnderAnotherAfterTheQuestion) {
    store::TagRecord* reading = addTag("阅读");
    store::TagRecord* work = addTag("工作");
    prompt.script({Answer::Yes});
    std::unique_ptr<QMimeData> dragged(frame->treeModel()->mimeData({tagIndex(reading)}));
    EXPECT_FALSE(frame->treeModel()->canDropMimeData(dragged.get(), Qt::MoveAction, -1, 0,
                                                     categoryIndex("工作")));
    frame->treeModel()->dropMimeData(dragged.get(), Qt::MoveAction, -1, 0, tagIndex(work));
    ASSERT_EVENTUALLY_EQ(tree().rowCount(tagIndex(work)), 1);
    EXPECT_EQ(prompt.events(), (std::vector{asked("真的要将标签:'阅读' 移动到 标签:'工作' 下吗?",
                                                  MessageIcon::Question, Buttons::YesNo)}));
    EXPECT_EQ(frame->tree()->currentIndex(), tagIndex(reading));
    EXPECT_EQ(reading->parent, work);
}

TEST_F(TagTest, TheSetTagsDialogStartsWithThePointsTagsAndSetsTheChosenOnes) {
    store::TagRecord* reading = addTag("阅读");
    store::TagRecord* work = addTag("工作");
    store::PointRecord* chapter = addPoint("第一章", {reading->id});
    test::whenModal([&](QWidget* dialog) {
        ASSERT_EQ(dialog->objectName(), "setTagsDialog");
        auto* first = dialog->findChild<TagChooser*>("setTagsChooser1");
        auto* second = dialog->findChild<TagChooser*>("setTagsChooser2");
        ASSERT_NE(dialog->findChild<TagChooser*>("setTagsChooser3"), nullptr);
        EXPECT_EQ(first->chosen(), reading->id);
        EXPECT_EQ(second->itemText(0).toStdString(), "---请选择所属标签---");
        first->select(0);
        second->select(work->id);
        dialog->findChild<QPushButton*>("okButton")->click();
    });
    frame->tagCommands()->setTags({{category("工作"), chapter}});
    EXPECT_EQ(chapter->values.value(store::point::kTagsId), ";" + std::to_string(work->id) + ";");
    EXPECT_EQ(tree().labelOf(tagIndex(reading)).toStdString(), "阅读(0)");
    EXPECT_EQ(tree().labelOf(tagIndex(work)).toStdString(), "工作(1)");
}

TEST_F(TagTest, RemovingFromATagAndDeletingATagFollowTheQuestions) {
    store::TagRecord* reading = addTag("阅读");
    store::TagRecord* novel = addTag("小说", reading);
    store::PointRecord* chapter = addPoint("第一章", {reading->id, novel->id});
    frame->openTagWindow(*reading);
    auto* window = dynamic_cast<CTagWindowView*>(frame->currentWindow());
    ASSERT_EQ(window->model()->rowCount(), 2); // the sub-tag, then the point
    QMenu pointMenu;
    window->fillMenu(pointMenu, 1);
    EXPECT_EQ(test::entriesOf(pointMenu),
              (std::vector<std::string>{
                  "阅读/编辑知识点", "-", "重命名标题", "移动知识点", "导出知识点", "导出批注",
                  "从标签中移除", "-", "设置知识点标签", "设置字体颜色", "设置背景颜色", "-",
                  "添加/编辑批注", "删除批注", "添加附件", "-", "打开知识点所在的文件夹"}));
    prompt.script({Answer::Yes, Answer::Ok});
    pointMenu.findChild<QAction*>("removeFromTag")->trigger();
    EXPECT_EQ(window->model()->rowCount(), 1);
    EXPECT_EQ(chapter->values.value(store::point::kTagsId), ";" + std::to_string(novel->id) + ";");
    frame->tree()->setCurrentIndex(tagIndex(reading));
    QTest::keyClick(frame->tree(), Qt::Key_Delete);
    EXPECT_EQ(
        prompt.events(),
        (std::vector{asked("确定要从标签 ‘阅读’ 中移除知识点 ‘第一章.rtf’ 吗？",
                           MessageIcon::Question, Buttons::YesNo),
                     asked("确定要删除标签“阅读”吗？", MessageIcon::Question, Buttons::OkCancel),
                     shown("删除标签“阅读”成功!", MessageIcon::Information)}));
    EXPECT_EQ(chapter->values.value(store::point::kTagsId), "");
    EXPECT_EQ(tree().rowCount(tree().tagRootIndex()), 0);
    EXPECT_EQ(frame->windowCount(), 0u);
}

TEST_F(TagTest, ThePropertiesDialogRefusesAnEmptyNameAndWritesTheMemo) {
    store::TagRecord* reading = addTag("阅读");
    test::whenModal([&](QWidget* dialog) {
        ASSERT_EQ(dialog->objectName(), "tagPropertiesDialog");
        auto* name = dialog->findChild<QLineEdit*>("tagName");
        EXPECT_EQ(name->text(), "阅读");
        name->clear();
        dialog->findChild<QPushButton*>("okButton")->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->focusWidget(), name);
        name->setText("精读");
        dialog->findChild<QPlainTextEdit*>("tagMemo")->setPlainText("每周一本");
        dialog->findChild<QPushButton*>("okButton")->click();
    });
    trigger(tagIndex(reading), "tagProperties");
    EXPECT_EQ(prompt.events(), (std::vector{shown("标签名称不可为空!", MessageIcon::Error)}));
    EXPECT_EQ(tree().labelOf(tagIndex(reading)).toStdString(), "精读(0)");
    EXPECT_EQ(reading->values.value(tag::kMemo), "每周一本");
    EXPECT_EQ(onDisk(reading->id, tag::kMemo), "每周一本");

    // The edit in place takes the name alone, without the count of the label.
    EXPECT_EQ(tagIndex(reading).data(Qt::EditRole).toString().toStdString(), "精读");
    EXPECT_TRUE(frame->treeModel()->setData(tagIndex(reading), "泛读", Qt::EditRole));
    EXPECT_EQ(tree().labelOf(tagIndex(reading)).toStdString(), "泛读(0)");
}

TEST_F(TagTest, AnExportAsksForTheSubTagsBeforeTheFolderAndCopiesThePoints) {
    store::TagRecord* reading = addTag("阅读");
    store::TagRecord* novel = addTag("小说", reading);
    addPoint("第一章", {reading->id});
    addPoint("第二章", {novel->id});
    fs::path target = program / "导出";
    fs::create_directories(target);
    test::ScriptedChooser chooser;
    chooser.folders = {target};
    frame->setFileChooser(chooser);
    prompt.script({Answer::Yes, Answer::Cancel});
    trigger(tagIndex(reading), "exportTag");
    EXPECT_TRUE(fs::is_regular_file(target / "阅读" / "第一章.rtf"));
    EXPECT_TRUE(fs::is_regular_file(target / "阅读" / "小说" / "第二章.rtf"));
    trigger(tagIndex(reading), "exportTag");
    EXPECT_EQ(chooser.starts, (std::vector<fs::path>{fs::path()}));
    ASSERT_EQ(prompt.events().size(), 3u);
    EXPECT_EQ(prompt.events()[0],
              asked("是否同时导出子级标签?", MessageIcon::Question, Buttons::YesNoCancel));
    EXPECT_EQ(prompt.events()[1].text, "导出成功!" + std::string(17, ' ') + "\r\n");
}

} // namespace
} // namespace tarnel::ui
