#include "ui/tarnel_application.h"

#include "app/instance_messages.h"
#include "app/settings_file.h"
#include "app/toolbar_config.h"
#include "platform/file_system.h"
#include "ui/instance_channel.h"
#include "ui/instance_client.h"
#include "ui/main_frame.h"
#include "ui/program_icon.h"
#include "ui/skin/default_skin_resource.h"
#include "update/pending_update.h"
#include "update/update_format.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMovie>
#include <QScreen>
#include <QStyle>

namespace tarnel::ui {

TarnelApplication::TarnelApplication() = default;

TarnelApplication::~TarnelApplication() {
    m_channel.reset();
    m_mainFrame.reset();
}

void TarnelApplication::loadTranslations() {
    if (m_qtTranslator.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&m_qtTranslator);
    }
}

namespace {

// The window starts maximised; restored by the user, or where no window manager maximises it, it
// takes most of the screen, centred, instead of the few hundred pixels its layout asks for.
void giveRestoredSize(QWidget& window) {
    QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    QRect available = screen->availableGeometry();
    window.setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, available.size() * 3 / 4, available));
}

// The update program holds its own lock for its whole run; its state files are its own then. The
// lock is let go at once: the update program that the completion may start takes it.
bool updateProgramRuns(const QString& runtimeFolder) {
    platform::InstanceLock updateProgram;
    return updateProgram.acquire(instance::updateLockFilePath(runtimeFolder).toStdString()) ==
           platform::InstanceLock::Result::Held;
}

} // namespace

std::optional<TarnelApplication::Start>
TarnelApplication::completeUpdate(const std::filesystem::path& programDirectory,
                                  const QString& runtimeFolder, app::Prompt& prompt,
                                  const platform::ProgramLauncher& launcher) {
    if (!updateProgramRuns(runtimeFolder)) {
        switch (update::finishPendingUpdate(programDirectory, prompt, launcher)) {
        case update::PendingUpdateResult::Continue:
            break;
        case update::PendingUpdateResult::ContinueInNewProgram:
            // The code of this process is the old one. The exec lets the instance lock go (it is
            // close-on-exec); when the new program cannot run, this one goes on.
            if (launcher.replaceThisProcess(programDirectory / update::kMainProgram,
                                            programDirectory) == 0) {
                return Start::HandedOver;
            }
            break;
        case update::PendingUpdateResult::End:
            return Start::HandedOver;
        case update::PendingUpdateResult::EndWithFailure:
            return Start::Stopped;
        }
    }
    // A failed replacement keeps the update program that is there.
    const platform::FileSystem& fileSystem = platform::realFileSystem();
    std::filesystem::path copy = programDirectory / update::kUpdateProgramCopy;
    if (fileSystem.exists(copy)) {
        fileSystem.rename(copy, programDirectory / update::kUpdateProgram);
    }
    return std::nullopt;
}

TarnelApplication::Start
TarnelApplication::initInstance(const std::filesystem::path& programDirectory,
                                const QString& runtimeFolder, app::Prompt* prompt,
                                const platform::ProgramLauncher& launcher) {
    app::Prompt& messages = prompt ? *prompt : m_messageBoxes;
    loadTranslations();

    switch (m_lock.acquire(instance::lockFilePath(runtimeFolder).toStdString())) {
    case platform::InstanceLock::Result::Acquired:
        break;
    case platform::InstanceLock::Result::CannotOpen:
        messages.show(std::string(app::kLockFailed), app::MessageIcon::Error);
        return Start::Stopped;
    case platform::InstanceLock::Result::Held: {
        std::optional<std::string> answer = instance::request(instance::socketPath(runtimeFolder),
                                                              instance::kShow, kHandOverTimeoutMs);
        if (answer == instance::kShown) {
            return Start::HandedOver;
        }
        messages.show(std::string(app::kAlreadyRunning), app::MessageIcon::Information);
        return Start::Stopped;
    }
    }

    if (std::optional<Start> ended =
            completeUpdate(programDirectory, runtimeFolder, messages, launcher)) {
        return *ended;
    }
    if (!QMovie::supportedFormats().contains("gif")) {
        messages.show(kNoAnimatedPictures, app::MessageIcon::Information);
    }

    app::SettingsFile settingsFile;
    settingsFile.firstRead(m_settings, programDirectory);
    settingsFile.versionBookkeeping(m_settings);

    CMainFrame::Services services;
    services.prompt = prompt;
    // The built-in copy of the default skin lives in a static library: registered by hand
    // before any skin loads.
    initDefaultSkinResource();
    services.webWindows = m_webWindows;
    m_mainFrame = std::make_unique<CMainFrame>(m_settings, programIcon(), services);
    CMainFrame* frame = m_mainFrame.get();
    QObject::connect(
        frame, &CMainFrame::exited, QCoreApplication::instance(),
        [frame] { QCoreApplication::exit(frame->exitCode()); }, Qt::QueuedConnection);
    m_mainFrame->load_skin(true);
    giveRestoredSize(*m_mainFrame);
    m_mainFrame->showMaximized();
    m_channel = std::make_unique<InstanceChannel>(channelHandlers(*frame));
    m_channel->listen(instance::socketPath(runtimeFolder));
    m_mainFrame->initialUpdate();
    m_settings.readingTools = app::ToolbarConfigFile(programDirectory).load(messages);
    m_mainFrame->postMessage(FrameMessage::OpenBase);
    return Start::Running;
}

InstanceChannel::Handlers TarnelApplication::channelHandlers(CMainFrame& frame) {
    CMainFrame* target = &frame;
    return {[target] { target->showMain(); },
            [target] {
                target->showMain();
                return target->exitCommand();
            }};
}

} // namespace tarnel::ui
