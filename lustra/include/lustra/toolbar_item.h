#pragma once

#include "lustra/image_info.h"
#include "lustra/lustra_export.h"

#include <QRect>

class QPainter;
class QWidget;

namespace LUSTRA {

// 0 and 1 leave the items where the owner put them (rectangles and bInPane) and always show
// tooltips; 2 and 3 lay them out in one row.
using TOOLBAR_ALIGN = int;
// Of items with their own height: 0 top, 1 centred, 2 bottom.
using VERTICAL_ALIGN = int;

// One tool of a pane; the caller fills one (zeros are a valid start) and AddToolbarItem stores a
// copy. Rectangles are in host coordinates; right and bottom are x + width and y + height.
struct ST_TOOLBAR_ITEM {
    int nID = 0;     // reported on click; -1 makes a separator
    int nState = 0;  // 0 normal, 1 hot (set by the pane), 2 and 3 by the owner; 3: no click
    int nWidth = 0;  // -1: from the picture, label and embedded window
    int nHeight = 0; // -1: the pane's height less the top margin at both ends
    int nImgWidth = 0;
    int nImgHeight = 0;
    int nWndWidth = 0;  // -1: up to the room the right group leaves
    int nWndHeight = 0; // -1: the item's height
    int nGapBefore = 0;
    int nGapAfter = 0;
    int nTopMargin = 0;
    int nPadding = 0;
    QWidget* pWnd = nullptr;   // an embedded control moved by the layout, not owned
    ST_IMG_INFO* pImg[4] = {}; // per state, three-part drawn
    ST_IMG_INFO* pBkImg[4] = {};
    char szText[32] = {}; // UTF-8 label and tooltip, at most 19 GB18030 bytes
    QRect rcImage;
    QRect rcText;
    QRect rcItem;
    bool bEnabled = false; // drawn and hit
    bool bShowText = false;
    bool bLeftGroup = false; // false: laid out from the right edge
    bool bTextShown = false; // set by the layout: the whole label is visible (no tooltip)
    bool bInPane = false;    // set by the layout: the item fits; else neither drawn nor hit
    void (*pfnDraw)(QPainter* painter, ST_TOOLBAR_ITEM* item) = nullptr;
    void (*pfnDrawBk)(QPainter* painter, ST_TOOLBAR_ITEM* item) = nullptr;
};

// Stores text as the item's label, cut at a character boundary to 19 GB18030 bytes.
LUSTRA_API void SetToolbarItemText(ST_TOOLBAR_ITEM& item, const char* text);

} // namespace LUSTRA
