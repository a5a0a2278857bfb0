#include "ops/import_messages.h"
#include "ops/point_editing.h"
#include "ops/tag_editing.h"
#include "richtext/rtf_writer.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "tests/ui/scripted_file_chooser.h"
#include "ui/category_chooser.h"
#include "ui/knowledge_transfer.h"
#include "ui/knowledge_tree_model.h"
#include "ui/tag_commands.h"
#include "ui/work_progress_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
using test::shown;
namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class TransferTest : public test::FrameTest {
protected:
    void SetUp() override {
        makeCategories({"工作"});
        start();
        frame->setFileChooser(chooser);
    }
    ops::OperationContext& context() { return *frame->context(); }
    std::size_t pointsIn(store::CategoryRecord& category) {
        return category.owner->pointsOf(category).size();
    }
    test::ScriptedChooser chooser;
};

TEST_F(TransferTest, AFolderImportCancelledHalfWayKeepsWhatItAddedOnDiskAndInTheList) {
    test::TempDir source;
    constexpr int kFolders = 20;
    constexpr int kFiles = 25;
    for (int f = 0; f < kFolders; ++f) {
        for (int i = 0; i < kFiles; ++i) {
            writeFile(source / "资料" / ("d" + std::to_string(f)) /
                          ("f" + std::to_string(i) + ".txt"),
                      std::string(4096, 'x'));
        }
    }
    chooser.folders = {source / "资料"};
    prompt.script({Answer::Yes});
    int ticks = 0;
    QTimer responsive;
    QObject::connect(&responsive, &QTimer::timeout, [&] { ++ticks; });
    responsive.start(1);
    std::vector<std::string> statuses;
    bool exitRefused = false;
    frame->transfer()->setDialogShown([&](CWorkProgressDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "正在导入目录...");
        QObject::connect(&dialog, &CWorkProgressDialog::statusChanged,
                         [&statuses, &dialog, &exitRefused, this](const QString& text) {
                             statuses.push_back(text.toStdString());
                             if (statuses.size() == 2) {
                                 // The tray's "退出" must not take the base from the walk.
                                 exitRefused = !frame->exitCommand();
                             }
                             if (statuses.size() == 3) {
                                 dialog.findChild<QPushButton*>("workCancel")->click();
                             }
                         });
    });
    frame->transfer()->importFolder(*category("工作"));

    EXPECT_EQ(chooser.titles, (std::vector<std::string>{"请选择需要导入的文件夹:"}));
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses[0], "正在导入目录:资料...");
    EXPECT_GT(ticks, 0) << "the window stood still during the walk";
    EXPECT_TRUE(exitRefused);
    ASSERT_EQ(prompt.events().size(), 3u);
    EXPECT_EQ(prompt.events()[0],
              asked("是否包含子目录?", MessageIcon::Question, Buttons::YesNoCancel));
    EXPECT_EQ(prompt.events()[1],
              shown(KnowledgeTransfer::kStillWorking, MessageIcon::Information));
    EXPECT_TRUE(prompt.events()[2].text.starts_with("已取消")) << prompt.events()[2].text;
    store::CategoryRecord* imported = category("工作/资料");
    ASSERT_NE(imported, nullptr);
    std::size_t listed = 0;
    std::size_t onDisk = 0;
    for (store::CategoryRecord* sub : frame->base()->categories().children(imported)) {
        listed += pointsIn(*sub);
        fs::path folder = sub->owner->folderOf(*sub);
        onDisk += static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
    EXPECT_GT(listed, 0u);
    EXPECT_LT(listed, static_cast<std::size_t>(kFolders * kFiles));
    EXPECT_EQ(listed, onDisk);

    // The saved index holds the same points as the window.
    store::NullChangeSink sink;
    store::KnowledgeStore again(platform::realFileSystem(), sink);
    ASSERT_EQ(again.open(data()), 0);
    std::size_t saved = 0;
    for (store::CategoryRecord* sub :
         again.categories().children(again.categories().find(imported->id))) {
        saved += sub->owner->pointsOf(*sub).size();
    }
    EXPECT_EQ(saved, listed);

    // The next folder browser of the same command starts where this one ended.
    frame->transfer()->importFolder(*category("工作"));
    EXPECT_EQ(chooser.starts.back(), source / "资料");
}

TEST_F(TransferTest, ATagWithSubTagsExportsEachTagsFilesSideBySide) {
    auto addTag = [&](const std::string& name, store::TagRecord* parent) {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ops::OperationResult result = ops::addTag(
            context(), parent ? parent : frame->base()->tags().root(), ops::TagInput{name, 0, ""});
        return frame->base()->tags().find(result.id);
    };
    store::TagRecord* reading = addTag("阅读", nullptr);
    store::TagRecord* novels = addTag("小说", reading);
    for (auto [title, tag] : {std::pair{"笔记", reading}, std::pair{"三体", novels}}) {
        ops::PointInput input;
        input.title = title;
        input.tags = {tag->id};
        input.content = richtext::RtfWriter().write({});
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::addPoint(context(), category("工作"), input).ok());
    }
    test::TempDir target;
    chooser.folders = {target.path()};
    prompt.script({Answer::Yes});
    std::string title;
    frame->transfer()->setDialogShown(
        [&](CWorkProgressDialog& dialog) { title = dialog.windowTitle().toStdString(); });
    frame->tagCommands()->exportTag(*reading);

    EXPECT_EQ(title, "正在导出标签...");
    EXPECT_EQ(prompt.events(),
              (std::vector<test::PromptEvent>{
                  asked("是否同时导出子级标签?", MessageIcon::Question, Buttons::YesNoCancel),
                  shown(std::string("导出成功!") + std::string(ops::message::kReportTail),
                        MessageIcon::Information)}));
    EXPECT_TRUE(fs::is_regular_file(target / "阅读" / "笔记.rtf"));
    EXPECT_TRUE(fs::is_regular_file(target / "阅读" / "小说" / "三体.rtf"));
    store::CategoryRecord& work = *category("工作");
    const store::PointRecord& note = *work.owner->pointsOf(work).records().front();
    EXPECT_EQ(fs::file_size(target / "阅读" / "笔记.rtf"),
              fs::file_size(work.owner->contentPathOf(work, note)));
}

// A drop as the desktop delivers it: the drag enters first.
void dropOn(QWidget& on, QMimeData& data) {
    QPoint middle(on.width() / 2, on.height() / 2);
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&on, &enter);
    QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&on, &drop);
}

TEST_F(TransferTest, AWebLinkDroppedOnTheFloatingWindowIsRefusedWithItsMessage) {
    QMimeData data;
    data.setUrls({QUrl("https://example.org/page.html")});
    data.setText("https://example.org/page.html");
    dropOn(*frame->floatWindow(), data);
    ASSERT_EVENTUALLY(!prompt.events().empty());
    EXPECT_EQ(prompt.events(), (std::vector<test::PromptEvent>{shown(
                                   KnowledgeTransfer::kNotLocalFiles, MessageIcon::Information)}));
    EXPECT_EQ(pointsIn(*category("工作")), 0u);
}

TEST_F(TransferTest, FilesDroppedOnTheFloatingWindowAreImportedIntoTheChosenCategory) {
    test::TempDir source;
    writeFile(source / "报告.txt", "report");
    writeFile(source / "清单.csv", "a,b");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((source / "报告.txt").string())),
                  QUrl::fromLocalFile(QString::fromStdString((source / "清单.csv").string()))});
    test::whenModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), "dropTargetDialog");
        dialog->findChild<CategoryChooser*>("dropTargetCategory")->select(category("工作"));
        dialog->findChild<QDialogButtonBox*>("dialogButtons")
            ->button(QDialogButtonBox::Ok)
            ->click();
    });
    dropOn(*frame->floatWindow(), data);
    ASSERT_EVENTUALLY_EQ(pointsIn(*category("工作")), 2u);
    fs::path folder = category("工作")->owner->folderOf(*category("工作"));
    EXPECT_TRUE(fs::is_regular_file(folder / "报告.txt"));
    EXPECT_TRUE(fs::is_regular_file(folder / "清单.csv"));
    EXPECT_EQ(prompt.events().back().text,
              std::string("导入文档完毕!") + std::string(ops::message::kReportTail));
}

} // namespace
} // namespace tarnel::ui
