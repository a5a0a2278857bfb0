#pragma once

namespace tarnel::platform {

// Whether the program runs with the superuser's rights (effective user id 0).
bool runsAsSuperuser();

} // namespace tarnel::platform
