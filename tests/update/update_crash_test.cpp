#include "tests/support/http_server.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"
#include "tests/update/update_run_fakes.h"
#include "tests/update/update_site.h"
#include "update/pending_update.h"
#include "update/update_run.h"
#include "update/work_folder.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarnel::update {
namespace {

using test::readBytes;

constexpr int kCrashed = 86;
constexpr int kCompleted = 0;
// A child that never ended; see runUntilCrash.
constexpr int kHung = -2;
constexpr auto kChildLimit = std::chrono::seconds(60);

// The file-system layer of a process that dies at its k-th write or rename, as a power cut
// would end it: nothing after that call happens.
class CrashingFileSystem : public platform::FileSystem {
public:
    explicit CrashingFileSystem(int crashAt) : m_crashAt(crashAt) {}

    int writeFileAtomic(const std::filesystem::path& path, std::string_view data,
                        Access access) const override {
        count();
        return FileSystem::writeFileAtomic(path, data, access);
    }
    int rename(const std::filesystem::path& from, const std::filesystem::path& to) const override {
        count();
        return FileSystem::rename(from, to);
    }
    int copyFile(const std::filesystem::path& from,
                 const std::filesystem::path& to) const override {
        count();
        return FileSystem::copyFile(from, to);
    }

private:
    void count() const {
        if (++m_calls == m_crashAt) {
            ::_exit(kCrashed);
        }
    }
    int m_crashAt;
    mutable int m_calls = 0;
};

UpdateRunInput runInput(const std::filesystem::path& dir, const std::string& site,
                        const std::filesystem::path& runtime) {
    UpdateRunInput input;
    input.programDirectory = dir;
    input.siteBase = site;
    input.mainLockFile = runtime / "Tarnel";
    input.runLockFile = runtime / "Tarnel-Update";
    input.session.retryDelay = std::chrono::milliseconds(10);
    return input;
}

// One whole run of the update program, as its pages run it.
InstallOutcome runUpdate(const UpdateRunInput& input, const platform::FileSystem& fileSystem) {
    test::RecordingRunSink sink;
    test::ScriptedPrompt prompt;
    test::FakeMainProgram mainProgram;
    std::atomic<bool> cancel{false};
    UpdateRun run(input, sink, prompt, mainProgram, cancel, fileSystem);
    if (run.start() != RunStart::Ready || run.check() != CheckOutcome::NewVersion) {
        return InstallOutcome::Failed;
    }
    return run.install();
}

// The update run in a child process that dies at its k-th write or rename; the child's exit code.
int runUntilCrash(const UpdateRunInput& input, int crashAt) {
    pid_t child = ::fork();
    if (child == 0) {
        CrashingFileSystem fileSystem(crashAt);
        ::_exit(runUpdate(input, fileSystem) == InstallOutcome::Done ? kCompleted : 1);
    }
    // The child is forked from a process whose server threads keep running, so it can inherit a
    // lock one of them held at the fork (the sanitizer's allocator) and wait for it for ever.
    // Such a child says nothing about the update: it is killed and the step is run again.
    int status = 0;
    auto limit = std::chrono::steady_clock::now() + kChildLimit;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > limit) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return kHung;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The settings file once its new copy is in place but the new version not yet recorded.
std::string unrecorded(std::string settings) {
    settings.replace(settings.find("SOFT_VERSION=211"), 16, "SOFT_VERSION=210");
    return settings;
}

void expectEachOldOrNew(const test::SeveralFileUpdate& update, int k) {
    for (const auto& target : update.targets()) {
        bool exists = std::filesystem::exists(target.path);
        std::string bytes = exists ? readBytes(target.path) : std::string();
        bool old = target.before.empty() ? !exists : bytes == target.before;
        bool fresh = bytes == target.after ||
                     (target.path.filename() == "tarnel.ini" && bytes == unrecorded(target.after));
        EXPECT_TRUE(old || fresh) << "crash " << k << ": " << target.path << " holds " << bytes;
    }
}

void expectAllNew(const test::SeveralFileUpdate& update, bool versionRecorded, int k) {
    for (const auto& target : update.targets()) {
        std::string expected = target.after;
        if (!versionRecorded && target.path.filename() == "tarnel.ini") {
            expected = unrecorded(expected);
        }
        EXPECT_EQ(readBytes(target.path), expected) << "crash " << k << ": " << target.path;
    }
    EXPECT_FALSE(std::filesystem::exists(WorkFolder(update.programDirectory()).path()))
        << "crash " << k;
}

// The targets as they were before the update, in a copy of the program directory.
void expectAllOld(const test::SeveralFileUpdate& update, const std::filesystem::path& dir,
                  const std::filesystem::path& copy, int k) {
    for (const auto& target : update.targets()) {
        std::filesystem::path path = copy / target.path.lexically_relative(dir);
        if (target.before.empty()) {
            EXPECT_FALSE(std::filesystem::exists(path)) << "crash " << k << ": " << path;
        } else {
            EXPECT_EQ(readBytes(path), target.before) << "crash " << k << ": " << path;
        }
    }
}

TEST(UpdateCrashTest, ACrashAtAnyWriteOrRenameLeavesEachFileWholeAndTheNextRunEndsAllNew) {
    test::HttpServer server;
    int hungRuns = 0;
    int k = 1;
    for (;; ++k) {
        ASSERT_LT(k, 400) << "the run never completed";
        test::SeveralFileUpdate update(server);
        test::TempDir runtime;
        const auto& dir = update.programDirectory();
        UpdateRunInput input = runInput(dir, server.base(), runtime.path());
        int exit = runUntilCrash(input, k);
        if (exit == kHung && hungRuns++ < 3) {
            --k;
            continue;
        }
        ASSERT_TRUE(exit == kCrashed || exit == kCompleted) << "crash " << k << ": exit " << exit;
        expectEachOldOrNew(update, k);
        if (exit == kCompleted) {
            expectAllNew(update, true, k);
            break;
        }

        WorkFolder work(dir);
        if (std::filesystem::exists(work.moved()) && std::filesystem::exists(work.fetched())) {
            // Moves had begun: the main program's next start finishes them, from a copy.
            test::TempDir copy;
            std::filesystem::copy(dir, copy.path(), std::filesystem::copy_options::recursive);
            test::ScriptedPrompt prompt;
            prompt.script({app::Answer::Ok});
            PendingUpdateResult started =
                finishPendingUpdate(copy.path(), prompt, platform::systemLauncher());
            EXPECT_TRUE(started == PendingUpdateResult::Continue ||
                        started == PendingUpdateResult::ContinueInNewProgram)
                << "crash " << k;
            for (const auto& target : update.targets()) {
                std::filesystem::path moved = copy.path() / target.path.lexically_relative(dir);
                std::string expected = target.path.filename() == "tarnel.ini"
                                           ? unrecorded(target.after)
                                           : target.after;
                EXPECT_EQ(readBytes(moved), expected) << "crash " << k << ": " << moved;
            }
        }

        if (!std::filesystem::exists(work.moved()) &&
            (std::filesystem::exists(work.toFetch()) || std::filesystem::exists(work.fetched()))) {
            // Nothing was moved yet: declining at the next start leaves the old program whole.
            test::TempDir copy;
            std::filesystem::copy(dir, copy.path(), std::filesystem::copy_options::recursive);
            test::ScriptedPrompt prompt;
            prompt.script({app::Answer::No});
            EXPECT_EQ(finishPendingUpdate(copy.path(), prompt, platform::systemLauncher()),
                      PendingUpdateResult::Continue)
                << "crash " << k;
            expectAllOld(update, dir, copy.path(), k);
        }

        EXPECT_EQ(runUpdate(input, platform::realFileSystem()), InstallOutcome::Done)
            << "crash " << k;
        expectAllNew(update, true, k);
    }
    // Every step of the run was a crash point: the fetches, the state files, the moves and the
    // version.
    EXPECT_GT(k, 20);
}

} // namespace
} // namespace tarnel::update
