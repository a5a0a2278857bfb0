#include "tests/support/recording_launcher.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"
#include "update/pending_update.h"
#include "update/record_file.h"
#include "update/update_format.h"
#include "update/work_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarnel::update {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
using test::readBytes;
using test::writeBytes;

using test::RecordingLauncher;

class PendingUpdateTest : public ::testing::Test {
protected:
    PendingUpdateTest() : m_work(m_dir.path()) { std::filesystem::create_directory(m_work.path()); }

    // One fetched entry: its temporary file in the work folder and its record in the fin list.
    FileRecord fetched(int n, const std::string& target, const std::string& bytes,
                       std::int32_t keepWhole = 1) {
        FileRecord record{"f" + std::to_string(n),
                          target,
                          tempNameFor(n),
                          static_cast<std::int32_t>(bytes.size()),
                          211,
                          keepWhole};
        writeBytes(m_work.tempFile(record.tempName), bytes);
        EXPECT_EQ(RecordFile(m_work.fetched()).append(record), 0);
        return record;
    }

    PendingUpdateResult run() { return finishPendingUpdate(m_dir.path(), m_prompt, m_launcher); }

    test::TempDir m_dir;
    WorkFolder m_work;
    test::ScriptedPrompt m_prompt;
    RecordingLauncher m_launcher;
};

const std::string kResume(kResumeQuestion);
const std::string kFinish(kFinishQuestion);

TEST_F(PendingUpdateTest, NoStateFilesRemovesTheFolderSilently) {
    writeBytes(m_work.tempFile("1.upt"), "left over");
    EXPECT_EQ(run(), PendingUpdateResult::Continue);
    EXPECT_TRUE(m_prompt.events().empty());
    EXPECT_FALSE(std::filesystem::exists(m_work.path()));
}

TEST_F(PendingUpdateTest, ResumeQuestionYesStartsTheUpdateProgramAndEnds) {
    writeBytes(m_work.toFetch(), "");
    m_prompt.script({Answer::Yes});
    EXPECT_EQ(run(), PendingUpdateResult::End);
    EXPECT_EQ(m_prompt.events(),
              std::vector{asked(kResume, MessageIcon::Question, Buttons::YesNo)});
    EXPECT_EQ(m_launcher.started, std::vector<std::string>{(m_dir / "Update").string() + " in " +
                                                           m_dir.path().string()});
    EXPECT_TRUE(std::filesystem::exists(m_work.toFetch()));
}

TEST_F(PendingUpdateTest, ResumeQuestionNoDiscardsTheUpdate) {
    fetched(1, "Tarnel", "new");
    writeBytes(m_dir / "Tarnel", "old");
    m_prompt.script({Answer::No});
    EXPECT_EQ(run(), PendingUpdateResult::Continue);
    EXPECT_EQ(readBytes(m_dir / "Tarnel"), "old");
    EXPECT_FALSE(std::filesystem::exists(m_work.path()));
    EXPECT_TRUE(m_launcher.started.empty());
}

TEST_F(PendingUpdateTest, ResumeQuestionNoDiscardsBothListsAndAMovedListAloneAsksNothing) {
    writeBytes(m_work.toFetch(), "");
    fetched(1, "Tarnel", "new");
    writeBytes(m_dir / "Tarnel", "old");
    m_prompt.script({Answer::No});
    EXPECT_EQ(run(), PendingUpdateResult::Continue);
    EXPECT_EQ(m_prompt.events(),
              std::vector{asked(kResume, MessageIcon::Question, Buttons::YesNo)});
    EXPECT_EQ(readBytes(m_dir / "Tarnel"), "old");
    EXPECT_FALSE(std::filesystem::exists(m_work.path()));

    // Without the list of fetched files there is nothing left to move.
    std::filesystem::create_directory(m_work.path());
    writeBytes(m_work.moved(), "");
    m_prompt.clear();
    EXPECT_EQ(run(), PendingUpdateResult::Continue);
    EXPECT_TRUE(m_prompt.events().empty());
    EXPECT_FALSE(std::filesystem::exists(m_work.path()));
    EXPECT_TRUE(m_launcher.started.empty());
}

TEST_F(PendingUpdateTest, BegunMovesAskToFinishWhateverTheFetchListSays) {
    writeBytes(m_work.toFetch(), "");
    FileRecord done = fetched(1, "a.txt", "new a");
    fetched(2, "skin\\blue\\b.png", "new b");
    fetched(3, "Tarnel",
            "\x7f"
            "ELF new program");
    // Entry 1 was moved before the interruption: its temporary file is gone.
    std::filesystem::remove(m_work.tempFile("1.upt"));
    writeBytes(m_dir / "a.txt", "new a");
    ASSERT_EQ(RecordFile(m_work.moved()).append(done), 0);
    writeBytes(m_dir / "Tarnel", "old program");
    ::chmod((m_dir / "Tarnel").c_str(), 0700);

    m_prompt.script({Answer::Cancel});
    EXPECT_EQ(run(), PendingUpdateResult::End);
    EXPECT_EQ(readBytes(m_dir / "Tarnel"), "old program");
    EXPECT_TRUE(std::filesystem::exists(m_work.tempFile("3.upt")));

    m_prompt.script({Answer::Ok});
    EXPECT_EQ(run(), PendingUpdateResult::ContinueInNewProgram);
    EXPECT_EQ(m_prompt.events(),
              (std::vector{asked(kFinish, MessageIcon::Question, Buttons::OkCancel),
                           asked(kFinish, MessageIcon::Question, Buttons::OkCancel)}));
    EXPECT_EQ(readBytes(m_dir / "a.txt"), "new a");
    EXPECT_EQ(readBytes(m_dir / "skin/blue/b.png"), "new b");
    EXPECT_EQ(test::fileMode(m_dir / "skin/blue/b.png"), 0644u);
    EXPECT_EQ(readBytes(m_dir / "Tarnel"), "\x7f"
                                           "ELF new program");
    EXPECT_EQ(test::fileMode(m_dir / "Tarnel"), 0700u);
    EXPECT_FALSE(std::filesystem::exists(m_work.path()));
}

TEST_F(PendingUpdateTest, SettingsFilesAreMergedAndKeepTheirMode) {
    writeBytes(m_dir / "tarnel.ini", "[DATA]\nData_Path=/home/u/kb\nACCESS_PASSWORD=pw\n");
    ::chmod((m_dir / "tarnel.ini").c_str(), 0600);
    writeBytes(m_dir / "other.INI", "old");
    fetched(1, "tarnel.ini", "[DATA]\r\nData_Path=\r\nNEW_KEY=1\r\n", 0);
    fetched(2, "other.INI", "replaced whole", 0);
    fetched(3, "tool.sh", "#!/bin/sh\n", 0);
    writeBytes(m_work.moved(), "");
    m_prompt.script({Answer::Ok});
    EXPECT_EQ(run(), PendingUpdateResult::Continue);
    EXPECT_EQ(readBytes(m_dir / "tarnel.ini"),
              "[DATA]\nData_Path=/home/u/kb\nNEW_KEY=1\nACCESS_PASSWORD=pw\n");
    EXPECT_EQ(test::fileMode(m_dir / "tarnel.ini"), 0600u);
    EXPECT_EQ(readBytes(m_dir / "other.INI"), "replaced whole");
    EXPECT_EQ(test::fileMode(m_dir / "tool.sh"), 0755u);
}

TEST_F(PendingUpdateTest, AFailedMoveAsksBeforeAnyInstalledFileChanged) {
    writeBytes(m_dir / "a.txt", "old a");
    fetched(1, "a.txt", "new a");
    // A file where a folder must be: the second entry cannot be made ready.
    writeBytes(m_dir / "blocked", "a file");
    fetched(2, "blocked\\b.txt", "new b");
    writeBytes(m_work.moved(), "");
    std::string failed = "移动文件:" + m_work.tempFile("2.upt").string() + "时出错!\n";

    m_prompt.script({Answer::Ok, Answer::Retry, Answer::Abort});
    EXPECT_EQ(run(), PendingUpdateResult::EndWithFailure);
    EXPECT_EQ(readBytes(m_dir / "a.txt"), "old a");
    EXPECT_TRUE(std::filesystem::exists(m_work.fetched()));

    m_prompt.clear();
    m_prompt.script({Answer::Ok, Answer::Ignore});
    EXPECT_EQ(run(), PendingUpdateResult::Continue);
    EXPECT_EQ(m_prompt.events(),
              (std::vector{asked(kFinish, MessageIcon::Question, Buttons::OkCancel),
                           asked(failed, MessageIcon::Error, Buttons::AbortRetryIgnore)}));
    EXPECT_EQ(readBytes(m_dir / "a.txt"), "new a");
    EXPECT_EQ(readBytes(m_dir / "blocked"), "a file");
    EXPECT_FALSE(std::filesystem::exists(m_work.path()));
}

TEST_F(PendingUpdateTest, RemovingTheWorkFolderNeverFollowsALink) {
    test::TempDir outside;
    writeBytes(outside / "keep", "keep");
    std::filesystem::create_directory_symlink(outside.path(), m_work.path() / "link");
    EXPECT_EQ(run(), PendingUpdateResult::Continue);
    EXPECT_FALSE(std::filesystem::exists(m_work.path()));
    EXPECT_EQ(readBytes(outside / "keep"), "keep");
}

} // namespace
} // namespace tarnel::update
