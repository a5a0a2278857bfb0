#include "ui/main_frame.h"

#include "app/program_version.h"
#include "app/settings_file.h"
#include "app/window_title.h"

#include <QWidget>

namespace tarnel::ui {

CMainFrame::CMainFrame(app::Settings& settings, QWidget* parent)
    : QMainWindow(parent), m_settings(settings) {
    setObjectName("CMainFrame");
    auto* central = new QWidget(this);
    central->setObjectName("workArea");
    setCentralWidget(central);
    updateTitle();
}

void CMainFrame::initialUpdate() {
    app::SettingsFile().workspaceRead(m_settings);
}

void CMainFrame::setCurrentWindowName(const std::string& name) {
    m_currentWindowName = name;
    updateTitle();
}

void CMainFrame::updateTitle() {
    setWindowTitle(
        QString::fromStdString(app::mainWindowTitle(app::kProgramVersion, m_currentWindowName)));
}

} // namespace tarnel::ui
