#pragma once

#include "lustra/tool_pane_ext.h"
#include "ui/frame_window.h"

#include <QUrl>
#include <QWidget>
#include <functional>
#include <string>

class QLineEdit;
class QWebEngineProfile;
class QWebEngineView;

namespace tarnel::ui {

class CExternal;
class CTNWebPage;

// A web window (kind 3): the page under a tool pane with the address box. "about:home" shows the
// program's start page without the pane. The tab reads "正在打开..." while a page loads, "空白页"
// on about:blank, then the page's title. The page's view may be lent to the add-point form of
// the page; the window takes it back whenever it is shown. The main window owns it; user-interface
// thread only.
class CTNWebView : public QWidget, public FrameWindow {
    Q_OBJECT

public:
    // The tool pane's items, by id, added in the order save, favourite, back, forward, stop,
    // refresh, address, go.
    enum Tool : int {
        kSavePage = 0,
        kBack = 1,
        kForward = 2,
        kFavourite = 3,
        kRefresh = 4,
        kStop = 5,
        kAddress = 6,
        kGo = 7,
    };
    static constexpr int kPaneThickness = 25;
    static constexpr int kAddressWidth = 400;
    static constexpr int kAddressHeight = 20;
    static constexpr int kDisabledState = 3;
    static constexpr const char* kLoadingName = "正在打开...";
    static constexpr const char* kBlankName = "空白页";
    static constexpr const char* kStartPageAddress = "about:home";
    // The start page, compiled into the program.
    static constexpr const char* kStartPageUrl = "qrc:/web/index.html";

    // What the window asks of whoever made it; every function but savePage is set ("保存网页"
    // is disabled without it).
    struct Services {
        QWebEngineProfile* profile = nullptr;
        // A new web window in a tab of its own that loads nothing yet (a page asked for it).
        std::function<CTNWebView*()> openEmpty;
        // A new web window on the address (a page called window.external.OpenUrl).
        std::function<void(const QUrl&)> openUrl;
        // The window's name or tab image changed.
        std::function<void(CTNWebView&)> changed;
        // The tab image for a page just shown: an index of the main image list.
        std::function<int(CTNWebView&, const QUrl&)> imageFor;
        // "保存网页" and "收藏".
        std::function<void(CTNWebView&)> savePage;
        std::function<void(CTNWebView&)> addFavourite;
    };

    // Opens url at once; an empty url loads nothing (the engine fills a window a page asked for).
    CTNWebView(Services services, const QUrl& url, QWidget* parent = nullptr);
    ~CTNWebView() override;

    WindowKind kind() const override { return WindowKind::Web; }
    std::string name() const override { return m_name; }
    int tabImage() const override { return m_image; }
    QWidget* lowerPane() override { return this; }

    // The address box's rules: "about:home" in any letter case shows the start page, any other
    // text is read as the user typed it; the page takes the focus.
    void navigate(const QString& text);
    // Sets the tab image (the site icon arrived).
    void setTabImage(int image);

    bool isStartPage() const { return m_startPage; }
    // The page's title ("" while none).
    QString pageTitle() const;
    QUrl pageUrl() const;
    QWebEngineView* browser() const { return m_browser; }
    CTNWebPage* page() const { return m_page; }
    QLineEdit* addressBox() const { return m_address; }
    LUSTRA::CToolPaneExt& pane() { return m_pane; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load(const QString& text);
    void buildPane();
    void addTool(Tool id, const char* label, QWidget* window = nullptr);
    void toolClicked(int id);
    void setStartPageMode(bool startPage);
    void layOut();
    void showNavigationStates();
    void loadStarted();
    void loadFinished();
    void setName(const std::string& name);

    Services m_services;
    LUSTRA::CToolPaneExt m_pane;
    QLineEdit* m_address;
    QWebEngineView* m_browser;
    CTNWebPage* m_page;
    CExternal* m_external;
    std::string m_name;
    int m_image;
    bool m_startPage = false;
    bool m_loading = false;
};

} // namespace tarnel::ui
