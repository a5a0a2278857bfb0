#include "tools/skin_generator/skin_generator.h"

#include <QGuiApplication>
#include <cstdio>

// skin_generator SOURCES OUTPUT RESOURCE_LIST: builds the default skin folder OUTPUT from the
// drawings and settings in SOURCES, and the resource list that embeds it.
int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    QStringList args = QGuiApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: skin_generator SOURCES OUTPUT RESOURCE_LIST\n");
        return 2;
    }
    QStringList errors;
    if (!tarnel::skingen::SkinGenerator(QDir(args[1]), QDir(args[2]), args[3]).run(errors)) {
        for (const QString& error : errors) {
            std::fprintf(stderr, "skin_generator: %s\n", qPrintable(error));
        }
        return 1;
    }
    return 0;
}
