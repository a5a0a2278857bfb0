#pragma once

#include <QEvent>
#include <QObject>
#include <memory>
#include <mutex>

namespace tarnel::ui {

// The main window's private messages, with the numbers the other programs and parts know.
enum class FrameMessage : int {
    NewVersion = 1525,     // wParam: the newer version the site offers; shows the notification
    IndexesFetched = 1526, // the version check fetched the banner or the tips (this program's own)
    ShowMain = 1888,       // show and restore the main window
    TrayCallback = 1889,   // the tray icon's callback (wParam 101, lParam the mouse event)
    HideMain = 1891,
    Change = 2029,           // change notifications are waiting to be delivered
    ReloadFavourites = 2037, // the favourites folder changed: refill the favourites pane
    VersionCheckDone = 2038, // load the tips file
    StartUpdate = 2040,      // start the update program
    ReloadSource = 2041,     // wParam: the data source
    ExitForUpdate = 2042,
    FillPane = 2043, // wParam: the workspace pane, filled on its first showing
    OpenBase = 2524, // open the knowledge base, posted once at the end of start-up
};

// The workspace panes, numbered in their tab order (message 2043 carries the number). A pane
// that is not part of the program has no tab.
enum class WorkspacePane : int {
    Categories = 0,
    LatestNews = 1,
    Favorites = 2,
    Windows = 3,
    Search = 4,
    Management = 5,
};

inline constexpr int kTrayIconId = 101;
// The mouse events a tray callback carries in lParam.
inline constexpr long long kTrayLeftDoubleClick = 0x0203;
inline constexpr long long kTrayRightButtonUp = 0x0205;

// One posted message with its two parameters.
class FrameEvent : public QEvent {
public:
    static QEvent::Type eventType();

    FrameEvent(FrameMessage message, long long wParam, long long lParam)
        : QEvent(eventType()), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

    FrameMessage message() const { return m_message; }
    long long wParam() const { return m_wParam; }
    long long lParam() const { return m_lParam; }

private:
    FrameMessage m_message;
    long long m_wParam;
    long long m_lParam;
};

// Where messages to the main window are posted. Any thread may post, before and after the
// window is gone: once the window closed the mailbox, late messages are dropped. Shared by the
// window and every poster.
class FrameMailbox {
public:
    explicit FrameMailbox(QObject* receiver) : m_receiver(receiver) {}

    // True when the message was queued.
    bool post(FrameMessage message, long long wParam = 0, long long lParam = 0);
    // Called by the window before it goes; every later post is dropped.
    void close();

private:
    std::mutex m_mutex;
    QObject* m_receiver;
};

using FrameMailboxPtr = std::shared_ptr<FrameMailbox>;

} // namespace tarnel::ui
