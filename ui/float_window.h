#pragma once

#include "ui/frame_message.h"

#include <QIcon>
#include <QPoint>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <vector>

namespace tarnel::ui {

// The floating window (`floatWindow`): a small, half transparent, frameless tool window that
// stays on top and shows the program icon at 32 x 32 (the window is as large as its icon). A
// left drag moves it; a double-click shows the main window when it is minimised or hidden and
// hides it otherwise; a right click opens the tray menu.
class FloatWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSize = 32;
    static constexpr double kOpacity = 128.0 / 255.0;
    static constexpr const char* kTip = "你可以拖动文档、网页图片到此浮动窗口!";

    // mainShown tells whether the main window is shown and not minimised.
    FloatWindow(const QIcon& icon, FrameMailboxPtr mailbox, std::function<bool()> mainShown);

    // Screen width − 200, 150 from the top of the primary screen.
    static QPoint homePosition();

    // What a drop on the window hands over: its local files, none when it held anything else
    // (a web link, text). Called after the drop event has returned, so that it may ask.
    using DropHandler = std::function<void(const std::vector<std::filesystem::path>& files)>;
    // No handler: drops are not taken.
    void setDropHandler(DropHandler handler);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QIcon m_icon;
    FrameMailboxPtr m_mailbox;
    std::function<bool()> m_mainShown;
    QPoint m_grab;
    DropHandler m_dropHandler;
};

} // namespace tarnel::ui
