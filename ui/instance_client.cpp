#include "ui/instance_client.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tarnel::ui::instance {

QString runtimeFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString lockFilePath(const QString& folder) {
    return QDir(folder).filePath(kLockFileName);
}

QString updateLockFilePath(const QString& folder) {
    return QDir(folder).filePath(kUpdateLockFileName);
}

QString socketPath(const QString& folder) {
    return QDir(folder).filePath(kSocketFileName);
}

bool isListening(const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    bool connected = socket.waitForConnected(timeoutMs);
    socket.abort();
    return connected;
}

std::optional<std::string> request(const QString& path, const std::string& line, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return std::nullopt;
    }
    socket.write((line + "\n").c_str());
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
        return std::nullopt;
    }
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return std::nullopt;
        }
    }
    QByteArray answer = socket.readLine(kMaxLineLength + 2).trimmed();
    return answer.toStdString();
}

} // namespace tarnel::ui::instance
