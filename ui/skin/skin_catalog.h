#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::ui::skin {

// One skin the chooser offers.
struct SkinCatalogEntry {
    std::string name;
    std::string author;
    std::string dateTime;
    // "skin/FOLDER", as SkinPath is written; never cut.
    std::string skinPath;
    // The preview picture when "profile.ini" names one that exists; empty otherwise.
    std::filesystem::path preview;
};

// The installed skins: the folders under "skin" of the program directory that hold a
// "profile.ini" (names starting with "." are passed over), sorted by name, then by folder.
class SkinCatalog {
public:
    static SkinCatalog scan(const std::filesystem::path& programDirectory,
                            const platform::FileSystem& fileSystem = platform::realFileSystem());

    const std::vector<SkinCatalogEntry>& entries() const { return m_entries; }

    // The entry whose skin path equals the given one ("\" read as "/", then compared exactly),
    // -1 when none.
    int indexOf(std::string_view skinPath) const;

private:
    std::vector<SkinCatalogEntry> m_entries;
};

} // namespace tarnel::ui::skin
