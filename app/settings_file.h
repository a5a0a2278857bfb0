#pragma once

#include "app/settings.h"
#include "platform/file_system.h"

#include <filesystem>

namespace tarnel::app {

// The settings file "tarnel.ini" of the program directory, read and written key by key. Reading
// never fails: a missing file or key gives its default. Writes return 0 or the errno of the
// first key that could not be written (the remaining keys are still attempted); the program
// goes on either way, but a caller can tell the user. Called on the user-interface thread.
class SettingsFile {
public:
    explicit SettingsFile(const platform::FileSystem& fileSystem = platform::realFileSystem());

    // First read at start-up: fixes the file name, reads DATA, ACCESS, SQL_SERVER and the two
    // download indexes, and repairs Data_Path: an empty value or one that names nothing on disk
    // is replaced by the program directory's "Data" folder and written back (the folder itself
    // is made when the knowledge base opens).
    void firstRead(Settings& settings, const std::filesystem::path& programDirectory) const;

    // Records this program's store version in the file. Settings last written by version 120 or
    // older (or never) get the tab strip position 2.
    void versionBookkeeping(Settings& settings) const;

    // Reads the skin, workspace, point list, editor and start-up settings and sets the derived
    // paths; the program's temporary folder is created when missing.
    void workspaceRead(Settings& settings) const;

    int writeDataSource(const Settings& settings) const;
    // After the options dialog: the data source, the skin, the workspace and start-up choices.
    int writeAll(const Settings& settings) const;
    int writeEditor(const Settings& settings) const;
    int writePointList(const Settings& settings) const;
    int writeTabAlign(const Settings& settings) const;

private:
    const platform::FileSystem& m_fileSystem;
};

} // namespace tarnel::app
