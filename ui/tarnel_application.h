#pragma once

#include "app/settings.h"
#include "platform/instance_lock.h"
#include "platform/program_launcher.h"
#include "ui/instance_channel.h"
#include "ui/message_box_prompt.h"
#include "ui/web_windows.h"

#include <QString>
#include <QTranslator>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace tarnel::ui {

class CMainFrame;

// Start-up of the main program, from the single-instance rule to the shown main window. The
// program directory is the current directory at start: the settings file is always the one
// there, not the one beside the executable. Lives on the user-interface thread, after
// QApplication exists, for the life of the process.
class TarnelApplication {
public:
    // How start-up ended: the program runs, another instance or the update program took over
    // or the user declined to finish an update (exit code 0), or start-up stopped (exit code 1).
    enum class Start { Running, HandedOver, Stopped };

    static constexpr const char* kNoAnimatedPictures =
        "没有在目录下找到ole.dll,您将不能在内容中添加动态GIF图片!";
    // How long a second start waits for the running instance to answer.
    static constexpr int kHandOverTimeoutMs = 5000;

    TarnelApplication();
    ~TarnelApplication();

    // The start-up steps in order: the instance lock in the runtime folder (or the hand-over to
    // the instance holding it), the program directory, the completion of an interrupted update
    // (skipped while the update program runs), the update program's newer copy put in place,
    // the animated-picture check, the settings (first read, version bookkeeping), then the main
    // window: created, its skin loaded, shown maximised, the channel listened on, its first-show
    // initialisation, and message 2524 posted. When the completion replaced the main program or
    // the skin library, the new main program is run in place of this process before any setting
    // is read. prompt (null: message boxes) shows the messages of start-up; launcher starts the
    // update program and runs the new main program.
    Start initInstance(const std::filesystem::path& programDirectory, const QString& runtimeFolder,
                       app::Prompt* prompt = nullptr,
                       const platform::ProgramLauncher& launcher = platform::systemLauncher());

    // What makes the main window's web windows; set before initInstance.
    void setWebWindows(std::function<std::unique_ptr<WebWindows>(CMainFrame&)> webWindows) {
        m_webWindows = std::move(webWindows);
    }

    // What the instance channel does for a second start: "show" brings the frame up; "exit for
    // update" brings it up too, so that its questions about unsaved work are seen, then exits.
    static InstanceChannel::Handlers channelHandlers(CMainFrame& frame);

    CMainFrame* mainFrame() const { return m_mainFrame.get(); }
    const app::Settings& settings() const { return m_settings; }

private:
    void loadTranslations();
    // Steps 5 and 6: nullopt when start-up goes on.
    std::optional<Start> completeUpdate(const std::filesystem::path& programDirectory,
                                        const QString& runtimeFolder, app::Prompt& prompt,
                                        const platform::ProgramLauncher& launcher);

    app::Settings m_settings;
    platform::InstanceLock m_lock;
    MessageBoxPrompt m_messageBoxes;
    QTranslator m_qtTranslator;
    std::function<std::unique_ptr<WebWindows>(CMainFrame&)> m_webWindows;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::unique_ptr<InstanceChannel> m_channel;
};

} // namespace tarnel::ui
