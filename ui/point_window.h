#pragma once

#include "ui/frame_window.h"
#include "ui/reading_area.h"

#include <QObject>
#include <QPointer>

namespace tarnel::ui {

// A knowledge-point window: one point's content in a reading area, in a tab of its own. The main
// window owns it and its pane. User-interface thread only.
class CPointWindow : public QObject, public FrameWindow {
    Q_OBJECT

public:
    // The area has read the point already.
    explicit CPointWindow(CReadingArea* area) : m_area(area) {}
    ~CPointWindow() override { delete m_area.data(); }

    WindowKind kind() const override { return WindowKind::Point; }
    std::string name() const override { return m_area->pointName(); }
    QWidget* lowerPane() override { return m_area; }
    bool hasUnsavedContent() const override { return m_area->isModified(); }
    bool runSavePrompt() override { return m_area->runSavePrompt(); }
    bool isNamedBy(const store::ChangeNotification& notification) const override {
        return m_area->followsPoint(notification);
    }
    void applyChange(const store::ChangeNotification& notification) override {
        m_area->applyChange(notification);
    }
    // A deleted or recycled point's window closes; its edits have nowhere to go.
    bool objectGone() const override { return m_area->pointGone(); }

    long long pointId() const { return m_area->pointId(); }
    CReadingArea* readingArea() const { return m_area; }

private:
    // The pane lives in the main window's window area while the window is open; it goes with it.
    QPointer<CReadingArea> m_area;
};

} // namespace tarnel::ui
