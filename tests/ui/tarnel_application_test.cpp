#include "app/reading_tools.h"
#include "app/toolbar_config.h"
#include "platform/instance_lock.h"
#include "tests/support/eventually.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"
#include "ui/instance_channel.h"
#include "ui/instance_client.h"
#include "ui/main_frame.h"
#include "ui/tarnel_application.h"
#include "update/record_file.h"
#include "update/work_folder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarnel::ui {
namespace {

using test::readBytes;
using test::ScriptedPrompt;
using test::shown;
using test::TempDir;
using test::writeBytes;

// A runtime folder as the desktop makes it: owned by the user alone.
struct RuntimeFolder {
    TempDir dir;
    RuntimeFolder() { chmod(dir.path().c_str(), 0700); }
    QString path() const { return QString::fromStdString(dir.path().string()); }
    QString socket() const { return instance::socketPath(path()); }
};

// Sends one line through the channel while the event loop runs (the server may be in this
// process), and returns the answer line.
std::string askChannel(const QString& socketPath, const QByteArray& bytes) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    EXPECT_TRUE(socket.waitForConnected(2000));
    socket.write(bytes);
    socket.flush();
    QByteArray answer;
    QDeadlineTimer deadline(8000);
    while (!answer.endsWith('\n') && socket.state() != QLocalSocket::UnconnectedState &&
           !deadline.hasExpired()) {
        QTest::qWait(5);
        answer += socket.readAll();
    }
    answer += socket.readAll();
    return answer.trimmed().toStdString();
}

TEST(TarnelApplicationTest, StartsWithTheTitledWindowAndTheRepairedSettings) {
    TempDir program;
    RuntimeFolder runtime;
    ScriptedPrompt prompt;
    writeBytes(
        program / "tarnel.ini",
        "[DATA]\r\nData_Path=/removed/long/ago\r\n[SOFT_INFORMATION]\r\nSOFT_VERSION=120\r\n");
    const std::vector<app::ConfiguredTool> tools{{app::kToolCut, 1, 1}, {-1, 0, 1}, {99, 0, 0}};
    writeBytes(program / "toolbar.cfg", app::encodeToolbarConfig(tools));
    TarnelApplication application;
    ASSERT_EQ(application.initInstance(program.path(), runtime.path(), &prompt),
              TarnelApplication::Start::Running);
    CMainFrame* frame = application.mainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->objectName(), "CMainFrame");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->isMaximized());
    QRect available = frame->screen()->availableGeometry();
    EXPECT_EQ(frame->normalGeometry().size(), available.size() * 3 / 4);
    EXPECT_EQ(frame->normalGeometry().center(), available.center());
    EXPECT_EQ(frame->windowTitle().toStdString(), "Tarnel个人知识管理系统 2.1.0");
    EXPECT_EQ(readBytes(program / "tarnel.ini"),
              "[DATA]\r\nData_Path=" + (program / "Data").string() +
                  "\r\n[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n[WORKSPACE]\r\nTAB_ALIGN=2\r\n");
    EXPECT_EQ(application.settings().tabAlign, 2);
    EXPECT_EQ(application.settings().helpPage, program / "help" / "default.html");
    EXPECT_TRUE(QFile::exists(runtime.socket()));
    // Message 2524 opens the base once start-up has returned.
    EXPECT_EQ(frame->base(), nullptr);
    ASSERT_EVENTUALLY(frame->base() != nullptr);
    EXPECT_TRUE(std::filesystem::is_directory(program / "Data" / "Index"));
    EXPECT_EQ(application.settings().readingTools, tools);
    EXPECT_TRUE(prompt.events().empty());
}

TEST(TarnelApplicationTest, AMissingToolFileIsReportedOnceAndGivesNoTools) {
    TempDir program;
    RuntimeFolder runtime;
    ScriptedPrompt prompt;
    TarnelApplication application;
    ASSERT_EQ(application.initInstance(program.path(), runtime.path(), &prompt),
              TarnelApplication::Start::Running);
    ASSERT_EVENTUALLY(application.mainFrame()->base() != nullptr);
    EXPECT_TRUE(application.settings().readingTools.empty());
    EXPECT_EQ(prompt.events(),
              (std::vector{shown("读取阅读区工具栏配置失败", app::MessageIcon::Error)}));
}

TEST(TarnelApplicationTest, AHeldLockWithoutAnAnsweringProgramStopsWithTheMessage) {
    TempDir program;
    RuntimeFolder runtime;
    platform::InstanceLock updateProgram;
    ASSERT_EQ(updateProgram.acquire(instance::lockFilePath(runtime.path()).toStdString()),
              platform::InstanceLock::Result::Acquired);
    ScriptedPrompt prompt;
    TarnelApplication application;
    EXPECT_EQ(application.initInstance(program.path(), runtime.path(), &prompt),
              TarnelApplication::Start::Stopped);
    EXPECT_EQ(application.mainFrame(), nullptr);
    EXPECT_EQ(prompt.events(), (std::vector{shown("已有一个实例(Tarnel,或者在线升级程序)在运行!",
                                                  app::MessageIcon::Information)}));
    EXPECT_FALSE(std::filesystem::exists(program / "tarnel.ini"));
}

TEST(TarnelApplicationTest, ALockThatCannotBeMadeStopsWithTheMessage) {
    TempDir program;
    ScriptedPrompt prompt;
    TarnelApplication application;
    EXPECT_EQ(application.initInstance(
                  program.path(), QString::fromStdString((program / "missing").string()), &prompt),
              TarnelApplication::Start::Stopped);
    EXPECT_EQ(prompt.events(),
              (std::vector{shown("创建信标对象失败，程序退出！", app::MessageIcon::Error)}));
}

// The first instance is a real program; this test is the second start.
TEST(TarnelApplicationTest, ASecondStartHandsOverToTheRunningProgramAndEndsItForAnUpdate) {
    TempDir first;
    TempDir second;
    RuntimeFolder runtime;
    QProcess running;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    // The web engine refuses to start its sandbox for root, as the test machines run.
    env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    running.setProcessEnvironment(env);
    writeBytes(first / "toolbar.cfg", app::encodeToolbarConfig(app::defaultReadingTools()));
    running.setWorkingDirectory(QString::fromStdString(first.path().string()));
    running.start(TARNEL_BINARY, QStringList{});
    ASSERT_TRUE(running.waitForStarted(5000));
    ASSERT_EVENTUALLY_WITHIN(QFile::exists(runtime.socket()), 20000);

    ScriptedPrompt prompt;
    TarnelApplication application;
    EXPECT_EQ(application.initInstance(second.path(), runtime.path(), &prompt),
              TarnelApplication::Start::HandedOver);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_FALSE(std::filesystem::exists(second / "tarnel.ini"));

    EXPECT_EQ(instance::request(runtime.socket(), instance::kExitForUpdate, 5000),
              std::optional<std::string>(instance::kExiting));
    ASSERT_TRUE(running.waitForFinished(10000));
    EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(running.exitCode(), 0);
}

constexpr const char* kResume =
    "上次升级还未完成，是否继续完成升级?\r\n\r\n(建议完成升级后再启动程序!)";
constexpr const char* kFinish =
    "上次升级还未完成，必须完成升级才能继续使用。\r\n点击确定完成升级,点击取消退出程序?";

// Start-up over a program directory that an interrupted update left behind.
class PendingUpdateStartTest : public ::testing::Test {
protected:
    TempDir program;
    RuntimeFolder runtime;
    ScriptedPrompt prompt;
    test::RecordingLauncher launcher;
    update::WorkFolder work{program.path()};
    TarnelApplication application;

    PendingUpdateStartTest() {
        std::filesystem::create_directory(work.path());
        writeBytes(program / "toolbar.cfg", app::encodeToolbarConfig(app::defaultReadingTools()));
    }

    // An entry fetched into its temporary file; moved: already in place, its temporary file gone.
    void entry(int n, const std::string& target, const std::string& bytes, bool moved = false) {
        update::FileRecord record{"f" + std::to_string(n),
                                  target,
                                  std::to_string(n) + ".upt",
                                  static_cast<std::int32_t>(bytes.size()),
                                  211,
                                  1};
        ASSERT_EQ(update::RecordFile(work.fetched()).append(record), 0);
        if (moved) {
            ASSERT_EQ(update::RecordFile(work.moved()).append(record), 0);
        } else {
            writeBytes(work.tempFile(record.tempName), bytes);
        }
    }
    TarnelApplication::Start run() {
        return application.initInstance(program.path(), runtime.path(), &prompt, launcher);
    }
    bool settingsRead() const { return std::filesystem::exists(program / "tarnel.ini"); }
};

TEST_F(PendingUpdateStartTest, NothingPendingCleansUpAndPutsTheNewUpdateProgramInPlace) {
    writeBytes(work.tempFile("1.upt"), "left over");
    writeBytes(program / "Update", "old update program");
    writeBytes(program / "UpdateTemp", "new update program");
    EXPECT_EQ(run(), TarnelApplication::Start::Running);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_FALSE(std::filesystem::exists(work.path()));
    EXPECT_EQ(readBytes(program / "Update"), "new update program");
    EXPECT_FALSE(std::filesystem::exists(program / "UpdateTemp"));
    EXPECT_TRUE(launcher.started.empty());
}

TEST_F(PendingUpdateStartTest, AnUnfinishedDownloadHandsOverToTheUpdateProgramBeforeAnySetting) {
    ASSERT_EQ(update::RecordFile(work.toFetch()).append({"f1", "a.txt", "1.upt", 3, 211, 1}), 0);
    prompt.script({app::Answer::Yes});
    EXPECT_EQ(run(), TarnelApplication::Start::HandedOver);
    EXPECT_EQ(prompt.events(),
              (std::vector{test::asked(kResume, app::MessageIcon::Question, app::Buttons::YesNo)}));
    EXPECT_EQ(launcher.started, std::vector<std::string>{(program / "Update").string() + " in " +
                                                         program.path().string()});
    EXPECT_EQ(application.mainFrame(), nullptr);
    EXPECT_FALSE(settingsRead());
    EXPECT_TRUE(std::filesystem::exists(work.toFetch()));
}

// Once a move was made the update must be finished, whatever the list still to fetch says.
TEST_F(PendingUpdateStartTest, BegunMovesAskToFinishThemEvenWithAListStillToFetch) {
    writeBytes(program / "a.txt", "old a");
    entry(1, "a.txt", "new a");
    entry(2, "b.txt", "new b", true);
    ASSERT_EQ(update::RecordFile(work.toFetch()).append({"f3", "c.txt", "3.upt", 1, 211, 1}), 0);
    prompt.script({app::Answer::Ok});
    EXPECT_EQ(run(), TarnelApplication::Start::Running);
    EXPECT_EQ(prompt.events(), (std::vector{test::asked(kFinish, app::MessageIcon::Question,
                                                        app::Buttons::OkCancel)}));
    EXPECT_EQ(readBytes(program / "a.txt"), "new a");
    EXPECT_FALSE(std::filesystem::exists(work.path()));
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_TRUE(settingsRead());
    ASSERT_NE(application.mainFrame(), nullptr);
}

TEST_F(PendingUpdateStartTest, DecliningToFinishEndsWithTheStateKept) {
    entry(1, "a.txt", "new a");
    entry(2, "b.txt", "new b", true);
    prompt.script({app::Answer::Cancel});
    EXPECT_EQ(run(), TarnelApplication::Start::HandedOver);
    EXPECT_FALSE(std::filesystem::exists(program / "a.txt"));
    EXPECT_TRUE(std::filesystem::exists(work.tempFile("1.upt")));
    EXPECT_TRUE(std::filesystem::exists(work.moved()));
    EXPECT_FALSE(settingsRead());
}

// The running code is the old program's: the new one runs in its place before any setting.
TEST_F(PendingUpdateStartTest, ReplacingTheMainProgramRunsTheNewOneInPlaceOfThisProcess) {
    writeBytes(program / "Tarnel", "old program");
    entry(1, "Tarnel", "new program");
    entry(2, "b.txt", "new b", true);
    prompt.script({app::Answer::Ok});
    EXPECT_EQ(run(), TarnelApplication::Start::HandedOver);
    EXPECT_EQ(launcher.started, std::vector<std::string>{"exec " + (program / "Tarnel").string() +
                                                         " in " + program.path().string()});
    EXPECT_EQ(readBytes(program / "Tarnel"), "new program");
    EXPECT_FALSE(settingsRead());
    EXPECT_EQ(application.mainFrame(), nullptr);
}

TEST_F(PendingUpdateStartTest, WhileTheUpdateProgramRunsItsStateIsLeftAlone) {
    entry(1, "a.txt", "new a");
    entry(2, "b.txt", "new b", true);
    platform::InstanceLock updateProgram;
    ASSERT_EQ(updateProgram.acquire(instance::updateLockFilePath(runtime.path()).toStdString()),
              platform::InstanceLock::Result::Acquired);
    EXPECT_EQ(run(), TarnelApplication::Start::Running);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_TRUE(std::filesystem::exists(work.tempFile("1.upt")));
    EXPECT_TRUE(std::filesystem::exists(work.moved()));
}

// A test window that holds a new point never saved.
class UnsavedNewPoint : public FrameWindow {
public:
    UnsavedNewPoint() : m_pane(new QWidget) {}
    ~UnsavedNewPoint() override { delete m_pane.data(); }
    WindowKind kind() const override { return WindowKind::NewPoint; }
    std::string name() const override { return "新建知识点"; }
    QWidget* lowerPane() override { return m_pane; }
    bool isUnsavedNewPoint() const override { return true; }

private:
    QPointer<QWidget> m_pane;
};

class InstanceChannelTest : public ::testing::Test {
protected:
    RuntimeFolder runtime;
    app::Settings settings;
    ScriptedPrompt prompt;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<InstanceChannel> channel;

    void SetUp() override {
        CMainFrame::Services services;
        services.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(settings, QIcon(), services);
        frame->showMaximized();
        channel = std::make_unique<InstanceChannel>(TarnelApplication::channelHandlers(*frame));
        ASSERT_TRUE(channel->listen(runtime.socket()));
    }
};

TEST_F(InstanceChannelTest, ShowRestoresAMinimisedFrameStillMaximised) {
    frame->showMinimized();
    ASSERT_TRUE(frame->isMinimized());
    EXPECT_EQ(askChannel(runtime.socket(), "show\n"), "shown");
    EXPECT_FALSE(frame->isMinimized());
    EXPECT_TRUE(frame->isMaximized());
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(InstanceChannelTest, ShowBringsBackAHiddenFrame) {
    frame->hide();
    EXPECT_EQ(askChannel(runtime.socket(), "show\r\n"), "shown");
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(InstanceChannelTest, OtherLinesAreAnsweredUnknownAndChangeNothing) {
    frame->hide();
    EXPECT_EQ(askChannel(runtime.socket(), "open\n"), "unknown");
    EXPECT_EQ(askChannel(runtime.socket(), QByteArray(200, 's')), "unknown");
    EXPECT_EQ(askChannel(runtime.socket(), "show" + QByteArray(100, ' ') + "\n"), "unknown");
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(InstanceChannelTest, ExitForUpdateAsksAboutAnUnsavedNewPoint) {
    frame->addWindow(std::make_unique<UnsavedNewPoint>());
    bool exited = false;
    QObject::connect(frame.get(), &CMainFrame::exited, [&] { exited = true; });
    prompt.script({app::Answer::No});
    frame->hide();
    EXPECT_EQ(askChannel(runtime.socket(), "exit-for-update\n"), "staying");
    EXPECT_FALSE(exited);
    EXPECT_TRUE(frame->isVisible()) << "the question is asked over the shown frame";
    prompt.script({app::Answer::Yes});
    EXPECT_EQ(askChannel(runtime.socket(), "exit-for-update\n"), "exiting");
    EXPECT_TRUE(exited);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(prompt.events(),
              (std::vector(2, test::asked("此窗口的知识点尚未保存, 确定退出程序吗？",
                                          app::MessageIcon::Question, app::Buttons::YesNo))));
}

TEST(InstanceChannelStaleTest, ASocketLeftByAnEndedProgramIsReplaced) {
    RuntimeFolder runtime;
    writeBytes(runtime.dir / "Tarnel.socket", "left over");
    int shows = 0;
    InstanceChannel channel({[&] { ++shows; }, [] { return false; }});
    ASSERT_TRUE(channel.listen(runtime.socket()));
    EXPECT_EQ(askChannel(runtime.socket(), "show\n"), "shown");
    EXPECT_EQ(shows, 1);
}

} // namespace
} // namespace tarnel::ui
