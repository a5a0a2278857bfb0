#include "tests/ui/web/web_fixture.h"
#include "ui/tn_web_page.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>
#include <algorithm>
#include <vector>

namespace tarnel::test {
namespace {

using ui::CTNWebView;

std::vector<int> paneIds(CTNWebView& view) {
    std::vector<int> ids;
    // The pane lays its items out left to right in the order they were added; wide enough, every
    // one fits.
    view.pane().ResizeToolbar(QRect(0, 0, 1600, CTNWebView::kPaneThickness));
    std::vector<std::pair<int, int>> placed;
    for (int id = 0; id < 8; ++id) {
        LUSTRA::ST_TOOLBAR_ITEM* item = view.pane().FindToolbarItem(id, 0);
        if (item && item->bInPane) {
            placed.emplace_back(item->rcItem.left(), id);
        }
    }
    std::sort(placed.begin(), placed.end());
    for (const auto& [left, id] : placed) {
        ids.push_back(id);
    }
    return ids;
}

int stateOf(CTNWebView& view, int id) {
    return view.pane().FindToolbarItem(id, 0)->nState;
}

void typeAddress(CTNWebView& view, const QString& text) {
    view.addressBox()->setFocus();
    view.addressBox()->selectAll();
    QTest::keyClicks(view.addressBox(), text);
    QTest::keyClick(view.addressBox(), Qt::Key_Return);
}

TEST_F(WebTest, TheStartPageOpensFirstWithoutPaneAndTheAddressRulesHold) {
    server.set("/a.html", page("Page A", "<p>a</p>"));
    server.set("/b.html", page("Page B", "<p>b</p>"));
    startWeb();
    CTNWebView* home = webAt(0);
    EXPECT_TRUE(home->isStartPage());
    EXPECT_FALSE(home->pane().IsShowToolbar());
    EXPECT_FALSE(home->addressBox()->isVisible());
    EXPECT_EQ(home->browser()->geometry(), home->rect());
    EXPECT_EQ(home->addressBox()->text(), "about:home");
    EXPECT_EQ(tabText(0), "起始页");
    EXPECT_EQ(home->pageUrl().scheme(), "qrc");
    EXPECT_EQ(runScript(home, "document.getElementById('version').textContent").toString(),
              "版本 2.1.0");

    ASSERT_NE(frame->openWebWindow(QUrl(address("/a.html"))), nullptr);
    CTNWebView* view = webAt(1);
    EXPECT_EQ(view->name(), "正在打开...");
    waitForName(view, "Page A");
    EXPECT_EQ(tabText(1), "Page A");
    EXPECT_EQ(frame->windowTitle().toStdString(), "Page A - Tarnel个人知识管理系统 2.1.0");
    EXPECT_EQ(view->addressBox()->text(), address("/a.html"));
    EXPECT_EQ(paneIds(*view), (std::vector<int>{0, 3, 1, 2, 5, 4, 6, 7}));
    EXPECT_EQ(view->browser()->geometry().top(), CTNWebView::kPaneThickness);
    EXPECT_EQ(view->addressBox()->size(), QSize(400, 20));
    EXPECT_EQ(view->addressBox()->font().pixelSize(), 13);
    EXPECT_EQ(view->addressBox()->font().family(), "宋体");
    EXPECT_EQ(stateOf(*view, CTNWebView::kBack), CTNWebView::kDisabledState);
    EXPECT_EQ(stateOf(*view, CTNWebView::kForward), CTNWebView::kDisabledState);

    // A second navigation enables back; going back enables forward.
    typeAddress(*view, address("/b.html"));
    waitForName(view, "Page B");
    EXPECT_TRUE(view->browser()->hasFocus() || view->browser()->focusProxy()->hasFocus());
    EXPECT_TRUE(eventually([&] { return stateOf(*view, CTNWebView::kBack) == 0; }));
    EXPECT_EQ(stateOf(*view, CTNWebView::kForward), CTNWebView::kDisabledState);
    view->browser()->back();
    waitForName(view, "Page A");
    EXPECT_TRUE(eventually([&] { return stateOf(*view, CTNWebView::kForward) == 0; }));
    EXPECT_EQ(stateOf(*view, CTNWebView::kBack), CTNWebView::kDisabledState);

    // The start page in capitals: no pane, the address reads "about:home".
    typeAddress(*view, "ABOUT:HOME");
    waitForName(view, "起始页");
    EXPECT_TRUE(view->isStartPage());
    EXPECT_FALSE(view->pane().IsShowToolbar());
    EXPECT_EQ(view->addressBox()->text(), "about:home");

    // about:blank reads "空白页", its address selected for typing over.
    view->navigate("about:blank");
    waitForName(view, "空白页");
    EXPECT_TRUE(eventually([&] { return view->addressBox()->hasFocus(); }));
    EXPECT_EQ(view->addressBox()->selectedText(), "about:blank");
    EXPECT_FALSE(view->isStartPage());
    EXPECT_TRUE(view->pane().IsShowToolbar());
}

TEST_F(WebTest, NewWindowsOfPagesAndOfTheExternalObjectOpenInTabs) {
    server.set("/links.html",
               page("Links", "<a id='out' href='/target.html' target='_blank'>out</a>"));
    server.set("/target.html", page("Target"));
    server.set("/opened.html", page("Opened"));
    startWeb();
    frame->openWebWindow(QUrl(address("/links.html")));
    CTNWebView* links = webAt(1);
    waitForName(links, "Links");

    runScript(links, "document.getElementById('out').click(); true");
    ASSERT_TRUE(eventually([&] { return frame->windowCount() == 3; }));
    waitForName(webAt(2), "Target");
    EXPECT_EQ(webAt(2)->addressBox()->text(), address("/target.html"));
    EXPECT_EQ(frame->currentWindow(), frame->windowAt(2));

    // A file: address is refused, http is opened; the call waits for the channel if need be.
    runScript(links, "window.external.OpenUrl('file:///etc/passwd'); true");
    runScript(links, "window.external.OpenUrl('" + address("/opened.html") + "'); true");
    ASSERT_TRUE(eventually([&] { return frame->windowCount() == 4; }));
    waitForName(webAt(3), "Opened");
    QTest::qWait(300);
    EXPECT_EQ(frame->windowCount(), 4u);
    std::vector<std::string> asked;
    for (const std::string& target : server.targets()) {
        asked.push_back(target);
    }
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/opened.html"), 1);

    // The start page's own link opens a blank window.
    runScript(webAt(0), "document.getElementById('blank').click(); true");
    ASSERT_TRUE(eventually([&] { return frame->windowCount() == 5; }));
    waitForName(webAt(4), "空白页");
}

TEST_F(WebTest, FavouriteWritesItsUrlFileAndTellsTheFrame) {
    server.set("/fav.html", page("收藏的页"));
    startWeb();
    frame->openWebWindow(QUrl(address("/fav.html")));
    CTNWebView* view = webAt(1);
    waitForName(view, "收藏的页");
    fs::create_directories(program / "Favorites" / "资料");
    QSignalSpy reloads(frame.get(), &ui::CMainFrame::favouritesChanged);
    bool shown = false;
    whenModal([&](QWidget* dialog) {
        shown = true;
        auto* name = dialog->findChild<QLineEdit*>("favouriteName");
        EXPECT_EQ(name->text(), "收藏的页");
        auto* folder = dialog->findChild<QComboBox*>("favouriteFolder");
        ASSERT_EQ(folder->count(), 2);
        folder->setCurrentIndex(1);
        dialog->findChild<QPushButton*>("favouriteOk")->click();
    });
    LUSTRA::ST_TOOLBAR_ITEM* tool = view->pane().FindToolbarItem(CTNWebView::kFavourite, 0);
    QTest::mouseClick(view, Qt::LeftButton, {}, tool->rcItem.center());
    EXPECT_TRUE(shown);
    EXPECT_EQ(readBytes(program / "Favorites" / "资料" / "收藏的页.url"),
              "[InternetShortcut]\nURL=" + address("/fav.html").toStdString() + "\n");
    EXPECT_TRUE(eventually([&] { return reloads.count() == 1; }));
}

} // namespace
} // namespace tarnel::test
