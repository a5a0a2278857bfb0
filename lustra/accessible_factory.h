#pragma once

namespace LUSTRA {

// Makes the library's custom-drawn controls (tool pane hosts, tree lists, check combos and
// progress bars) known to screen readers. Each control calls it on construction; the factory
// is installed once.
void InstallAccessibleFactory();

} // namespace LUSTRA
