#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <string>
#include <vector>

// The model of the favourites tab: the user's favourites folder of .url files read into a tree.
// The view that shows it lives with the main window.
namespace tarnel::ops {

struct FavouriteItem {
    std::string label;
    std::string url; // empty for a folder
    bool isFolder = false;
    std::vector<FavouriteItem> children;
};

struct FavouritesTree {
    FavouriteItem root; // "IE收藏夹"
    // Empty, or what stopped the walk of a folder ("未知的错误" when the cause has no text); the
    // items read before it stay.
    std::string error;
};

// Walks the folder in name order: every sub-folder becomes a folder item and is walked, every file
// whose extension is "URL" in any letter case becomes a leaf labelled with the file name without
// the extension and carrying the value of "URL" in its section "InternetShortcut" (read as a
// settings file, at most 260 characters). A symbolic link to a folder is not followed, so a link
// loop cannot make the walk endless. A missing folder gives the bare root.
FavouritesTree readFavourites(const platform::FileSystem& fileSystem,
                              const std::filesystem::path& folder);

} // namespace tarnel::ops
