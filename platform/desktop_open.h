#pragma once

#include <filesystem>

namespace tarnel::platform {

// Opens folders and files with the desktop's programs. Tests install a recording fake.
class Opener {
public:
    virtual ~Opener() = default;

    // Opens a folder in the desktop's file manager ("open" verb). 0 once the opener ran and
    // succeeded; else the errno of the failure (ENOENT when no opener program could be started,
    // EIO when it reported a failure).
    virtual int openFolder(const std::filesystem::path& folder) const;

    // Opens a file with the desktop's default program for its type; same results.
    virtual int openFile(const std::filesystem::path& file) const;

    // Asks the desktop's file manager to show the folder of an absolute path with the file
    // selected (FileManager1.ShowItems on the session bus). 0 when a file manager took the call;
    // ENOENT when none offers it (no session bus, no file manager on it, no bus tool).
    virtual int showItem(const std::filesystem::path& file) const;
};

// The process-wide opener: runs xdg-open and dbus-send without a shell.
const Opener& systemOpener();

} // namespace tarnel::platform
