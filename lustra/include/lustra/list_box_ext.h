#pragma once

#include "lustra/list_box_item.h"
#include "lustra/lustra_export.h"

#include <QListWidget>
#include <list>
#include <string>

class QImage;
class QPainter;

namespace LUSTRA {

class CComboBoxExt;
class ListRowAccessible;

// A small tree shown as a list: the rows are the visible items in tree pre-order, drawn with
// check boxes, expand buttons, icons and dotted tree lines. Requests (LBEN_*) go to the notify
// object, by default the parent. The rows are accessible tree items whose toggle, expand and
// collapse actions click for the reader.
class LUSTRA_API CListBoxExt : public QListWidget {
    Q_OBJECT

public:
    using ItemList = std::list<ST_LISTBOX_ITEM>;
    using CompareFunc = int (*)(CListBoxExt* list, ST_LISTBOX_ITEM* newItem,
                                ST_LISTBOX_ITEM* existing);

    explicit CListBoxExt(QWidget* parent = nullptr);
    ~CListBoxExt() override;

    // Stores a copy of the item and its text under item.pParent (which must be one of this
    // list's items that can have children). The row index, or -1 when the item is not visible
    // or was refused.
    int AddItem(ST_LISTBOX_ITEM& item, const char* text);
    // Stores a copy of the item at its place among its siblings: the row, or -1 when hidden.
    int InsertItemIntoList(ST_LISTBOX_ITEM* item, const char* text);
    // Stores a shown copy before the item of visible row `row` (at the front for a negative
    // row, at the end when the row does not exist); the row it got.
    int InsertItem(int row, ST_LISTBOX_ITEM& item, const char* text);

    ST_LISTBOX_ITEM* GetItemByIndex(int row);
    ST_LISTBOX_ITEM* GetItemByItemID(long id);
    // The visible row; -1 for a hidden or unknown item.
    int GetIndexByItemID(long id);
    int GetIndexByItem(ST_LISTBOX_ITEM* item);
    ItemList::iterator GetItorByIndex(int row);
    ItemList::iterator GetItorByItem(ST_LISTBOX_ITEM* item);
    ItemList::iterator GetItorByItemID(long id);
    ItemList::iterator ItemsEnd() { return m_items.end(); }
    int GetItemCount() const { return m_nItemCount; }

    // The number of rows shown or hidden.
    int ExpandItem(int row);
    int CollapseItem(int row);
    void ExpandAllItem();
    // Expands the item's ancestors from the top down: its row, or -1.
    int SetItemVisable(ST_LISTBOX_ITEM* item);

    void UpdateItemText(long id, const char* text);
    // Removes the item with its subtree: the former row, or -1.
    int DeleteItemByItemID(long id);
    void InvalidateIndex(int row);
    void InvalidateItem(ST_LISTBOX_ITEM* item);
    // Frees every item; rows of items go with them.
    void ReleaseItem();
    void SetItemCheck(int row, bool checked);
    void SetItemCheck(ST_LISTBOX_ITEM* item, bool checked);

    // The hit test of a left click at a viewport point: ticks a check box or expands or
    // collapses; the row hit, or -1.
    int ClickList(QPoint point);

    // Plain rows without an item, placed in text order while sorted and the tree is empty.
    int AddString(const char* text);
    int InsertString(int row, const char* text);
    int DeleteString(int row);

    // Draws row `row` into rect; state 0 normal, 1 selected, 2 selected current row with focus.
    virtual void DrawItem(QPainter* painter, const QRect& rect, int row, int state);
    virtual int MeasureItem() const { return m_nItemHeight; }
    // Byte order of the texts in GB18030 (Chinese names in code-page order), negated while
    // descending.
    int CompareItem(const char* first, const char* second) const;

    void SetShowTreeLine(bool show);
    void SetAppendOrder(bool appendOrAscending) { m_bAppendOrAscending = appendOrAscending; }
    void SetShowButton(bool show);
    void SetShowCheckBox(bool show);
    void SetShowIcon(bool show);
    void SetSortedInsert(bool sorted) { m_bSortedInsert = sorted; }
    void SetNoWindowStrings(bool noStrings) { m_bNoWindowStrings = noStrings; }
    void SetSimpleComboList(bool simple) { m_bSimpleComboList = simple; }
    void SetCompareFunc(CompareFunc compare) { m_pfnCompare = compare; }
    void SetNotifyWnd(QObject* notify) { m_pNotifyWnd = notify; }
    void SetTextColor(int state, int color);
    void SetBkColor(int state, int color);
    void SetFrameColor(int state, int color);
    bool IsShowCheckBox() const { return m_bShowCheckBox; }
    bool IsShowIcon() const { return m_bShowIcon; }
    int GetLeftMargin() const { return m_nLeftMargin; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class CComboBoxExt;
    friend class ListRowAccessible;
    struct Placed {
        ItemList::iterator at;
        int row;
    };

    Placed addItem(const ST_LISTBOX_ITEM& item, const char* text);
    Placed place(ST_LISTBOX_ITEM copy);
    int compareSiblings(const ST_LISTBOX_ITEM& newItem, const ST_LISTBOX_ITEM& existing);
    bool owns(const ST_LISTBOX_ITEM* item) const;
    void adopt(ST_LISTBOX_ITEM& child);
    void insertRow(int row, ST_LISTBOX_ITEM* item);
    void removeRows(int row, int count);
    ST_LISTBOX_ITEM* rowItem(int row) const;
    bool notify(int message, int row);
    // What a click on the row's check box or expand button does.
    void toggleCheck(int row, ST_LISTBOX_ITEM* item);
    void clickButton(int row, ST_LISTBOX_ITEM* item);
    bool hitsControl(QPoint point);
    void releaseAt(QPoint point);
    void resizeBy(int rows);
    int checkColumn() const { return m_bShowCheckBox ? m_nIndent : 0; }
    int buttonLeft(const ST_LISTBOX_ITEM& item) const;
    void drawTreeLines(QPainter* painter, const QRect& rect, const ST_LISTBOX_ITEM& item);
    void freeItems(ItemList::iterator from, ItemList::iterator to);

    ItemList m_items;
    int m_nItemCount = 0;
    bool m_bShowTreeLine = true;
    bool m_bAppendOrAscending = true;
    bool m_bShowButton = true;
    bool m_bShowCheckBox = false;
    bool m_bShowIcon = true;
    bool m_bSortedInsert = false;
    bool m_bNoWindowStrings = false;
    bool m_bSimpleComboList = false;
    int m_crText[3] = {0, 0, 0};
    int m_crBk[4] = {16777215, 16777215, 11858120, 16777215};
    int m_crFrame[4] = {-1, -1, -1, -1};
    int m_nLeftMargin = 2;
    int m_nIndent = 16; // indent step, and the size of buttons, check boxes and icons
    int m_nItemHeight = 16;
    int m_nAutoSizeLimit = 80;
    CompareFunc m_pfnCompare = nullptr;
    QObject* m_pNotifyWnd = nullptr;
    bool m_bPressed = false;
    QImage* m_pImgCollapse = nullptr;
    QImage* m_pImgExpand = nullptr;
    QImage* m_pImgUncheck = nullptr;
    QImage* m_pImgCheck = nullptr;
};

} // namespace LUSTRA
