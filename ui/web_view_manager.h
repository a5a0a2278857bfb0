#pragma once

#include "ui/favicon_cache.h"
#include "ui/web_windows.h"

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>

class QWebEngineProfile;

namespace tarnel::ui {

class CMainFrame;
class CTNWebView;

// Makes the main window's web windows and keeps what they share for the run: the engine's
// profile (its storage in the folder given, the engine's own icon fetching off, the page script
// of window.external) and the site icons (the "favicon" folder of the data directory). The main
// window owns it and destroys it after its last web window. User-interface thread only.
class CWebViewManager : public QObject, public WebWindows {
    Q_OBJECT

public:
    // storage: where the engine keeps cookies, local storage and its cache; favourites: the
    // folder "收藏" adds to.
    CWebViewManager(CMainFrame& frame, const std::filesystem::path& storage,
                    std::filesystem::path favourites);
    ~CWebViewManager() override;

    std::unique_ptr<FrameWindow> open(const QUrl& url) override;

    // What "保存网页" opens: the add-point form for a web point of the window's page, which
    // saves through webArchiveWriter. Unset, the windows made from then on have the tool
    // disabled.
    void setPointForm(std::function<void(CTNWebView&)> form) { m_pointForm = std::move(form); }

    QWebEngineProfile* profile() const { return m_profile; }
    CFaviconCache& icons() { return m_icons; }

    // The engine's storage folder under the user's data folder.
    static std::filesystem::path defaultStorage();

private:
    CTNWebView* openEmpty();
    // "收藏": the dialog, then message 2037 when a favourite was written.
    void addFavourite(CTNWebView& view);

    CMainFrame& m_frame;
    std::filesystem::path m_favourites;
    std::function<void(CTNWebView&)> m_pointForm;
    QWebEngineProfile* m_profile;
    CFaviconCache m_icons;
};

} // namespace tarnel::ui
