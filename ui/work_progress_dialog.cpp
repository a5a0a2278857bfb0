#include "ui/work_progress_dialog.h"

#include "lustra/progress_ctrl_ext.h"

#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <thread>

namespace tarnel::ui {
namespace {

constexpr int kBarHeight = 16;
constexpr int kDialogWidth = 360;

} // namespace

void CWorkProgressDialog::Relay::status(const std::string& text) {
    QString shown = QString::fromStdString(text);
    QPointer<CWorkProgressDialog> dialog(&m_dialog);
    QMetaObject::invokeMethod(
        &m_dialog,
        [dialog, shown] {
            if (dialog) {
                dialog->showStatus(shown);
            }
        },
        Qt::QueuedConnection);
}

CWorkProgressDialog::CWorkProgressDialog(const QString& title, QWidget* parent)
    : QDialog(parent), m_title(new QLabel(title, this)), m_status(new QLabel(this)),
      m_bar(new LUSTRA::CProgressCtrlExt(this)), m_cancel(new QPushButton("取消", this)) {
    setObjectName("workProgressDialog");
    setWindowTitle(title);
    setModal(true);
    setMinimumWidth(kDialogWidth);
    m_title->setObjectName("workTitle");
    m_status->setObjectName("workStatus");
    m_status->setAccessibleName("状态");
    m_bar->setObjectName("workProgress");
    m_bar->setAccessibleName(title);
    m_bar->setRange(0, 100);
    m_bar->setFixedHeight(kBarHeight);
    // The bar runs again from the start once full, so that it moves for as long as the work.
    connect(m_bar, &QProgressBar::valueChanged, this, [this](int value) {
        if (value >= m_bar->maximum()) {
            m_bar->setValue(m_bar->minimum());
        }
    });
    m_cancel->setObjectName("workCancel");
    connect(m_cancel, &QPushButton::clicked, this, &CWorkProgressDialog::cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_status);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
}

CWorkProgressDialog::~CWorkProgressDialog() = default;

QString CWorkProgressDialog::statusText() const {
    return m_status->text();
}

void CWorkProgressDialog::showStatus(const QString& text) {
    m_status->setText(text);
    emit statusChanged(text);
}

void CWorkProgressDialog::cancel() {
    m_progress.requestCancel();
    m_cancel->setEnabled(false);
}

void CWorkProgressDialog::reject() {
    if (m_running) {
        cancel();
        return;
    }
    QDialog::reject();
}

void CWorkProgressDialog::workFinished() {
    m_running = false;
    m_bar->StopTimer();
    accept();
}

void CWorkProgressDialog::run(const std::function<void()>& work) {
    m_running = true;
    m_bar->setValue(0);
    m_bar->StartTimer();
    QPointer<CWorkProgressDialog> dialog(this);
    std::thread worker([work, dialog, this] {
        work();
        QMetaObject::invokeMethod(
            this,
            [dialog] {
                if (dialog) {
                    dialog->workFinished();
                }
            },
            Qt::QueuedConnection);
    });
    exec();
    worker.join();
    m_running = false;
}

} // namespace tarnel::ui
