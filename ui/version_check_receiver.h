#pragma once

#include "ui/frame_message.h"
#include "update/version_check.h"

#include <mutex>
#include <optional>
#include <string>

namespace tarnel::ui {

// The version check's reports as messages to the main window: called on the check's thread,
// they only queue (1525 with the version, 2038 at the end); the fetched files' numbers wait here
// until the window takes them on its own thread. Lives longer than the check that reports to it.
class VersionCheckReceiver : public update::VersionCheckSink {
public:
    // The numbers that the settings file is to record.
    struct Indexes {
        std::optional<std::string> loginImage;
        std::optional<int> softTip;
    };

    explicit VersionCheckReceiver(FrameMailboxPtr mailbox);

    void newVersion(int version) override;
    void bannerFetched(const std::string& index) override;
    void tipsFetched(int index) override;
    void checkDone() override;

    // The numbers reported since the last call (message IndexesFetched says there are some).
    Indexes takeIndexes();

private:
    FrameMailboxPtr m_mailbox;
    std::mutex m_mutex;
    Indexes m_indexes;
};

} // namespace tarnel::ui
