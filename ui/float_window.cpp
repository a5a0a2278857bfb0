#include "ui/float_window.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace tarnel::ui {

FloatWindow::FloatWindow(const QIcon& icon, FrameMailboxPtr mailbox,
                         std::function<bool()> mainShown)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_icon(icon),
      m_mailbox(std::move(mailbox)), m_mainShown(std::move(mainShown)) {
    setObjectName("floatWindow");
    setAccessibleName("悬浮窗口");
    setToolTip(kTip);
    setWindowOpacity(kOpacity);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kSize, kSize);
    move(homePosition());
}

QPoint FloatWindow::homePosition() {
    QScreen* screen = QGuiApplication::primaryScreen();
    int width = screen ? screen->geometry().width() : 0;
    return {width - 200, 150};
}

void FloatWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_icon.paint(&painter, rect());
}

void FloatWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_grab = event->globalPosition().toPoint() - frameGeometry().topLeft();
    } else if (event->button() == Qt::RightButton) {
        m_mailbox->post(FrameMessage::TrayCallback, kTrayIconId, kTrayRightButtonUp);
    }
}

void FloatWindow::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        move(event->globalPosition().toPoint() - m_grab);
    }
}

void FloatWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_mailbox->post(m_mainShown() ? FrameMessage::HideMain : FrameMessage::ShowMain);
}

} // namespace tarnel::ui
