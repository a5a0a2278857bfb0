#pragma once

#include "platform/file_system.h"
#include "update/downloader.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace tarnel::update {

// What the version check reports, from its own thread: the receiver posts each to its
// user-interface thread (the main window queues them as events 1525 and 2038 and writes the
// settings there).
class VersionCheckSink {
public:
    virtual ~VersionCheckSink() = default;
    // The site offers a newer version than this program (1525).
    virtual void newVersion(int version) = 0;
    // "banner.gif" was replaced; the settings' LOGIN_IMAGE_INDEX becomes this text.
    virtual void bannerFetched(const std::string& index) = 0;
    // "tarnel.tip" was replaced; the settings' SOFT_TIP_INDEX becomes this number ("%d").
    virtual void tipsFetched(int index) = 0;
    // The check is over, whatever happened (2038); always the last report.
    virtual void checkDone() = 0;
};

struct VersionCheckInput {
    std::filesystem::path programDirectory;
    std::string siteBase;
    int programVersion = 0;
    int loginImageIndex = 0;
    int softTipIndex = 0;
    SessionOptions session;
};

// The check in order: fetch the site's version file into "soft_ver.ini" of the program
// directory, read and delete it; report a newer version; fetch the banner and the tips when the
// site's numbers are higher than the settings' (each into its file only when whole); send the
// usage ping, its answer unread and its errors swallowed; report the end. Every network failure
// is silent. Runs on the calling thread.
void runVersionCheck(const VersionCheckInput& input, VersionCheckSink& sink,
                     const platform::FileSystem& fileSystem = platform::realFileSystem());

// runVersionCheck on a thread of its own. The destructor sets the cancel flag and joins.
class VersionCheck {
public:
    VersionCheck(VersionCheckInput input, VersionCheckSink& sink);
    ~VersionCheck();
    VersionCheck(const VersionCheck&) = delete;
    VersionCheck& operator=(const VersionCheck&) = delete;

private:
    std::atomic<bool> m_cancel{false};
    VersionCheckInput m_input;
    std::thread m_thread;
};

} // namespace tarnel::update
