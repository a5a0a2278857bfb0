#pragma once

#include "ui/favicon_cache.h"
#include "ui/favourites_pane.h"
#include "ui/news_pane.h"
#include "ui/tn_web_view.h"
#include "ui/web_windows.h"

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>

class QWebEngineProfile;

namespace tarnel::ui {

class CMainFrame;
class CTNWebView;

// Makes the main window's web windows and keeps what they share for the run: the engine's
// profile (its storage in the folder given, the engine's own icon fetching off, the page script
// of window.external) and the site icons (the "favicon" folder of the data directory). It puts
// the workspace panes on the engine in place: "收 藏 夹" (filled on its first showing, again on
// message 2037) and, when the settings name an update site, "最新动态". The main window owns it
// and destroys it after its last web window. User-interface thread only.
class CWebViewManager : public QObject, public WebWindows {
    Q_OBJECT

public:
    // storage: where the engine keeps cookies, local storage and its cache; favourites: the
    // folder "收藏" adds to.
    CWebViewManager(CMainFrame& frame, const std::filesystem::path& storage,
                    std::filesystem::path favourites);
    ~CWebViewManager() override;

    std::unique_ptr<FrameWindow> open(const QUrl& url) override;

    QWebEngineProfile* profile() const { return m_profile; }
    CFavouritesPane* favouritesPane() const { return m_favouritesPane; }
    // Null without an update site.
    CNewsPane* newsPane() const { return m_newsPane; }
    CFaviconCache& icons() { return m_icons; }

    // The engine's storage folder under the user's data folder.
    static std::filesystem::path defaultStorage();

private:
    std::unique_ptr<CTNWebView> makeView(const QUrl& url);
    void prepareStartPage();
    CTNWebView* openEmpty();
    // "保存网页": the add-point form of a web point of the window's page, saved as it is shown.
    void savePage(CTNWebView& view);
    // "收藏": the dialog, then message 2037 when a favourite was written.
    void addFavourite(CTNWebView& view);
    void addFavouritesPane();
    void addNewsPane();

    CMainFrame& m_frame;
    std::filesystem::path m_favourites;
    QWebEngineProfile* m_profile;
    CFaviconCache m_icons;
    QPointer<CFavouritesPane> m_favouritesPane;
    // The start page's window until the frame opens it.
    std::unique_ptr<CTNWebView> m_startPage;
    // Its page uses the profile: it goes first.
    QPointer<CNewsPane> m_newsPane;
};

} // namespace tarnel::ui
