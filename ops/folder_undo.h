#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <vector>

namespace tarnel::ops {

// The folders an operation created, so that a failure later in the operation can take them away
// again and leave the disk as it stood. Not thread-safe.
class FolderUndo {
public:
    explicit FolderUndo(const platform::FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    // Creates the folder and every missing folder above it, noting each one made. 0 or errno;
    // on failure the folders made by this call are gone again.
    int createDirectories(const std::filesystem::path& folder);

    // Removes the noted folders, deepest first; a folder that is no longer empty stays.
    void undo();

private:
    const platform::FileSystem& m_fileSystem;
    std::vector<std::filesystem::path> m_created;
};

} // namespace tarnel::ops
