#pragma once

#include <filesystem>

namespace tarnel::platform {

// The user's data folder: $XDG_DATA_HOME when it is absolute, else $HOME/.local/share (the home
// of the password database when HOME is unset). Read from the environment at each call.
std::filesystem::path userDataHome();

// The folder of the user's web favourites, .url files in sub-folders: Tarnel/Favorites in the
// user's data folder.
std::filesystem::path favouritesFolder();

} // namespace tarnel::platform
