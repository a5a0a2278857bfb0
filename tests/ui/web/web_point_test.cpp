#include "ops/operation_context.h"
#include "ops/point_editing.h"
#include "store/attribute_tables.h"
#include "tests/ui/web/web_fixture.h"
#include "ui/tn_web_page.h"
#include "ui/web_archive_writer.h"

#include <QBuffer>
#include <QImage>

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
