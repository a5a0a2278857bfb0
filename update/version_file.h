#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <string>

namespace tarnel::update {

// The site's version file (section "CURRENT_SOFT_INFORMATION"), read from its local copy with
// the buffer sizes of the format: 20 bytes for numbers and the release time, 260 for addresses.
// A missing key reads as empty text, that is as number 0.
struct SiteVersion {
    int softVersion = 0;
    int softVersionUpdate = 0;
    std::string releaseTime;
    int tipIndex = 0;
    std::string tipPath;
    int imageIndex = 0;
    // The banner's number as the site wrote it; it is stored in the settings unchanged.
    std::string imageIndexText;
    std::string imagePath;
};

SiteVersion readSiteVersion(const std::filesystem::path& file,
                            const platform::FileSystem& fileSystem = platform::realFileSystem());

// A three-digit version shown with points between its digits: 211 gives "2.1.1". Other numbers
// are shown as "%d" gives them, with a point after each of the first two characters.
std::string dottedVersion(int version);

} // namespace tarnel::update
