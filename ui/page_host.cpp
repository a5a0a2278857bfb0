#include "ui/page_host.h"

#include <QPainter>

namespace tarnel::ui {

CPageHost::CPageHost(QPointer<QWidget> view, QPointer<QWidget> owner, QWidget* parent)
    : QWidget(parent), m_view(std::move(view)), m_owner(std::move(owner)) {
    setObjectName("pageHost");
    if (m_view) {
        connect(m_view, &QObject::destroyed, this, [this] { update(); });
    }
}

// The view belongs to its owner: it never goes down with the host.
CPageHost::~CPageHost() {
    if (holdsView()) {
        m_view->hide();
        m_view->setParent(m_owner);
    }
}

bool CPageHost::holdsView() const {
    return m_view && m_view->parentWidget() == this;
}

void CPageHost::showEvent(QShowEvent*) {
    if (!m_view || holdsView()) {
        return;
    }
    m_view->setParent(this);
    m_view->setGeometry(rect());
    m_view->show();
}

void CPageHost::resizeEvent(QResizeEvent*) {
    if (holdsView()) {
        m_view->setGeometry(rect());
    }
}

void CPageHost::paintEvent(QPaintEvent*) {
    if (m_view) {
        return;
    }
    QPainter painter(this);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, QString::fromUtf8(kViewGone));
}

} // namespace tarnel::ui
