#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Which site a page's icon belongs to, where its cached file lies and where it is fetched.
namespace tarnel::ops {

struct FaviconSite {
    std::string host;        // lower case, with the port when the address names one
    std::string iconAddress; // "<scheme>://<host>/favicon.ico"
};

// The site of a page address in its ASCII form (an international name as punycode). None (the
// default page icon, nothing fetched) for about:blank, "file:///" addresses, an address without
// "//", a scheme other than http and https, and a host that is empty, holds "..", or holds a
// character other than letters, digits, ".", "-", "_", "[", "]" and ":". User information
// ("name:password@") is dropped; the path, query and fragment are not part of the host.
std::optional<FaviconSite> faviconSiteOf(std::string_view address);

// "<folder>/<host>_favicon.ico"; the host comes from faviconSiteOf, so the file stays in folder.
std::filesystem::path faviconFile(const std::filesystem::path& folder, const std::string& host);

} // namespace tarnel::ops
