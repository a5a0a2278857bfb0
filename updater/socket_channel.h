#pragma once

#include "update/update_run.h"

#include <QString>

namespace tarnel::updater {

// The running main program reached through its local socket (ui/instance_client). Any thread.
class SocketChannel : public update::MainProgramChannel {
public:
    explicit SocketChannel(QString socketPath) : m_socketPath(std::move(socketPath)) {}

    bool listening() override;
    Answer askToExit() override;

    static constexpr int kConnectTimeoutMs = 2000;
    // The exit command may ask the user about unsaved work first.
    static constexpr int kExitAnswerTimeoutMs = 5 * 60 * 1000;

private:
    QString m_socketPath;
};

} // namespace tarnel::updater
