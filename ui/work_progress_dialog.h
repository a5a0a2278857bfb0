#pragma once

#include "ops/folder_walk.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace LUSTRA {
class CProgressCtrlExt;
}

namespace tarnel::ui {

// The modal progress dialog of a long import or export: its title text ("正在导入目录...", …),
// the status text the work reports, an animated bar and "取消", which asks the work to stop
// before its next entry. The work runs on a worker thread while the dialog is modal, so the
// user-interface thread only paints and answers meanwhile; the dialog closes once the work has
// returned. Created and run on the user-interface thread; progress() may be used from the worker.
class CWorkProgressDialog : public QDialog {
    Q_OBJECT

public:
    CWorkProgressDialog(const QString& title, QWidget* parent);
    ~CWorkProgressDialog() override;

    // What the work reports to and reads the cancel flag from.
    ops::WalkProgress& progress() { return m_progress; }
    // Runs work on a worker thread behind the modal dialog; returns once the work has returned
    // and its thread has ended. Suits ops::WalkRunner.
    void run(const std::function<void()>& work);
    // As a runner for the operations.
    ops::WalkRunner runner() {
        return [this](const std::function<void()>& work) { run(work); };
    }

    QString statusText() const;
    bool cancelRequested() const { return m_progress.cancelRequested(); }
    // Cancel: the work stops before its next entry; the dialog stays until it has.
    void cancel();

signals:
    // Emitted on the user-interface thread for each status the work sent.
    void statusChanged(const QString& text);

protected:
    // Escape and the close button cancel too, but never leave the work running unseen.
    void reject() override;

private:
    class Relay : public ops::WalkProgress {
    public:
        explicit Relay(CWorkProgressDialog& dialog) : m_dialog(dialog) {}
        void status(const std::string& text) override;
        void done() override {}

    private:
        CWorkProgressDialog& m_dialog;
    };

    void showStatus(const QString& text);
    void workFinished();

    Relay m_progress{*this};
    QLabel* m_title;
    QLabel* m_status;
    LUSTRA::CProgressCtrlExt* m_bar;
    QPushButton* m_cancel;
    bool m_running = false;
};

} // namespace tarnel::ui
