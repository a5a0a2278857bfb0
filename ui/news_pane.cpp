#include "ui/news_pane.h"

#include "ui/web_external.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace tarnel::ui {
namespace {

// The news page's page: every navigation but its own load goes to a web window.
class NewsPage : public QWebEnginePage {
public:
    NewsPage(QWebEngineProfile* profile, std::function<void(const QUrl&)> openUrl, QObject* parent)
        : QWebEnginePage(profile, parent), m_openUrl(std::move(openUrl)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (!isMainFrame || type != NavigationTypeLinkClicked) {
            return true;
        }
        openElsewhere(url);
        return false;
    }

    // The page that a link with a target or window.open() gets: its first navigation goes to a
    // web window, and it is dropped.
    QWebEnginePage* createWindow(WebWindowType) override {
        auto* opened = new QWebEnginePage(profile(), this);
        connect(opened, &QWebEnginePage::urlChanged, this, [this, opened](const QUrl& url) {
            openElsewhere(url);
            opened->deleteLater();
        });
        return opened;
    }

private:
    void openElsewhere(const QUrl& url) {
        if (CExternal::isOpenable(url.toString())) {
            m_openUrl(url);
        }
    }

    std::function<void(const QUrl&)> m_openUrl;
};

} // namespace

CNewsPane::CNewsPane(QWebEngineProfile* profile, QUrl news,
                     std::function<void(const QUrl&)> openUrl, QWidget* parent)
    : QWebEngineView(parent), m_news(std::move(news)) {
    setObjectName("newsView");
    setAccessibleName("最新动态");
    setContextMenuPolicy(Qt::NoContextMenu);
    // A dropped file or link would take the pane away from the news.
    setAcceptDrops(false);
    setPage(new NewsPage(profile, std::move(openUrl), this));
}

void CNewsPane::showNews() {
    if (m_shown) {
        return;
    }
    m_shown = true;
    load(m_news);
}

} // namespace tarnel::ui
