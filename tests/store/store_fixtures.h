#pragma once

#include "platform/file_system.h"

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::test {

// One row as the format lays it out, built independently of the store's writer: two length
// bytes, the values joined by 0x08 and XOR-ed with 0x5D, a terminating 0. Values are raw bytes.
inline std::string scrambledRow(const std::vector<std::string>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += (i ? "\x08" : "") + values[i];
    }
    std::string row;
    row += static_cast<char>(text.size() >> 8);
    row += static_cast<char>(text.size() & 0xFF);
    for (unsigned char c : text) {
        row += static_cast<char>(c ^ 0x5D);
    }
    row += '\0';
    return row;
}

inline std::string scrambledTable(const std::vector<std::vector<std::string>>& rows) {
    std::string bytes;
    for (const auto& row : rows) {
        bytes += scrambledRow(row);
    }
    return bytes;
}

// Corruption helpers.
inline std::string cutShort(std::string bytes, std::size_t by) {
    bytes.resize(bytes.size() > by ? bytes.size() - by : 0);
    return bytes;
}

// A real file system whose failures can be switched on one by one. A path matches when its text
// contains the given piece.
class FaultyFileSystem : public platform::FileSystem {
public:
    std::string failWritesTo;  // writeFileAtomic fails with EACCES
    std::string failRemovesOf; // removeFile and removeAll fail with EACCES
    std::string failReadsOf;   // readFile fails with readError
    int readError = EIO;
    bool renameCrossesDevices = false; // rename fails with EXDEV, so moves copy and delete
    bool failMoves = false;            // moveTree fails with ENOSPC
    bool failCreateDirectories = false;
    mutable int writes = 0;

    int writeFileAtomic(const std::filesystem::path& path, std::string_view data,
                        Access access) const override {
        ++writes;
        if (matches(path, failWritesTo)) {
            return EACCES;
        }
        return FileSystem::writeFileAtomic(path, data, access);
    }
    int removeFile(const std::filesystem::path& path) const override {
        return matches(path, failRemovesOf) ? EACCES : FileSystem::removeFile(path);
    }
    int removeAll(const std::filesystem::path& path) const override {
        return matches(path, failRemovesOf) ? EACCES : FileSystem::removeAll(path);
    }
    int readFile(const std::filesystem::path& path, std::string& out) const override {
        return matches(path, failReadsOf) ? readError : FileSystem::readFile(path, out);
    }
    int rename(const std::filesystem::path& from, const std::filesystem::path& to) const override {
        return renameCrossesDevices ? EXDEV : FileSystem::rename(from, to);
    }
    int moveTree(const std::filesystem::path& from,
                 const std::filesystem::path& to) const override {
        return failMoves ? ENOSPC : FileSystem::moveTree(from, to);
    }
    int createDirectories(const std::filesystem::path& path) const override {
        return failCreateDirectories ? EACCES : FileSystem::createDirectories(path);
    }

private:
    static bool matches(const std::filesystem::path& path, const std::string& piece) {
        return !piece.empty() && path.string().find(piece) != std::string::npos;
    }
};

} // namespace tarnel::test
