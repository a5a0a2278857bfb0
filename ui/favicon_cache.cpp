#include "ui/favicon_cache.h"

#include "ops/favicon_site.h"
#include "ui/main_image_list.h"
#include "ui/skin/skin_keys.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace tarnel::ui {

CFaviconCache::CFaviconCache(MainImageList& images, std::filesystem::path folder,
                             update::SessionOptions session, const platform::FileSystem& fileSystem)
    : m_images(images), m_folder(std::move(folder)), m_session(std::move(session)),
      m_fileSystem(fileSystem) {
    m_session.addresses = update::AddressRule::AnyWebSite;
    m_session.cancel = &m_cancel;
}

CFaviconCache::~CFaviconCache() {
    m_cancel = true;
    for (auto& [host, thread] : m_threads) {
        thread.join();
    }
}

int CFaviconCache::imageFor(const QUrl& page, QObject* guard, std::function<void(int)> arrived) {
    std::optional<ops::FaviconSite> site =
        ops::faviconSiteOf(page.toEncoded(QUrl::FullyEncoded).toStdString());
    if (!site) {
        return skin::ICON_WEB;
    }
    if (auto known = m_hosts.find(site->host); known != m_hosts.end()) {
        return known->second;
    }
    if (int image = loadCached(site->host); image >= 0) {
        return image;
    }
    auto waiting = m_waiting.find(site->host);
    bool running = waiting != m_waiting.end();
    m_waiting[site->host].push_back({guard, std::move(arrived)});
    if (!running) {
        startDownload(site->host, site->iconAddress);
    }
    return skin::ICON_WEB;
}

// A file that does not load as a picture is removed, so that it never blocks a later download.
int CFaviconCache::loadCached(const std::string& host) {
    std::filesystem::path file = ops::faviconFile(m_folder, host);
    std::string bytes;
    if (!m_fileSystem.exists(file) || m_fileSystem.readFile(file, bytes) != 0) {
        return -1;
    }
    QImage picture = QImage::fromData(
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (picture.isNull()) {
        m_fileSystem.removeFile(file);
        return -1;
    }
    int image = m_images.addIcon(QIcon(QPixmap::fromImage(picture)));
    m_hosts[host] = image;
    return image;
}

void CFaviconCache::startDownload(const std::string& host, const std::string& address) {
    ++m_started;
    if (m_fileSystem.createDirectories(m_folder) != 0) {
        downloadEnded(host, false);
        return;
    }
    update::DownloadRequest request;
    request.address = address;
    request.target = ops::faviconFile(m_folder, host);
    request.maxBytes = kIconLimit;
    m_threads[host] = std::thread([this, host, request, session = m_session] {
        update::Downloader downloader(session, m_fileSystem);
        bool ok = downloader.download(request).ok();
        QMetaObject::invokeMethod(
            this, [this, host, ok] { downloadEnded(host, ok); }, Qt::QueuedConnection);
    });
}

void CFaviconCache::downloadEnded(const std::string& host, bool ok) {
    if (auto thread = m_threads.find(host); thread != m_threads.end()) {
        thread->second.join();
        m_threads.erase(thread);
    }
    std::vector<Waiter> waiters = std::move(m_waiting[host]);
    m_waiting.erase(host);
    auto known = m_hosts.find(host);
    int image = known != m_hosts.end() ? known->second : ok ? loadCached(host) : -1;
    if (image < 0) {
        image = skin::ICON_WEB;
    }
    for (Waiter& waiter : waiters) {
        if (waiter.guard && waiter.arrived) {
            waiter.arrived(image);
        }
    }
    emit iconDone(QString::fromStdString(host), image);
}

} // namespace tarnel::ui
