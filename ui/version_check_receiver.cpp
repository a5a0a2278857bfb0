#include "ui/version_check_receiver.h"

#include <utility>

namespace tarnel::ui {

VersionCheckReceiver::VersionCheckReceiver(FrameMailboxPtr mailbox)
    : m_mailbox(std::move(mailbox)) {}

void VersionCheckReceiver::newVersion(int version) {
    m_mailbox->post(FrameMessage::NewVersion, version);
}

void VersionCheckReceiver::bannerFetched(const std::string& index) {
    {
        std::lock_guard lock(m_mutex);
        m_indexes.loginImage = index;
    }
    m_mailbox->post(FrameMessage::IndexesFetched);
}

void VersionCheckReceiver::tipsFetched(int index) {
    {
        std::lock_guard lock(m_mutex);
        m_indexes.softTip = index;
    }
    m_mailbox->post(FrameMessage::IndexesFetched);
}

void VersionCheckReceiver::checkDone() {
    m_mailbox->post(FrameMessage::VersionCheckDone);
}

VersionCheckReceiver::Indexes VersionCheckReceiver::takeIndexes() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_indexes, {});
}

} // namespace tarnel::ui
