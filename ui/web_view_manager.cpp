#include "ui/web_view_manager.h"

#include "platform/user_folders.h"
#include "ui/favourite_dialog.h"
#include "ui/main_frame.h"
#include "ui/tn_web_view.h"
#include "ui/web_external.h"

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
}

CWebViewManager::~CWebViewManager() = default;

std::filesystem::path CWebViewManager::defaultStorage() {
    return platform::userDataHome() / "Tarnel" / "WebEngine";
}

std::unique_ptr<FrameWindow> CWebViewManager::open(const QUrl& url) {
    CTNWebView::Services services;
    services.profile = m_profile;
    services.openEmpty = [this] { return openEmpty(); };
    services.openUrl = [this](const QUrl& address) { m_frame.openWebWindow(address); };
    services.changed = [this](CTNWebView& view) { m_frame.windowChanged(&view); };
    services.imageFor = [this](CTNWebView& view, const QUrl& page) {
        return m_icons.imageFor(page, &view,
                                [shown = &view](int image) { shown->setTabImage(image); });
    };
    services.savePage = m_pointForm;
    services.addFavourite = [this](CTNWebView& view) { addFavourite(view); };
    return std::make_unique<CTNWebView>(std::move(services), url);
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
