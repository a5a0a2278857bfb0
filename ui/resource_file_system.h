#pragma once

#include "platform/file_system.h"

namespace tarnel::ui {

// A reading view of the file system that includes the program's compiled-in resources: a path
// beginning with ":" names a resource and is answered by Qt; every other path goes to the wrapped
// file system, which must outlive this one. Only the reading calls declared here are forwarded;
// it is meant for readers of skin folders, never for writing.
class ResourceFileSystem : public platform::FileSystem {
public:
    explicit ResourceFileSystem(const platform::FileSystem& files) : m_files(files) {}

    bool exists(const std::filesystem::path& path) const override;
    bool isDirectory(const std::filesystem::path& path) const override;
    bool isRegularFile(const std::filesystem::path& path) const override;
    int readFile(const std::filesystem::path& path, std::string& out) const override;
    std::vector<Entry> listDirectory(const std::filesystem::path& path, int& err) const override;

private:
    const platform::FileSystem& m_files;
};

// True for a path inside the compiled-in resources.
bool isResourcePath(const std::filesystem::path& path);

} // namespace tarnel::ui
