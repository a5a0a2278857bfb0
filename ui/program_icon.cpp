#include "ui/program_icon.h"

// The icon's resource lives in a static library, so it is registered by hand; the macro
// declares its function in the global namespace.
static void registerIconResource() {
    Q_INIT_RESOURCE(tarnel);
}

namespace tarnel::ui {

QIcon programIcon() {
    registerIconResource();
    return QIcon(":/tarnel/tarnel.svg");
}

} // namespace tarnel::ui
