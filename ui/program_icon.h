#pragma once

#include <QIcon>

namespace tarnel::ui {

// The program's icon (a scalable drawing), shared by the main program and the update program
// for their windows. Registers the resource that holds it on first use.
QIcon programIcon();

} // namespace tarnel::ui
