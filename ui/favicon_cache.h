#pragma once

#include "platform/file_system.h"
#include "update/downloader.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tarnel::ui {

class MainImageList;

// The site icons of the web windows: host to image index in the main image list, kept for the
// run. An icon comes from "<host>_favicon.ico" in the cache folder (created on first use) or is
// fetched from the site's "/favicon.ico" on a worker thread; only a whole 2xx answer of at most
// 1 MiB that loads as a picture (its format read from its bytes) becomes the file. Failures are
// not kept: the next showing tries again. One download per host at a time; the pages of that
// host waiting meanwhile share its result. User-interface thread only; the destructor cancels
// running downloads and waits for them.
class CFaviconCache : public QObject {
    Q_OBJECT

public:
    static constexpr std::uint64_t kIconLimit = 1024 * 1024;

    CFaviconCache(MainImageList& images, std::filesystem::path folder,
                  update::SessionOptions session = {},
                  const platform::FileSystem& fileSystem = platform::realFileSystem());
    ~CFaviconCache() override;

    // The image for the page now: the host's cached icon, else the default page icon (10) while
    // the icon is fetched; arrived(index) is called later, on this thread, when it came, unless
    // guard is gone by then.
    int imageFor(const QUrl& page, QObject* guard, std::function<void(int image)> arrived);

    // The number of downloads started so far.
    int downloadsStarted() const { return m_started; }

signals:
    // A download of the host ended; image is the default page icon when it failed.
    void iconDone(const QString& host, int image);

private:
    struct Waiter {
        QPointer<QObject> guard;
        std::function<void(int)> arrived;
    };

    int loadCached(const std::string& host);
    void startDownload(const std::string& host, const std::string& address);
    void downloadEnded(const std::string& host, bool ok);

    MainImageList& m_images;
    std::filesystem::path m_folder;
    update::SessionOptions m_session;
    const platform::FileSystem& m_fileSystem;
    std::map<std::string, int> m_hosts;
    std::map<std::string, std::vector<Waiter>> m_waiting;
    std::atomic<bool> m_cancel{false};
    std::map<std::string, std::thread> m_threads; // by host
    int m_started = 0;
};

} // namespace tarnel::ui
