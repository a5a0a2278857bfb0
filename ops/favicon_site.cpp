#include "ops/favicon_site.h"

#include <algorithm>

namespace tarnel::ops {
namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return lowerAscii(c); });
    return lower;
}

bool isHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' ||
           c == '[' || c == ']' || c == ':';
}

} // namespace

std::optional<FaviconSite> faviconSiteOf(std::string_view address) {
    std::size_t slashes = address.find("//");
    if (slashes == std::string_view::npos) {
        return std::nullopt;
    }
    std::string prefix = lowerAscii(address.substr(0, slashes + 2));
    if (prefix != "http://" && prefix != "https://") {
        return std::nullopt;
    }
    std::string_view rest = address.substr(slashes + 2);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#\\"));
    std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        authority = authority.substr(at + 1);
    }
    std::string host = lowerAscii(authority);
    if (host.empty() || host.find("..") != std::string::npos ||
        !std::all_of(host.begin(), host.end(), isHostCharacter)) {
        return std::nullopt;
    }
    return FaviconSite{host, prefix + host + "/favicon.ico"};
}

std::filesystem::path faviconFile(const std::filesystem::path& folder, const std::string& host) {
    return folder / (host + "_favicon.ico");
}

} // namespace tarnel::ops
