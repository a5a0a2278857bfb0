#pragma once

#include "app/prompt.h"
#include "platform/file_system.h"
#include "platform/program_launcher.h"
#include "update/update_run.h"
#include "updater/ui_thread_prompt.h"

#include <QDialog>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <memory>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTextBrowser;

namespace tarnel::updater {

class UpdateProgressBar;

// The update wizard "在线升级": welcome, checking, release notes, download and end pages, with
// the buttons "上一步 >", "下一步 >" and "取消". The checking and download pages each run their
// step of the update on a worker thread of their own; the worker reports through queued signals,
// asks its questions through message boxes on this thread, and reads the cancel flag. Cancel
// sets the flag and closes once the worker has stopped; from the first move until the end page
// neither Cancel nor closing the window does anything. A fatal end closes with result kFailed.
// User-interface thread only.
class UpdateWizard : public QDialog, public update::UpdateRunSink {
    Q_OBJECT

public:
    enum Page { kWelcomePage, kCheckingPage, kReleaseNotesPage, kDownloadPage, kEndPage };
    static constexpr int kDone = 0;
    static constexpr int kFailed = 1;

    struct Services {
        app::Prompt* prompt = nullptr; // null: message boxes
        update::MainProgramChannel* channel = nullptr;
        const platform::ProgramLauncher* launcher = nullptr;
        const platform::FileSystem* fileSystem = nullptr;
    };

    UpdateWizard(update::UpdateRunInput input, Services services, QWidget* parent = nullptr);
    ~UpdateWizard() override;

    // Takes the run's lock and reads the installed version; anything but Ready has been told to
    // the user and ends the program with kFailed.
    update::RunStart start();

    int currentPage() const;
    const update::UpdateRun& run() const { return *m_run; }

    static constexpr const char* kTitle = "在线升级";

    // The run's reports, from its worker.
    void progress(int percent) override;
    void movesStarted() override;

signals:
    void progressed(int percent);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildPages();
    void showPage(int page);
    void next();
    void cancel();
    void showAbout();
    void runWorker(std::function<void()> work);
    void checkDone(update::CheckOutcome outcome);
    void installDone(update::InstallOutcome outcome);
    void closeWith(int result);

    Services m_services;
    std::unique_ptr<app::Prompt> m_messageBoxes;
    UiThreadPrompt m_prompt;
    std::atomic<bool> m_cancel{false};
    std::unique_ptr<update::UpdateRun> m_run;
    std::string m_siteBase;
    std::filesystem::path m_programDirectory;

    QStackedWidget* m_pages = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_cancelButton = nullptr;
    UpdateProgressBar* m_checkBar = nullptr;
    UpdateProgressBar* m_downloadBar = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_releaseTime = nullptr;
    QTextBrowser* m_notes = nullptr;
    QPointer<QThread> m_worker;
    // A page's step runs and has not reported its outcome yet.
    bool m_stepRunning = false;
    bool m_closeRequested = false;
    // From the first move until the end page.
    bool m_locked = false;
};

} // namespace tarnel::updater
