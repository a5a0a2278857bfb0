#include "update/site_address.h"

#include "platform/ini.h"
#include "update/update_format.h"

#include <curl/curl.h>
#include <memory>

namespace tarnel::update {
namespace {

constexpr std::size_t kSiteBuffer = 260;

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::optional<std::string> urlPart(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK || text == nullptr) {
        return std::nullopt;
    }
    std::string value(text);
    curl_free(text);
    return value;
}

bool isLoopbackHost(const std::string& host) {
    return host == "localhost" || host == "[::1]" || host.starts_with("127.");
}

std::string siteFolder(const std::string& base, int version) {
    return base + std::string(kSiteFolder) + std::to_string(version) + "/";
}

struct SchemeAndHost {
    std::string scheme;
    std::string host;
};

std::optional<SchemeAndHost> schemeAndHost(std::string_view address) {
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url || address.find_first_of(" \t\r\n") != std::string_view::npos ||
        curl_url_set(url.get(), CURLUPART_URL, std::string(address).c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    auto scheme = urlPart(url.get(), CURLUPART_SCHEME);
    auto host = urlPart(url.get(), CURLUPART_HOST);
    if (!scheme || !host || host->empty()) {
        return std::nullopt;
    }
    return SchemeAndHost{*scheme, *host};
}

} // namespace

bool isAllowedAddress(std::string_view address) {
    auto parts = schemeAndHost(address);
    return parts &&
           (parts->scheme == "https" || (parts->scheme == "http" && isLoopbackHost(parts->host)));
}

bool isWebAddress(std::string_view address) {
    auto parts = schemeAndHost(address);
    return parts && (parts->scheme == "https" || parts->scheme == "http");
}

std::optional<std::string> readSiteBase(const std::filesystem::path& settingsFile,
                                        const platform::FileSystem& fileSystem) {
    std::string base = platform::IniFile(settingsFile, fileSystem)
                           .readString(kSettingsSection, kSiteKey, "", kSiteBuffer);
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    if (base.empty() || !isAllowedAddress(base)) {
        return std::nullopt;
    }
    return base;
}

std::string versionFileAddress(const std::string& base) {
    return base + std::string(kSiteVersionPath);
}

std::string releaseNotesAddress(const std::string& base, int version) {
    return siteFolder(base, version) + std::string(kSiteNotesName);
}

std::string fileListAddress(const std::string& base, int version) {
    return siteFolder(base, version) + std::string(kSiteListName);
}

std::string changedFileAddress(const std::string& base, int version, const std::string& siteName) {
    return siteFolder(base, version) + siteName;
}

std::string newsAddress(const std::string& base) {
    return base + std::string(kSiteFolder) + std::string(kSiteNewsName);
}

std::string pingAddress(const std::string& base, int programVersion) {
    std::string path(kPingFormat);
    path.replace(path.find("%d"), 2, std::to_string(programVersion));
    return base + path;
}

} // namespace tarnel::update
