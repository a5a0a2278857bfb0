#include "ui/web_archive_writer.h"

#include "ops/operation_result.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace tarnel::ui {
namespace {

// One save of the page, from the request to its end.
class PageSave {
public:
    PageSave(QWebEnginePage& page, ArchiveTimeouts timeouts) : m_page(&page), m_timeouts(timeouts) {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, &m_loop, [this] { timedOut(); });
    }

    // True when the engine wrote the whole archive to saving.
    bool run(const QString& saving) {
        QMetaObject::Connection requested =
            QObject::connect(m_page->profile(), &QWebEngineProfile::downloadRequested, &m_loop,
                             [this](QWebEngineDownloadRequest* request) { taken(request); });
        QObject::connect(m_page.data(), &QObject::destroyed, &m_loop, [this] {
            m_failure = QString::fromUtf8(kPageClosed);
            m_loop.quit();
        });
        m_page->save(saving, QWebEngineDownloadRequest::MimeHtmlSaveFormat);
        m_timer.start(m_timeouts.start);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The form that asked stays as it is until the save is over.
        m_loop.exec(QEventLoop::ExcludeUserInputEvents);
        QApplication::restoreOverrideCursor();
        QObject::disconnect(requested);
        return m_completed;
    }

    QString failure() const { return m_failure; }

private:
    // A page save comes accepted, to the path save() was given; other downloads are not ours.
    void taken(QWebEngineDownloadRequest* request) {
        if (m_request || !request->isSavePageDownload() || request->page() != m_page.data()) {
            return;
        }
        m_request = request;
        m_timer.start(m_timeouts.finish);
        QObject::connect(request, &QWebEngineDownloadRequest::isFinishedChanged, &m_loop,
                         [this] { finished(); });
        if (request->isFinished()) {
            finished();
        }
    }

    void finished() {
        if (!m_request || !m_request->isFinished()) {
            return;
        }
        m_timer.stop();
        m_completed = m_request->state() == QWebEngineDownloadRequest::DownloadCompleted;
        if (m_request->state() == QWebEngineDownloadRequest::DownloadInterrupted) {
            m_failure = m_request->interruptReasonString();
        }
        m_loop.quit();
    }

    void timedOut() {
        if (m_request) {
            m_failure = QString::fromUtf8(kSaveTimedOut);
            m_request->cancel();
        } else {
            m_failure = QString::fromUtf8(kSaveNotStarted);
        }
        m_loop.quit();
    }

    QPointer<QWebEnginePage> m_page;
    ArchiveTimeouts m_timeouts;
    QEventLoop m_loop;
    QTimer m_timer;
    QPointer<QWebEngineDownloadRequest> m_request;
    bool m_completed = false;
    QString m_failure;
};

} // namespace

ops::ArchiveWriter webArchiveWriter(QWebEnginePage& page, ArchiveTimeouts timeouts) {
    QPointer<QWebEnginePage> shown(&page);
    return [shown, timeouts](const std::filesystem::path& path, std::string& reason) {
        if (!shown) {
            reason = kPageClosed;
            return ops::kWriteFailed;
        }
        QString target = QString::fromStdString(path.string());
        QString saving = target + QStringLiteral(".saving");
        QFile::remove(saving);
        PageSave save(*shown, timeouts);
        QString failure;
        if (save.run(saving)) {
            // A file already at the target is never replaced.
            if (QFile::exists(saving) && !QFile::exists(target) && QFile::rename(saving, target)) {
                return ops::kOk;
            }
            failure = QStringLiteral("无法把网页移到“%1”").arg(target);
        } else {
            failure = save.failure();
        }
        QFile::remove(saving);
        reason = failure.isEmpty() ? std::string("未知的错误") : failure.toStdString();
        return ops::kWriteFailed;
    };
}

} // namespace tarnel::ui
