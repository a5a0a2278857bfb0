#pragma once

#include "lustra/lustra_export.h"
#include "lustra/toolbar_item.h"

#include <QFont>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <list>
#include <memory>
#include <optional>

class QPainter;
class QWidget;

namespace LUSTRA {

class ToolbarItemAccessibles;

// A row of skinned tool buttons drawn inside someone else's widget. The host passes on its
// paint (OnEraseBkgnd), mouse move (OnSetCursor), press, release, leave and resize
// (ResizeToolbar); a click is OnLButtonUp returning true, also signalled with the item. The
// items shown are accessible children of the host (push buttons and separators).
class LUSTRA_API CToolPaneExt : public QObject {
    Q_OBJECT

public:
    explicit CToolPaneExt(QWidget* host);
    ~CToolPaneExt() override;

    // A stored copy (its label cut to size) that the caller may change later.
    ST_TOOLBAR_ITEM* AddToolbarItem(const ST_TOOLBAR_ITEM& item);
    // The n-th item (from 0) with that id, or null.
    ST_TOOLBAR_ITEM* FindToolbarItem(int id, int n);
    // Removes the n-th item with that id; n = -1 removes every one.
    void RemoveToolbarItem(int id, int n);
    // The first enabled item in the pane, not a separator, under the point; null when hidden.
    ST_TOOLBAR_ITEM* HitTest(QPoint point);
    void ResizeToolbar(QRect rect);

    bool OnEraseBkgnd(QPainter* painter);
    bool OnSetCursor(QPoint point);
    bool OnLButtonDown(QPoint point);
    bool OnLButtonUp(QPoint point);
    bool OnMouseLeave();
    void OnTimer(int id);

    void SetFocusToolbarItem(ST_TOOLBAR_ITEM* item);
    void InvalidateItem(ST_TOOLBAR_ITEM* item);
    void Invalidate();
    // The widget whose tooltip text the pane keeps (the host by default).
    void SetToolTipCtrl(QWidget* tooltip);
    void SetToolbarAlign(int align);
    int GetToolbarAlign() const { return m_nToolbarAlign; }
    void SetVerticalAlign(int align);
    int GetVerticalAlign() const { return m_nVerticalAlign; }
    void ShowToolbar(bool show);
    bool IsShowToolbar() const { return m_bShow; }
    void SetFont(const QFont& font);
    void SetTextColor(int state, int color);
    void SetBkColor(int state, int color);
    void SetFrameColor(int state, int color);
    ST_TOOLBAR_ITEM* GetHotItem() const { return m_pHotItem; }
    // Timer 1: the host starts it when the mouse rests; it shows the hot item's label.
    QTimer* GetToolTipTimer() { return &m_tipTimer; }

signals:
    void ToolbarItemClicked(ST_TOOLBAR_ITEM* item);

private:
    friend class ToolPaneHostAccessible;
    friend class ToolbarItemAccessible;
    friend class ToolbarItemAccessibles;

    // Shown in the pane and drawn by it (an embedded window is accessible by itself).
    bool isExposed(const ST_TOOLBAR_ITEM& item) const;
    bool isHittable(const ST_TOOLBAR_ITEM& item) const;
    // What a click on the item does: the signal, unless the item cannot be clicked.
    bool click(ST_TOOLBAR_ITEM* item);
    // A screen reader's press: a left click at the item's centre through the host's own mouse
    // handlers, so that a host acting on OnLButtonUp's answer acts too.
    void pressForReader(ST_TOOLBAR_ITEM* item);
    bool isHostAlive() const { return m_bHostAlive; }
    int calcOutToolbarItem(ST_TOOLBAR_ITEM& item, int left, int windowLimit);
    void shiftItem(ST_TOOLBAR_ITEM& item, int dx);
    void placeWindow(ST_TOOLBAR_ITEM& item);
    void setHotItem(ST_TOOLBAR_ITEM* item);
    void setToolTipText(const QString& text);
    void drawItem(QPainter* painter, ST_TOOLBAR_ITEM& item);
    int stateOf(const ST_TOOLBAR_ITEM& item) const;

    QWidget* m_pHost;
    std::optional<QFont> m_font;
    int m_crText[4] = {43008, 168, 11010048, 11053224};
    int m_crBk[4] = {-1, -1, -1, -1};
    int m_crFrame[4] = {-1, -1, -1, -1};
    ST_TOOLBAR_ITEM* m_pHotItem = nullptr;
    ST_TOOLBAR_ITEM* m_pPressedItem = nullptr;
    std::list<ST_TOOLBAR_ITEM> m_items;
    QWidget* m_pToolTip = nullptr;
    int m_nToolbarAlign = 2;
    int m_nVerticalAlign = 1;
    bool m_bShow = true;
    QRect m_rcPane;
    QTimer m_tipTimer;
    // Cleared when the host starts dying, before its children (this pane) go.
    bool m_bHostAlive = true;
    int m_nButtonUps = 0; // calls of OnLButtonUp, to see whether the host passes clicks on
    std::unique_ptr<ToolbarItemAccessibles> m_pAccessibles;
};

} // namespace LUSTRA
