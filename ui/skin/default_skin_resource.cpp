#include "ui/skin/default_skin_resource.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE names a function of the global namespace.
static void initResourceOfDefaultSkin() {
    Q_INIT_RESOURCE(tarnel_default_skin);
}

namespace tarnel::ui {

void initDefaultSkinResource() {
    initResourceOfDefaultSkin();
}

} // namespace tarnel::ui
