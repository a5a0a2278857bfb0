#pragma once

#include "app/settings.h"

#include <filesystem>
#include <memory>

namespace tarnel::ui {

class CMainFrame;

// Start-up of the main program, from the settings to the shown main window. The program
// directory is the current directory at start: the settings file is always the one there, not
// the one beside the executable. Lives on the user-interface thread, after QApplication exists.
class TarnelApplication {
public:
    TarnelApplication();
    ~TarnelApplication();

    // Reads the settings, records this version in them, then creates, shows and initialises the
    // main window. Returns false when start-up must stop.
    bool initInstance(const std::filesystem::path& programDirectory);

    CMainFrame* mainFrame() const { return m_mainFrame.get(); }
    const app::Settings& settings() const { return m_settings; }

private:
    app::Settings m_settings;
    std::unique_ptr<CMainFrame> m_mainFrame;
};

} // namespace tarnel::ui
