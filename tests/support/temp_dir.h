#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarnel::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Whole-file helpers for fixtures: raw bytes in and out.
std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, std::string_view bytes);
// The permission bits (07777) of the path, 0 when it does not exist.
unsigned fileMode(const std::filesystem::path& path);

} // namespace tarnel::test
