#include "platform/instance_lock.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"
#include "tests/updater/wizard_driver.h"
#include "ui/instance_client.h"
#include "update/update_format.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarnel::updater {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
using test::readBytes;
using test::shown;
using test::writeBytes;

void install(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
    std::filesystem::create_directories(path.parent_path());
    writeBytes(path, bytes);
    ::chmod(path.c_str(), mode);
}

QString qt(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Two staged program directories of the real main program, 210 and 211, published with the
// publishing script and served over HTTP; the user's runtime folder of its own.
class UpdateEndToEndTest : public ::testing::Test {
protected:
    UpdateEndToEndTest()
        : m_runtimeVariable("XDG_RUNTIME_DIR", m_runtime.path().string()),
          // The program's start page runs the browser engine, which frees some of its own
          // objects with a mismatched delete and cannot use its sandbox as root.
          m_leaks("ASAN_OPTIONS", "detect_leaks=0:new_delete_type_mismatch=0"),
          m_sandbox("QTWEBENGINE_DISABLE_SANDBOX", "1"),
          m_dataHome("XDG_DATA_HOME", (m_runtime.path() / "home").string()) {
        ::chmod(m_runtime.path().c_str(), 0700);
        m_program = readBytes(TARNEL_BINARY);
        std::filesystem::create_directory(m_old / "Data");
        // The installed program differs from the new one, so the new one is offered.
        install(m_old / "Tarnel", m_program + "old build", 0755);
        install(m_old / "tarnel.ini",
                "[SOFT_INFORMATION]\nSOFT_VERSION=210\nUPDATE_SITE=" + m_server.base() +
                    "\n[DATA]\nData_Path=" + (m_old / "Data").string() + "\n",
                0600);
        install(m_new / "Tarnel", m_program, 0755);
        install(m_new / "tarnel.ini",
                "[SOFT_INFORMATION]\nSOFT_VERSION=\nUPDATE_SITE=\n[DATA]\n"
                "Data_Path=\nDATABASE_TYPE=0\n",
                0644);
        install(m_new / "help/readme.txt", "new help", 0644);
        // The reading area's tool list, as every installed program directory holds it.
        std::string tools = readBytes(TARNEL_SOURCE_DIR "/resources/toolbar.cfg");
        install(m_old / "toolbar.cfg", tools, 0644);
        install(m_new / "toolbar.cfg", tools, 0644);
        auto made =
            test::runProcess(TARNEL_SOURCE_DIR "/scripts/make-update-site",
                             {"--version", "211", "--min-version", "210", m_old.path().string(),
                              m_new.path().string(), m_site.path().string()});
        EXPECT_EQ(made.exitCode, 0) << made.err;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_site.path())) {
            if (entry.is_regular_file()) {
                m_server.set("/" + entry.path().lexically_relative(m_site.path()).string(),
                             test::Reply{.body = readBytes(entry.path())});
            }
        }
    }

    ~UpdateEndToEndTest() override {
        // A main program started by the wizard is asked to end.
        ui::instance::request(socket(), ui::instance::kExitForUpdate, 5000);
        platform::InstanceLock lock;
        [[maybe_unused]] bool ended = QTest::qWaitFor(
            [&] {
                return lock.acquire(m_runtime / "Tarnel") ==
                       platform::InstanceLock::Result::Acquired;
            },
            10000);
    }

    QString socket() const { return ui::instance::socketPath(qt(m_runtime.path())); }

    void openWizardAndGoToDownload() {
        m_driver.open({m_old.path(), qt(m_runtime.path()), &m_prompt, nullptr});
        m_driver.next();
        ASSERT_TRUE(m_driver.waitForPage(UpdateWizard::kReleaseNotesPage));
        m_driver.next();
    }

    test::TempDir m_old;
    test::TempDir m_new;
    test::TempDir m_site;
    test::TempDir m_runtime;
    test::ScopedEnvironment m_runtimeVariable;
    test::ScopedEnvironment m_leaks;
    test::ScopedEnvironment m_sandbox;
    test::ScopedEnvironment m_dataHome;
    test::HttpServer m_server;
    test::ScriptedPrompt m_prompt;
    std::string m_program;
    WizardDriver m_driver;
};

TEST_F(UpdateEndToEndTest, TheRunningProgramEndsIsReplacedAndStartsAgainAfterFinish) {
    QProcess running;
    running.setWorkingDirectory(qt(m_old.path()));
    running.start(TARNEL_BINARY, {});
    ASSERT_TRUE(running.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui::instance::isListening(socket(), 500); }, 30000));

    openWizardAndGoToDownload();
    ASSERT_TRUE(m_driver.waitForPage(UpdateWizard::kEndPage));
    EXPECT_EQ(m_prompt.events(), std::vector{shown(std::string(update::kClosingMainProgram),
                                                   MessageIcon::Information)});
    ASSERT_TRUE(running.state() == QProcess::NotRunning || running.waitForFinished(10000));
    EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(running.exitCode(), 0);

    EXPECT_EQ(readBytes(m_old / "Tarnel"), m_program);
    EXPECT_EQ(test::fileMode(m_old / "Tarnel"), 0755u);
    EXPECT_EQ(readBytes(m_old / "help/readme.txt"), "new help");
    EXPECT_EQ(test::fileMode(m_old / "help/readme.txt"), 0644u);
    EXPECT_EQ(readBytes(m_old / "tarnel.ini"),
              "[SOFT_INFORMATION]\nSOFT_VERSION=211\nUPDATE_SITE=" + m_server.base() +
                  "\n[DATA]\nData_Path=" + (m_old / "Data").string() + "\nDATABASE_TYPE=0\n");
    EXPECT_EQ(test::fileMode(m_old / "tarnel.ini"), 0600u);
    EXPECT_FALSE(std::filesystem::exists(m_old / "UpdateWork"));

    m_driver.next();
    EXPECT_EQ(m_driver.result(), UpdateWizard::kDone);
    std::optional<std::string> answer;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            answer = ui::instance::request(socket(), ui::instance::kShow, 500);
            return answer.has_value();
        },
        30000));
    EXPECT_EQ(answer, std::optional<std::string>(ui::instance::kShown));
}

TEST_F(UpdateEndToEndTest, AProgramThatStaysIsNeverMovedUnderAndCancelEndsWithOne) {
    platform::InstanceLock held;
    ASSERT_EQ(held.acquire(m_runtime / "Tarnel"), platform::InstanceLock::Result::Acquired);
    QLocalServer staying;
    ASSERT_TRUE(staying.listen(socket()));
    QObject::connect(&staying, &QLocalServer::newConnection, [&] {
        QLocalSocket* client = staying.nextPendingConnection();
        QObject::connect(client, &QLocalSocket::readyRead, client, [client] {
            if (client->canReadLine()) {
                client->readLine();
                client->write("staying\n");
                client->flush();
                client->disconnectFromServer();
            }
        });
    });

    m_prompt.script({Answer::Cancel});
    openWizardAndGoToDownload();
    ASSERT_TRUE(m_driver.waitForEnd());
    EXPECT_EQ(m_driver.result(), UpdateWizard::kFailed);
    EXPECT_EQ(
        m_prompt.events(),
        (std::vector{shown(std::string(update::kClosingMainProgram), MessageIcon::Information),
                     asked(std::string(update::kStillRunning), MessageIcon::Information,
                           Buttons::RetryCancel)}));
    EXPECT_EQ(readBytes(m_old / "Tarnel"), m_program + "old build");
    EXPECT_TRUE(std::filesystem::exists(m_old / "UpdateWork/Downloadfile.fin"));
}

} // namespace
} // namespace tarnel::updater
