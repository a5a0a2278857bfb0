#pragma once

#include "lustra/image_info.h"

namespace LUSTRA {

// One item of a tree list. The caller fills one and passes it to AddItem; the list keeps its own
// copy at a stable address and returns pointers to it.
struct ST_LISTBOX_ITEM {
    long nItemID = 0;                    // the caller's key of every "ByItemID" call
    unsigned long dwData = 0;            // the caller's value, not interpreted
    ST_IMG_INFO* pImgExpand = nullptr;   // icon while expanded (its whole picture is drawn)
    ST_IMG_INFO* pImgCollapse = nullptr; // icon while collapsed
    ST_LISTBOX_ITEM* pParent = nullptr;  // the list's copy of the parent, null at the top
    bool bHasChild = false;              // set by the list
    bool bCanHaveChild = false;
    bool bHasNext = false; // a later sibling exists; set by the list
    bool bVisible = false; // the item is a row; set by the list
    bool bExpanded = false;
    bool bCheckable = false;
    bool bChecked = false;
    int nChildCount = 0;     // set by the list
    int nIndent = 0;         // parent's indent + 16; set by the list
    char* pszText = nullptr; // the list's own UTF-8 copy
    unsigned long dwReserved = 0;
    int nSortKey = 0; // first key among sorted siblings
};

} // namespace LUSTRA
