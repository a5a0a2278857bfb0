#include "app/instance_messages.h"
#include "tests/support/http_server.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"
#include "tests/update/update_run_fakes.h"
#include "tests/update/update_site.h"
#include "update/record_file.h"
#include "update/update_format.h"
#include "update/update_run.h"

#include <gtest/gtest.h>
#include <optional>

namespace tarnel::update {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
using test::readBytes;
using test::shown;
using test::writeBytes;

class UpdateRunTest : public ::testing::Test {
protected:
    UpdateRunTest() : m_update(m_server), m_work(dir()) {}

    const std::filesystem::path& dir() const { return m_update.programDirectory(); }

    std::unique_ptr<UpdateRun> makeRun() {
        UpdateRunInput input;
        input.programDirectory = dir();
        input.siteBase = m_server.base();
        input.mainLockFile = m_runtime / "Tarnel";
        input.runLockFile = m_runtime / "Tarnel-Update";
        input.session.retryDelay = std::chrono::milliseconds(10);
        input.exitWait = std::chrono::milliseconds(500);
        return std::make_unique<UpdateRun>(input, m_sink, m_prompt, m_channel, m_cancel);
    }

    // A run that has passed its start and its check.
    std::unique_ptr<UpdateRun> checkedRun() {
        auto run = makeRun();
        EXPECT_EQ(run->start(), RunStart::Ready);
        EXPECT_EQ(run->check(), CheckOutcome::NewVersion);
        return run;
    }

    void expectAllOld() {
        for (const auto& target : m_update.targets()) {
            if (target.before.empty()) {
                EXPECT_FALSE(std::filesystem::exists(target.path)) << target.path;
            } else {
                EXPECT_EQ(readBytes(target.path), target.before) << target.path;
            }
        }
    }

    void expectAllNew() {
        for (const auto& target : m_update.targets()) {
            EXPECT_EQ(readBytes(target.path), target.after) << target.path;
        }
        EXPECT_FALSE(std::filesystem::exists(m_work.path()));
    }

    test::HttpServer m_server;
    test::SeveralFileUpdate m_update;
    test::TempDir m_runtime;
    WorkFolder m_work;
    test::RecordingRunSink m_sink;
    test::ScriptedPrompt m_prompt;
    test::FakeMainProgram m_channel;
    std::atomic<bool> m_cancel{false};
};

const std::string kSite = "/tarnel/soft_ver.txt";
const std::string kNotes = "/tarnel/211/soft_memo.rtf";
const std::string kList = "/tarnel/211/file_list_new.txt";

TEST_F(UpdateRunTest, AWholeUpdateFetchesInstallsAndRecordsTheNewVersion) {
    auto run = checkedRun();
    EXPECT_EQ(run->installedVersion(), 210);
    EXPECT_EQ(run->newestVersion(), 211);
    EXPECT_EQ(run->releaseTime(), "2026-12-08");
    EXPECT_TRUE(run->updatePossible());
    EXPECT_EQ(readBytes(run->releaseNotesFile()).substr(0, 6), "{\\rtf1");
    EXPECT_EQ(m_sink.positions.back(), 99);

    m_sink.positions.clear();
    EXPECT_EQ(run->install(), InstallOutcome::Done);
    EXPECT_TRUE(run->movesStarted());
    EXPECT_TRUE(m_prompt.events().empty());
    EXPECT_EQ(m_server.targets(),
              (std::vector<std::string>{kSite, kNotes, kList, "/tarnel/211/tarnel.ini",
                                        "/tarnel/211/Tarnel", "/tarnel/211/pic.png",
                                        "/tarnel/211/readme.txt"}));
    EXPECT_TRUE(std::is_sorted(m_sink.positions.begin(), m_sink.positions.end()));
    EXPECT_EQ(m_sink.positions.back(), 100);
    EXPECT_EQ(m_sink.events, std::vector<std::string>{"moves"});
    expectAllNew();
    EXPECT_EQ(test::fileMode(dir() / "tarnel.ini"), 0600u);
    EXPECT_EQ(test::fileMode(dir() / "Tarnel"), 0755u);
    EXPECT_EQ(test::fileMode(dir() / "readme.txt"), 0644u);
}

TEST_F(UpdateRunTest, TheCheckEndsEarlyWhenNothingIsToBeFetched) {
    // Up to date: only the version file is read.
    test::publish(m_server, 210, 200, {});
    auto run = makeRun();
    ASSERT_EQ(run->start(), RunStart::Ready);
    EXPECT_EQ(run->check(), CheckOutcome::UpToDate);
    EXPECT_EQ(m_server.targets(), std::vector<std::string>{kSite});
    EXPECT_FALSE(std::filesystem::exists(m_work.versionFile()));

    // Too old to update on line: the notes are shown, the file list is never asked for.
    test::publish(m_server, 211, 211, m_update.files());
    run = makeRun();
    ASSERT_EQ(run->start(), RunStart::Ready);
    EXPECT_EQ(run->check(), CheckOutcome::NewVersion);
    EXPECT_FALSE(run->updatePossible());
    EXPECT_EQ(m_server.targets(), (std::vector<std::string>{kSite, kSite, kNotes}));
    EXPECT_TRUE(m_prompt.events().empty());
}

TEST_F(UpdateRunTest, FatalChecksShowTheirMessageAndSendNothingTheyNeedNot) {
    UpdateRunInput input;
    input.programDirectory = dir();
    input.runLockFile = m_runtime / "Tarnel-Update";
    UpdateRun noSite(input, m_sink, m_prompt, m_channel, m_cancel);
    EXPECT_FALSE(updateProgramRuns(input.runLockFile));
    ASSERT_EQ(noSite.start(), RunStart::Ready);
    EXPECT_EQ(noSite.check(), CheckOutcome::Failed);
    EXPECT_TRUE(m_server.targets().empty());

    // The first run holds the run lock for as long as it lives.
    EXPECT_EQ(makeRun()->start(), RunStart::AlreadyRunning);
    EXPECT_TRUE(updateProgramRuns(input.runLockFile));
    EXPECT_EQ(m_prompt.events(),
              (std::vector{shown(std::string(kNoSiteConfigured), MessageIcon::Error),
                           shown(std::string(app::kAlreadyRunning), MessageIcon::Information)}));
}

TEST_F(UpdateRunTest, AnUnreachableSiteOrABadListEndsTheRun) {
    m_server.set(kSite, test::Reply{.status = 500});
    auto run = makeRun();
    ASSERT_EQ(run->start(), RunStart::Ready);
    EXPECT_EQ(run->check(), CheckOutcome::Failed);

    test::publish(m_server, 211, 200, m_update.files());
    m_server.set(kList, test::Reply{.body = std::string(148 * 2 + 1, '\0')});
    EXPECT_EQ(run->check(), CheckOutcome::Failed);
    EXPECT_FALSE(std::filesystem::exists(m_work.fileList(211)));
    // A list cached by an earlier run is checked the same way.
    writeBytes(m_work.fileList(211), encodeFileRecord({"x", "..\\escape", "", 1, 211, 1}));
    EXPECT_EQ(run->check(), CheckOutcome::Failed);
    EXPECT_FALSE(std::filesystem::exists(m_work.fileList(211)));
    EXPECT_EQ(m_prompt.events(),
              (std::vector{shown(std::string(kCannotConnectHead) + m_server.base() +
                                     std::string(kCannotConnectTail),
                                 MessageIcon::Warning),
                           shown(std::string(kListFailed), MessageIcon::Error),
                           shown(std::string(kListFailed), MessageIcon::Error)}));
    EXPECT_FALSE(std::filesystem::exists(dir().parent_path() / "escape"));
}

TEST_F(UpdateRunTest, ASecondRunFetchesOnlyWhatTheFirstDidNotAndDropsStaleFiles) {
    auto first = checkedRun();
    m_server.set("/tarnel/211/pic.png", test::Reply{.status = 404});
    EXPECT_EQ(first->install(), InstallOutcome::Failed);
    std::string failed = "获取需要更新的文件失败:" + m_server.base() + "/tarnel/211/pic.png!";
    EXPECT_EQ(m_prompt.events(), std::vector{shown(failed, MessageIcon::Error)});
    EXPECT_EQ(RecordFile(m_work.fetched()).readState().size(), 2u);
    expectAllOld();
    first.reset();

    // A fetched file counts only for the very entry it was fetched for: matched by site name and
    // version alone, this one would install stale bytes as the picture.
    ASSERT_EQ(RecordFile(m_work.fetched()).append({"pic.png", "skin\\old.png", "3.upt", 5, 211, 1}),
              0);
    writeBytes(m_work.tempFile("3.upt"), "stale");
    writeBytes(m_work.tempFile("9.upt.part"), "stale");
    test::publish(m_server, 211, 200, m_update.files());
    auto second = checkedRun();
    EXPECT_EQ(second->install(), InstallOutcome::Done);
    std::vector<std::string> targets = m_server.targets();
    ASSERT_GE(targets.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(targets.begin() + 7, targets.end()),
              (std::vector<std::string>{"/tarnel/211/pic.png", "/tarnel/211/readme.txt"}));
    EXPECT_EQ(m_sink.positions.back(), 100);
    expectAllNew();
    EXPECT_FALSE(std::filesystem::exists(dir() / "skin/old.png"));
}

TEST_F(UpdateRunTest, ARunningMainProgramIsAskedToEndAndNeverMovedUnder) {
    auto mainLock = std::make_optional<platform::InstanceLock>();
    ASSERT_EQ(mainLock->acquire(m_runtime / "Tarnel"), platform::InstanceLock::Result::Acquired);
    auto run = checkedRun();

    // Held, no answer on the socket: the user is asked, Cancel ends the run before any move.
    m_prompt.script({Answer::Cancel});
    EXPECT_EQ(run->install(), InstallOutcome::Failed);
    EXPECT_FALSE(run->movesStarted());
    expectAllOld();

    // It says it stays: asked again; it ends meanwhile, so Retry goes on.
    m_channel.isListening = true;
    m_channel.answer = MainProgramChannel::Answer::Staying;
    m_prompt.clear();
    m_prompt.script({Answer::Retry});
    m_channel.onAsk = [&] { mainLock.reset(); };
    EXPECT_EQ(run->install(), InstallOutcome::Done);
    const std::string still(kStillRunning);
    EXPECT_EQ(m_prompt.events(),
              (std::vector{shown(std::string(kClosingMainProgram), MessageIcon::Information),
                           asked(still, MessageIcon::Information, Buttons::RetryCancel)}));
    expectAllNew();
}

TEST_F(UpdateRunTest, ProgressIsSixtyFourBitAndFullForNothingToFetch) {
    EXPECT_EQ(percentOf(0, 0), 100);
    EXPECT_EQ(percentOf(30ull << 20, 60ull << 20), 50);
    EXPECT_EQ(percentOf(3ull << 40, 4ull << 40), 75);
    EXPECT_EQ(percentOf(5, 4), 100);
}

} // namespace
} // namespace tarnel::update
