#include "ui/main_frame.h"

#include "app/program_version.h"
#include "app/settings_file.h"
#include "app/window_title.h"
#include "lustra/image_mgr.h"
#include "ops/operation_context.h"
#include "ops/point_editing.h"
#include "platform/ini.h"
#include "platform/text_format.h"
#include "store/legacy_conversion.h"
#include "store/legacy_format.h"
#include "store/result_codes.h"
#include "ui/add_point_form.h"
#include "ui/category_commands.h"
#include "ui/category_window.h"
#include "ui/close_tip_dialog.h"
#include "ui/conversion_progress_window.h"
#include "ui/file_chooser.h"
#include "ui/float_window.h"
#include "ui/knowledge_transfer.h"
#include "ui/knowledge_tree_model.h"
#include "ui/knowledge_tree_view.h"
#include "ui/notification_window.h"
#include "ui/options_dialog.h"
#include "ui/point_window.h"
#include "ui/reading_area_tools.h"
#include "ui/reading_background.h"
#include "ui/reading_toolbar.h"
#include "ui/search_controller.h"
#include "ui/search_pane.h"
#include "ui/skin_palette.h"
#include "ui/tag_commands.h"
#include "ui/tag_window.h"
#include "ui/tooltip_delay_style.h"
#include "ui/version_check_receiver.h"
#include "update/site_address.h"
#include "update/update_format.h"
#include "update/version_check.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeDatabase>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

namespace tarnel::ui {

using store::CategoryRecord;

namespace {

constexpr const char* kCloseNewPointQuestion = "此窗口的知识点尚未保存, 确定关闭窗口吗？";
constexpr const char* kExitNewPointQuestion = "此窗口的知识点尚未保存, 确定退出程序吗？";
constexpr const char* kUpdateStartFailed = "无法启动在线升级程序“%1”!";
constexpr const char* kTabAlignNotWritten =
    "保存设置文件“%1”失败，工作区标签的位置只在本次运行中有效!";
constexpr const char* kDamagedIndex =
    "以下索引文件已损坏，无法读取，其中的内容这次显示为空：\n%1\n原文件仍保留在磁盘上；下次保存时"
    "它会被改名为“原文件名.damaged-日期时间”留作备份。";

QTabWidget::TabPosition panePosition(int tabAlign) {
    switch (tabAlign) {
    case 1:
        return QTabWidget::West;
    case 2:
        return QTabWidget::South;
    default:
        return QTabWidget::North;
    }
}

bool isDamaged(int code) {
    return code == store::kCannotOpen || code == store::kReadError || code == store::kDamagedFile ||
           code == store::kFailure;
}

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CMainFrame::CMainFrame(app::Settings& settings, QWidget* parent)
    : CMainFrame(settings, QIcon(), Services{}) {
    if (parent) {
        setParent(parent);
    }
}

CMainFrame::CMainFrame(app::Settings& settings, const QIcon& icon, Services services)
    : m_settings(settings), m_icon(icon), m_services(services),
      m_mailbox(std::make_shared<FrameMailbox>(this)), m_messageBoxes(this),
      m_activePrompt(services.prompt ? services.prompt : &m_messageBoxes),
      m_skinFiles(*services.fileSystem), m_readingBackground(std::make_unique<CReadingBackground>(
                                             m_settings, *services.fileSystem, *m_activePrompt)) {
    setObjectName("CMainFrame");
    m_versionReceiver = std::make_unique<VersionCheckReceiver>(m_mailbox);
    setWindowIcon(m_icon);
    m_dispatcher.setReceivers({
        [this](const store::ChangeNotification& n) { deliver(n); },
        [this] { closeGoneWindows(); },
        [this] { postMessage(FrameMessage::Change); },
    });
    // The workspace tabs' and toolbar's tooltips come after half a second.
    m_tooltipStyle = new TooltipDelayStyle(kTooltipDelayMs);
    m_tooltipStyle->setParent(this);
    createTray();
    createToolBar();
    createMenus();
    createStatusBar();
    createWorkspace();
    createWindowArea();
    updateTitle();
    if (m_services.webWindows) {
        m_webWindows = m_services.webWindows(*this);
    }
}

CMainFrame::~CMainFrame() {
    stopVersionCheck();
    m_mailbox->close();
    // The windows' panes sit in the window area; they go before it.
    m_current = nullptr;
    m_windows.clear();
    m_webWindows.reset();
    m_tree->setCommands(nullptr);
    m_tree->setTagCommands(nullptr);
    delete m_float.data();
}

void CMainFrame::createTray() {
    m_tray = new QSystemTrayIcon(m_icon, this);
    m_tray->setObjectName("trayIcon");
    m_tray->setToolTip("Tarnel");
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName("trayMenu");
    QAction* show = m_trayMenu->addAction("显示主窗口");
    show->setObjectName("trayShowMain");
    connect(show, &QAction::triggered, this, [this] { postMessage(FrameMessage::ShowMain); });
    m_floatToggle = m_trayMenu->addAction("显示悬浮窗口");
    m_floatToggle->setObjectName("trayFloatWindow");
    connect(m_floatToggle, &QAction::triggered, this, &CMainFrame::toggleFloatWindow);
    QAction* update = m_trayMenu->addAction("在线升级");
    update->setObjectName("trayUpdate");
    connect(update, &QAction::triggered, this, [this] { postMessage(FrameMessage::StartUpdate); });
    m_trayMenu->addSeparator();
    QAction* quit = m_trayMenu->addAction("退出");
    quit->setObjectName("trayExit");
    connect(quit, &QAction::triggered, this, [this] { exitCommand(); });
    connect(m_trayMenu, &QMenu::aboutToShow, this, [this] {
        bool shown = m_float && m_float->isVisible();
        m_floatToggle->setText(shown ? "隐藏悬浮窗口" : "显示悬浮窗口");
    });
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    postMessage(FrameMessage::TrayCallback, kTrayIconId, kTrayLeftDoubleClick);
                }
            });
    m_tray->show();
}

void CMainFrame::createToolBar() {
    m_toolBar = addToolBar("工具栏");
    m_toolBar->setObjectName("mainToolBar");
    m_toolBar->setMovable(false);
    m_toolBar->setStyle(m_tooltipStyle);
    m_toolBarCaption = new QLabel(m_toolBar);
    m_toolBarCaption->setObjectName("toolBarCaption");
    m_toolBarCaption->setAccessibleName("标题");
    m_toolBarCaption->setContentsMargins(6, 0, 6, 0);
    m_toolBar->addWidget(m_toolBarCaption);
}

void CMainFrame::createMenus() {
    QMenu* system = menuBar()->addMenu("系统(&S)");
    system->setObjectName("systemMenu");
    QAction* options = system->addAction("选项...");
    options->setObjectName("optionsCommand");
    connect(options, &QAction::triggered, this, &CMainFrame::showOptions);
    QAction* update = system->addAction("在线升级");
    update->setObjectName("updateCommand");
    update->setShortcut(QKeySequence("Alt+U"));
    update->setData(kUpdateCommand);
    connect(update, &QAction::triggered, this, &CMainFrame::startUpdate);
    system->addSeparator();
    QAction* quit = system->addAction("退出");
    quit->setObjectName("exitCommand");
    connect(quit, &QAction::triggered, this, [this] { exitCommand(); });

    m_windowMenu = menuBar()->addMenu("窗口(&W)");
    m_windowMenu->setObjectName("windowMenu");
    // Closes the current window from the keyboard, as the close button of its tab does.
    m_closeWindowAction = new QAction("关闭窗口", this);
    m_closeWindowAction->setObjectName("closeWindowCommand");
    m_closeWindowAction->setShortcut(QKeySequence("Ctrl+F4"));
    addAction(m_closeWindowAction);
    connect(m_closeWindowAction, &QAction::triggered, this, [this] {
        if (m_current) {
            closeWindow(m_current);
        }
    });
    connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::rebuildWindowMenu);
}

void CMainFrame::createStatusBar() {
    m_statusIcon = new QLabel(this);
    m_statusIcon->setObjectName("statusIcon");
    m_statusIcon->setAccessibleName("提示图标");
    statusBar()->addWidget(m_statusIcon);
    m_statusPane = new QLabel(this);
    m_statusPane->setObjectName("statusPane");
    m_statusPane->setAccessibleName("状态");
    statusBar()->setObjectName("statusBar");
    statusBar()->addWidget(m_statusPane, 1);
}

void CMainFrame::createWorkspace() {
    m_workspace = new QDockWidget("知识分类", this);
    m_workspace->setObjectName("workspaceBar");
    m_workspace->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_panes = new QTabWidget(m_workspace);
    m_panes->setObjectName("workspaceTabs");
    m_panes->setAccessibleName("知识分类");
    m_panes->tabBar()->setStyle(m_tooltipStyle);
    // Every pane's tab stays in sight: the bar is as wide as its tabs rather than scrolled.
    m_panes->setUsesScrollButtons(false);

    m_treeModel = new KnowledgeTreeModel(m_settings, this);
    m_treeModel->setWindowOpen(
        [this](const ObjectIdentity& identity) { return isCategoryWindowOpen(identity); });
    m_treeModel->setRenameHandler([this](CategoryRecord& category, const std::string& text) {
        if (m_commands) {
            m_commands->rename(category, text);
        }
    });
    m_treeModel->setMoveHandler([this](CategoryRecord& category, CategoryRecord& target) {
        if (m_commands) {
            m_commands->moveByDrop(category, target);
        }
    });
    m_treeModel->setTagRenameHandler([this](store::TagRecord& tag, const std::string& text) {
        if (m_tagCommands) {
            m_tagCommands->rename(tag, text);
        }
    });
    m_treeModel->setTagMoveHandler([this](store::TagRecord& tag, store::TagRecord& target) {
        if (m_tagCommands) {
            m_tagCommands->moveByDrop(tag, target);
        }
    });
    m_treeModel->setImageList(&m_imageList);
    m_tree = new KnowledgeTreeView(m_panes);
    m_tree->setKnowledgeModel(m_treeModel);
    m_tree->setOpener([this](const QModelIndex& index) { openTreeItem(index); });
    addWorkspacePane(WorkspacePane::Categories, m_tree, "分类列表");

    m_windowList = new QTreeWidget(m_panes);
    m_windowList->setObjectName("windowList");
    m_windowList->setAccessibleName("窗口列表");
    m_windowList->setHeaderHidden(true);
    QPalette white = m_windowList->palette();
    white.setColor(QPalette::Base, Qt::white);
    m_windowList->setPalette(white);
    m_windowListRoot = new QTreeWidgetItem(m_windowList, QStringList{"窗口列表"});
    m_windowListRoot->setExpanded(true);
    connect(m_windowList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        int position = m_windowListRoot->indexOfChild(item);
        if (position >= 0 && position < static_cast<int>(m_windows.size())) {
            makeCurrent(m_windows[static_cast<std::size_t>(position)].get());
        }
    });
    addWorkspacePane(WorkspacePane::Windows, m_windowList, "窗口列表");
    createSearchPane();
    m_panes->setTabPosition(panePosition(m_settings.tabAlign));
    connect(m_panes, &QTabWidget::currentChanged, this, [this](int position) {
        postMessage(FrameMessage::FillPane, m_panes->tabBar()->tabData(position).toInt());
    });
    m_workspace->setWidget(m_panes);
    addDockWidget(Qt::LeftDockWidgetArea, m_workspace);
}

void CMainFrame::addWorkspacePane(WorkspacePane pane, QWidget* widget, const QString& label,
                                  std::function<void()> fill) {
    int number = static_cast<int>(pane);
    int position = 0;
    while (position < m_panes->count() && m_panes->tabBar()->tabData(position).toInt() < number) {
        ++position;
    }
    m_panes->insertTab(position, widget, label);
    m_panes->tabBar()->setTabData(position, number);
    if (fill) {
        m_paneFills[number] = std::move(fill);
    }
}

void CMainFrame::createWindowArea() {
    m_windowArea = new QSplitter(Qt::Vertical, this);
    m_windowArea->setObjectName("windowArea");
    m_windowArea->setChildrenCollapsible(false);
    m_windowTabs = new QTabBar(m_windowArea);
    m_windowTabs->setObjectName("windowTabs");
    m_windowTabs->setAccessibleName("窗口");
    m_windowTabs->setFixedHeight(kWindowTabsHeight);
    m_windowTabs->setTabsClosable(true);
    m_windowTabs->setExpanding(false);
    m_windowTabs->setDocumentMode(true);
    m_upper = new QStackedWidget(m_windowArea);
    m_upper->setObjectName("upperPane");
    m_upper->hide();
    m_lower = new QStackedWidget(m_windowArea);
    m_lower->setObjectName("lowerPane");
    // What the window area shows while no window is open: the skin's window colour.
    m_workArea = new QWidget(m_lower);
    m_workArea->setObjectName("workArea");
    m_workArea->setAutoFillBackground(true);
    m_lower->addWidget(m_workArea);
    m_windowArea->addWidget(m_windowTabs);
    m_windowArea->addWidget(m_upper);
    m_windowArea->addWidget(m_lower);
    m_windowArea->setStretchFactor(1, 3);
    m_windowArea->setStretchFactor(2, 2);
    connect(m_windowTabs, &QTabBar::currentChanged, this, [this](int position) {
        if (position >= 0 && position < static_cast<int>(m_windows.size())) {
            makeCurrent(m_windows[static_cast<std::size_t>(position)].get());
        }
    });
    connect(m_windowTabs, &QTabBar::tabCloseRequested, this, [this](int position) {
        if (position >= 0 && position < static_cast<int>(m_windows.size())) {
            closeWindow(m_windows[static_cast<std::size_t>(position)].get());
        }
    });
    setCentralWidget(m_windowArea);
}

void CMainFrame::initialUpdate() {
    app::SettingsFile(*m_services.fileSystem).workspaceRead(m_settings);
    m_readingBackground->loadFromSettings();
    m_panes->setTabPosition(panePosition(m_settings.tabAlign));
    m_tree->setClickEdits(m_settings.modifyClassName);
    m_float = new FloatWindow(m_icon, m_mailbox, [this] { return isVisible() && !isMinimized(); });
    m_float->setVisible(m_settings.showFlayWnd);
    m_statusPane->setText(QStringLiteral("本地知识库：%1").arg(fromStd(m_settings.dataPath)));
    startVersionCheck();
    openWebWindow(QUrl(QStringLiteral("about:home")));
    if (!m_tipTimer) {
        m_tipTimer = new QTimer(this);
        m_tipTimer->setObjectName("tipTimer");
        connect(m_tipTimer, &QTimer::timeout, this, &CMainFrame::showNextTip);
        m_tipTimer->start(kTipPeriodMs);
    }
    // The user can type in the tree at once.
    m_tree->setFocus(Qt::OtherFocusReason);
    postMessage(FrameMessage::FillPane,
                m_panes->tabBar()->tabData(m_panes->currentIndex()).toInt());
}

bool CMainFrame::load_skin(bool first) {
    if (first) {
        m_settings.skinPath =
            platform::IniFile(m_settings.settingsFile, *m_services.fileSystem)
                .readString(skin::kSkinSection, skin::kSkinPathKey, "", skin::kSkinPathBuffer);
    }
    SkinLoader loader(m_skinFiles, m_settings.programDirectory, m_services.builtInSkin);
    SkinLoadResult result = loader.load(
        m_settings.skinPath, {*LUSTRA::CImageMgr::GetInstance(), m_imageList, m_pictures});
    m_skinColours = result.colours;
    applySkinStyle(skin::ColourScheme(m_skinColours.base));
    showSkin();
    if (!result.ok) {
        m_activePrompt->show(result.message, app::MessageIcon::Error);
    }
    emit skinChanged();
    return result.ok;
}

// The icons the frame set itself, the windows' list colours, then a repaint of every pane.
void CMainFrame::showSkin() {
    m_panes->setTabIcon(1, m_imageList.icon(skin::ICON_SEARCH_POINT));
    m_windowListRoot->setIcon(0, m_imageList.icon(skin::ICON_WINDOW_SPACE));
    for (int i = 0; i < m_windowListRoot->childCount(); ++i) {
        m_windowListRoot->child(i)->setIcon(0, m_imageList.icon(skin::ICON_CLASS_OPEN));
    }
    for (const auto& window : m_windows) {
        if (auto* list = dynamic_cast<CWindowFormView*>(window.get())) {
            list->applySkin();
        } else if (auto* tags = dynamic_cast<CTagWindowView*>(window.get())) {
            tags->applySkin();
        }
    }
    for (QWidget* widget : findChildren<QWidget*>()) {
        widget->update();
    }
}

// Without an update site nothing is fetched; the tips already on disk still show.
void CMainFrame::startVersionCheck() {
    if (m_versionCheck) {
        return;
    }
    std::optional<std::string> site =
        update::readSiteBase(m_settings.settingsFile, *m_services.fileSystem);
    if (!site) {
        postMessage(FrameMessage::VersionCheckDone);
        return;
    }
    update::VersionCheckInput input;
    input.programDirectory = m_settings.programDirectory;
    input.siteBase = *site;
    input.programVersion = app::kProgramVersion;
    input.loginImageIndex = m_settings.loginImageIndex;
    input.softTipIndex = m_settings.softTipIndex;
    m_versionCheck = std::make_unique<update::VersionCheck>(std::move(input), *m_versionReceiver);
}

void CMainFrame::stopVersionCheck() {
    m_versionCheck.reset();
}

// The tips' icon numbers count from the skin's first tip picture, which the notice shows too.
static_assert(skin::IMG_INFO_TIP == update::kTipIconBase);

void CMainFrame::showNewVersion(long long version) {
    if (m_notification) {
        return;
    }
    NotificationWindow::Content content;
    content.title = kNewVersionTitle;
    content.text = QString::fromUtf8(kNewVersionText)
                       .arg(fromStd(platform::formatVersion(static_cast<int>(version))));
    content.icon = m_pictures.picture(update::kTipIconBase);
    content.onClick = [mailbox = m_mailbox] { mailbox->post(FrameMessage::StartUpdate); };
    m_notification =
        new NotificationWindow(std::move(content), skin::ColourScheme(m_skinColours.base), this);
    QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    m_notification->move(NotificationWindow::placeOn(shownOn->availableGeometry()));
    m_notification->show();
}

// The numbers count from the next start: the ones in memory stay.
void CMainFrame::recordFetchedIndexes() {
    VersionCheckReceiver::Indexes indexes = m_versionReceiver->takeIndexes();
    platform::IniFile file(m_settings.settingsFile, *m_services.fileSystem);
    if (indexes.loginImage) {
        file.writeString(update::kSettingsSection, update::kImageIndexKey, *indexes.loginImage);
    }
    if (indexes.softTip) {
        file.writeString(update::kSettingsSection, update::kTipIndexKey,
                         std::to_string(*indexes.softTip));
    }
}

void CMainFrame::loadTips() {
    std::string bytes;
    if (m_services.fileSystem->readFile(m_settings.programDirectory / update::kTipsFile, bytes) !=
        0) {
        return;
    }
    std::vector<update::Tip> tips = update::parseTips(bytes);
    m_tips.insert(m_tips.end(), tips.begin(), tips.end());
}

// The status bar shows picture 58 + the tip's icon number of the skin, when the skin has it.
void CMainFrame::showNextTip() {
    if (m_tips.empty()) {
        return;
    }
    if (m_nextTip >= m_tips.size()) {
        m_nextTip = 0;
    }
    const update::Tip& tip = m_tips[m_nextTip++];
    QImage icon = m_pictures.picture(update::kTipIconBase + tip.icon);
    m_statusIcon->setPixmap(icon.isNull()
                                ? QPixmap()
                                : QPixmap::fromImage(icon.scaled(16, 16, Qt::KeepAspectRatio,
                                                                 Qt::SmoothTransformation)));
    m_statusPane->setText(fromStd(tip.text));
    m_statusPane->setToolTip(fromStd(tip.link));
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == FrameEvent::eventType()) {
        handleMessage(static_cast<const FrameEvent&>(*event));
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::handleMessage(const FrameEvent& message) {
    if (m_exiting) {
        return;
    }
    switch (message.message()) {
    case FrameMessage::NewVersion:
        showNewVersion(message.wParam());
        break;
    case FrameMessage::IndexesFetched:
        recordFetchedIndexes();
        break;
    case FrameMessage::VersionCheckDone:
        loadTips();
        break;
    case FrameMessage::ShowMain:
        showMain();
        break;
    case FrameMessage::TrayCallback:
        if (message.wParam() == kTrayIconId) {
            trayCallback(message.lParam());
        }
        break;
    case FrameMessage::HideMain:
        hideMain();
        break;
    case FrameMessage::Change:
        m_dispatcher.deliverPending();
        break;
    case FrameMessage::StartUpdate:
        startUpdate();
        break;
    case FrameMessage::ReloadSource:
        reloadSource(message.wParam());
        break;
    case FrameMessage::ExitForUpdate:
        exitCommand();
        break;
    case FrameMessage::ReloadFavourites:
        emit favouritesChanged();
        break;
    case FrameMessage::FillPane:
        fillPane(message.wParam());
        break;
    case FrameMessage::OpenBase:
        if (!transferRunning()) {
            openBase();
        }
        break;
    }
}

// Each pane is filled once, however often it is shown.
void CMainFrame::fillPane(long long pane) {
    auto found = m_paneFills.find(pane);
    if (found == m_paneFills.end()) {
        return;
    }
    std::function<void()> fill = std::move(found->second);
    m_paneFills.erase(found);
    fill();
}

void CMainFrame::trayCallback(long long mouseEvent) {
    if (mouseEvent == kTrayLeftDoubleClick) {
        showMain();
    } else if (mouseEvent == kTrayRightButtonUp) {
        if (isVisible() && !isMinimized()) {
            raise();
            activateWindow();
        }
        m_trayMenu->popup(QCursor::pos());
    }
}

void CMainFrame::showMain() {
    if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    show();
    raise();
    activateWindow();
}

void CMainFrame::hideMain() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        hide();
    } else {
        showMinimized();
    }
}

// Asks about a window's unsaved work; false when the user keeps the window.
bool CMainFrame::offerUnsavedWork(FrameWindow* window, const char* newPointQuestion) {
    if (window->isUnsavedNewPoint()) {
        makeCurrent(window);
        if (m_activePrompt->ask(newPointQuestion, app::MessageIcon::Question,
                                app::Buttons::YesNo) != app::Answer::Yes) {
            return false;
        }
    } else if (window->hasUnsavedContent()) {
        makeCurrent(window);
        if (!window->runSavePrompt()) {
            return false;
        }
    }
    return true;
}

// The program ends without the exit command's questions: nothing was opened yet.
void CMainFrame::endProgram(int exitCode) {
    m_exitCode = exitCode;
    m_exiting = true;
    stopVersionCheck();
    m_mailbox->close();
    delete m_notification.data();
    hide();
    m_tray->hide();
    delete m_float.data();
    emit exited();
}

bool CMainFrame::exitCommand() {
    if (m_exiting) {
        return true;
    }
    if (transferRunning()) {
        return false;
    }
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        if (!offerUnsavedWork(m_windows[i].get(), kExitNewPointQuestion)) {
            return false;
        }
    }
    endProgram(0);
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_exiting) {
        event->accept();
        return;
    }
    event->ignore();
    int choice = m_settings.closeTipSelection;
    if (choice == 0) {
        CloseTipDialog dialog(this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        choice = static_cast<int>(dialog.choice()) + 1;
        if (dialog.remember()) {
            m_settings.closeTipSelection = choice;
            app::SettingsFile(*m_services.fileSystem).writeAll(m_settings);
        }
    }
    if (choice == 1) {
        hideMain();
    } else {
        exitCommand();
    }
}

void CMainFrame::openBase() {
    // Every window but the web windows shows the old base: they go with it (a reload asked about
    // their work first).
    for (std::size_t i = m_windows.size(); i-- > 0;) {
        if (m_windows[i]->kind() != WindowKind::Web) {
            removeWindow(m_windows[i].get());
        }
    }
    stopKnowledgeCommands();
    m_pointCommands.reset();
    m_commands.reset();
    m_tagCommands.reset();
    m_context.reset();
    m_tree->setCommands(nullptr);
    m_tree->setTagCommands(nullptr);
    m_treeModel->setBase(nullptr);
    if (!convertOlderBase()) {
        endProgram(1);
        return;
    }
    m_base = std::make_unique<store::KnowledgeStore>(*m_services.fileSystem, m_dispatcher);
    m_base->displayTypes().setIconLookup(
        [this](std::string_view extension) { return iconFor(extension); });
    int opened = m_base->open(m_settings.dataPath, m_settings.databaseType);
    m_context = std::make_unique<ops::OperationContext>(
        ops::OperationContext{*m_base, *m_services.fileSystem, *m_activePrompt});
    m_commands = std::make_unique<CategoryCommands>(
        *m_context, m_dispatcher, *m_services.opener, this,
        CategoryCommands::Hooks{[this](CategoryRecord& category) { openCategoryWindow(category); },
                                [this](CategoryRecord& category) {
                                    m_tree->setCurrentIndex(m_treeModel->indexOf(
                                        store::StoreKind::Category, category.id));
                                },
                                [this](CategoryRecord& category) { openAddPointForm(&category); }});
    m_tagCommands = std::make_unique<TagCommands>(
        *m_context, m_dispatcher, this,
        TagCommands::Hooks{[this](store::TagRecord& tag) { openTagWindow(tag); },
                           [this](store::TagRecord& tag) {
                               m_tree->setCurrentIndex(
                                   m_treeModel->indexOf(store::StoreKind::Tag, tag.id));
                           },
                           [this](store::TagRecord& tag) { openAddPointForm(nullptr, tag.id); },
                           [this](store::TagRecord& tag) { quickFindTag(tag); },
                           [this](store::TagRecord& tag) { exportTagWithProgress(tag); }});
    m_pointCommands = std::make_unique<PointListCommands>(
        *m_context, m_dispatcher, *m_services.opener, m_settings, m_commands.get(),
        m_tagCommands.get(), this,
        PointListCommands::Hooks{
            [this](CategoryRecord& owner, const store::PointRecord& p) { openPoint(owner, p); }});
    m_treeModel->setBase(m_base.get());
    m_tree->setCommands(m_commands.get());
    m_tree->setTagCommands(m_tagCommands.get());
    startKnowledgeCommands();
    if (m_settings.autoExpandClass) {
        m_tree->expandAll();
    } else {
        m_tree->expand(m_treeModel->categoryRootIndex());
    }
    m_tree->setCurrentIndex(m_treeModel->index(0, 0));
    if (opened != store::kOk || m_base->report().categories || m_base->report().recycle ||
        m_base->report().tags) {
        warnDamagedIndex();
    }
}

// An index of an older store version is converted before any store reads it; false when it can
// be neither converted nor opened (the reason was shown).
bool CMainFrame::convertOlderBase() {
    ConversionProgressWindow progress(this);
    store::ConversionResult result = store::convertOlderBase(
        {*m_services.fileSystem, m_settings.dataPath, m_settings.databaseType}, *m_activePrompt,
        progress);
    if (result.outcome == store::ConversionOutcome::EndProgram) {
        return false;
    }
    if (result.outcome == store::ConversionOutcome::Converted && result.tabAlignDue) {
        m_settings.tabAlign = store::legacy_format::kOldBaseTabAlign;
        m_panes->setTabPosition(panePosition(m_settings.tabAlign));
        if (app::SettingsFile(*m_services.fileSystem).writeTabAlign(m_settings) != 0) {
            m_activePrompt->show(QString(kTabAlignNotWritten)
                                     .arg(QString::fromStdString(m_settings.settingsFile.string()))
                                     .toStdString(),
                                 app::MessageIcon::Warning);
        }
    }
    return true;
}

// A damaged index opens as an empty base; the user hears of it once, with the files named.
void CMainFrame::warnDamagedIndex() {
    const store::OpenReport& report = m_base->report();
    const store::DataLayout& layout = m_base->layout();
    QStringList files;
    if (isDamaged(report.counters)) {
        files << fromStd(layout.countersFile().string());
    }
    if (isDamaged(report.categories)) {
        files << fromStd(layout.categoryStoreFile().string());
    }
    if (isDamaged(report.recycle)) {
        files << fromStd(layout.recycleStoreFile().string());
    }
    if (isDamaged(report.tags)) {
        files << fromStd(layout.tagStoreFile().string());
    }
    if (!files.isEmpty()) {
        m_activePrompt->show(QString::fromUtf8(kDamagedIndex).arg(files.join('\n')).toStdString(),
                             app::MessageIcon::Warning);
    }
}

void CMainFrame::reloadSource(long long source) {
    if (source != 0 || transferRunning()) {
        return;
    }
    for (std::size_t i = m_windows.size(); i-- > 0;) {
        if (m_windows[i]->kind() != WindowKind::Web && !closeWindow(m_windows[i].get())) {
            return;
        }
    }
    openBase();
}

void CMainFrame::startUpdate() {
    if (!update::readSiteBase(m_settings.settingsFile, *m_services.fileSystem)) {
        m_activePrompt->show(kNoUpdateSite, app::MessageIcon::Information);
        return;
    }
    std::filesystem::path program = m_settings.programDirectory / update::kUpdateProgram;
    if (m_services.launcher->start(program, m_settings.programDirectory) != 0) {
        m_activePrompt->show(
            QString::fromUtf8(kUpdateStartFailed).arg(fromStd(program.string())).toStdString(),
            app::MessageIcon::Error);
    }
}

void CMainFrame::showOptions() {
    OptionsDialog dialog(
        m_settings, *m_services.fileSystem, *m_activePrompt, [this] { load_skin(false); }, this);
    connect(dialog.findChild<QPushButton*>("applyButton"), &QPushButton::clicked, this,
            &CMainFrame::applySettings);
    if (dialog.exec() == QDialog::Accepted) {
        applySettings();
    }
}

void CMainFrame::applySettings() {
    m_panes->setTabPosition(panePosition(m_settings.tabAlign));
    m_tree->setClickEdits(m_settings.modifyClassName);
    m_treeModel->refreshLabels();
    for (const auto& window : m_windows) {
        if (auto* list = dynamic_cast<CWindowFormView*>(window.get())) {
            list->applySettings();
        } else if (auto* tags = dynamic_cast<CTagWindowView*>(window.get())) {
            tags->applySettings();
        }
    }
    if (m_float) {
        m_float->setVisible(m_settings.showFlayWnd);
    }
}

void CMainFrame::toggleFloatWindow() {
    if (!m_float) {
        return;
    }
    m_settings.showFlayWnd = !m_float->isVisible();
    m_float->setVisible(m_settings.showFlayWnd);
    app::SettingsFile(*m_services.fileSystem).writeAll(m_settings);
}

void CMainFrame::setCurrentWindowName(const std::string& name) {
    m_currentWindowName = name;
    updateTitle();
}

void CMainFrame::updateTitle() {
    setWindowTitle(fromStd(app::mainWindowTitle(app::kProgramVersion, m_currentWindowName)));
    m_toolBarCaption->setText(
        fromStd(m_currentWindowName.empty()
                    ? app::mainWindowTitle(app::kProgramVersion)
                    : app::toolbarCaption(app::kProgramVersion, m_currentWindowName)));
}

FrameWindow* CMainFrame::findWindow(const ObjectIdentity& identity) const {
    for (const auto& window : m_windows) {
        if (window->identity() == identity) {
            return window.get();
        }
    }
    return nullptr;
}

bool CMainFrame::isCategoryWindowOpen(const ObjectIdentity& identity) const {
    FrameWindow* window = findWindow(identity);
    return window && window->kind() == WindowKind::Category;
}

FrameWindow* CMainFrame::openCategoryWindow(CategoryRecord& category) {
    ObjectIdentity identity{0, category.owner->kind(), category.id};
    if (FrameWindow* open = findWindow(identity)) {
        makeCurrent(open);
        return open;
    }
    CWindowFormView::Services services{
        m_commands.get(),
        [this](int icon) { return typeIcon(icon); },
        [this](CategoryRecord& sub) { openCategoryWindow(sub); },
        [this](CategoryRecord& owner, const store::PointRecord& p) { openPoint(owner, p); },
        &m_imageList,
        &m_skinColours.list,
        &m_pictures,
        m_context.get(),
        &m_dispatcher,
        m_services.opener,
        m_pointCommands.get(),
        readingAreaTools()};
    FrameWindow* window = addWindow(std::make_unique<CWindowFormView>(
        *m_base, identity.store, identity.id, m_settings, std::move(services)));
    m_treeModel->refreshCategory(identity.store, identity.id);
    return window;
}

FrameWindow* CMainFrame::openTagWindow(store::TagRecord& tag) {
    ObjectIdentity identity{0, store::StoreKind::Tag, tag.id};
    if (FrameWindow* open = findWindow(identity)) {
        makeCurrent(open);
        return open;
    }
    CTagWindowView::Services services{
        m_context.get(),
        &m_dispatcher,
        m_services.opener,
        m_tagCommands.get(),
        [this](int icon) { return typeIcon(icon); },
        [this](store::TagRecord& sub) { openTagWindow(sub); },
        [this](CategoryRecord& owner, const store::PointRecord& p) { openPoint(owner, p); },
        &m_imageList,
        &m_skinColours.list,
        &m_pictures,
        m_pointCommands.get(),
        readingAreaTools()};
    return addWindow(std::make_unique<CTagWindowView>(tag.id, m_settings, std::move(services)));
}

void CMainFrame::openPoint(CategoryRecord& category, const store::PointRecord& point) {
    ops::PointOpening opening = ops::openPoint(*m_context, *m_services.opener, category, point);
    if (!opening.result.ok()) {
        return;
    }
    if (opening.view == ops::PointView::Reading) {
        openPointWindow(category, point);
    } else if (opening.view == ops::PointView::Web) {
        openWebWindow(QUrl::fromLocalFile(fromStd(opening.path.string())));
    }
}

FrameWindow* CMainFrame::openPointWindow(CategoryRecord& category,
                                         const store::PointRecord& point) {
    for (const auto& window : m_windows) {
        auto* open = dynamic_cast<CPointWindow*>(window.get());
        if (open && open->pointId() == point.id) {
            makeCurrent(open);
            return open;
        }
    }
    auto area = std::make_unique<CReadingArea>(*m_context);
    if (!area->openPoint(category, point)) {
        return nullptr;
    }
    equipReadingArea(*area, readingAreaTools());
    return addWindow(std::make_unique<CPointWindow>(area.release()));
}

ReadingAreaTools CMainFrame::readingAreaTools() {
    return {m_settings,
            *m_activePrompt,
            *m_services.fileSystem,
            *m_readingBackground,
            [this] { return toggleReadingMode(); },
            [this] { return m_readingMaximised; }};
}

bool CMainFrame::toggleReadingMode() {
    if (!m_readingMaximised) {
        m_normalPaneSizes = m_windowArea->sizes();
        m_workspace->hide();
        int total = 0;
        for (int size : m_normalPaneSizes) {
            total += size;
        }
        m_windowArea->setSizes({m_windowTabs->height(), 0, total - m_windowTabs->height()});
    } else {
        m_workspace->show();
        m_windowArea->setSizes(m_normalPaneSizes);
    }
    m_readingMaximised = !m_readingMaximised;
    CReadingToolbar::setMaximisedReadingEverywhere(m_readingMaximised);
    return m_readingMaximised;
}

FrameWindow* CMainFrame::openAddPointForm(CategoryRecord* category, long long tagId) {
    CAddPointFormView::Services services{m_context.get(), &m_dispatcher, m_services.opener,
                                         [this](CAddPointFormView* form) { removeWindow(form); },
                                         readingAreaTools()};
    return addWindow(std::make_unique<CAddPointFormView>(std::move(services), category, tagId));
}

FrameWindow* CMainFrame::openWebPointForm(WebPointPage page) {
    if (!m_context) {
        return nullptr;
    }
    CAddPointFormView::Services services{m_context.get(), &m_dispatcher, m_services.opener,
                                         [this](CAddPointFormView* form) { removeWindow(form); },
                                         readingAreaTools()};
    return addWindow(std::make_unique<CAddPointFormView>(std::move(services), std::move(page)));
}

void CMainFrame::openTreeItem(const QModelIndex& index) {
    using Kind = KnowledgeTreeModel::ItemKind;
    Kind kind = m_treeModel->kindOf(index);
    if (kind == Kind::Tag) {
        if (store::TagRecord* tag = m_treeModel->tagAt(index)) {
            openTagWindow(*tag);
        }
        return;
    }
    if (kind != Kind::Category && kind != Kind::RecycleRoot) {
        return;
    }
    if (CategoryRecord* category = m_treeModel->categoryAt(index)) {
        openCategoryWindow(*category);
    }
}

FrameWindow* CMainFrame::addWindow(std::unique_ptr<FrameWindow> window) {
    FrameWindow* raw = window.get();
    m_windows.push_back(std::move(window));
    if (QWidget* upper = raw->upperPane()) {
        m_upper->addWidget(upper);
    }
    m_lower->addWidget(raw->lowerPane());
    auto* item = new QTreeWidgetItem(m_windowListRoot, QStringList{fromStd(raw->name())});
    item->setIcon(0, m_imageList.icon(skin::ICON_CLASS_OPEN));
    m_windowListRoot->setExpanded(true);
    {
        const QSignalBlocker blocker(m_windowTabs);
        int tab = m_windowTabs->addTab(fromStd(raw->name()));
        m_windowTabs->setTabIcon(tab, m_imageList.icon(raw->tabImage()));
    }
    makeCurrent(raw);
    return raw;
}

FrameWindow* CMainFrame::openWebWindow(const QUrl& url) {
    if (!m_webWindows) {
        return nullptr;
    }
    return addWindow(m_webWindows->open(url));
}

void CMainFrame::windowChanged(FrameWindow* window) {
    auto it = std::find_if(m_windows.begin(), m_windows.end(),
                           [window](const auto& w) { return w.get() == window; });
    if (it == m_windows.end()) {
        return;
    }
    int position = static_cast<int>(it - m_windows.begin());
    QString name = fromStd(window->name());
    m_windowTabs->setTabText(position, name);
    m_windowTabs->setTabIcon(position, m_imageList.icon(window->tabImage()));
    m_windowListRoot->child(position)->setText(0, name);
    if (window == m_current) {
        setCurrentWindowName(window->name());
    }
}

void CMainFrame::makeCurrent(FrameWindow* window) {
    auto it = std::find_if(m_windows.begin(), m_windows.end(),
                           [window](const auto& w) { return w.get() == window; });
    if (it == m_windows.end()) {
        return;
    }
    int position = static_cast<int>(it - m_windows.begin());
    if (!dynamic_cast<CPointWindow*>(window)) {
        leaveReadingMode();
    }
    m_current = window;
    if (QWidget* upper = window->upperPane()) {
        m_upper->setCurrentWidget(upper);
        m_upper->show();
    } else {
        m_upper->hide();
    }
    m_lower->setCurrentWidget(window->lowerPane());
    {
        const QSignalBlocker blocker(m_windowTabs);
        m_windowTabs->setCurrentIndex(position);
    }
    m_windowList->setCurrentItem(m_windowListRoot->child(position));
    setCurrentWindowName(window->name());
}

bool CMainFrame::closeWindow(FrameWindow* window) {
    if (!offerUnsavedWork(window, kCloseNewPointQuestion)) {
        return false;
    }
    removeWindow(window);
    return true;
}

void CMainFrame::removeWindow(FrameWindow* window) {
    auto it = std::find_if(m_windows.begin(), m_windows.end(),
                           [window](const auto& w) { return w.get() == window; });
    if (it == m_windows.end()) {
        return;
    }
    int position = static_cast<int>(it - m_windows.begin());
    std::optional<ObjectIdentity> identity = window->identity();
    std::unique_ptr<FrameWindow> closing = std::move(*it);
    m_windows.erase(it);
    if (QWidget* upper = closing->upperPane()) {
        m_upper->removeWidget(upper);
    }
    m_lower->removeWidget(closing->lowerPane());
    delete m_windowListRoot->takeChild(position);
    {
        const QSignalBlocker blocker(m_windowTabs);
        m_windowTabs->removeTab(position);
    }
    closing.reset();
    if (identity) {
        m_treeModel->refreshCategory(identity->store, identity->id);
    }
    if (m_current == window) {
        m_current = nullptr;
        if (!m_windows.empty()) {
            std::size_t next = std::min(static_cast<std::size_t>(position), m_windows.size() - 1);
            makeCurrent(m_windows[next].get());
        } else {
            leaveReadingMode();
            m_upper->hide();
            m_lower->setCurrentWidget(m_workArea);
            setCurrentWindowName("");
        }
    }
}

// The maximised reading mode is a point window's; any other window, or none, shows the
// workspace bar and the panes again.
void CMainFrame::leaveReadingMode() {
    if (m_readingMaximised) {
        toggleReadingMode();
    }
}

// Each notification reaches the views, then the window list, then the tree.
void CMainFrame::deliver(const store::ChangeNotification& notification) {
    for (const auto& window : m_windows) {
        window->applyChange(notification);
    }
    refreshWindowLabels(notification);
    m_treeModel->applyChange(notification);
    searchPaneChange(notification);
}

// After a batch: the windows whose object went close.
void CMainFrame::closeGoneWindows() {
    for (std::size_t i = m_windows.size(); i-- > 0;) {
        if (m_windows[i]->objectGone()) {
            removeWindow(m_windows[i].get());
        }
    }
}

// The tab, the window list's label and the caption follow the name of the window showing the
// object; a window whose object went keeps its label until it closes.
void CMainFrame::refreshWindowLabels(const store::ChangeNotification& notification) {
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        FrameWindow* window = m_windows[i].get();
        if (!window->isNamedBy(notification) || window->objectGone()) {
            continue;
        }
        QString name = fromStd(window->name());
        m_windowTabs->setTabText(static_cast<int>(i), name);
        m_windowListRoot->child(static_cast<int>(i))->setText(0, name);
        if (window == m_current) {
            setCurrentWindowName(window->name());
        }
    }
}

void CMainFrame::rebuildWindowMenu() {
    m_windowMenu->clear();
    m_windowMenu->addAction(m_closeWindowAction);
    m_closeWindowAction->setEnabled(m_current != nullptr);
    if (!m_windows.empty()) {
        m_windowMenu->addSeparator();
    }
    int reachable = std::min(static_cast<int>(m_windows.size()), kWindowCommands);
    for (int i = 0; i < reachable; ++i) {
        FrameWindow* window = m_windows[static_cast<std::size_t>(i)].get();
        QAction* action = m_windowMenu->addAction(fromStd(window->name()));
        int command = kFirstWindowCommand + i;
        action->setObjectName(QStringLiteral("window%1").arg(command));
        action->setData(command);
        action->setCheckable(true);
        action->setChecked(window == m_current);
        connect(action, &QAction::triggered, this,
                [this, command] { selectWindowCommand(command); });
    }
}

void CMainFrame::selectWindowCommand(int command) {
    int position = command - kFirstWindowCommand;
    if (position >= 0 && position < kWindowCommands &&
        position < static_cast<int>(m_windows.size())) {
        makeCurrent(m_windows[static_cast<std::size_t>(position)].get());
    }
}

int CMainFrame::iconFor(std::string_view extension) {
    QIcon icon;
    if (extension == ".rtf") {
        icon = style()->standardIcon(QStyle::SP_FileIcon);
    } else if (extension == ".mht") {
        icon = style()->standardIcon(QStyle::SP_DriveNetIcon);
    } else {
        QMimeType type = QMimeDatabase().mimeTypeForFile(
            QStringLiteral("x") +
                QString::fromUtf8(extension.data(), static_cast<qsizetype>(extension.size())),
            QMimeDatabase::MatchExtension);
        icon = QIcon::fromTheme(
            type.iconName(),
            QIcon::fromTheme(type.genericIconName(), style()->standardIcon(QStyle::SP_FileIcon)));
    }
    m_typeIcons.push_back(icon);
    return static_cast<int>(m_typeIcons.size()) - 1;
}

QIcon CMainFrame::typeIcon(int icon) const {
    if (icon < 0 || icon >= static_cast<int>(m_typeIcons.size())) {
        return style()->standardIcon(QStyle::SP_FileIcon);
    }
    return m_typeIcons[static_cast<std::size_t>(icon)];
}

} // namespace tarnel::ui
