#pragma once

#include "app/prompt.h"
#include "platform/file_system.h"
#include "platform/instance_lock.h"
#include "update/downloader.h"
#include "update/file_record.h"
#include "update/work_folder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace tarnel::update {

// What a run reports while it works, from the thread of the page that runs the step.
class UpdateRunSink {
public:
    virtual ~UpdateRunSink() = default;
    // The page's bar, 0 to 100.
    virtual void progress(int percent) = 0;
    // The first installed file is about to change: the run must not be stopped before its end.
    virtual void movesStarted() = 0;
};

// The way to the running main program (its local socket).
class MainProgramChannel {
public:
    enum class Answer { Exiting, Staying, None };

    virtual ~MainProgramChannel() = default;
    // True when a main program listens for requests.
    virtual bool listening() = 0;
    // Asks it to run its exit command (saving open work first) and returns its answer; None
    // when it gave none in time.
    virtual Answer askToExit() = 0;
};

struct UpdateRunInput {
    std::filesystem::path programDirectory;
    // The update site; empty when none is configured (nothing is ever fetched then).
    std::string siteBase;
    // The main program's instance lock file and the folder of the run's own lock.
    std::filesystem::path mainLockFile;
    std::filesystem::path runLockFile;
    SessionOptions session;
    // How long the main program may take to end after it said it would.
    std::chrono::milliseconds exitWait{10000};
};

enum class RunStart {
    Ready,
    // Another update program or a main program in the middle of its start holds the run lock;
    // the message has been shown.
    AlreadyRunning,
    // The lock could not be made; the message has been shown.
    Failed,
};

enum class CheckOutcome {
    NewVersion, // the release notes page comes next
    UpToDate,   // the end page comes next
    Failed,     // a fatal message has been shown: the program ends with exit code 1
    Cancelled,
};

enum class InstallOutcome {
    Done,      // installed and recorded: the end page comes next
    Stopped,   // the main program's lock could not be made: nothing was moved, only Cancel is left
    Failed,    // a fatal message has been shown (or the user chose Cancel or Abort): exit code 1
    Cancelled, // the cancel flag was set before the moves began
};

// The update program's work behind its pages, without a window: the checking page's step
// (version file, release notes and file list), the download page's step (the changed files),
// and the installation (the main program asked to end, the files moved into place, the new
// version recorded). Its state lives in the work folder's files, so a run that ends anywhere is
// resumed by the next run, or finished by the main program's next start once moves had begun.
//
// Questions and messages go through the prompt, from the thread that calls the step. One step
// runs at a time; the object is handed from the thread of one step to the next by the caller.
// The cancel flag may be set from any thread; it is no longer read once the moves have begun.
class UpdateRun {
public:
    UpdateRun(UpdateRunInput input, UpdateRunSink& sink, app::Prompt& prompt,
              MainProgramChannel& channel, const std::atomic<bool>& cancel,
              const platform::FileSystem& fileSystem = platform::realFileSystem());

    // Takes the run lock for the life of this object, creates the work folder and reads the
    // installed version (SOFT_VERSION of the settings file).
    RunStart start();

    // The checking page: the site's version file, then the release notes and the file list of
    // a newer version when they are not in the work folder yet. A file list is checked whole; a
    // bad one is deleted and refused.
    CheckOutcome check();

    // The download page and the installation: the entries newer than the installed version are
    // numbered and fetched (those fetched or moved by an earlier run of the same update are
    // counted at once), the main program is made to end, and the files are moved into place in
    // two passes while the main program's lock is held.
    InstallOutcome install();

    int installedVersion() const { return m_installedVersion; }
    int newestVersion() const { return m_newestVersion; }
    const std::string& releaseTime() const { return m_releaseTime; }
    // False when the installed version is older than the oldest the site lets update on line.
    bool updatePossible() const { return m_updatePossible; }
    bool movesStarted() const { return m_movesStarted; }
    std::filesystem::path releaseNotesFile() const;
    const WorkFolder& workFolder() const { return m_work; }

private:
    bool cancelled() const { return m_cancel.load(); }
    void fail(const std::string& text);
    bool fetch(Downloader& downloader, const std::string& address,
               const std::filesystem::path& target, std::uint64_t limit, int base);
    bool readUpdateList(std::vector<FileRecord>& list);
    std::vector<FileRecord> fetchedEntries(const std::vector<FileRecord>& list) const;
    std::vector<FileRecord> movedEntries(const std::vector<FileRecord>& list) const;
    void deleteLeftovers(const std::vector<FileRecord>& list,
                         const std::vector<FileRecord>& previous,
                         const std::vector<FileRecord>& fetched) const;
    InstallOutcome fetchAll(const std::vector<FileRecord>& list);
    InstallOutcome endMainProgram(platform::InstanceLock& mainLock);
    bool waitForLock(platform::InstanceLock& mainLock);
    InstallOutcome moveIntoPlace(const std::vector<FileRecord>& list);

    UpdateRunInput m_input;
    UpdateRunSink& m_sink;
    app::Prompt& m_prompt;
    MainProgramChannel& m_channel;
    const std::atomic<bool>& m_cancel;
    const platform::FileSystem& m_fileSystem;
    WorkFolder m_work;
    platform::InstanceLock m_runLock;
    int m_installedVersion = 0;
    int m_newestVersion = 0;
    std::string m_releaseTime;
    bool m_updatePossible = true;
    bool m_movesStarted = false;
};

// True while an update program holds its run lock (the file beside the main program's lock):
// the main program's start then leaves the work folder to it.
bool updateProgramRuns(const std::filesystem::path& runLockFile);

// The percentage of done out of total, in 64 bits; 100 for a total of 0.
int percentOf(std::uint64_t done, std::uint64_t total);

} // namespace tarnel::update
