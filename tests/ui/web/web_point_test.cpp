#include "ops/operation_context.h"
#include "ops/point_editing.h"
#include "store/attribute_tables.h"
#include "store/table_file.h"
#include "tests/support/eventually.h"
#include "tests/ui/web/web_fixture.h"
#include "ui/add_point_form.h"
#include "ui/attachment_pane.h"
#include "ui/category_chooser.h"
#include "ui/page_host.h"
#include "ui/reading_area.h"
#include "ui/rich_text_editor.h"
#include "ui/tn_web_page.h"
#include "ui/web_archive_writer.h"

#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWebEngineView>
#include <algorithm>

namespace tarnel::test {
namespace {

std::string redPng() {
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes.toStdString();
}

// The row of the point in the category's point list file on disk.
std::vector<std::string> rowOnDisk(const fs::path& file, long long id) {
    std::vector<std::string> found;
    store::parseTable(readBytes(file), [&](std::size_t, store::RawRow row) {
        if (!row.empty() && store::decodeValue(row[0]) == std::to_string(id)) {
            found.clear();
            for (std::string_view value : row) {
                found.push_back(store::decodeValue(value));
            }
        }
    });
    return found;
}

// How often the page and its picture were fetched.
long long pageFetches(const HttpServer& server) {
    std::vector<std::string> targets = server.targets();
    return std::count_if(targets.begin(), targets.end(), [](const std::string& target) {
        return target == "/pic.html" || target == "/red.png";
    });
}

void clickTool(ui::CTNWebView& view, int id) {
    LUSTRA::ST_TOOLBAR_ITEM* tool = view.pane().FindToolbarItem(id, 0);
    QTest::mouseClick(&view, Qt::LeftButton, {}, tool->rcItem.center());
}

TEST_F(WebTest, SavePageOpensTheFormOnTheShownPageAndKeepsCommentAndAttachment) {
    makeCategories({"网页"});
    server.set("/pic.html", page("有图的页", "<p>图</p><img src='/red.png'>"));
    Reply picture{200, redPng()};
    picture.headers["Content-Type"] = "image/png";
    server.set("/red.png", picture);
    startWeb();
    frame->openWebWindow(QUrl(address("/pic.html")));
    ui::CTNWebView* view = webAt(1);
    waitForName(view, "有图的页");
    long long pageLoads = pageFetches(server);

    clickTool(*view, ui::CTNWebView::kSavePage);
    ASSERT_EQ(frame->windowCount(), 3u);
    auto* form = dynamic_cast<ui::CAddPointFormView*>(frame->currentWindow());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->contentArea(), nullptr);
    EXPECT_EQ(form->findChild<QLineEdit*>("addPointTitle")->text(), "有图的页");
    // The form shows the window's own view; its window takes it back when shown, and lends it
    // again.
    ASSERT_EVENTUALLY(form->pageHost()->holdsView());
    EXPECT_EQ(view->browser()->geometry(), form->pageHost()->rect());
    frame->makeCurrent(view);
    ASSERT_EVENTUALLY_EQ(view->browser()->parentWidget(), view);
    EXPECT_TRUE(view->browser()->isVisible());
    EXPECT_EQ(view->browser()->geometry().top(), ui::CTNWebView::kPaneThickness);
    frame->makeCurrent(form);
    ASSERT_EVENTUALLY(form->pageHost()->holdsView());

    form->findChild<ui::CategoryChooser*>("addPointCategory")->select(category("网页"));
    form->commentArea()->editor()->insertPlainText("网页批注");
    std::string comment = form->commentArea()->richText();
    fs::path source = program / "附件.txt";
    writeBytes(source, "abc");
    form->attachmentPane()->setDialogs(
        {[&](QWidget*) {
             return std::optional<ui::CAttachmentPane::Choice>({{source}, false});
         },
         {}});
    form->attachmentPane()->addAttachments();
    prompt.clear();
    form->findChild<QPushButton*>("addPointSave")->click();
    ASSERT_EVENTUALLY_EQ(frame->windowCount(), 2u);
    EXPECT_EQ(prompt.events(), (std::vector<PromptEvent>{shown("已经成功保存网页到分类:“网页”!",
                                                               app::MessageIcon::Information)}));

    store::CategoryRecord* saved = category("网页");
    fs::path file = saved->owner->folderOf(*saved) / "有图的页.mht";
    std::string archive = readBytes(file);
    EXPECT_NE(archive.find("Content-Location: " + address("/red.png").toStdString()),
              std::string::npos);
    EXPECT_EQ(pageFetches(server), pageLoads) << "the shown page is saved, not a reload";
    const store::PointRecord* point = saved->owner->pointsOf(*saved).records().front().get();
    std::vector<std::string> row =
        rowOnDisk(frame->base()->layout().pointListFile(saved->id), point->id);
    ASSERT_EQ(row.size(), 15u);
    EXPECT_EQ(row[2], "有图的页.mht");
    EXPECT_EQ(row[3], "1");
    EXPECT_EQ(row[6], std::to_string(fs::file_size(file)));
    EXPECT_EQ(row[7], "1");
    EXPECT_EQ(readBytes(frame->base()->layout().commentFile(point->id, "有图的页.mht")), comment);
    EXPECT_EQ(readBytes(frame->base()->layout().attachmentCopy(1, "附件.txt")), "abc");
    // The view is home again, whole.
    ASSERT_EVENTUALLY_EQ(view->browser()->parentWidget(), view);
    EXPECT_EQ(frame->currentWindow(), view);
    ASSERT_EVENTUALLY(view->browser()->isVisible());

    // The point opens in a web window from its file, its picture from the archive.
    server.set("/red.png", Reply{404, ""});
    frame->openPoint(*saved, *point);
    ui::CTNWebView* opened = webAt(2);
    ASSERT_NE(opened, nullptr);
    waitForName(opened, "有图的页");
    EXPECT_TRUE(opened->pageUrl().isLocalFile());
    EXPECT_TRUE(eventually([&] {
        QImage shot = opened->browser()->grab().toImage();
        for (int y = 0; y < shot.height(); y += 4) {
            for (int x = 0; x < std::min(shot.width(), 200); x += 4) {
                if (shot.pixelColor(x, y) == QColor(Qt::red)) {
                    return true;
                }
            }
        }
        return false;
    }));
    ASSERT_TRUE(frame->closeWindow(opened));

    // The window closed while its form shows the page: the view goes with it, the form says so
    // and its save fails without a file.
    clickTool(*view, ui::CTNWebView::kSavePage);
    auto* second = dynamic_cast<ui::CAddPointFormView*>(frame->currentWindow());
    ASSERT_NE(second, nullptr);
    ASSERT_EVENTUALLY(second->pageHost()->holdsView());
    ASSERT_TRUE(frame->closeWindow(view));
    EXPECT_FALSE(second->pageHost()->holdsView());
    second->findChild<QLineEdit*>("addPointTitle")->setText("第二份");
    second->findChild<ui::CategoryChooser*>("addPointCategory")->select(category("网页"));
    prompt.clear();
    second->findChild<QPushButton*>("addPointSave")->click();
    EXPECT_EQ(prompt.events(),
              (std::vector<PromptEvent>{shown("保存网页失败\n错误原因:网页窗口已经关闭",
                                              app::MessageIcon::Information)}));
    EXPECT_FALSE(fs::exists(saved->owner->folderOf(*saved) / "第二份.mht"));
    EXPECT_EQ(frame->currentWindow(), second);
}

TEST_F(WebTest, ASaveTheEngineNeverStartsEndsWithItsReason) {
    startWeb();
    QWebEnginePage idle(webAt(0)->page()->profile());
    std::string reason;
    fs::path target = program / "idle.mht";
    ops::ArchiveWriter writer =
        ui::webArchiveWriter(idle, {std::chrono::milliseconds(300), std::chrono::seconds(5)});
    EXPECT_EQ(writer(target, reason), ops::kWriteFailed);
    EXPECT_EQ(reason, ui::kSaveNotStarted);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(target.string() + ".saving"));
}

TEST_F(WebTest, TheShownPageIsSavedAsAWebPointAndAFailedSaveLeavesNothing) {
    makeCategories({"网页"});
    server.set("/pic.html", page("有图的页", "<img id='pic' src='/red.png'>"));
    Reply picture{200, redPng()};
    picture.headers["Content-Type"] = "image/png";
    server.set("/red.png", picture);
    startWeb();
    frame->openWebWindow(QUrl(address("/pic.html")));
    ui::CTNWebView* view = webAt(1);
    waitForName(view, "有图的页");
    store::CategoryRecord* category = this->category("网页");
    ASSERT_NE(category, nullptr);

    ops::PointInput input;
    input.type = ops::PointType::Web;
    input.title = "有图的页";
    input.archive = ui::webArchiveWriter(*view->page());
    prompt.clear();
    ops::OperationResult result = ops::addPoint(*frame->context(), category, input);
    ASSERT_TRUE(result.ok());
    fs::path file = category->owner->folderOf(*category) / "有图的页.mht";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_FALSE(fs::exists(file.string() + ".saving"));
    std::string archive = readBytes(file);
    EXPECT_NE(archive.find("Content-Location: " + address("/red.png").toStdString()),
              std::string::npos);
    const store::PointRecord* point =
        frame->base()->categories().pointsOf(*category).find(result.id);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->values.integer(store::point::kPointSize),
              static_cast<long long>(fs::file_size(file)));
    EXPECT_EQ(prompt.events(), (std::vector<PromptEvent>{shown("已经成功保存网页到分类:“网页”!",
                                                               app::MessageIcon::Information)}));

    // A folder that cannot be written: the engine's reason, no file, nothing left beside it.
    std::string reason;
    fs::path nowhere = program / "missing" / "x.mht";
    EXPECT_EQ(input.archive(nowhere, reason), ops::kWriteFailed);
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(fs::exists(program / "missing"));
}

} // namespace
} // namespace tarnel::test
