#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnel::update {

// Whether an address may be fetched at all: "https://" with a host, or "http://" to a loopback
// host (localhost, 127.x.x.x, [::1]). Everything else (file:, ftp:, plain http to another host,
// no host, unparsable text) is refused before a request is sent. Redirects follow the same rule.
bool isAllowedAddress(std::string_view address);

// Whether an address of any web site may be fetched (site icons): "http://" or "https://" with a
// host. Redirects follow the same rule.
bool isWebAddress(std::string_view address);

// The update site of the settings file: SOFT_INFORMATION/UPDATE_SITE without trailing "/".
// nullopt when it is empty or not an allowed address: the version check, the banner, the tips
// and the update are off then.
std::optional<std::string>
readSiteBase(const std::filesystem::path& settingsFile,
             const platform::FileSystem& fileSystem = platform::realFileSystem());

// The site's addresses.
std::string versionFileAddress(const std::string& base);
std::string releaseNotesAddress(const std::string& base, int version);
std::string fileListAddress(const std::string& base, int version);
std::string changedFileAddress(const std::string& base, int version, const std::string& siteName);
std::string pingAddress(const std::string& base, int programVersion);
std::string newsAddress(const std::string& base);

} // namespace tarnel::update
