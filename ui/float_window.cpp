#include "ui/float_window.h"

#include "ui/knowledge_transfer.h"

#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

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

void FloatWindow::setDropHandler(DropHandler handler) {
    m_dropHandler = std::move(handler);
    setAcceptDrops(static_cast<bool>(m_dropHandler));
}

// Whatever is dragged here is taken, so that a drop that is no local file can be refused with a
// message instead of silently.
void FloatWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (m_dropHandler) {
        event->acceptProposedAction();
    }
}

void FloatWindow::dropEvent(QDropEvent* event) {
    if (!m_dropHandler) {
        return;
    }
    event->acceptProposedAction();
    std::vector<std::filesystem::path> files = KnowledgeTransfer::localFilesOf(*event->mimeData());
    QTimer::singleShot(0, this, [this, files] { m_dropHandler(files); });
}

} // namespace tarnel::ui
