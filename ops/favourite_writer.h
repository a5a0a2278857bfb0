#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <string>
#include <string_view>

// Adding a page to the user's favourites folder: one ".url" file (section "InternetShortcut",
// key "URL"), the reader's format.
namespace tarnel::ops {

// A file name's longest base, in bytes of the name as stored (UTF-8).
inline constexpr std::size_t kFavouriteNameBytes = 200;

// The page title made safe as a file name: the name rule's characters, "/" and control
// characters become "_", blanks around it and leading dots go, at most 200 bytes without
// splitting a character; the address's host when nothing is left, else "网页".
std::string favouriteFileBase(std::string_view name, std::string_view url);

struct FavouriteAdded {
    int code = 0; // kOk; kInvalidName for a folder outside the favourites or an address that
                  // is empty or holds a line break; kWriteFailed when the file was not written
    std::filesystem::path file;
};

// Writes "<folder>/<subFolder>/<base>.url", the first free of "<base>.url", "<base>(1).url", …;
// subFolder is relative ("" for the favourites folder itself, created when missing) and may not
// leave it.
FavouriteAdded addFavourite(const platform::FileSystem& fileSystem,
                            const std::filesystem::path& favourites, std::string_view subFolder,
                            std::string_view name, std::string_view url);

} // namespace tarnel::ops
