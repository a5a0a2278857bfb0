#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnel::store {

// Index files saved together after a walk that wrote many files: each is staged beside its place,
// then a flush of the file system makes the staged files (and whatever the walk wrote before them)
// last, every one is put in place, and one more flush makes the renames last. A list that
// names a copied file therefore never reaches the disk before the copy does. Whatever was staged
// and not put in place is removed. Not thread-safe.
class StagedSaves {
public:
    explicit StagedSaves(const platform::FileSystem& fileSystem) : m_fileSystem(fileSystem) {}
    StagedSaves(const StagedSaves&) = delete;
    StagedSaves& operator=(const StagedSaves&) = delete;
    ~StagedSaves();

    // Writes the bytes that are to replace path: 0 or errno, nothing left on failure.
    int stage(const std::filesystem::path& path, std::string_view bytes);

    // Flushes the file system that holds written (a folder the caller wrote other files to that
    // must last first; none when empty) and the one that holds the staged files, puts every staged
    // file in place and flushes again. It goes on after a failure, so that as much as possible is
    // saved: 0 or the errno of the first failure, with the path it concerns in failed.
    int commit(const std::filesystem::path& written, std::filesystem::path& failed);

private:
    const platform::FileSystem& m_fileSystem;
    // Where each staged file goes, and where it was staged.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> m_staged;
};

} // namespace tarnel::store
