#include "ui/tn_web_view.h"

#include "ui/skin/skin_keys.h"
#include "ui/tn_web_page.h"
#include "ui/web_external.h"

#include <QAction>
#include <QFont>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWebChannel>
#include <QWebEngineView>

namespace tarnel::ui {
namespace {

constexpr int kTopMargin = 2;
constexpr int kPadding = 3;
constexpr int kGap = 2;
constexpr int kAddressFontPixels = 13;

bool isBlank(const QUrl& url) {
    return url == QUrl(QStringLiteral("about:blank"));
}

} // namespace

CTNWebView::CTNWebView(Services services, const QUrl& url, QWidget* parent)
    : QWidget(parent), m_services(std::move(services)), m_pane(this),
      m_address(new QLineEdit(this)), m_browser(new QWebEngineView(this)), m_page(nullptr),
      m_external(nullptr), m_image(skin::ICON_WEB) {
    setObjectName("webView");
    setAccessibleName("网页窗口");
    setMouseTracking(true);
    m_browser->setObjectName("webBrowser");
    m_browser->setAccessibleName("网页");
    m_browser->installEventFilter(this);
    m_page = new CTNWebPage(
        m_services.profile,
        [this]() -> QWebEnginePage* {
            CTNWebView* opened = m_services.openEmpty();
            return opened ? opened->page() : nullptr;
        },
        m_browser);
    m_browser->setPage(m_page);
    auto* channel = new QWebChannel(m_page);
    m_external = new CExternal(m_services.openUrl, channel);
    channel->registerObject(CExternal::kChannelName, m_external);
    m_page->setWebChannel(channel);

    m_address->setObjectName("webAddress");
    m_address->setAccessibleName("地址");
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(kAddressFontPixels);
    font.setWeight(QFont::Normal);
    m_address->setFont(font);
    m_address->setFixedSize(kAddressWidth, kAddressHeight);
    connect(m_address, &QLineEdit::returnPressed, this, [this] { navigate(m_address->text()); });
    buildPane();
    // Without the add-point form there is nothing to save through.
    if (!m_services.savePage) {
        m_pane.FindToolbarItem(kSavePage, 0)->nState = kDisabledState;
    }

    connect(m_browser, &QWebEngineView::loadStarted, this, &CTNWebView::loadStarted);
    connect(m_browser, &QWebEngineView::loadFinished, this, &CTNWebView::loadFinished);
    connect(m_browser, &QWebEngineView::titleChanged, this, [this] {
        if (!m_loading) {
            loadFinished();
        }
    });
    for (QWebEnginePage::WebAction action : {QWebEnginePage::Back, QWebEnginePage::Forward}) {
        connect(m_browser->pageAction(action), &QAction::changed, this,
                &CTNWebView::showNavigationStates);
    }
    showNavigationStates();

    m_name = isBlank(url) ? kBlankName : kLoadingName;
    // A window opening leaves the focus where the user has it.
    if (!url.isEmpty()) {
        load(url.toString());
    }
}

// The view goes with its window even while a form shows it.
CTNWebView::~CTNWebView() {
    m_browser->removeEventFilter(this);
    delete m_browser;
}

void CTNWebView::buildPane() {
    addTool(kSavePage, "保存网页");
    addTool(kFavourite, "收藏");
    addTool(kBack, "后退");
    addTool(kForward, "前进");
    addTool(kStop, "停止");
    addTool(kRefresh, "刷新");
    addTool(kAddress, "地址:", m_address);
    addTool(kGo, "转到");
    connect(&m_pane, &LUSTRA::CToolPaneExt::ToolbarItemClicked, this,
            [this](LUSTRA::ST_TOOLBAR_ITEM* item) { toolClicked(item->nID); });
}

void CTNWebView::addTool(Tool id, const char* label, QWidget* window) {
    LUSTRA::ST_TOOLBAR_ITEM item;
    item.nID = id;
    item.nWidth = -1;
    item.nHeight = -1;
    item.nGapBefore = kGap;
    item.nGapAfter = kGap;
    item.nTopMargin = kTopMargin;
    item.nPadding = kPadding;
    item.bEnabled = true;
    item.bShowText = true;
    item.bLeftGroup = true;
    if (window) {
        item.pWnd = window;
        item.nWndWidth = kAddressWidth;
        item.nWndHeight = kAddressHeight;
    }
    LUSTRA::SetToolbarItemText(item, label);
    m_pane.AddToolbarItem(item);
}

void CTNWebView::toolClicked(int id) {
    switch (id) {
    case kSavePage:
        if (m_services.savePage) {
            m_services.savePage(*this);
        }
        break;
    case kFavourite:
        m_services.addFavourite(*this);
        break;
    case kBack:
        m_browser->back();
        break;
    case kForward:
        m_browser->forward();
        break;
    case kStop:
        m_browser->stop();
        break;
    case kRefresh:
        m_browser->reload();
        break;
    case kGo:
        navigate(m_address->text());
        break;
    default:
        break;
    }
}

void CTNWebView::navigate(const QString& text) {
    load(text);
    m_browser->setFocus(Qt::OtherFocusReason);
}

void CTNWebView::load(const QString& text) {
    QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String(kStartPageAddress), Qt::CaseInsensitive) == 0) {
        setStartPageMode(true);
        m_browser->load(QUrl(QLatin1String(kStartPageUrl)));
    } else {
        setStartPageMode(false);
        m_browser->load(QUrl::fromUserInput(trimmed));
    }
}

void CTNWebView::setStartPageMode(bool startPage) {
    m_startPage = startPage;
    m_pane.ShowToolbar(!startPage);
    m_address->setVisible(!startPage);
    layOut();
    update();
}

void CTNWebView::layOut() {
    QRect whole = rect();
    QRect page = whole;
    if (!m_startPage) {
        m_pane.ResizeToolbar(QRect(whole.left(), whole.top(), whole.width(), kPaneThickness));
        page.adjust(0, kPaneThickness, 0, 0);
    }
    // While a form shows the view, the form lays it out.
    if (m_browser->parentWidget() == this) {
        m_browser->setGeometry(page);
    }
}

void CTNWebView::showNavigationStates() {
    const std::pair<Tool, QWebEnginePage::WebAction> tools[] = {
        {kBack, QWebEnginePage::Back}, {kForward, QWebEnginePage::Forward}};
    for (const auto& [id, action] : tools) {
        if (LUSTRA::ST_TOOLBAR_ITEM* item = m_pane.FindToolbarItem(id, 0)) {
            item->nState = m_browser->pageAction(action)->isEnabled() ? 0 : kDisabledState;
            m_pane.InvalidateItem(item);
        }
    }
}

void CTNWebView::loadStarted() {
    m_loading = true;
    setName(kLoadingName);
}

// about:blank hands the focus to the address box, ready to be typed over.
void CTNWebView::loadFinished() {
    m_loading = false;
    QUrl url = pageUrl();
    if (isBlank(url)) {
        setName(kBlankName);
    } else {
        QString title = pageTitle();
        setName((title.isEmpty() ? url.toString() : title).toStdString());
    }
    m_address->setText(m_startPage ? QString::fromLatin1(kStartPageAddress) : url.toString());
    // The start page has no address box to type in.
    if (isBlank(url) && !m_startPage) {
        m_address->setFocus(Qt::OtherFocusReason);
        m_address->selectAll();
    }
    m_image = m_services.imageFor(*this, url);
    m_services.changed(*this);
}

QString CTNWebView::pageTitle() const {
    QString title = m_page->title();
    // The engine stands in the address for a page without a title.
    return title == m_page->url().toString() || title == m_page->url().toDisplayString() ? QString()
                                                                                         : title;
}

QUrl CTNWebView::pageUrl() const {
    return m_page->url();
}

void CTNWebView::setTabImage(int image) {
    if (m_image != image) {
        m_image = image;
        m_services.changed(*this);
    }
}

void CTNWebView::setName(const std::string& name) {
    if (m_name != name) {
        m_name = name;
        m_services.changed(*this);
    }
}

void CTNWebView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_pane.OnEraseBkgnd(&painter);
}

void CTNWebView::mouseMoveEvent(QMouseEvent* event) {
    m_pane.OnSetCursor(event->position().toPoint());
}

void CTNWebView::mousePressEvent(QMouseEvent* event) {
    m_pane.OnLButtonDown(event->position().toPoint());
}

void CTNWebView::mouseReleaseEvent(QMouseEvent* event) {
    m_pane.OnLButtonUp(event->position().toPoint());
}

void CTNWebView::leaveEvent(QEvent*) {
    m_pane.OnMouseLeave();
}

void CTNWebView::resizeEvent(QResizeEvent*) {
    layOut();
}

void CTNWebView::showEvent(QShowEvent*) {
    if (m_browser->parentWidget() != this) {
        m_browser->setParent(this);
    }
}

// However the view comes home (taken back here, or handed back by a form that goes), it fills its
// place again.
bool CTNWebView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_browser && event->type() == QEvent::ParentChange &&
        m_browser->parentWidget() == this) {
        layOut();
        m_browser->show();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarnel::ui
