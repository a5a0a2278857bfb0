#pragma once

#include "app/prompt.h"
#include "platform/program_launcher.h"
#include "updater/socket_channel.h"
#include "updater/update_wizard.h"

#include <QString>
#include <filesystem>
#include <memory>

namespace tarnel::updater {

// The update program: the program directory is the working directory at start, the update site
// comes from its settings file, the locks and the main program's socket lie in the user's
// runtime folder. User-interface thread only, after QApplication exists.
class UpdateApplication {
public:
    struct Options {
        std::filesystem::path programDirectory;
        QString runtimeFolder;
        app::Prompt* prompt = nullptr;                       // null: message boxes
        const platform::ProgramLauncher* launcher = nullptr; // null: the system's
    };

    explicit UpdateApplication(const Options& options);
    ~UpdateApplication();

    // Takes the run's lock and prepares the work folder; false (the message shown) when the
    // program must end with exit code 1.
    bool start();
    UpdateWizard& wizard() { return *m_wizard; }

    // start, then the wizard as a modal dialog; the program's exit code.
    int exec();

private:
    SocketChannel m_channel;
    std::unique_ptr<UpdateWizard> m_wizard;
};

} // namespace tarnel::updater
