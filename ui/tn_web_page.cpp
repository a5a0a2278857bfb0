#include "ui/tn_web_page.h"

namespace tarnel::ui {

CTNWebPage::CTNWebPage(QWebEngineProfile* profile, std::function<QWebEnginePage*()> newWindow,
                       QObject* parent)
    : QWebEnginePage(profile, parent), m_newWindow(std::move(newWindow)) {}

QWebEnginePage* CTNWebPage::createWindow(WebWindowType) {
    return m_newWindow ? m_newWindow() : nullptr;
}

} // namespace tarnel::ui
