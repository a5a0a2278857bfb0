#include "ui/tarnel_application.h"

#include "app/settings_file.h"
#include "ui/main_frame.h"

namespace tarnel::ui {

TarnelApplication::TarnelApplication() = default;
TarnelApplication::~TarnelApplication() = default;

bool TarnelApplication::initInstance(const std::filesystem::path& programDirectory) {
    app::SettingsFile settingsFile;
    settingsFile.firstRead(m_settings, programDirectory);
    settingsFile.versionBookkeeping(m_settings);

    m_mainFrame = std::make_unique<CMainFrame>(m_settings);
    m_mainFrame->showMaximized();
    m_mainFrame->initialUpdate();
    return true;
}

} // namespace tarnel::ui
