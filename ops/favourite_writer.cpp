#include "ops/favourite_writer.h"

#include "ops/favicon_site.h"
#include "ops/operation_result.h"
#include "platform/ini.h"

#include <algorithm>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUnsafe = "\\/:*?\"<>|";
constexpr const char* kFallbackName = "网页";

bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string trimmed(std::string text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string safeText(std::string_view name) {
    std::string safe(name);
    for (char& c : safe) {
        if (kUnsafe.find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 0x20 ||
            c == 0x7F) {
            c = '_';
        }
    }
    safe = trimmed(std::move(safe));
    safe.erase(0, safe.find_first_not_of('.'));
    if (safe.size() > kFavouriteNameBytes) {
        std::size_t cut = kFavouriteNameBytes;
        while (cut > 0 && isUtf8Continuation(safe[cut])) {
            --cut;
        }
        safe = trimmed(safe.substr(0, cut));
    }
    return safe;
}

bool isInside(std::string_view subFolder) {
    fs::path relative(subFolder);
    if (relative.is_absolute()) {
        return false;
    }
    return std::none_of(relative.begin(), relative.end(),
                        [](const fs::path& part) { return part == ".."; });
}

} // namespace

std::string favouriteFileBase(std::string_view name, std::string_view url) {
    std::string base = safeText(name);
    if (base.empty()) {
        if (std::optional<FaviconSite> site = faviconSiteOf(url)) {
            base = safeText(site->host);
        }
    }
    return base.empty() ? kFallbackName : base;
}

FavouriteAdded addFavourite(const platform::FileSystem& fileSystem, const fs::path& favourites,
                            std::string_view subFolder, std::string_view name,
                            std::string_view url) {
    if (!isInside(subFolder) || url.empty() || url.find_first_of("\r\n") != std::string::npos) {
        return {kInvalidName, {}};
    }
    fs::path folder = subFolder.empty() ? favourites : favourites / fs::path(subFolder);
    if (fileSystem.createDirectories(folder) != 0) {
        return {kWriteFailed, {}};
    }
    std::string base = favouriteFileBase(name, url);
    fs::path file = folder / (base + ".url");
    for (int n = 1; fileSystem.exists(file); ++n) {
        file = folder / (base + "(" + std::to_string(n) + ").url");
    }
    if (platform::IniFile(file, fileSystem).writeString("InternetShortcut", "URL", url) != 0) {
        fileSystem.removeFile(file);
        return {kWriteFailed, {}};
    }
    return {kOk, file};
}

} // namespace tarnel::ops
