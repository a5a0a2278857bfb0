#pragma once

#include "app/prompt.h"
#include "app/settings.h"
#include "platform/desktop_open.h"
#include "platform/file_system.h"
#include "platform/program_launcher.h"
#include "store/knowledge_store.h"
#include "ui/change_dispatcher.h"
#include "ui/float_window.h"
#include "ui/frame_message.h"
#include "ui/frame_window.h"
#include "ui/main_image_list.h"
#include "ui/message_box_prompt.h"
#include "ui/notification_window.h"
#include "ui/resource_file_system.h"
#include "ui/skin/skin_folder.h"
#include "ui/skin_loader.h"
#include "ui/skin_picture_table.h"
#include "ui/web_point_page.h"
#include "ui/web_windows.h"
#include "update/tip_file.h"

#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QDockWidget;
class QLabel;
class QMenu;
class QProxyStyle;
class QSplitter;
class QStackedWidget;
class QSystemTrayIcon;
class QTabBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace tarnel::ops {
struct OperationContext;
}

namespace tarnel::update {
class VersionCheck;
}

namespace tarnel::ui {

class CategoryCommands;
class CReadingBackground;
class CSearchPane;
class CSearchResultView;
class DialogFileChooser;
class FileChooser;
class KnowledgeTransfer;
class SearchController;
struct ReadingAreaTools;
class KnowledgeTreeModel;
class KnowledgeTreeView;
class PointListCommands;
class TagCommands;
class VersionCheckReceiver;

// The program's one top-level window (`CMainFrame`): the tray icon, the toolbar, the status bar,
// the workspace bar "知识分类" with its panes, and the window area (the window tabs above the
// current window's two panes). It owns the open base, the open windows and the floating window
// for the run; the settings belong to the application. Its private messages arrive through its
// mailbox (postMessage) from any thread. User-interface thread only otherwise.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // What the frame works with; tests put in temporary files, a fake opener and a scripted
    // prompt. Every reference must outlive the frame.
    struct Services {
        const platform::FileSystem* fileSystem = &platform::realFileSystem();
        const platform::Opener* opener = &platform::systemOpener();
        // Starts the update program.
        const platform::ProgramLauncher* launcher = &platform::systemLauncher();
        app::Prompt* prompt = nullptr; // null: message boxes
        // The built-in copy of the default skin, laid out as a skin folder.
        std::filesystem::path builtInSkin = SkinLoader::kBuiltInRoot;
        // Makes what opens the web windows, once the frame stands; empty: no web windows.
        std::function<std::unique_ptr<WebWindows>(CMainFrame& frame)> webWindows;
    };

    // The first 101 open windows are reachable from the "窗口" menu.
    static constexpr int kFirstWindowCommand = 3024;
    static constexpr int kWindowCommands = 101;
    static constexpr int kUpdateCommand = 114;
    static constexpr int kWindowTabsHeight = 31;
    static constexpr int kTipPeriodMs = 5000;
    static constexpr int kTooltipDelayMs = 500;
    static constexpr const char* kNewVersionTitle = "Tarnel提示:有新的可用版本";
    static constexpr const char* kNewVersionText =
        "Tarnel有可用的更新了!\n\n最新版本:V%1, 点击进行在线升级!";
    static constexpr const char* kNoUpdateSite =
        "没有设置升级网站，无法在线升级！\n请在程序目录的设置文件tarnel.ini中，于[SOFT_INFORMATION]"
        "节下用UPDATE_SITE=https://...指定升级网站的地址。";

    CMainFrame(app::Settings& settings, const QIcon& icon, Services services);
    explicit CMainFrame(app::Settings& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Loads the skin before the frame is first shown (first: SkinPath as the settings file holds
    // it) or after the chooser changed the skin (the skin path of the settings in memory): the
    // scheme's palette, the images, the icons (index 9 also on workspace tab 1), the pictures and
    // the list colours; then every pane repaints and skinChanged() is emitted. A failure costs
    // one message naming the first one, the built-in pictures fill in, and the result is false.
    bool load_skin(bool first);
    const MainImageList& imageList() const { return m_imageList; }
    MainImageList& imageList() { return m_imageList; }
    const SkinPictureTable& pictures() const { return m_pictures; }
    const skin::SkinColours& skinColours() const { return m_skinColours; }

    // The first-show initialisation, once the frame is shown: the workspace settings, the
    // floating window, tooltip delays, the status pane, the version check (when the settings
    // name an update site; else the tips on disk load at once) and the tip timer.
    void initialUpdate();

    // Queues a message for the frame; safe from any thread, and dropped once the frame is gone.
    bool postMessage(FrameMessage message, long long wParam = 0, long long lParam = 0) {
        return m_mailbox->post(message, wParam, lParam);
    }
    const FrameMailboxPtr& mailbox() const { return m_mailbox; }

    // Shows the frame: a minimised frame is restored to its former (maximised) state, a hidden
    // one shown; it comes to the front.
    void showMain();
    // Hides the frame to the tray; without a tray it is minimised instead, so it is never lost.
    void hideMain();
    // The exit command: every window's unsaved content is offered for saving, an unsaved new
    // point asks; then the frame hides, the tray icon and floating window go and exited() is
    // emitted. False when the user kept the program running.
    bool exitCommand();
    // 0 after the exit command; 1 when the knowledge base could not be opened.
    int exitCode() const { return m_exitCode; }

    // The name of the current window ("" when none); it becomes part of the caption.
    void setCurrentWindowName(const std::string& name);

    // The open windows, in opening order.
    std::size_t windowCount() const { return m_windows.size(); }
    FrameWindow* windowAt(std::size_t i) const { return m_windows[i].get(); }
    FrameWindow* currentWindow() const { return m_current; }
    // Takes a window in, shows it as the current window.
    FrameWindow* addWindow(std::unique_ptr<FrameWindow> window);
    void makeCurrent(FrameWindow* window);
    // Closes one window, asking first when it holds unsaved work; false when the user kept it.
    bool closeWindow(FrameWindow* window);
    // The window of the category (the recycle root for the recycle bin), opened when needed.
    FrameWindow* openCategoryWindow(store::CategoryRecord& category);
    // The window of the tag, opened when needed.
    FrameWindow* openTagWindow(store::TagRecord& tag);
    // "阅读/编辑知识点": an "rtf" point in a knowledge-point window (the open one when there is
    // one), a document with the desktop's program; the web view's kinds are not opened here.
    void openPoint(store::CategoryRecord& category, const store::PointRecord& point);
    // The window of the point, opened when needed; null when its content could not be read.
    FrameWindow* openPointWindow(store::CategoryRecord& category, const store::PointRecord& point);
    // "新建知识点": the add-point form in a new tab, with the category (or none) and the tag (0:
    // none) chosen.
    FrameWindow* openAddPointForm(store::CategoryRecord* category, long long tagId = 0);
    // "保存网页": the add-point form of a web point of the page in a new tab; null while no base
    // is open.
    FrameWindow* openWebPointForm(WebPointPage page);
    // A new web window (kind 3) on url, current; null when the frame has no web windows.
    FrameWindow* openWebWindow(const QUrl& url);
    // The window's name or tab image changed: its tab, its window-list label and the caption.
    void windowChanged(FrameWindow* window);
    // The operations' context while a base is open, else null.
    ops::OperationContext* context() const { return m_context.get(); }
    // The window menu's command: the open window at position command − 3024.
    void selectWindowCommand(int command);

    // Puts a workspace pane at its place in the tab order. fill, when given, runs once, on the
    // pane's first showing (message 2043).
    void addWorkspacePane(WorkspacePane pane, QWidget* widget, const QString& label,
                          std::function<void()> fill = {});

    // The tips the status pane cycles through every 5 seconds, loaded from "tarnel.tip" once the
    // version check is over.
    const std::vector<update::Tip>& tips() const { return m_tips; }
    // The notification of a newer version while it is open.
    NotificationWindow* notification() const { return m_notification; }

    const app::Settings& settings() const { return m_settings; }
    store::KnowledgeStore* base() const { return m_base.get(); }
    ChangeDispatcher& dispatcher() { return m_dispatcher; }
    app::Prompt& prompt() { return *m_activePrompt; }
    FloatWindow* floatWindow() const { return m_float; }
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    QMenu* trayMenu() const { return m_trayMenu; }
    QMenu* windowMenu() const { return m_windowMenu; }
    KnowledgeTreeModel* treeModel() const { return m_treeModel; }
    KnowledgeTreeView* tree() const { return m_tree; }
    // The tag commands while a base is open, else null.
    TagCommands* tagCommands() const { return m_tagCommands.get(); }
    // The point list commands while a base is open, else null.
    PointListCommands* pointCommands() const { return m_pointCommands.get(); }
    // Import and export, and the searches, while a base is open, else null
    // (main_frame_knowledge.cpp).
    KnowledgeTransfer* transfer() const { return m_transfer.get(); }
    SearchController* searches() const { return m_searches.get(); }
    CSearchPane* searchPane() const { return m_searchPane; }
    // Where the import and export commands choose files and folders; tests answer it. The
    // chooser outlives the frame.
    void setFileChooser(FileChooser& chooser);

    // After the options changed: tab position, tree labels, list settings, floating window.
    void applySettings();

    // The maximised reading mode: the workspace bar hidden and the reading area over the whole
    // window area; back in the normal mode the bar and the panes' sizes come back as they were.
    // True when the frame is maximised now.
    bool toggleReadingMode();
    bool isReadingMaximised() const { return m_readingMaximised; }
    // The background every reading area draws behind its text.
    CReadingBackground& readingBackground() { return *m_readingBackground; }

signals:
    // The exit command ran to its end, or the base could not be opened; the program should end
    // with exitCode().
    void exited();
    // A skin was loaded; every view shows it from its next paint.
    void skinChanged();
    // Message 2037: the favourites folder changed; the favourites pane reads it again.
    void favouritesChanged();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createTray();
    void createToolBar();
    void createMenus();
    void createStatusBar();
    void createWorkspace();
    void createWindowArea();
    void createSearchPane();
    void startKnowledgeCommands();
    void stopKnowledgeCommands();
    // True, after saying so, while an import or export runs behind its progress dialog.
    bool transferRunning();
    void filesDropped(const std::vector<std::filesystem::path>& files, long long category);
    void quickFindTag(store::TagRecord& tag);
    void exportTagWithProgress(store::TagRecord& tag);
    void searchPaneChange(const store::ChangeNotification& notification);
    void handleMessage(const FrameEvent& message);
    void trayCallback(long long mouseEvent);
    void openBase();
    bool convertOlderBase();
    void endProgram(int exitCode);
    void reloadSource(long long source);
    void fillPane(long long pane);
    void warnDamagedIndex();
    void startUpdate();
    void startVersionCheck();
    void stopVersionCheck();
    void showNewVersion(long long version);
    void recordFetchedIndexes();
    void loadTips();
    void showNextTip();
    void showOptions();
    void toggleFloatWindow();
    void updateTitle();
    void showSkin();
    void refreshWindowLabels(const store::ChangeNotification& notification);
    void deliver(const store::ChangeNotification& notification);
    void closeGoneWindows();
    void removeWindow(FrameWindow* window);
    void leaveReadingMode();
    // What every reading area the frame places is equipped with.
    ReadingAreaTools readingAreaTools();
    bool offerUnsavedWork(FrameWindow* window, const char* newPointQuestion);
    void openTreeItem(const QModelIndex& index);
    void rebuildWindowMenu();
    int iconFor(std::string_view extension);
    QIcon typeIcon(int icon) const;
    bool isCategoryWindowOpen(const ObjectIdentity& identity) const;
    FrameWindow* findWindow(const ObjectIdentity& identity) const;

    app::Settings& m_settings;
    QIcon m_icon;
    Services m_services;
    FrameMailboxPtr m_mailbox;
    MessageBoxPrompt m_messageBoxes;
    app::Prompt* m_activePrompt;
    ResourceFileSystem m_skinFiles;
    MainImageList m_imageList;
    SkinPictureTable m_pictures;
    skin::SkinColours m_skinColours;
    ChangeDispatcher m_dispatcher;

    std::unique_ptr<store::KnowledgeStore> m_base;
    std::unique_ptr<ops::OperationContext> m_context;
    std::unique_ptr<CategoryCommands> m_commands;
    std::unique_ptr<TagCommands> m_tagCommands;
    std::unique_ptr<PointListCommands> m_pointCommands;
    std::unique_ptr<WebWindows> m_webWindows;
    std::unique_ptr<DialogFileChooser> m_dialogChooser;
    FileChooser* m_fileChooser = nullptr;
    std::unique_ptr<KnowledgeTransfer> m_transfer;
    std::unique_ptr<SearchController> m_searches;
    CSearchPane* m_searchPane = nullptr;

    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QAction* m_floatToggle = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_toolBarCaption = nullptr;
    QMenu* m_windowMenu = nullptr;
    QAction* m_closeWindowAction = nullptr;
    QLabel* m_statusIcon = nullptr;
    QLabel* m_statusPane = nullptr;
    QDockWidget* m_workspace = nullptr;
    QTabWidget* m_panes = nullptr;
    KnowledgeTreeModel* m_treeModel = nullptr;
    KnowledgeTreeView* m_tree = nullptr;
    QTreeWidget* m_windowList = nullptr;
    QTreeWidgetItem* m_windowListRoot = nullptr;
    QSplitter* m_windowArea = nullptr;
    QTabBar* m_windowTabs = nullptr;
    QStackedWidget* m_upper = nullptr;
    QStackedWidget* m_lower = nullptr;
    QWidget* m_workArea = nullptr;
    QProxyStyle* m_tooltipStyle = nullptr;
    QPointer<FloatWindow> m_float;

    std::unique_ptr<CReadingBackground> m_readingBackground;
    QList<int> m_normalPaneSizes;
    bool m_readingMaximised = false;

    // The fill steps of the panes not shown yet.
    std::map<long long, std::function<void()>> m_paneFills;

    std::vector<std::unique_ptr<FrameWindow>> m_windows;
    FrameWindow* m_current = nullptr;
    std::string m_currentWindowName;
    std::vector<update::Tip> m_tips;
    std::size_t m_nextTip = 0;
    QTimer* m_tipTimer = nullptr;
    // The receiver outlives the check that reports to it.
    std::unique_ptr<VersionCheckReceiver> m_versionReceiver;
    std::unique_ptr<update::VersionCheck> m_versionCheck;
    QPointer<NotificationWindow> m_notification;
    bool m_exiting = false;
    int m_exitCode = 0;
    std::vector<QIcon> m_typeIcons;
};

} // namespace tarnel::ui
