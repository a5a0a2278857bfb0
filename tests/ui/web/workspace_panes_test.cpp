#include "tests/support/eventually.h"
#include "tests/ui/web/web_fixture.h"
#include "ui/favourites_pane.h"
#include "ui/news_pane.h"
#include "ui/web_view_manager.h"

#include <QPlatformSurfaceEvent>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>

namespace tarnel::test {
namespace {

std::vector<std::string> paneLabels(QTabWidget& tabs) {
    std::vector<std::string> labels;
    for (int i = 0; i < tabs.count(); ++i) {
        labels.push_back(tabs.tabText(i).toStdString());
    }
    return labels;
}

// The labels under an item, in order, folders with "/" after their names.
std::vector<std::string> labelsUnder(QTreeWidgetItem* item) {
    std::vector<std::string> labels;
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        labels.push_back(child->text(0).toStdString() + (child->childCount() ? "/" : ""));
    }
    return labels;
}

void showPane(QTabWidget& tabs, const QString& label) {
    for (int i = 0; i < tabs.count(); ++i) {
        if (tabs.tabText(i) == label) {
            tabs.setCurrentIndex(i);
        }
    }
}

std::string shortcut(const std::string& url) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

TEST_F(WebTest, FavouritesPaneReadsTheFolderWhenShownAndAgainOn2037) {
    server.set("/news1.html", page("新闻一"));
    fs::path favourites = program / "Favorites";
    fs::create_directories(favourites / "资料");
    writeBytes(favourites / "新闻.url", shortcut(address("/news1.html").toStdString()));
    writeBytes(favourites / "资料" / "手册.URL", shortcut("https://example.invalid/manual"));
    writeBytes(favourites / "资料" / "说明.txt", "not a favourite");
    writeBytes(favourites / "坏的.url", shortcut("javascript:alert(1)"));
    startWeb();
    auto* tabs = frame->findChild<QTabWidget*>("workspaceTabs");
    // No update site: no news pane.
    EXPECT_EQ(paneLabels(*tabs),
              (std::vector<std::string>{"分类列表", "收 藏 夹", "窗口列表", "查    询"}));
    auto* pane = frame->findChild<ui::CFavouritesPane*>("favouritesTree");
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->topLevelItemCount(), 0);

    showPane(*tabs, "收 藏 夹");
    ASSERT_EVENTUALLY_EQ(pane->topLevelItemCount(), 1);
    QTreeWidgetItem* root = pane->topLevelItem(0);
    EXPECT_EQ(root->text(0), "IE收藏夹");
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(labelsUnder(root), (std::vector<std::string>{"坏的", "新闻", "资料/"}));
    EXPECT_EQ(labelsUnder(root->child(2)), (std::vector<std::string>{"手册"}));

    // Opening a favourite opens its page in a web window; another scheme is refused.
    pane->openItem(root->child(1));
    ASSERT_EQ(frame->windowCount(), 2u);
    waitForName(webAt(1), "新闻一");
    prompt.clear();
    pane->openItem(root->child(0));
    EXPECT_EQ(frame->windowCount(), 2u);
    EXPECT_EQ(prompt.events(),
              (std::vector<PromptEvent>{
                  shown("无法打开此收藏的网址:“javascript:alert(1)”", app::MessageIcon::Error)}));

    fs::remove(favourites / "坏的.url");
    writeBytes(favourites / "资料" / "新加.url", shortcut("https://example.invalid/new"));
    frame->postMessage(ui::FrameMessage::ReloadFavourites);
    ASSERT_EVENTUALLY_EQ(pane->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(labelsUnder(pane->topLevelItem(0)->child(1)),
              (std::vector<std::string>{"手册", "新加"}));
}

TEST_F(WebTest, NewsPaneShowsTheSitesNewsOnceAndOpensItsLinksInWebWindows) {
    server.set("/tarnel/news.html", page("最新消息", "<a id='more' href='/more.html'>更多</a>"));
    server.set("/more.html", page("更多消息"));
    writeSettings("[SOFT_INFORMATION]\r\nUPDATE_SITE=" + server.base() + "/\r\n");
    startWeb();
    auto* tabs = frame->findChild<QTabWidget*>("workspaceTabs");
    EXPECT_EQ(paneLabels(*tabs), (std::vector<std::string>{"分类列表", "最新动态", "收 藏 夹",
                                                           "窗口列表", "查    询"}));
    auto* news = frame->findChild<ui::CNewsPane*>("newsView");
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(news->newsUrl(), QUrl(address("/tarnel/news.html")));
    QTest::qWait(200);
    auto asked = server.targets();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/tarnel/news.html"), 0);

    showPane(*tabs, "最新动态");
    ASSERT_EVENTUALLY_EQ(news->title(), QString("最新消息"));
    showPane(*tabs, "分类列表");
    showPane(*tabs, "最新动态");
    news->page()->runJavaScript("document.getElementById('more').click(); true");
    ASSERT_TRUE(eventually([&] { return frame->windowCount() == 2; }));
    waitForName(webAt(1), "更多消息");
    EXPECT_EQ(news->url(), QUrl(address("/tarnel/news.html")));
    asked = server.targets();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/tarnel/news.html"), 1);
}

} // namespace
} // namespace tarnel::test

namespace tarnel::test {
namespace {

// Counts the native windows of the frame that go away while it lives.
class SurfaceWatch : public QObject {
public:
    explicit SurfaceWatch(std::unique_ptr<ui::CMainFrame>& frame) : m_frame(frame) {
        qApp->installEventFilter(this);
    }
    ~SurfaceWatch() override { qApp->removeEventFilter(this); }
    int destroyed = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface && m_frame &&
            watched == m_frame->windowHandle() &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed) {
            ++destroyed;
        }
        return false;
    }

private:
    std::unique_ptr<ui::CMainFrame>& m_frame;
};

TEST_F(WebTest, TheFramesNativeWindowStaysWhenTheStartPageAppears) {
    SurfaceWatch watch(frame);
    startWeb();
    QTest::qWait(500);
    EXPECT_EQ(watch.destroyed, 0);
}

} // namespace
} // namespace tarnel::test
