#include "ui/web_view_manager.h"

#include "platform/user_folders.h"
#include "ui/favourite_dialog.h"
#include "ui/favourites_pane.h"
#include "ui/main_frame.h"
#include "ui/news_pane.h"
#include "ui/tn_web_page.h"
#include "ui/tn_web_view.h"
#include "ui/web_archive_writer.h"
#include "ui/web_external.h"
#include "update/site_address.h"

#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace tarnel::ui {

CWebViewManager::CWebViewManager(CMainFrame& frame, const std::filesystem::path& storage,
                                 std::filesystem::path favourites)
    : m_frame(frame), m_favourites(std::move(favourites)),
      m_profile(new QWebEngineProfile(QStringLiteral("Tarnel"), this)),
      m_icons(frame.imageList(), std::filesystem::path(frame.settings().dataPath) / "favicon") {
    QString folder = QString::fromStdString(storage.string());
    m_profile->setPersistentStoragePath(folder);
    m_profile->setCachePath(folder + QStringLiteral("/cache"));
    m_profile->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    QWebEngineScript external;
    external.setName(QStringLiteral("external"));
    external.setSourceCode(CExternal::pageScript());
    external.setInjectionPoint(QWebEngineScript::DocumentCreation);
    external.setWorldId(QWebEngineScript::MainWorld);
    external.setRunsOnSubFrames(false);
    m_profile->scripts()->insert(external);
    addFavouritesPane();
    addNewsPane();
    prepareStartPage();
}

CWebViewManager::~CWebViewManager() {
    delete m_newsPane.data();
}

void CWebViewManager::addFavouritesPane() {
    CFavouritesPane::Services services;
    services.prompt = &m_frame.prompt();
    services.images = &m_frame.imageList();
    services.open = [frame = &m_frame](const QUrl& url) { frame->openWebWindow(url); };
    m_favouritesPane = new CFavouritesPane(std::move(services), m_favourites, &m_frame);
    QPointer<CFavouritesPane> pane = m_favouritesPane;
    m_frame.addWorkspacePane(WorkspacePane::Favorites, pane, QStringLiteral("收 藏 夹"), [pane] {
        if (pane) {
            pane->refill();
        }
    });
    // A pane never shown is read when it first is.
    connect(&m_frame, &CMainFrame::favouritesChanged, pane, [pane] {
        if (pane->isFilled()) {
            pane->refill();
        }
    });
    connect(&m_frame, &CMainFrame::skinChanged, pane, [pane] { pane->showIcons(); });
}

// Without an update site there is no news to show, and no tab for it.
void CWebViewManager::addNewsPane() {
    std::optional<std::string> site = update::readSiteBase(m_frame.settings().settingsFile);
    if (!site) {
        return;
    }
    QUrl news(QString::fromStdString(update::newsAddress(*site)));
    m_newsPane = new CNewsPane(
        m_profile, news, [frame = &m_frame](const QUrl& url) { frame->openWebWindow(url); },
        &m_frame);
    QPointer<CNewsPane> pane = m_newsPane;
    m_frame.addWorkspacePane(WorkspacePane::LatestNews, pane, QStringLiteral("最新动态"), [pane] {
        if (pane) {
            pane->showNews();
        }
    });
}

std::filesystem::path CWebViewManager::defaultStorage() {
    return platform::userDataHome() / "Tarnel" / "WebEngine";
}

std::unique_ptr<FrameWindow> CWebViewManager::open(const QUrl& url) {
    if (m_startPage && url == QUrl(QLatin1String(CTNWebView::kStartPageAddress))) {
        return std::move(m_startPage);
    }
    return makeView(url);
}

// The start page's window stands, with its page begun, before the frame is first shown: the
// engine's view in the frame makes Qt give the frame a native window that the view can draw on
// from the start, instead of making the frame's window again when the first page appears.
void CWebViewManager::prepareStartPage() {
    m_startPage = makeView(QUrl(QLatin1String(CTNWebView::kStartPageAddress)));
    m_startPage->setParent(&m_frame);
    m_startPage->hide();
}

std::unique_ptr<CTNWebView> CWebViewManager::makeView(const QUrl& url) {
    CTNWebView::Services services;
    services.profile = m_profile;
    services.openEmpty = [this] { return openEmpty(); };
    services.openUrl = [this](const QUrl& address) { m_frame.openWebWindow(address); };
    services.changed = [this](CTNWebView& view) { m_frame.windowChanged(&view); };
    services.imageFor = [this](CTNWebView& view, const QUrl& page) {
        return m_icons.imageFor(page, &view,
                                [shown = &view](int image) { shown->setTabImage(image); });
    };
    services.savePage = [this](CTNWebView& view) { savePage(view); };
    services.addFavourite = [this](CTNWebView& view) { addFavourite(view); };
    return std::make_unique<CTNWebView>(std::move(services), url);
}

void CWebViewManager::savePage(CTNWebView& view) {
    m_frame.openWebPointForm(
        {view.pageTitle(), view.browser(), &view, webArchiveWriter(*view.page())});
}

void CWebViewManager::addFavourite(CTNWebView& view) {
    CFavouriteDialog dialog(view.pageTitle(), view.pageUrl().toString(), m_favourites,
                            m_frame.prompt(), &m_frame);
    if (dialog.exec() == QDialog::Accepted) {
        m_frame.postMessage(FrameMessage::ReloadFavourites);
    }
}

CTNWebView* CWebViewManager::openEmpty() {
    return dynamic_cast<CTNWebView*>(m_frame.openWebWindow(QUrl()));
}

} // namespace tarnel::ui
