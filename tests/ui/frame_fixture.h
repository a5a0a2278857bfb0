#pragma once

#include "app/settings.h"
#include "platform/desktop_open.h"
#include "platform/file_system.h"
#include "store/knowledge_store.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/skin_fixture.h"
#include "ui/main_frame.h"

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class QMessageBox;

namespace tarnel::test {

namespace fs = std::filesystem;

// Records the folders it was asked to open.
class RecordingOpener : public platform::Opener {
public:
    int openFolder(const fs::path& folder) const override {
        opened.push_back(folder);
        return 0;
    }
    mutable std::vector<fs::path> opened;
};

// A program directory with a settings file, a data directory holding a real base, and a main
// frame on them that asks through a scripted prompt.
class FrameTest : public ::testing::Test {
protected:
    TempDir program;
    ScriptedPrompt prompt;
    RecordingOpener opener;
    app::Settings settings;
    std::unique_ptr<ui::CMainFrame> frame;
    // Set before start(): the frame asks through real message boxes, not the scripted prompt.
    bool messageBoxes = false;
    // Set before start(): starts the update program.
    const platform::ProgramLauncher* launcher = &platform::systemLauncher();
    // The frame's built-in copy of the default skin.
    fs::path builtInSkin = sharedBuiltInSkin();
    // Set before start(): what the frame reads and writes files through.
    const platform::FileSystem* fileSystem = &platform::realFileSystem();
    // Set before start(): what makes the frame's web windows.
    std::function<std::unique_ptr<ui::WebWindows>(ui::CMainFrame&)> webWindows;

    fs::path data() const { return program / "Data"; }
    // Writes the settings file (before start()).
    void writeSettings(const std::string& bytes);
    // Makes categories "A/B/C" (by path, parents first) in the base on disk.
    void makeCategories(const std::vector<std::string>& paths);
    // Reads the settings, creates the frame, loads its skin, shows it, runs its first-show step and
    // message 2524.
    void start();
    ui::KnowledgeTreeModel& tree();
    // The tree's index of a category by its path of names.
    QModelIndex categoryIndex(const std::string& path);
    store::CategoryRecord* category(const std::string& path);

    void TearDown() override;
};

// Calls act with the widget find returns, once it returns one (find is asked every 10 ms).
void whenShown(std::function<QWidget*()> find, std::function<void(QWidget* shown)> act);
// Calls act with the modal dialog (or message box) once one is shown.
void whenModal(std::function<void(QWidget* modal)> act);
// Calls act with the message box once one is the active modal window (above a dialog, too).
void whenMessageBox(std::function<void(QMessageBox& box)> act);

// The texts of a menu's entries in order; separators as "-".
std::vector<std::string> entriesOf(const class QMenu& menu);

} // namespace tarnel::test
