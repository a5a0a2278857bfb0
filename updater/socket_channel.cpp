#include "updater/socket_channel.h"

#include "ui/instance_client.h"

namespace tarnel::updater {

bool SocketChannel::listening() {
    return ui::instance::isListening(m_socketPath, kConnectTimeoutMs);
}

update::MainProgramChannel::Answer SocketChannel::askToExit() {
    auto answer =
        ui::instance::request(m_socketPath, ui::instance::kExitForUpdate, kExitAnswerTimeoutMs);
    if (answer == ui::instance::kExiting) {
        return Answer::Exiting;
    }
    return answer == ui::instance::kStaying ? Answer::Staying : Answer::None;
}

} // namespace tarnel::updater
