#include "ui/instance_channel.h"

#include "ui/instance_client.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>

namespace tarnel::ui {

InstanceChannel::InstanceChannel(Handlers handlers, QObject* parent)
    : QObject(parent), m_handlers(std::move(handlers)), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::accept);
}

InstanceChannel::~InstanceChannel() = default;

bool InstanceChannel::listen(const QString& socketPath) {
    // Only the holder of the instance lock listens, so a socket file found here is stale.
    QLocalServer::removeServer(socketPath);
    return m_server->listen(socketPath);
}

void InstanceChannel::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readLine(socket); });
        auto* silence = new QTimer(socket);
        silence->setSingleShot(true);
        connect(silence, &QTimer::timeout, this,
                [this, socket] { answer(socket, instance::kUnknown); });
        silence->start(kSilenceMs);
    }
}

void InstanceChannel::readLine(QLocalSocket* socket) {
    if (socket->property("answered").toBool()) {
        return;
    }
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > instance::kMaxLineLength) {
            answer(socket, instance::kUnknown);
        }
        return;
    }
    QByteArray line = socket->readLine(instance::kMaxLineLength + 2);
    if (!line.endsWith('\n')) {
        answer(socket, instance::kUnknown);
        return;
    }
    if (auto* silence = socket->findChild<QTimer*>()) {
        silence->stop();
    }
    line.chop(1);
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line == instance::kShow) {
        m_handlers.show();
        answer(socket, instance::kShown);
    } else if (line == instance::kExitForUpdate) {
        // Mark first: the exit command may ask questions, and their event loop may bring more
        // bytes from this socket.
        socket->setProperty("answered", true);
        QPointer<QLocalSocket> guard(socket);
        bool exiting = m_handlers.exitForUpdate();
        if (guard) {
            guard->setProperty("answered", false);
            answer(guard, exiting ? instance::kExiting : instance::kStaying);
        }
    } else {
        answer(socket, instance::kUnknown);
    }
}

void InstanceChannel::answer(QLocalSocket* socket, const char* line) {
    if (socket->property("answered").toBool()) {
        return;
    }
    socket->setProperty("answered", true);
    socket->write(QByteArray(line) + "\n");
    socket->flush();
    if (socket->bytesToWrite() > 0) {
        // The program may end right after this answer: it must be out first.
        socket->waitForBytesWritten(1000);
    }
    socket->disconnectFromServer();
}

} // namespace tarnel::ui
