#include "app/program_version.h"
#include "platform/file_system.h"
#include "platform/text_format.h"
#include "platform/user_folders.h"
#include "platform/user_identity.h"
#include "ui/instance_client.h"
#include "ui/program_icon.h"
#include "ui/tarnel_application.h"
#include "ui/web_view_manager.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    // The browser engine's sandbox cannot work for the superuser, and the engine would end the
    // program at its start rather than run without it.
    if (tarnel::platform::runsAsSuperuser() &&
        !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // The browser engine shares its drawing contexts with the windows.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName("Tarnel");
    QApplication::setApplicationVersion(
        QString::fromStdString(tarnel::platform::formatVersion(tarnel::app::kProgramVersion)));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(tarnel::ui::programIcon());

    // Nothing is locked or changed before the command line was understood.
    QCommandLineParser parser;
    parser.setApplicationDescription("Tarnel个人知识管理系统");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(qtApplication);

    tarnel::ui::TarnelApplication application;
    application.setWebWindows([](tarnel::ui::CMainFrame& frame) {
        return std::make_unique<tarnel::ui::CWebViewManager>(
            frame, tarnel::ui::CWebViewManager::defaultStorage(),
            tarnel::platform::favouritesFolder());
    });
    switch (application.initInstance(tarnel::platform::realFileSystem().currentDirectory(),
                                     tarnel::ui::instance::runtimeFolder())) {
    case tarnel::ui::TarnelApplication::Start::Running:
        return QApplication::exec();
    case tarnel::ui::TarnelApplication::Start::HandedOver:
        return 0;
    case tarnel::ui::TarnelApplication::Start::Stopped:
        return 1;
    }
    return 1;
}
