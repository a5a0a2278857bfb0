#pragma once

#include "tests/support/http_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/ui/frame_fixture.h"
#include "ui/tn_web_view.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <string>

namespace tarnel::test {

// Runs the event loop until condition holds; false when it did not within the time.
bool eventually(const std::function<bool()>& condition, int timeoutMs = 15000);

// A main frame with real web windows over a loopback server; the user's data folder (engine
// storage, favourites) is a temporary one.
class WebTest : public FrameTest {
protected:
    HttpServer server;
    ScopedEnvironment dataHome{"XDG_DATA_HOME", (program / "home").string()};

    void SetUp() override;
    // Starts the frame and waits until its start page has loaded.
    void startWeb();
    // The web window at position i of the window list; null when it is not one.
    ui::CTNWebView* webAt(std::size_t i) const;
    // The address on the server.
    QString address(const std::string& path) const;
    // An HTML page with that title and body.
    static Reply page(const std::string& title, const std::string& body = "");
    // Waits until the window shows the title in its tab.
    static void waitForName(ui::CTNWebView* view, const std::string& name);
    // The tab's text at position i.
    QString tabText(int i) const;
    // Runs the script in the window's page and waits for its value.
    static QVariant runScript(ui::CTNWebView* view, const QString& script);
};

} // namespace tarnel::test
