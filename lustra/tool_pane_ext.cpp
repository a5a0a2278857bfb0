#include "lustra/tool_pane_ext.h"

#include "accessible_factory.h"
#include "color_ref.h"
#include "lustra/image_drawing.h"
#include "tool_pane_accessible.h"
#include "toolbar_label.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QToolTip>
#include <QWidget>
#include <algorithm>
#include <cstring>

namespace LUSTRA {
namespace {

constexpr int kSeparatorColor = 11053224; // grey 168
constexpr int kLabelGap = 5;              // between picture and label
constexpr int kToolTipTimer = 1;

int rightOf(const QRect& rect) {
    return rect.x() + rect.width();
}

} // namespace

CToolPaneExt::CToolPaneExt(QWidget* host)
    : QObject(host), m_pHost(host), m_pAccessibles(std::make_unique<ToolbarItemAccessibles>(this)) {
    InstallAccessibleFactory();
    m_pHost->setMouseTracking(true);
    connect(&m_tipTimer, &QTimer::timeout, this, [this] { OnTimer(kToolTipTimer); });
    connect(m_pHost, &QObject::destroyed, this, [this] { m_bHostAlive = false; });
    ToolPaneHostAccessible::adopt(m_pHost);
}

CToolPaneExt::~CToolPaneExt() {
    m_tipTimer.stop();
}

ST_TOOLBAR_ITEM* CToolPaneExt::AddToolbarItem(const ST_TOOLBAR_ITEM& item) {
    ST_TOOLBAR_ITEM& stored = m_items.emplace_back(item);
    stored.szText[sizeof stored.szText - 1] = 0;
    SetToolbarItemText(stored, std::string(stored.szText).c_str());
    if (!m_rcPane.isNull()) {
        ResizeToolbar(m_rcPane);
    }
    m_pAccessibles->itemAdded(&stored);
    return &stored;
}

ST_TOOLBAR_ITEM* CToolPaneExt::FindToolbarItem(int id, int n) {
    for (ST_TOOLBAR_ITEM& item : m_items) {
        if (item.nID == id && n-- == 0) {
            return &item;
        }
    }
    return nullptr;
}

void CToolPaneExt::RemoveToolbarItem(int id, int n) {
    int seen = 0;
    for (auto at = m_items.begin(); at != m_items.end();) {
        const bool match = at->nID == id && (n == -1 || seen++ == n);
        if (!match) {
            ++at;
            continue;
        }
        if (m_pHotItem == &*at) {
            m_pHotItem = nullptr;
            setToolTipText(QString());
        }
        if (m_pPressedItem == &*at) {
            m_pPressedItem = nullptr;
        }
        m_pAccessibles->itemRemoved(&*at);
        at = m_items.erase(at);
    }
    ResizeToolbar(m_rcPane);
}

ST_TOOLBAR_ITEM* CToolPaneExt::HitTest(QPoint point) {
    for (ST_TOOLBAR_ITEM& item : m_items) {
        if (isHittable(item) && item.rcItem.contains(point)) {
            return &item;
        }
    }
    return nullptr;
}

bool CToolPaneExt::isExposed(const ST_TOOLBAR_ITEM& item) const {
    return m_bShow && item.bEnabled && item.bInPane && !item.pWnd;
}

bool CToolPaneExt::isHittable(const ST_TOOLBAR_ITEM& item) const {
    return m_bShow && item.bEnabled && item.bInPane && item.nID >= 0;
}

bool CToolPaneExt::click(ST_TOOLBAR_ITEM* item) {
    if (!isHittable(*item) || item->nState == 3) {
        return false;
    }
    emit ToolbarItemClicked(item);
    return true;
}

int CToolPaneExt::stateOf(const ST_TOOLBAR_ITEM& item) const {
    return std::clamp(item.nState, 0, 3);
}

// Lays one item out from `left`; its right end. An embedded window of width -1 reaches
// windowLimit less the item's gap after.
int CToolPaneExt::calcOutToolbarItem(ST_TOOLBAR_ITEM& item, int left, int windowLimit) {
    const int margin = item.nTopMargin;
    int top = m_rcPane.y() + margin;
    int height = item.nHeight;
    if (item.nHeight == -1) {
        height = m_rcPane.height() - 2 * margin;
    } else if (m_nVerticalAlign == 2) {
        top = m_rcPane.y() + m_rcPane.height() - margin - height;
    } else if (m_nVerticalAlign != 0) {
        top = m_rcPane.y() + std::max(margin, (m_rcPane.height() - height) / 2);
    }
    const bool hasPicture = item.pImg[stateOf(item)] != nullptr;
    item.rcImage = hasPicture ? QRect(left + item.nPadding, top + (height - item.nImgHeight) / 2,
                                      item.nImgWidth, item.nImgHeight)
                              : QRect(left, top, 0, 0);
    int contentEnd = hasPicture ? rightOf(item.rcImage) : left + item.nPadding;
    item.rcText = QRect();
    if (item.bShowText) {
        const int textLeft = hasPicture ? contentEnd + kLabelGap : contentEnd;
        const QFontMetrics metrics(m_font.value_or(m_pHost->font()));
        item.rcText =
            QRect(textLeft, top, metrics.horizontalAdvance(ToolbarItemLabel(item)), height);
        contentEnd = rightOf(item.rcText);
    }
    QRect window;
    if (item.pWnd) {
        const int windowHeight = item.nWndHeight == -1 ? height : item.nWndHeight;
        const int windowWidth = item.nWndWidth == -1
                                    ? std::max(0, windowLimit - item.nGapAfter - contentEnd)
                                    : item.nWndWidth;
        window = QRect(contentEnd, top + (height - windowHeight) / 2, windowWidth, windowHeight);
        contentEnd = rightOf(window);
    }
    const int right =
        item.nWidth == -1
            ? (hasPicture || item.bShowText || item.pWnd ? contentEnd : left) + item.nPadding
            : left + item.nWidth;
    item.bTextShown = item.bShowText && rightOf(item.rcText) <= right;
    if (item.bShowText && !item.bTextShown) {
        item.rcText.setWidth(std::max(0, right - item.rcText.x()));
    }
    item.rcItem = QRect(left, top, right - left, height);
    if (item.pWnd) {
        item.pWnd->setGeometry(window);
    }
    return right;
}

void CToolPaneExt::shiftItem(ST_TOOLBAR_ITEM& item, int dx) {
    item.rcItem.translate(dx, 0);
    item.rcImage.translate(dx, 0);
    item.rcText.translate(dx, 0);
    if (item.pWnd) {
        item.pWnd->move(item.pWnd->pos() + QPoint(dx, 0));
    }
}

void CToolPaneExt::placeWindow(ST_TOOLBAR_ITEM& item) {
    if (item.pWnd) {
        item.pWnd->setVisible(m_bShow && item.bEnabled && item.bInPane);
    }
}

void CToolPaneExt::ResizeToolbar(QRect rect) {
    m_rcPane = rect;
    if (m_nToolbarAlign == 2 || m_nToolbarAlign == 3) {
        const int paneRight = rightOf(rect);
        int right = paneRight;
        for (auto at = m_items.rbegin(); at != m_items.rend(); ++at) {
            if (!at->bEnabled || at->bLeftGroup) {
                continue;
            }
            right -= at->nGapAfter;
            // A window of width -1 has no room on the right: it gets none.
            const int width = calcOutToolbarItem(*at, rect.x(), rect.x()) - rect.x();
            shiftItem(*at, right - width - rect.x());
            right -= width + at->nGapBefore;
            at->bInPane = true;
        }
        const int limit = right; // where the right group begins
        int x = rect.x();
        bool full = false;
        for (ST_TOOLBAR_ITEM& item : m_items) {
            if (!item.bEnabled) {
                item.bInPane = false;
            }
            if (!item.bEnabled || !item.bLeftGroup) {
                continue;
            }
            x += item.nGapBefore;
            full = full || x >= limit;
            item.bInPane = !full;
            if (item.bInPane) {
                x = calcOutToolbarItem(item, x, limit) + item.nGapAfter;
            }
        }
    }
    for (ST_TOOLBAR_ITEM& item : m_items) {
        placeWindow(item);
    }
    Invalidate();
    m_pAccessibles->layoutChanged();
}

bool CToolPaneExt::OnEraseBkgnd(QPainter* painter) {
    if (!m_bShow || !painter) {
        return false;
    }
    painter->save();
    if (m_font) {
        painter->setFont(*m_font);
    }
    for (ST_TOOLBAR_ITEM& item : m_items) {
        if (item.bEnabled && item.bInPane) {
            drawItem(painter, item);
        }
    }
    painter->restore();
    return true;
}

void CToolPaneExt::drawItem(QPainter* painter, ST_TOOLBAR_ITEM& item) {
    if (item.pfnDraw) {
        item.pfnDraw(painter, &item);
        return;
    }
    const int state = stateOf(item);
    const QRect& box = item.rcItem;
    if (item.pBkImg[state]) {
        DrawImage(painter, item.pBkImg[state], box);
    } else if (item.pfnDrawBk) {
        item.pfnDrawBk(painter, &item);
    } else if (m_crBk[state] != kNoColor) {
        painter->fillRect(box, colorFromRef(m_crBk[state]));
    }
    if (m_crFrame[state] != kNoColor && item.nID != -1 && box.width() > 0 && box.height() > 0) {
        painter->setPen(colorFromRef(m_crFrame[state]));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
    }
    if (item.pImg[state]) {
        DrawImage(painter, item.pImg[state], item.rcImage);
    } else if (item.nID == -1 && box.height() > 0) {
        const int x = box.x() + box.width() / 2;
        painter->fillRect(
            QRect(x, box.y() + box.height() / 5, 1, 4 * box.height() / 5 - box.height() / 5),
            colorFromRef(kSeparatorColor));
    }
    if (item.bShowText && item.rcText.width() > 0) {
        painter->setPen(colorFromRef(m_crText[state]));
        const QString label = painter->fontMetrics().elidedText(
            ToolbarItemLabel(item), Qt::ElideRight, item.rcText.width());
        painter->drawText(item.rcText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          label);
    }
}

bool CToolPaneExt::OnSetCursor(QPoint point) {
    ST_TOOLBAR_ITEM* hit = HitTest(point);
    if (hit != m_pHotItem) {
        setHotItem(hit);
        const bool tip = hit && (m_nToolbarAlign < 2 || !hit->bTextShown);
        setToolTipText(tip ? ToolbarItemLabel(*hit) : QString());
    }
    if (hit && hit->nID != -1 && !hit->pWnd) {
        m_pHost->setCursor(Qt::PointingHandCursor);
        return true;
    }
    m_pHost->unsetCursor();
    return false;
}

// Only an item in state 0 turns hot, and only a hot one turns back: a state the owner set
// stays.
void CToolPaneExt::setHotItem(ST_TOOLBAR_ITEM* item) {
    ST_TOOLBAR_ITEM* previous = m_pHotItem;
    m_pHotItem = item;
    if (previous && previous != item && previous->nState == 1) {
        previous->nState = 0;
    }
    if (item && item->nState == 0) {
        item->nState = 1;
    }
    InvalidateItem(previous);
    InvalidateItem(item);
}

void CToolPaneExt::setToolTipText(const QString& text) {
    if (m_pToolTip) {
        m_pToolTip->setToolTip(text);
    }
}

bool CToolPaneExt::OnMouseLeave() {
    setHotItem(nullptr);
    setToolTipText(QString());
    m_tipTimer.stop();
    return true;
}

bool CToolPaneExt::OnLButtonDown(QPoint point) {
    m_pPressedItem = HitTest(point);
    return m_pPressedItem != nullptr;
}

bool CToolPaneExt::OnLButtonUp(QPoint point) {
    ++m_nButtonUps;
    ST_TOOLBAR_ITEM* hit = HitTest(point);
    const bool released = hit && hit == m_pPressedItem;
    m_pPressedItem = nullptr;
    return released && click(hit);
}

void CToolPaneExt::pressForReader(ST_TOOLBAR_ITEM* item) {
    const QPoint centre = item->rcItem.center();
    if (HitTest(centre) != item) {
        click(item); // not clickable, or covered by an item the owner placed over it
        return;
    }
    const QPointer<CToolPaneExt> alive(this);
    const int buttonUps = m_nButtonUps;
    const QPointF local(centre);
    const QPointF global(m_pHost->mapToGlobal(centre));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(m_pHost, &press);
    if (!alive) {
        return;
    }
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(m_pHost, &release);
    // A host that drives the pane by its own calls, not by mouse events, gets the signal.
    if (alive && m_nButtonUps == buttonUps && HitTest(centre) == item) {
        click(item);
    }
}

void CToolPaneExt::OnTimer(int id) {
    if (id != kToolTipTimer) {
        return;
    }
    if (m_pHotItem) {
        const QPoint cursor = m_pHost->mapFromGlobal(QCursor::pos());
        if (m_nToolbarAlign < 2 ||
            (!m_pHotItem->bTextShown && m_pHotItem->rcItem.contains(cursor))) {
            QToolTip::showText(m_pHost->mapToGlobal(cursor), ToolbarItemLabel(*m_pHotItem),
                               m_pHost);
        }
    }
    m_tipTimer.stop();
}

void CToolPaneExt::SetFocusToolbarItem(ST_TOOLBAR_ITEM* item) {
    setHotItem(item);
}

// Owners change an item's state and repaint it: the point to tell screen readers too.
void CToolPaneExt::InvalidateItem(ST_TOOLBAR_ITEM* item) {
    if (item) {
        m_pHost->update(item->rcItem);
        m_pAccessibles->stateChanged(item);
    }
}

void CToolPaneExt::Invalidate() {
    m_pHost->update(m_rcPane);
}

void CToolPaneExt::SetToolTipCtrl(QWidget* tooltip) {
    m_pToolTip = tooltip;
}

void CToolPaneExt::SetToolbarAlign(int align) {
    m_nToolbarAlign = align;
    ResizeToolbar(m_rcPane);
}

void CToolPaneExt::SetVerticalAlign(int align) {
    m_nVerticalAlign = align;
    ResizeToolbar(m_rcPane);
}

void CToolPaneExt::ShowToolbar(bool show) {
    m_bShow = show;
    if (!show) {
        OnMouseLeave();
    }
    for (ST_TOOLBAR_ITEM& item : m_items) {
        placeWindow(item);
    }
    Invalidate();
    m_pAccessibles->layoutChanged();
}

void CToolPaneExt::SetFont(const QFont& font) {
    m_font = font;
    ResizeToolbar(m_rcPane);
}

void CToolPaneExt::SetTextColor(int state, int color) {
    if (state >= 0 && state < 4) {
        m_crText[state] = color;
        Invalidate();
    }
}

void CToolPaneExt::SetBkColor(int state, int color) {
    if (state >= 0 && state < 4) {
        m_crBk[state] = color;
        Invalidate();
    }
}

void CToolPaneExt::SetFrameColor(int state, int color) {
    if (state >= 0 && state < 4) {
        m_crFrame[state] = color;
        Invalidate();
    }
}

} // namespace LUSTRA
