#include "update/version_file.h"

#include "platform/ini.h"
#include "update/update_format.h"

namespace tarnel::update {
namespace {

constexpr std::size_t kNumberBuffer = 20;
constexpr std::size_t kAddressBuffer = 260;

} // namespace

SiteVersion readSiteVersion(const std::filesystem::path& file,
                            const platform::FileSystem& fileSystem) {
    platform::IniFile ini(file, fileSystem);
    auto text = [&](std::string_view key, std::size_t buffer) {
        return ini.readString(kSiteVersionSection, key, "", buffer);
    };
    SiteVersion site;
    site.softVersion = platform::profileInt(text(kSoftVersionKey, kNumberBuffer));
    site.softVersionUpdate = platform::profileInt(text(kSoftVersionUpdateKey, kNumberBuffer));
    site.releaseTime = text(kReleaseTimeKey, kNumberBuffer);
    site.tipIndex = platform::profileInt(text(kTipIndexKey, kNumberBuffer));
    site.tipPath = text(kTipPathKey, kAddressBuffer);
    site.imageIndexText = text(kImageIndexKey, kNumberBuffer);
    site.imageIndex = platform::profileInt(site.imageIndexText);
    site.imagePath = text(kImagePathKey, kAddressBuffer);
    return site;
}

std::string dottedVersion(int version) {
    std::string digits = std::to_string(version);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        out += digits[i];
        if (i < 2 && i + 1 < digits.size()) {
            out += '.';
        }
    }
    return out;
}

} // namespace tarnel::update
