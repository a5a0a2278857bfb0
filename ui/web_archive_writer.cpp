#include "ui/web_archive_writer.h"

#include "ops/operation_result.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace tarnel::ui {

ops::ArchiveWriter webArchiveWriter(QWebEnginePage& page) {
    QPointer<QWebEnginePage> shown(&page);
    return [shown](const std::filesystem::path& path, std::string& reason) {
        if (!shown) {
            reason = "网页窗口已经关闭";
            return ops::kWriteFailed;
        }
        QString target = QString::fromStdString(path.string());
        QString saving = target + QStringLiteral(".saving");
        QFile::remove(saving);
        QEventLoop loop;
        bool completed = false;
        QString failure;
        QMetaObject::Connection requested = QObject::connect(
            shown->profile(), &QWebEngineProfile::downloadRequested, &loop,
            [&, shown](QWebEngineDownloadRequest* request) {
                if (!request->isSavePageDownload() || request->page() != shown.data()) {
                    return;
                }
                // A page save comes accepted, to the path save() was given.
                QObject::connect(
                    request, &QWebEngineDownloadRequest::isFinishedChanged, &loop, [&, request] {
                        if (!request->isFinished()) {
                            return;
                        }
                        completed =
                            request->state() == QWebEngineDownloadRequest::DownloadCompleted;
                        if (request->state() == QWebEngineDownloadRequest::DownloadInterrupted) {
                            failure = request->interruptReasonString();
                        }
                        loop.quit();
                    });
            });
        QObject::connect(shown.data(), &QObject::destroyed, &loop, [&] {
            failure = QStringLiteral("网页窗口已经关闭");
            loop.quit();
        });
        shown->save(saving, QWebEngineDownloadRequest::MimeHtmlSaveFormat);
        loop.exec();
        QObject::disconnect(requested);
        // A file already at the target is never replaced.
        if (completed && QFile::exists(saving)) {
            if (!QFile::exists(target) && QFile::rename(saving, target)) {
                return ops::kOk;
            }
            failure = QStringLiteral("无法把网页移到“%1”").arg(target);
        }
        QFile::remove(saving);
        reason = failure.isEmpty() ? std::string("未知的错误") : failure.toStdString();
        return ops::kWriteFailed;
    };
}

} // namespace tarnel::ui
