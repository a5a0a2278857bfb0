#pragma once

namespace tarnel::ui {

// Registers the built-in copy of the default skin under ":/skin/default/" (the same files as the
// "skin/default" folder of the program directory). The copy lives in a static library, whose
// resources a program must register itself; call this once before the first load of a skin.
// Calling it again does no harm.
void initDefaultSkinResource();

} // namespace tarnel::ui
