#pragma once

#include "lustra/tool_pane_ext.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <functional>

namespace tarnel::test {

// A widget that hosts a tool pane the way a program's pane does: it passes its paint, mouse and
// resize events on, and keeps the pane at (10, 5) with 20 pixels less width and 30 high.
class ToolPaneHost : public QWidget {
public:
    explicit ToolPaneHost(QWidget* parent = nullptr) : QWidget(parent), pane(this) {}

    QRect paneRect() const { return QRect(10, 5, width() - 20, 30); }

    LUSTRA::CToolPaneExt pane;
    std::function<void(LUSTRA::ST_TOOLBAR_ITEM*)> onClick;
    std::function<void()> onMove;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        pane.OnEraseBkgnd(&painter);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        pane.OnSetCursor(event->position().toPoint());
        if (onMove) {
            onMove();
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        pane.OnLButtonDown(event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const QPoint point = event->position().toPoint();
        LUSTRA::ST_TOOLBAR_ITEM* item = pane.HitTest(point);
        if (pane.OnLButtonUp(point) && onClick) {
            onClick(item);
        }
    }
    void leaveEvent(QEvent*) override {
        pane.OnMouseLeave();
        if (onMove) {
            onMove();
        }
    }
    void resizeEvent(QResizeEvent*) override { pane.ResizeToolbar(paneRect()); }
};

} // namespace tarnel::test
