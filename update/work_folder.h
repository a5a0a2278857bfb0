#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <string_view>

namespace tarnel::update {

// The update's work folder "UpdateWork" of the program directory and the paths in it.
class WorkFolder {
public:
    explicit WorkFolder(const std::filesystem::path& programDirectory);

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path toFetch() const;
    std::filesystem::path fetched() const;
    std::filesystem::path moved() const;
    std::filesystem::path versionFile() const;
    // "file_list_%d.fls" and "soft_memo_%d.rtf" of a version.
    std::filesystem::path fileList(int version) const;
    std::filesystem::path releaseNotes(int version) const;
    std::filesystem::path tempFile(std::string_view tempName) const;

    // Deletes the three state files, then the folder with everything in it; errors are ignored.
    void cleanUp(const platform::FileSystem& fileSystem = platform::realFileSystem()) const;

private:
    std::filesystem::path m_path;
};

} // namespace tarnel::update
