#pragma once

#include "app/settings.h"

#include <QMainWindow>
#include <string>

namespace tarnel::ui {

// The program's one top-level window. It owns the settings in memory for the run; the
// workspace, window tabs and views are added to it as they are built.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(app::Settings& settings, QWidget* parent = nullptr);

    // The first-show initialisation: the workspace settings are read.
    void initialUpdate();

    // The name of the current window ("" when none); it becomes part of the caption.
    void setCurrentWindowName(const std::string& name);

    const app::Settings& settings() const { return m_settings; }

private:
    void updateTitle();

    app::Settings& m_settings;
    std::string m_currentWindowName;
};

} // namespace tarnel::ui
