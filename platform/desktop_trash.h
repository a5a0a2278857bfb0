#pragma once

#include "platform/file_system.h"

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

namespace tarnel::platform {

// Where a trashed file or folder went, so that an operation that fails later can put it back.
struct TrashedItem {
    std::filesystem::path original;
    std::filesystem::path file; // in the Trash's files folder
    std::filesystem::path info; // its .trashinfo file
};

// The desktop's Trash in the freedesktop.org layout that file managers share, so that a desktop
// file manager lists and restores what was trashed here. Files on the file system of the home
// Trash ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) go there; a file on another mount goes
// to that mount's top-directory Trash ($topdir/.Trash/$uid when $topdir/.Trash is a sticky
// folder and no link, else $topdir/.Trash-$uid). Each item gets the first free name (the name,
// then "stem.2.ext", "stem.3.ext", ...) reserved by creating its info file exclusively; the info
// file holds the percent-encoded absolute path and the local deletion time. The environment is
// read at each call. Renames go through the given file system.
class Trash {
public:
    using Clock = std::function<std::time_t()>;

    explicit Trash(const FileSystem& fileSystem = realFileSystem(), Clock now = nullptr);
    virtual ~Trash() = default;

    // Moves the file or folder into the Trash. 0, or the errno of the failure with the path
    // untouched and no info file left behind (ENOENT for a missing path).
    virtual int trash(const std::filesystem::path& path, TrashedItem& item) const;

    // Puts a trashed item back at its original path and removes its info file. 0 or errno
    // (EEXIST when something took the original path meanwhile).
    virtual int restore(const TrashedItem& item) const;

    // The Trash folder (holding files/ and info/) that a path would be trashed into.
    std::filesystem::path trashFolderFor(const std::filesystem::path& absolutePath) const;

private:
    int prepareFolders(const std::filesystem::path& trash) const;

    const FileSystem& m_fileSystem;
    Clock m_now;
};

// The home Trash folder: $XDG_DATA_HOME/Trash, or $HOME/.local/share/Trash when XDG_DATA_HOME is
// unset or not absolute.
std::filesystem::path homeTrashFolder();

// The text of a .trashinfo file.
std::string trashInfoText(const std::filesystem::path& absolutePath, std::time_t deletion);

} // namespace tarnel::platform
