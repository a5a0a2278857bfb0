#include "ui/reading_toolbar.h"

#include "app/reading_tools.h"
#include "ui/skin/skin_keys.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <string>

namespace tarnel::ui {
namespace {

static_assert(app::kReadingToolKinds[app::kToolSave].image == skin::IMG_SAVE);
static_assert(app::kReadingToolKinds[app::kToolAutoSwap].disabledImage == skin::IMG_AUTO_SWAP_DIS);
static_assert(app::kReadingToolKinds[app::kToolDock].image == skin::IMG_ALIGN);
static_assert(app::kReadingToolKinds[app::kToolMaxReadMode].image == skin::IMG_MAX_READ_MODE);
static_assert(app::kRestoreReadModeImage == skin::IMG_NORMAL_READ_MODE);
static_assert(app::kReadingToolKinds[app::kToolParaLeft].image == skin::IMG_PARA_LEFT);
static_assert(app::kReadingToolKinds[app::kToolFormatBrush].image == skin::IMG_BRUSH);
static_assert(app::kReadingToolKinds[app::kToolFind].image == skin::IMG_SEARCH);
static_assert(app::kReadingToolKinds[app::kToolFindPrevious].disabledImage ==
              skin::IMG_SEARCH_PREV_DIS);
static_assert(app::kReadingToolKinds[app::kToolFontBackground].image == skin::IMG_BG_COLOR);

constexpr int kSeparatorWidth = 8;
constexpr int kTopMargin = 2;
constexpr int kPadding = 3;
constexpr int kGap = 1;
constexpr int kFrameGrey = 11053224;   // RGB 168,168,168
constexpr int kPressedFill = 14737632; // RGB 224,224,224

std::vector<CReadingToolbar*>& liveToolbars() {
    static std::vector<CReadingToolbar*> toolbars;
    return toolbars;
}

bool isSaveOrCancel(int kind) {
    return kind == app::kToolSave || kind == app::kToolCancel;
}

} // namespace

QPoint popupPosition(ToolbarEdge edge, QRect tool, QSize popup) {
    switch (edge) {
    case ToolbarEdge::Bottom:
        return {tool.left(), tool.top() - popup.height()};
    case ToolbarEdge::Left:
        return {tool.right() + 1, tool.top()};
    case ToolbarEdge::Right:
        return {tool.left() - popup.width(), tool.top()};
    case ToolbarEdge::Top:
        break;
    }
    return {tool.left(), tool.bottom() + 1};
}

CReadingToolbar::CReadingToolbar(const std::vector<app::ConfiguredTool>& tools,
                                 ReadingDisplay display, bool wordWrap, LUSTRA::CImageMgr& images,
                                 QWidget* parent)
    : QWidget(parent), m_tools(tools), m_display(display), m_images(images), m_pane(this),
      m_wordWrap(wordWrap) {
    setObjectName("readingToolbar");
    setAccessibleName("阅读区工具栏");
    m_pane.SetFrameColor(1, kFrameGrey);
    m_pane.SetFrameColor(kPressedState, kFrameGrey);
    m_pane.SetBkColor(kPressedState, kPressedFill);
    connect(&m_pane, &LUSTRA::CToolPaneExt::ToolbarItemClicked, this,
            [this](LUSTRA::ST_TOOLBAR_ITEM* item) { emit toolChosen(item->nID); });
    liveToolbars().push_back(this);
    rebuild();
}

CReadingToolbar::~CReadingToolbar() {
    std::erase(liveToolbars(), this);
}

void CReadingToolbar::rebuildAll() {
    for (CReadingToolbar* toolbar : liveToolbars()) {
        toolbar->rebuild();
    }
}

void CReadingToolbar::setMaximisedReadingEverywhere(bool maximised) {
    for (CReadingToolbar* toolbar : liveToolbars()) {
        toolbar->setMaximisedReading(maximised);
    }
}

void CReadingToolbar::setDisplay(ReadingDisplay display) {
    if (display == m_display) {
        return;
    }
    m_display = display;
    rebuild();
}

// The separator rules count what was added, so that hidden entries and left-out tools between
// two separators never leave a doubled one.
void CReadingToolbar::rebuild() {
    clearItems();
    for (const app::ConfiguredTool& tool : m_tools) {
        if (!tool.isVisible()) {
            continue;
        }
        if (tool.isSeparator()) {
            if (!m_shownKinds.empty() && m_shownKinds.back() != app::kToolSeparator) {
                addSeparator();
            }
            continue;
        }
        if (m_display == ReadingDisplay::ReadOnly && isSaveOrCancel(tool.kind)) {
            continue;
        }
        if (app::findReadingToolKind(tool.kind)) {
            addTool(tool);
        }
    }
    update();
}

void CReadingToolbar::clearItems() {
    std::vector<int> kinds = m_shownKinds;
    std::sort(kinds.begin(), kinds.end());
    kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
    for (int kind : kinds) {
        m_pane.RemoveToolbarItem(kind, -1);
    }
    m_shownKinds.clear();
}

void CReadingToolbar::addSeparator() {
    LUSTRA::ST_TOOLBAR_ITEM item;
    item.nID = app::kToolSeparator;
    item.nWidth = kSeparatorWidth;
    item.nHeight = -1;
    item.nTopMargin = kTopMargin;
    item.bEnabled = true;
    item.bLeftGroup = true;
    m_pane.AddToolbarItem(item);
    m_shownKinds.push_back(app::kToolSeparator);
}

void CReadingToolbar::addTool(const app::ConfiguredTool& tool) {
    LUSTRA::ST_TOOLBAR_ITEM item;
    item.nID = tool.kind;
    item.nWidth = -1;
    item.nHeight = -1;
    item.nGapBefore = kGap;
    item.nGapAfter = kGap;
    item.nTopMargin = kTopMargin;
    item.nPadding = kPadding;
    item.bEnabled = true;
    item.bLeftGroup = true;
    item.bShowText = tool.option == app::kOptionShowLabel;
    m_pane.AddToolbarItem(item);
    m_shownKinds.push_back(tool.kind);
    showTool(tool.kind);
}

int CReadingToolbar::stateFor(int kind) const {
    if (isSaveOrCancel(kind) && !m_modified) {
        return kDisabledState;
    }
    if ((kind == app::kToolAutoSwap && m_wordWrap) ||
        (kind == app::kToolFormatBrush && m_brushHeld)) {
        return kPressedState;
    }
    return 0;
}

// Name, pictures and state of every item of the kind, from the table and the toolbar's state.
void CReadingToolbar::showTool(int kind) {
    const app::ReadingToolKind* entry = app::findReadingToolKind(kind);
    if (!entry) {
        return;
    }
    std::string name(entry->name);
    int image = entry->image;
    int disabledImage = entry->disabledImage;
    if (kind == app::kToolMaxReadMode && m_maximised) {
        name = app::kRestoreReadModeName;
        image = disabledImage = app::kRestoreReadModeImage;
    }
    LUSTRA::ST_IMG_INFO* normal = m_images.GetImgByItemID(image);
    LUSTRA::ST_IMG_INFO* disabled = m_images.GetImgByItemID(disabledImage);
    for (int n = 0; LUSTRA::ST_TOOLBAR_ITEM* item = m_pane.FindToolbarItem(kind, n); ++n) {
        LUSTRA::SetToolbarItemText(*item, name.c_str());
        item->pImg[0] = item->pImg[1] = item->pImg[kPressedState] = normal;
        item->pImg[kDisabledState] = disabled;
        item->nImgWidth = normal ? normal->nWidth : 0;
        item->nImgHeight = normal ? normal->nHeight : 0;
        item->nState = stateFor(kind);
    }
    m_pane.ResizeToolbar(rect());
    m_pane.Invalidate();
}

void CReadingToolbar::setContentModified(bool modified) {
    m_modified = modified;
    showTool(app::kToolSave);
    showTool(app::kToolCancel);
}

void CReadingToolbar::setWordWrap(bool wrap) {
    m_wordWrap = wrap;
    showTool(app::kToolAutoSwap);
}

void CReadingToolbar::setMaximisedReading(bool maximised) {
    m_maximised = maximised;
    showTool(app::kToolMaxReadMode);
}

void CReadingToolbar::setFormatBrushHeld(bool held) {
    m_brushHeld = held;
    showTool(app::kToolFormatBrush);
}

QPoint CReadingToolbar::popupPositionFor(int kind, QSize popup) {
    const LUSTRA::ST_TOOLBAR_ITEM* item = m_pane.FindToolbarItem(kind, 0);
    const QRect tool = item ? item->rcItem : QRect(QPoint(), QSize(0, 0));
    const QPoint local = popupPosition(m_edge, tool, popup);
    return mapToGlobal(local);
}

std::vector<LUSTRA::ST_TOOLBAR_ITEM*> CReadingToolbar::items() {
    std::vector<LUSTRA::ST_TOOLBAR_ITEM*> shown;
    for (std::size_t i = 0; i < m_shownKinds.size(); ++i) {
        const int kind = m_shownKinds[i];
        const auto before = std::count(m_shownKinds.begin(), m_shownKinds.begin() + i, kind);
        shown.push_back(m_pane.FindToolbarItem(kind, static_cast<int>(before)));
    }
    return shown;
}

QSize CReadingToolbar::sizeHint() const {
    return {200, kHeight};
}

void CReadingToolbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_pane.OnEraseBkgnd(&painter);
}

void CReadingToolbar::mouseMoveEvent(QMouseEvent* event) {
    m_pane.OnSetCursor(event->position().toPoint());
}

void CReadingToolbar::mousePressEvent(QMouseEvent* event) {
    m_pane.OnLButtonDown(event->position().toPoint());
}

void CReadingToolbar::mouseReleaseEvent(QMouseEvent* event) {
    m_pane.OnLButtonUp(event->position().toPoint());
}

void CReadingToolbar::leaveEvent(QEvent*) {
    m_pane.OnMouseLeave();
}

void CReadingToolbar::resizeEvent(QResizeEvent*) {
    m_pane.ResizeToolbar(rect());
}

} // namespace tarnel::ui
