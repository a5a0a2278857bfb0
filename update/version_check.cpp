#include "update/version_check.h"

#include "update/site_address.h"
#include "update/update_format.h"
#include "update/version_file.h"

#include <utility>

namespace tarnel::update {
namespace {

bool fetchInto(Downloader& downloader, const std::string& address,
               const std::filesystem::path& target, std::uint64_t limit) {
    DownloadRequest request;
    request.address = address;
    request.target = target;
    request.maxBytes = limit;
    return downloader.download(request).ok();
}

} // namespace

void runVersionCheck(const VersionCheckInput& input, VersionCheckSink& sink,
                     const platform::FileSystem& fileSystem) {
    Downloader downloader(input.session, fileSystem);
    const std::filesystem::path& dir = input.programDirectory;
    std::filesystem::path versionFile = dir / kLocalVersionFile;
    if (downloader.isReady() &&
        fetchInto(downloader, versionFileAddress(input.siteBase), versionFile, kVersionFileLimit)) {
        SiteVersion site = readSiteVersion(versionFile, fileSystem);
        fileSystem.removeFile(versionFile);
        if (input.programVersion < site.softVersion) {
            sink.newVersion(site.softVersion);
        }
        if (site.imageIndex > input.loginImageIndex &&
            fetchInto(downloader, site.imagePath, dir / kBannerFile, kBannerLimit)) {
            sink.bannerFetched(site.imageIndexText);
        }
        if (site.tipIndex > input.softTipIndex &&
            fetchInto(downloader, site.tipPath, dir / kTipsFile, kTipsLimit)) {
            sink.tipsFetched(site.tipIndex);
        }
    }
    downloader.ping(pingAddress(input.siteBase, input.programVersion));
    sink.checkDone();
}

VersionCheck::VersionCheck(VersionCheckInput input, VersionCheckSink& sink)
    : m_input(std::move(input)) {
    m_input.session.cancel = &m_cancel;
    m_thread = std::thread([this, &sink] { runVersionCheck(m_input, sink); });
}

VersionCheck::~VersionCheck() {
    m_cancel = true;
    m_thread.join();
}

} // namespace tarnel::update
