#include "platform/file_system.h"
#include "ui/tarnel_application.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qtApplication(argc, argv);
    tarnel::ui::TarnelApplication application;
    if (!application.initInstance(tarnel::platform::realFileSystem().currentDirectory())) {
        return 1;
    }
    return QApplication::exec();
}
