#include "ui/page_host.h"

namespace tarnel::ui {

CPageHost::CPageHost(QPointer<QWidget> view, QPointer<QWidget> owner, QWidget* parent)
    : QWidget(parent), m_view(std::move(view)), m_owner(std::move(owner)) {
    setObjectName("pageHost");
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

} // namespace tarnel::ui
