#include "platform/file_system.h"
#include "ui/instance_client.h"
#include "ui/program_icon.h"
#include "updater/update_application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName("UpdateTarnel");
    QApplication::setWindowIcon(tarnel::ui::programIcon());
    QTranslator qtTranslator;
    if (qtTranslator.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }
    tarnel::updater::UpdateApplication::Options options;
    options.programDirectory = tarnel::platform::realFileSystem().currentDirectory();
    options.runtimeFolder = tarnel::ui::instance::runtimeFolder();
    tarnel::updater::UpdateApplication application(options);
    return application.exec();
}
