#include "tests/ui/web/web_fixture.h"

#include "ui/tn_web_page.h"
#include "ui/web_view_manager.h"

#include <QTabBar>
#include <QTest>
#include <QWebEngineView>
#include <memory>

namespace tarnel::test {

void WebTest::SetUp() {
    fs::path storage = program / "engine";
    fs::path favourites = program / "Favorites";
    webWindows = [storage, favourites](ui::CMainFrame& shown) {
        return std::make_unique<ui::CWebViewManager>(shown, storage, favourites);
    };
}

void WebTest::startWeb() {
    start();
    ASSERT_GE(frame->windowCount(), 1u);
    ui::CTNWebView* home = webAt(0);
    ASSERT_NE(home, nullptr);
    waitForName(home, "起始页");
}

ui::CTNWebView* WebTest::webAt(std::size_t i) const {
    return i < frame->windowCount() ? dynamic_cast<ui::CTNWebView*>(frame->windowAt(i)) : nullptr;
}

QString WebTest::address(const std::string& path) const {
    return QString::fromStdString(server.base() + path);
}

Reply WebTest::page(const std::string& title, const std::string& body) {
    Reply reply;
    reply.body = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
                 "</title></head><body>" + body + "</body></html>";
    reply.headers["Content-Type"] = "text/html; charset=utf-8";
    return reply;
}

void WebTest::waitForName(ui::CTNWebView* view, const std::string& name) {
    ASSERT_TRUE(eventually([&] { return view->name() == name; })) << view->name();
}

bool eventually(const std::function<bool()>& condition, int timeoutMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

QString WebTest::tabText(int i) const {
    return frame->findChild<QTabBar*>("windowTabs")->tabText(i);
}

QVariant WebTest::runScript(ui::CTNWebView* view, const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, [result](const QVariant& value) { *result = value; });
    EXPECT_TRUE(eventually([&] { return result->has_value(); })) << script.toStdString();
    return result->value_or(QVariant());
}

} // namespace tarnel::test
