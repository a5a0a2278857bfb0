#include "updater/update_wizard.h"

#include "ui/message_box_prompt.h"
#include "ui/program_icon.h"
#include "update/update_format.h"
#include "update/version_file.h"
#include "updater/about_dialog.h"
#include "updater/release_notes.h"
#include "updater/update_progress_bar.h"
#include "updater/wizard_picture.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QThread>
#include <QVBoxLayout>

namespace tarnel::updater {
namespace {

constexpr int kWizardWidth = 440;
constexpr int kWizardHeight = 300;

// What the buttons are on a page.
enum class State { Enabled, Disabled, Hidden };

struct PageButtons {
    State back;
    State next;
    State cancel;
};

constexpr PageButtons kButtons[] = {
    {State::Disabled, State::Enabled, State::Enabled},  // welcome
    {State::Disabled, State::Disabled, State::Enabled}, // checking
    {State::Disabled, State::Enabled, State::Enabled},  // release notes
    {State::Disabled, State::Disabled, State::Enabled}, // download
    {State::Hidden, State::Enabled, State::Disabled},   // end
};

void apply(QPushButton* button, State state) {
    button->setVisible(state != State::Hidden);
    button->setEnabled(state == State::Enabled);
}

QLabel* addLabel(QVBoxLayout* layout, const QString& text, const char* objectName) {
    auto* label = new QLabel(text);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setAccessibleName(text);
    layout->addWidget(label);
    return label;
}

// A page: its bold heading, then its lines.
QWidget* makePage(const char* objectName, const char* heading,
                  std::initializer_list<const char*> lines, QVBoxLayout*& layout) {
    auto* page = new QWidget;
    page->setObjectName(objectName);
    page->setAccessibleName(QString::fromUtf8(heading));
    layout = new QVBoxLayout(page);
    QLabel* title =
        addLabel(layout, QString::fromUtf8(heading), (std::string(objectName) + "Heading").c_str());
    QFont bold(QStringLiteral("宋体"));
    bold.setPixelSize(12);
    bold.setBold(true);
    title->setFont(bold);
    int n = 0;
    for (const char* line : lines) {
        addLabel(layout, QString::fromUtf8(line),
                 (std::string(objectName) + "Line" + std::to_string(++n)).c_str());
    }
    return page;
}

QPushButton* makeButton(const char* text, const char* objectName) {
    auto* button = new QPushButton(QString::fromUtf8(text));
    button->setObjectName(objectName);
    button->setAccessibleName(QString::fromUtf8(text));
    return button;
}

} // namespace

UpdateWizard::UpdateWizard(update::UpdateRunInput input, Services services, QWidget* parent)
    : QDialog(parent), m_services(services),
      m_messageBoxes(services.prompt ? nullptr
                                     : std::make_unique<ui::MessageBoxPrompt>(this, kTitle)),
      m_prompt(services.prompt ? *services.prompt : *m_messageBoxes), m_siteBase(input.siteBase),
      m_programDirectory(input.programDirectory) {
    const platform::FileSystem& fileSystem =
        services.fileSystem ? *services.fileSystem : platform::realFileSystem();
    m_run = std::make_unique<update::UpdateRun>(std::move(input), *this, m_prompt,
                                                *services.channel, m_cancel, fileSystem);
    setObjectName("updateWizard");
    setWindowTitle(kTitle);
    setWindowIcon(ui::programIcon());
    setAccessibleName(kTitle);
    setFont(QFont(QStringLiteral("宋体"), 9));
    setFixedSize(kWizardWidth, kWizardHeight);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.setObjectName("wizardMenu");
        QAction* about = menu.addAction(QString::fromUtf8("关于 UpdateTarnel升级程序(&A)..."));
        about->setObjectName("aboutAction");
        connect(about, &QAction::triggered, this, &UpdateWizard::showAbout);
        menu.exec(mapToGlobal(at));
    });
    buildPages();
    connect(this, &UpdateWizard::progressed, this, [this](int percent) {
        if (currentPage() == kCheckingPage) {
            m_checkBar->setPercent(percent);
        } else if (currentPage() == kDownloadPage) {
            m_downloadBar->setPercent(percent);
        }
    });
    showPage(kWelcomePage);
}

UpdateWizard::~UpdateWizard() {
    m_cancel = true;
    if (m_worker) {
        m_worker->wait();
    }
}

update::RunStart UpdateWizard::start() {
    return m_run->start();
}

void UpdateWizard::buildPages() {
    auto* picture = new QLabel;
    picture->setObjectName("wizardPicture");
    picture->setAccessibleName(QString::fromUtf8("在线升级图片"));
    picture->setPixmap(wizardPicture());

    m_pages = new QStackedWidget;
    m_pages->setObjectName("wizardPages");
    QVBoxLayout* layout = nullptr;
    m_pages->addWidget(makePage(
        "welcomePage", "欢迎使用在线升级",
        {"本程序可帮助你快速升级Tarnel及其组件！", "点击下一步将查询可用的更新..."}, layout));
    layout->addStretch();

    m_pages->addWidget(
        makePage("checkingPage", "欢迎使用在线升级",
                 {"正在为您检测最新的产品和组件，请稍候。", "该过程可能需要几分钟。"}, layout));
    m_checkBar = new UpdateProgressBar;
    m_checkBar->setObjectName("checkingProgress");
    m_checkBar->setAccessibleName(QString::fromUtf8("检测进度"));
    layout->addWidget(m_checkBar);
    layout->addStretch();

    m_pages->addWidget(makePage("releaseNotesPage", "服务器上有可用的更新：", {}, layout));
    m_version = addLabel(layout, {}, "versionLabel");
    m_version->setAccessibleName(QString::fromUtf8("版本"));
    m_releaseTime = addLabel(layout, {}, "releaseTimeLabel");
    m_releaseTime->setAccessibleName(QString::fromUtf8("发布时间"));
    m_notes = new QTextBrowser;
    m_notes->setObjectName("releaseNotes");
    m_notes->setAccessibleName(QString::fromUtf8("发布说明"));
    m_notes->setReadOnly(true);
    m_notes->setOpenExternalLinks(true);
    layout->addWidget(m_notes, 1);

    m_pages->addWidget(
        makePage("downloadPage", "欢迎使用在线升级",
                 {"正在为您下载最新的产品和组件，请稍候。", "该过程可能需要几分钟。"}, layout));
    m_downloadBar = new UpdateProgressBar;
    m_downloadBar->setObjectName("downloadProgress");
    m_downloadBar->setAccessibleName(QString::fromUtf8("下载进度"));
    layout->addWidget(m_downloadBar);
    layout->addStretch();

    m_pages->addWidget(makePage("endPage", "感谢使用在线升级。",
                                {"您的计算机上已安装的Tarnel 产品及其组件都是最新的。",
                                 "欢迎以后继续关注我们的产品更新。", "更多精彩内容敬请关注:"},
                                layout));
    QString site = QString::fromStdString(m_siteBase).toHtmlEscaped();
    QLabel* link =
        addLabel(layout, QStringLiteral("<a href=\"%1\" style=\"color:#0000ff\">%1</a>").arg(site),
                 "siteLink");
    link->setAccessibleName(site);
    link->setTextFormat(Qt::RichText);
    link->setOpenExternalLinks(true);
    link->setCursor(Qt::PointingHandCursor);
    layout->addStretch();

    m_back = makeButton("上一步 >", "backButton");
    m_next = makeButton("下一步 >", "nextButton");
    m_cancelButton = makeButton("取消", "cancelButton");
    connect(m_next, &QPushButton::clicked, this, &UpdateWizard::next);
    connect(m_cancelButton, &QPushButton::clicked, this, &UpdateWizard::cancel);

    auto* separator = new QFrame;
    separator->setObjectName("wizardSeparator");
    separator->setAccessibleName(QString::fromUtf8("分隔线"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(m_pages, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(m_cancelButton);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top, 1);
    whole->addWidget(separator);
    whole->addLayout(buttons);
}

int UpdateWizard::currentPage() const {
    return m_pages->currentIndex();
}

void UpdateWizard::showPage(int page) {
    m_pages->setCurrentIndex(page);
    const PageButtons& buttons = kButtons[page];
    apply(m_back, buttons.back);
    apply(m_next, buttons.next);
    apply(m_cancelButton, buttons.cancel);
    if (page == kEndPage) {
        m_next->setText(QString::fromUtf8("完成"));
        m_next->setAccessibleName(m_next->text());
        m_locked = false;
    }
    m_next->setFocus();

    if (page == kCheckingPage) {
        runWorker([this] {
            update::CheckOutcome outcome = m_run->check();
            QMetaObject::invokeMethod(this, [this, outcome] { checkDone(outcome); });
        });
    } else if (page == kReleaseNotesPage) {
        m_version->setText(QString::fromUtf8("版本:%1").arg(
            QString::fromStdString(update::dottedVersion(m_run->newestVersion()))));
        m_releaseTime->setText(
            QString::fromUtf8("发布时间:%1").arg(QString::fromStdString(m_run->releaseTime())));
        m_version->setAccessibleName(m_version->text());
        m_releaseTime->setAccessibleName(m_releaseTime->text());
        std::string notes;
        const platform::FileSystem& fileSystem =
            m_services.fileSystem ? *m_services.fileSystem : platform::realFileSystem();
        if (fileSystem.readFile(m_run->releaseNotesFile(), notes) == 0) {
            fillReleaseNotes(*m_notes->document(), notes);
        }
    } else if (page == kDownloadPage) {
        m_downloadBar->setPercent(0);
        runWorker([this] {
            update::InstallOutcome outcome = m_run->install();
            QMetaObject::invokeMethod(this, [this, outcome] { installDone(outcome); });
        });
    }
}

void UpdateWizard::next() {
    switch (currentPage()) {
    case kWelcomePage:
        showPage(kCheckingPage);
        break;
    case kReleaseNotesPage:
        if (m_run->updatePossible()) {
            showPage(kDownloadPage);
        } else {
            m_prompt.show(std::string(update::kTooOldHead) + m_siteBase +
                              std::string(update::kTooOldTail),
                          app::MessageIcon::Information);
        }
        break;
    case kEndPage:
        if (m_run->movesStarted()) {
            const platform::ProgramLauncher& launcher =
                m_services.launcher ? *m_services.launcher : platform::systemLauncher();
            launcher.start(m_programDirectory / update::kMainProgram, m_programDirectory);
        }
        closeWith(kDone);
        break;
    default:
        break;
    }
}

void UpdateWizard::runWorker(std::function<void()> work) {
    m_stepRunning = true;
    m_worker = QThread::create(std::move(work));
    m_worker->setObjectName("updateWorker");
    connect(m_worker, &QThread::finished, m_worker, &QObject::deleteLater);
    m_worker->start();
}

void UpdateWizard::progress(int percent) {
    emit progressed(percent);
}

void UpdateWizard::movesStarted() {
    // Blocking: the first file must not move before Cancel is off.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_locked = true;
            m_cancelButton->setEnabled(false);
        },
        Qt::BlockingQueuedConnection);
}

void UpdateWizard::checkDone(update::CheckOutcome outcome) {
    m_stepRunning = false;
    if (m_closeRequested || outcome == update::CheckOutcome::Cancelled) {
        closeWith(outcome == update::CheckOutcome::Failed ? kFailed : kDone);
    } else if (outcome == update::CheckOutcome::Failed) {
        closeWith(kFailed);
    } else {
        showPage(outcome == update::CheckOutcome::NewVersion ? kReleaseNotesPage : kEndPage);
    }
}

void UpdateWizard::installDone(update::InstallOutcome outcome) {
    m_stepRunning = false;
    switch (outcome) {
    case update::InstallOutcome::Done:
        // A Cancel that came too late to stop the moves: the end page tells what was done.
        m_closeRequested = false;
        showPage(kEndPage);
        return;
    case update::InstallOutcome::Stopped:
        if (m_closeRequested) {
            closeWith(kDone);
        }
        return;
    case update::InstallOutcome::Cancelled:
        closeWith(kDone);
        return;
    case update::InstallOutcome::Failed:
        closeWith(kFailed);
        return;
    }
}

void UpdateWizard::cancel() {
    if (m_locked || !m_cancelButton->isEnabled()) {
        return;
    }
    m_cancel = true;
    if (m_stepRunning) {
        // Closed once the step has stopped.
        m_closeRequested = true;
        m_cancelButton->setEnabled(false);
        return;
    }
    closeWith(kDone);
}

void UpdateWizard::closeWith(int result) {
    done(result);
}

void UpdateWizard::reject() {
    cancel();
}

void UpdateWizard::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (currentPage() == kEndPage) {
        next();
    } else {
        cancel();
    }
}

void UpdateWizard::showAbout() {
    AboutDialog about(this);
    about.exec();
}

} // namespace tarnel::updater
