#pragma once

namespace tarnel::app {

// The program's version as a three-digit integer; it is shown with points between its digits.
inline constexpr int kProgramVersion = 210;

// The version of the stored data this program writes: the settings file records it, and a new
// knowledge base carries it in its identifier counters.
inline constexpr int kStoreVersion = 210;

// The update program reads the installed version from the settings' SOFT_VERSION, which start-up
// sets to the store version: were they to differ, an installed update would be offered forever.
static_assert(kStoreVersion == kProgramVersion);

} // namespace tarnel::app
