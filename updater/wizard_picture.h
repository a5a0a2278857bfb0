#pragma once

#include <QPixmap>

namespace tarnel::updater {

// The picture on the wizard's left side.
QPixmap wizardPicture();

} // namespace tarnel::updater
