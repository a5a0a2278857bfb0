#include "update/update_run.h"

#include "app/instance_messages.h"
#include "platform/ini.h"
#include "update/file_installer.h"
#include "update/record_file.h"
#include "update/site_address.h"
#include "update/update_format.h"
#include "update/version_file.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace tarnel::update {
namespace {

constexpr std::size_t kInstalledVersionBuffer = 10;
constexpr auto kLockPoll = std::chrono::milliseconds(100);

// The checking page gives each of its three downloads a third of the bar.
constexpr int kVersionFileBase = 0;
constexpr int kReleaseNotesBase = 33;
constexpr int kFileListBase = 66;
constexpr int kShare = 33;

bool holds(const std::vector<FileRecord>& records, const FileRecord& entry) {
    return std::any_of(records.begin(), records.end(),
                       [&](const FileRecord& record) { return sameEntry(record, entry); });
}

std::string withAddress(std::string_view format, const std::string& address) {
    std::string text(format);
    text.replace(text.find("%s"), 2, address);
    return text;
}

// "n.upt" for "n.upt.part" and "n.upt.part.tag"; empty for other names.
std::string partOwner(const std::string& name) {
    for (std::string suffix : {std::string(kPartSuffix), std::string(kPartSuffix) + ".tag"}) {
        if (name.size() > suffix.size() && name.ends_with(suffix)) {
            return name.substr(0, name.size() - suffix.size());
        }
    }
    return {};
}

} // namespace

bool updateProgramRuns(const std::filesystem::path& runLockFile) {
    platform::InstanceLock probe;
    return probe.acquire(runLockFile) == platform::InstanceLock::Result::Held;
}

int percentOf(std::uint64_t done, std::uint64_t total) {
    if (total == 0) {
        return 100;
    }
    return static_cast<int>(std::min<std::uint64_t>(done, total) * 100 / total);
}

UpdateRun::UpdateRun(UpdateRunInput input, UpdateRunSink& sink, app::Prompt& prompt,
                     MainProgramChannel& channel, const std::atomic<bool>& cancel,
                     const platform::FileSystem& fileSystem)
    : m_input(std::move(input)), m_sink(sink), m_prompt(prompt), m_channel(channel),
      m_cancel(cancel), m_fileSystem(fileSystem), m_work(m_input.programDirectory) {
    m_input.session.cancel = &m_cancel;
}

RunStart UpdateRun::start() {
    switch (m_runLock.acquire(m_input.runLockFile)) {
    case platform::InstanceLock::Result::Acquired:
        break;
    case platform::InstanceLock::Result::Held:
        m_prompt.show(std::string(app::kAlreadyRunning), app::MessageIcon::Information);
        return RunStart::AlreadyRunning;
    case platform::InstanceLock::Result::CannotOpen:
        m_prompt.show(std::string(app::kLockFailed), app::MessageIcon::Error);
        return RunStart::Failed;
    }
    m_fileSystem.createDirectory(m_work.path());
    std::string installed =
        platform::IniFile(m_input.programDirectory / kSettingsFile, m_fileSystem)
            .readString(kSettingsSection, kSoftVersionKey, "", kInstalledVersionBuffer);
    m_installedVersion = platform::profileInt(installed);
    return RunStart::Ready;
}

std::filesystem::path UpdateRun::releaseNotesFile() const {
    return m_work.releaseNotes(m_newestVersion);
}

void UpdateRun::fail(const std::string& text) {
    m_prompt.show(text, app::MessageIcon::Error);
}

bool UpdateRun::fetch(Downloader& downloader, const std::string& address,
                      const std::filesystem::path& target, std::uint64_t limit, int base) {
    DownloadRequest request;
    request.address = address;
    request.target = target;
    request.maxBytes = limit;
    request.progress = [this, base](std::uint64_t received, std::int64_t announced) {
        if (announced > 0) {
            m_sink.progress(base + percentOf(received, static_cast<std::uint64_t>(announced)) *
                                       kShare / 100);
        }
    };
    bool ok = downloader.download(request).ok();
    m_sink.progress(base + kShare);
    return ok;
}

CheckOutcome UpdateRun::check() {
    if (m_input.siteBase.empty()) {
        m_prompt.show(std::string(kNoSiteConfigured), app::MessageIcon::Error);
        return CheckOutcome::Failed;
    }
    Downloader downloader(m_input.session, m_fileSystem);
    if (!fetch(downloader, versionFileAddress(m_input.siteBase), m_work.versionFile(),
               kVersionFileLimit, kVersionFileBase)) {
        if (cancelled()) {
            return CheckOutcome::Cancelled;
        }
        m_prompt.show(std::string(kCannotConnectHead) + m_input.siteBase +
                          std::string(kCannotConnectTail),
                      app::MessageIcon::Warning);
        return CheckOutcome::Failed;
    }
    SiteVersion site = readSiteVersion(m_work.versionFile(), m_fileSystem);
    m_fileSystem.removeFile(m_work.versionFile());
    m_newestVersion = site.softVersion;
    if (m_installedVersion >= m_newestVersion) {
        return CheckOutcome::UpToDate;
    }
    m_releaseTime = site.releaseTime;
    if (!m_fileSystem.exists(releaseNotesFile())) {
        fetch(downloader, releaseNotesAddress(m_input.siteBase, m_newestVersion),
              releaseNotesFile(), kReleaseNotesLimit, kReleaseNotesBase);
    }
    if (cancelled()) {
        return CheckOutcome::Cancelled;
    }
    m_updatePossible = m_installedVersion >= site.softVersionUpdate;
    if (!m_updatePossible) {
        return CheckOutcome::NewVersion;
    }
    std::filesystem::path list = m_work.fileList(m_newestVersion);
    bool present = m_fileSystem.exists(list) ||
                   fetch(downloader, fileListAddress(m_input.siteBase, m_newestVersion), list,
                         kFileListLimit, kFileListBase);
    if (cancelled()) {
        return CheckOutcome::Cancelled;
    }
    std::vector<FileRecord> records;
    if (!present || !RecordFile(list, m_fileSystem).readSiteList(records)) {
        m_fileSystem.removeFile(list);
        fail(std::string(kListFailed));
        return CheckOutcome::Failed;
    }
    return CheckOutcome::NewVersion;
}

// The entries newer than the installed version, numbered in list order.
bool UpdateRun::readUpdateList(std::vector<FileRecord>& list) {
    RecordFile file(m_work.fileList(m_newestVersion), m_fileSystem);
    if (!file.exists()) {
        fail(std::string(kListMissing));
        return false;
    }
    std::vector<FileRecord> records;
    if (!file.readSiteList(records)) {
        m_fileSystem.removeFile(file.path());
        fail(std::string(kListFailed));
        return false;
    }
    list.clear();
    for (auto& record : records) {
        if (record.version > m_installedVersion) {
            record.tempName = tempNameFor(static_cast<int>(list.size()) + 1);
            list.push_back(std::move(record));
        }
    }
    return true;
}

std::vector<FileRecord> UpdateRun::fetchedEntries(const std::vector<FileRecord>& list) const {
    RecordFile fetched(m_work.fetched(), m_fileSystem);
    std::vector<FileRecord> kept;
    for (const auto& record : fetched.readState()) {
        if (holds(list, record) && !holds(kept, record) &&
            m_fileSystem.isRegularFile(m_work.tempFile(record.tempName))) {
            kept.push_back(record);
        }
    }
    fetched.rewrite(kept);
    return kept;
}

std::vector<FileRecord> UpdateRun::movedEntries(const std::vector<FileRecord>& list) const {
    RecordFile moved(m_work.moved(), m_fileSystem);
    if (!moved.exists()) {
        return {};
    }
    std::vector<FileRecord> kept;
    for (const auto& record : moved.readState()) {
        if (holds(list, record) && !holds(kept, record) &&
            !m_fileSystem.exists(m_work.tempFile(record.tempName))) {
            kept.push_back(record);
        }
    }
    moved.rewrite(kept);
    return kept;
}

// A temporary or partial file counts only for the entry it was fetched for: same site name,
// version, target and number. Anything else in the work folder would install one file's bytes
// under another's name, so it goes.
void UpdateRun::deleteLeftovers(const std::vector<FileRecord>& list,
                                const std::vector<FileRecord>& previous,
                                const std::vector<FileRecord>& fetched) const {
    auto entryNamed = [](const std::vector<FileRecord>& records, const std::string& tempName) {
        return std::find_if(records.begin(), records.end(),
                            [&](const FileRecord& r) { return r.tempName == tempName; });
    };
    int err = 0;
    for (const auto& entry : m_fileSystem.listDirectory(m_work.path(), err)) {
        bool keep = true;
        if (entry.name.ends_with(kTempSuffix)) {
            keep = entryNamed(fetched, entry.name) != fetched.end();
        } else if (std::string owner = partOwner(entry.name); !owner.empty()) {
            auto now = entryNamed(list, owner);
            auto before = entryNamed(previous, owner);
            keep = now != list.end() && before != previous.end() && sameEntry(*now, *before) &&
                   !holds(fetched, *now);
        }
        if (!keep && !entry.isDirectory) {
            m_fileSystem.removeFile(m_work.path() / entry.name);
        }
    }
}

InstallOutcome UpdateRun::fetchAll(const std::vector<FileRecord>& list) {
    std::vector<FileRecord> previous = RecordFile(m_work.toFetch(), m_fileSystem).readState();
    if (RecordFile(m_work.toFetch(), m_fileSystem).rewrite(list) != 0) {
        fail(withAddress(kFileFailedFormat, m_work.toFetch().string()));
        return InstallOutcome::Failed;
    }
    std::vector<FileRecord> fetched = fetchedEntries(list);
    std::vector<FileRecord> moved = movedEntries(list);
    deleteLeftovers(list, previous, fetched);

    std::uint64_t total = 0;
    for (const auto& record : list) {
        total += static_cast<std::uint64_t>(record.size);
    }
    std::uint64_t done = 0;
    m_sink.progress(percentOf(done, total));
    Downloader downloader(m_input.session, m_fileSystem);
    RecordFile fetchedFile(m_work.fetched(), m_fileSystem);
    for (const auto& record : list) {
        if (!holds(fetched, record) && !holds(moved, record)) {
            std::string address =
                changedFileAddress(m_input.siteBase, record.version, record.siteName);
            DownloadRequest request;
            request.address = address;
            request.target = m_work.tempFile(record.tempName);
            request.maxBytes = static_cast<std::uint64_t>(record.size);
            request.expectedSize = static_cast<std::uint64_t>(record.size);
            request.resumable = true;
            request.progress = [&](std::uint64_t received, std::int64_t) {
                m_sink.progress(percentOf(done + received, total));
            };
            if (!downloader.download(request).ok()) {
                if (cancelled()) {
                    return InstallOutcome::Cancelled;
                }
                fail(withAddress(kFileFailedFormat, address));
                return InstallOutcome::Failed;
            }
            fetchedFile.append(record);
        }
        done += static_cast<std::uint64_t>(record.size);
        m_sink.progress(percentOf(done, total));
    }
    return cancelled() ? InstallOutcome::Cancelled : InstallOutcome::Done;
}

bool UpdateRun::waitForLock(platform::InstanceLock& mainLock) {
    auto deadline = std::chrono::steady_clock::now() + m_input.exitWait;
    while (!cancelled()) {
        if (mainLock.acquire(m_input.mainLockFile) == platform::InstanceLock::Result::Acquired) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kLockPoll);
    }
    return false;
}

// Takes the main program's lock, asking a running main program to end first. A main program
// that holds the lock but gives no answer (its window not shown yet, or hung) or stays is never
// moved under: the user is asked to end it.
InstallOutcome UpdateRun::endMainProgram(platform::InstanceLock& mainLock) {
    for (bool firstRound = true;; firstRound = false) {
        switch (mainLock.acquire(m_input.mainLockFile)) {
        case platform::InstanceLock::Result::Acquired:
            return InstallOutcome::Done;
        case platform::InstanceLock::Result::CannotOpen:
            m_prompt.show(std::string(app::kLockFailed), app::MessageIcon::Error);
            return InstallOutcome::Stopped;
        case platform::InstanceLock::Result::Held:
            break;
        }
        if (firstRound && m_channel.listening()) {
            m_prompt.show(std::string(kClosingMainProgram), app::MessageIcon::Information);
            if (m_channel.askToExit() == MainProgramChannel::Answer::Exiting &&
                waitForLock(mainLock)) {
                return InstallOutcome::Done;
            }
        }
        if (cancelled()) {
            return InstallOutcome::Cancelled;
        }
        if (m_prompt.ask(std::string(kStillRunning), app::MessageIcon::Information,
                         app::Buttons::RetryCancel) != app::Answer::Retry) {
            return InstallOutcome::Failed;
        }
    }
}

InstallOutcome UpdateRun::moveIntoPlace(const std::vector<FileRecord>& list) {
    m_movesStarted = true;
    m_sink.movesStarted();
    std::vector<FileRecord> moved = movedEntries(list);
    std::vector<FileRecord> toMove;
    for (const auto& record : list) {
        if (!holds(moved, record)) {
            toMove.push_back(record);
        }
    }
    FileInstaller installer(m_input.programDirectory, m_prompt, m_fileSystem);
    if (installer.install(toMove) == InstallResult::Aborted) {
        return InstallOutcome::Failed;
    }
    m_fileSystem.removeFile(m_work.fileList(m_installedVersion));
    m_fileSystem.removeFile(m_work.fileList(m_newestVersion));
    m_work.cleanUp(m_fileSystem);
    platform::IniFile(m_input.programDirectory / kSettingsFile, m_fileSystem)
        .writeString(kSettingsSection, kSoftVersionKey, std::to_string(m_newestVersion));
    return InstallOutcome::Done;
}

InstallOutcome UpdateRun::install() {
    std::vector<FileRecord> list;
    if (!readUpdateList(list)) {
        return InstallOutcome::Failed;
    }
    if (InstallOutcome fetched = fetchAll(list); fetched != InstallOutcome::Done) {
        return fetched;
    }
    // Held until the new version is recorded: a main program started in the middle of the moves
    // would otherwise find the work folder and clean it up.
    platform::InstanceLock mainLock;
    if (InstallOutcome ended = endMainProgram(mainLock); ended != InstallOutcome::Done) {
        return ended;
    }
    return moveIntoPlace(list);
}

} // namespace tarnel::update
