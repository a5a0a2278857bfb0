#pragma once

#include <QUrl>
#include <QWebEngineView>
#include <functional>

class QWebEngineProfile;

namespace tarnel::ui {

// The workspace pane "最新动态": the update site's news page, read only. It loads once, on its
// first showing; a link the user follows (or a window the page asks for) opens in a web window of
// its own, so the pane keeps showing the news; only http, https, about:home and about:blank are
// opened. No context menu and no drops (nothing to edit, no navigation of its own). The main window
// owns it; it must go before the profile. User-interface thread only.
class CNewsPane : public QWebEngineView {
    Q_OBJECT

public:
    CNewsPane(QWebEngineProfile* profile, QUrl news, std::function<void(const QUrl&)> openUrl,
              QWidget* parent = nullptr);

    // Loads the news page the first time; later calls do nothing.
    void showNews();
    const QUrl& newsUrl() const { return m_news; }

private:
    QUrl m_news;
    bool m_shown = false;
};

} // namespace tarnel::ui
