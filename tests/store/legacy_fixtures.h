#pragma once

#include "tests/support/temp_dir.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Older index files built byte by byte, independently of the reader: little-endian header words,
// big-endian record lengths, the text XOR-ed with 0x5D by hand, one 0x08 after the last field and
// no 0 byte after a record.
namespace tarnel::test {

inline std::string le32(std::uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

inline std::string olderRecord(const std::vector<std::string>& fields) {
    std::string text;
    for (const std::string& field : fields) {
        text += field + "\x08";
    }
    std::string out;
    out += static_cast<char>(text.size() >> 8);
    out += static_cast<char>(text.size() & 0xFF);
    for (unsigned char c : text) {
        out += static_cast<char>(c ^ 0x5D);
    }
    return out;
}

inline std::string olderFile(std::uint32_t version,
                             const std::vector<std::vector<std::string>>& records,
                             std::uint32_t marker = 0) {
    std::string out =
        le32(marker) + le32(version) + le32(static_cast<std::uint32_t>(records.size()));
    for (const auto& record : records) {
        out += olderRecord(record);
    }
    return out;
}

// The 18 fields of an older category record.
inline std::vector<std::string> olderCategory(const std::string& id, const std::string& parent,
                                              const std::string& previous, const std::string& next,
                                              const std::string& name,
                                              const std::string& linked = "0",
                                              const std::string& relation = "") {
    return {id,
            parent,
            previous,
            next,
            "0",
            "0",
            "0",
            name,
            "2009-01-02 03:04:05",
            "2009-02-03 04:05:06",
            "memo" + id,
            "0",
            "text",
            "7",
            "-1",
            "255",
            linked,
            relation};
}

// The 18 fields of an older point record.
inline std::vector<std::string> olderPoint(const std::string& id, const std::string& category,
                                           const std::string& name, const std::string& type,
                                           const std::string& size = "3") {
    return {id,
            category,
            "0",
            size,
            "1",
            "2",
            name,
            type,
            "src",
            "2009-03-04 05:06:07",
            "2009-04-05 06:07:08",
            "9",
            "t",
            "-1",
            "16",
            "0",
            "0",
            "1"};
}

// Every file and folder under root: relative path -> bytes, folders as "<dir>".
inline std::map<std::string, std::string> snapshotOf(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string relative = entry.path().lexically_relative(root).string();
        files[relative] = entry.is_directory() ? "<dir>" : readBytes(entry.path());
    }
    return files;
}

// The paths whose bytes differ between two snapshots, one a line; empty when they are equal.
inline std::string differences(const std::map<std::string, std::string>& actual,
                               const std::map<std::string, std::string>& expected) {
    std::string out;
    for (const auto& [path, bytes] : actual) {
        auto other = expected.find(path);
        if (other == expected.end()) {
            out += "unexpected " + path + "\n";
        } else if (other->second != bytes) {
            out += "different " + path + "\n";
        }
    }
    for (const auto& [path, bytes] : expected) {
        if (!actual.contains(path)) {
            out += "missing " + path + "\n";
        }
    }
    return out;
}

} // namespace tarnel::test
