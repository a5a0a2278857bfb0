#pragma once

#include "app/toolbar_config.h"
#include "lustra/image_mgr.h"
#include "lustra/tool_pane_ext.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace tarnel::ui {

// The view hint that makes every reading area rebuild its toolbar from the configured list.
inline constexpr int kRebuildToolbarsHint = 2032;

// A display that cannot be saved from has no save and cancel tools.
enum class ReadingDisplay { Editable, ReadOnly };

// The edge of the reading area the toolbar sits on.
enum class ToolbarEdge { Top, Bottom, Left, Right };

// Where a popup of a tool opens, in the coordinates of tool: on the far side of the toolbar from
// its edge (below the tool for a toolbar on top, above it at the bottom, right of it for a
// toolbar on the left, left of it on the right).
QPoint popupPosition(ToolbarEdge edge, QRect tool, QSize popup);

// The reading area's toolbar: a tool pane built from the configured list. Hidden entries are
// left out first, then a separator that would come first or right after another one, and the save
// and cancel tools of a read-only display; a kind the table does not know is not shown. Pictures
// are the skin's images by id (normal, disabled for state 3). A click on a tool is reported as
// its kind; what the tool does is the reading area's. The list must outlive the toolbar.
// User-interface thread only.
class CReadingToolbar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeight = 28;
    static constexpr int kPressedState = 2;
    static constexpr int kDisabledState = 3;

    CReadingToolbar(const std::vector<app::ConfiguredTool>& tools, ReadingDisplay display,
                    bool wordWrap, LUSTRA::CImageMgr& images = *LUSTRA::CImageMgr::GetInstance(),
                    QWidget* parent = nullptr);
    ~CReadingToolbar() override;

    // Builds the items again from the list, keeping the states below.
    void rebuild();
    // Hint 2032: every toolbar there is rebuilds.
    static void rebuildAll();
    // The main window's reading mode is one for all of them: every tool 16 follows it.
    static void setMaximisedReadingEverywhere(bool maximised);

    // What the reading area shows now; the toolbar is built again when that changes.
    void setDisplay(ReadingDisplay display);
    ReadingDisplay display() const { return m_display; }

    // Save and cancel are disabled until the content changes, and again after save or cancel.
    void setContentModified(bool modified);
    // The word-wrap tool is pressed while the editor wraps.
    void setWordWrap(bool wrap);
    bool wordWrap() const { return m_wordWrap; }
    // Tool 16 offers to restore the normal mode while the reading area is maximised.
    void setMaximisedReading(bool maximised);
    bool maximisedReading() const { return m_maximised; }
    // Tool 21 stays pressed while the format brush holds a format.
    void setFormatBrushHeld(bool held);
    void setEdge(ToolbarEdge edge) { m_edge = edge; }
    ToolbarEdge edge() const { return m_edge; }

    // The global top-left corner of a popup of that size for the first item of the kind; the
    // toolbar's own corner when the kind is not shown.
    QPoint popupPositionFor(int kind, QSize popup);

    // The items shown, in toolbar order.
    std::vector<LUSTRA::ST_TOOLBAR_ITEM*> items();
    LUSTRA::CToolPaneExt& pane() { return m_pane; }
    QSize sizeHint() const override;

signals:
    void toolChosen(int kind);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void clearItems();
    void addTool(const app::ConfiguredTool& tool);
    void addSeparator();
    void showTool(int kind);
    int stateFor(int kind) const;

    const std::vector<app::ConfiguredTool>& m_tools;
    ReadingDisplay m_display;
    LUSTRA::CImageMgr& m_images;
    LUSTRA::CToolPaneExt m_pane;
    std::vector<int> m_shownKinds;
    bool m_modified = false;
    bool m_wordWrap;
    bool m_maximised = false;
    bool m_brushHeld = false;
    ToolbarEdge m_edge = ToolbarEdge::Top;
};

} // namespace tarnel::ui
