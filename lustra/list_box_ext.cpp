#include "lustra/list_box_ext.h"

#include "accessible_factory.h"
#include "color_ref.h"
#include "list_box_accessible.h"
#include "lustra/image_drawing.h"
#include "lustra/image_loader.h"
#include "lustra/list_box_notify_event.h"
#include "lustra/string_copy.h"

#include <QApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringEncoder>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cstring>
#include <vector>

namespace LUSTRA {
namespace {

constexpr int kItemRole = Qt::UserRole;
constexpr QRgb kTreeLineColor = 0xff919191; // grey 145

class ListBoxDelegate : public QStyledItemDelegate {
public:
    explicit ListBoxDelegate(CListBoxExt* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        int state = 0;
        if (option.state & QStyle::State_Selected) {
            state = index == m_list->currentIndex() && m_list->hasFocus() ? 2 : 1;
        }
        m_list->DrawItem(painter, option.rect, index.row(), state);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), m_list->MeasureItem());
    }

private:
    CListBoxExt* m_list;
};

QByteArray gb18030(const char* text) {
    QStringEncoder encoder("GB18030");
    return encoder.encode(QString::fromUtf8(text));
}

// Byte order in GB18030. Where the UTF-8 texts first differ in two ASCII bytes (or one ends),
// the common part is whole characters and the order is the same as in GB18030.
int gb18030Order(const char* first, const char* second) {
    std::size_t at = 0;
    while (first[at] != 0 && first[at] == second[at]) {
        ++at;
    }
    const auto a = static_cast<unsigned char>(first[at]);
    const auto b = static_cast<unsigned char>(second[at]);
    if (a < 0x80 && b < 0x80) {
        return int(a) - int(b);
    }
    const QByteArray x = gb18030(first);
    const QByteArray y = gb18030(second);
    const int common = int(std::min(x.size(), y.size()));
    const int bytes = std::memcmp(x.constData(), y.constData(), std::size_t(common));
    return bytes != 0 ? bytes : int(x.size() - y.size());
}

void dottedHorizontal(QPainter* painter, int y, int fromX, int toX) {
    for (int x = fromX; x <= toX; ++x) {
        if ((x + y) % 2 == 0) {
            painter->drawPoint(x, y);
        }
    }
}

void dottedVertical(QPainter* painter, int x, int fromY, int toY) {
    for (int y = fromY; y <= toY; ++y) {
        if ((x + y) % 2 == 0) {
            painter->drawPoint(x, y);
        }
    }
}

bool holds(const QLayout& layout, const QWidget* widget) {
    for (int i = 0; i < layout.count(); ++i) {
        QLayoutItem* item = layout.itemAt(i);
        if (item->widget() == widget || (item->layout() && holds(*item->layout(), widget))) {
            return true;
        }
    }
    return false;
}

bool laidOut(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    return parent && parent->layout() && holds(*parent->layout(), widget);
}

QAccessible::State expansionChange() {
    QAccessible::State changed;
    changed.expanded = true;
    changed.collapsed = true;
    return changed;
}

QAccessible::State checkChange() {
    QAccessible::State changed;
    changed.checked = true;
    return changed;
}

} // namespace

CListBoxExt::CListBoxExt(QWidget* parent)
    : QListWidget(parent), m_pImgCollapse(LoadImageFromRes(1005, "PNG")),
      m_pImgExpand(LoadImageFromRes(1006, "PNG")), m_pImgUncheck(LoadImageFromRes(1007, "PNG")),
      m_pImgCheck(LoadImageFromRes(1008, "PNG")) {
    InstallAccessibleFactory();
    setItemDelegate(new ListBoxDelegate(this));
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

CListBoxExt::~CListBoxExt() {
    freeItems(m_items.begin(), m_items.end());
    delete m_pImgCollapse;
    delete m_pImgExpand;
    delete m_pImgUncheck;
    delete m_pImgCheck;
}

int CListBoxExt::AddItem(ST_LISTBOX_ITEM& item, const char* text) {
    const Placed placed = addItem(item, text);
    if (placed.row >= 0 && !m_bNoWindowStrings) {
        insertRow(placed.row, &*placed.at);
    }
    return placed.row;
}

CListBoxExt::Placed CListBoxExt::addItem(const ST_LISTBOX_ITEM& item, const char* text) {
    ST_LISTBOX_ITEM* parent = item.pParent;
    if (parent && (!owns(parent) || !parent->bCanHaveChild)) {
        return {m_items.end(), -1};
    }
    ST_LISTBOX_ITEM copy = item;
    copy.pszText = MallocString(text ? text : "");
    copy.bHasChild = false;
    copy.nChildCount = 0;
    adopt(copy);
    return place(copy);
}

void CListBoxExt::adopt(ST_LISTBOX_ITEM& child) {
    ST_LISTBOX_ITEM* parent = child.pParent;
    child.nIndent = parent ? parent->nIndent + m_nIndent : 0;
    if (!parent) {
        return;
    }
    parent->bHasChild = true;
    if (++parent->nChildCount == 1) {
        InvalidateItem(parent);
    }
}

int CListBoxExt::InsertItemIntoList(ST_LISTBOX_ITEM* item, const char* text) {
    if (!item) {
        return -1;
    }
    ST_LISTBOX_ITEM copy = *item;
    copy.pszText = MallocString(text ? text : "");
    return place(copy).row;
}

CListBoxExt::Placed CListBoxExt::place(ST_LISTBOX_ITEM copy) {
    const ST_LISTBOX_ITEM* parent = copy.pParent;
    copy.bVisible = !parent || (parent->bVisible && parent->bExpanded);
    copy.bHasNext = false;
    int row = 0;
    bool parentPassed = parent == nullptr;
    auto lastSibling = m_items.end();
    auto at = m_items.begin();
    for (; at != m_items.end(); ++at) {
        if (!parentPassed) {
            parentPassed = &*at == parent;
        } else {
            if (at->nIndent < copy.nIndent || (!m_bSortedInsert && !m_bAppendOrAscending)) {
                break;
            }
            if (at->nIndent == copy.nIndent) {
                if (m_bSortedInsert) {
                    const int order = compareSiblings(copy, *at);
                    if (m_bAppendOrAscending ? order <= 0 : order >= 0) {
                        break;
                    }
                }
                lastSibling = at;
            }
        }
        if (at->bVisible) {
            ++row;
        }
    }
    copy.bHasNext = at != m_items.end() && at->pParent == parent && at->nIndent == copy.nIndent;
    if (lastSibling != m_items.end()) {
        lastSibling->bHasNext = true;
        InvalidateItem(&*lastSibling);
    }
    const bool visible = copy.bVisible;
    const auto stored = m_items.insert(at, copy);
    ++m_nItemCount;
    return {stored, visible ? row : -1};
}

int CListBoxExt::compareSiblings(const ST_LISTBOX_ITEM& newItem, const ST_LISTBOX_ITEM& existing) {
    if (m_pfnCompare) {
        return m_pfnCompare(this, const_cast<ST_LISTBOX_ITEM*>(&newItem),
                            const_cast<ST_LISTBOX_ITEM*>(&existing));
    }
    if (newItem.nSortKey != existing.nSortKey) {
        return newItem.nSortKey < existing.nSortKey ? -1 : 1;
    }
    return gb18030Order(newItem.pszText, existing.pszText);
}

int CListBoxExt::InsertItem(int row, ST_LISTBOX_ITEM& item, const char* text) {
    if (item.pParent && !owns(item.pParent)) {
        return -1;
    }
    ST_LISTBOX_ITEM copy = item;
    copy.pszText = MallocString(text ? text : "");
    copy.bHasChild = false;
    copy.nChildCount = 0;
    copy.bVisible = true;
    adopt(copy);
    auto at = row < 0 ? m_items.begin() : GetItorByIndex(row);
    const int shownAt = row < 0 ? 0 : at == m_items.end() ? count() : row;
    const auto stored = m_items.insert(at, copy);
    ++m_nItemCount;
    insertRow(shownAt, &*stored);
    return shownAt;
}

bool CListBoxExt::owns(const ST_LISTBOX_ITEM* item) const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [item](const ST_LISTBOX_ITEM& stored) { return &stored == item; });
}

void CListBoxExt::insertRow(int row, ST_LISTBOX_ITEM* item) {
    auto* shown = new QListWidgetItem(QString::fromUtf8(item->pszText));
    shown->setData(kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
    insertItem(row, shown);
}

void CListBoxExt::removeRows(int row, int rows) {
    for (int i = 0; i < rows; ++i) {
        delete takeItem(row);
    }
}

ST_LISTBOX_ITEM* CListBoxExt::rowItem(int row) const {
    const QListWidgetItem* shown = item(row);
    return shown ? reinterpret_cast<ST_LISTBOX_ITEM*>(shown->data(kItemRole).value<quintptr>())
                 : nullptr;
}

ST_LISTBOX_ITEM* CListBoxExt::GetItemByIndex(int row) {
    return rowItem(row);
}

ST_LISTBOX_ITEM* CListBoxExt::GetItemByItemID(long id) {
    const auto found = GetItorByItemID(id);
    return found == m_items.end() ? nullptr : &*found;
}

int CListBoxExt::GetIndexByItemID(long id) {
    const auto found = GetItorByItemID(id);
    return found == m_items.end() ? -1 : GetIndexByItem(&*found);
}

int CListBoxExt::GetIndexByItem(ST_LISTBOX_ITEM* item) {
    if (!item || !item->bVisible) {
        return -1;
    }
    int row = 0;
    for (ST_LISTBOX_ITEM& stored : m_items) {
        if (&stored == item) {
            return row;
        }
        if (stored.bVisible) {
            ++row;
        }
    }
    return -1;
}

CListBoxExt::ItemList::iterator CListBoxExt::GetItorByIndex(int row) {
    return GetItorByItem(rowItem(row));
}

CListBoxExt::ItemList::iterator CListBoxExt::GetItorByItem(ST_LISTBOX_ITEM* item) {
    return std::find_if(m_items.begin(), m_items.end(),
                        [item](const ST_LISTBOX_ITEM& stored) { return &stored == item; });
}

CListBoxExt::ItemList::iterator CListBoxExt::GetItorByItemID(long id) {
    return std::find_if(m_items.begin(), m_items.end(),
                        [id](const ST_LISTBOX_ITEM& stored) { return stored.nItemID == id; });
}

int CListBoxExt::ExpandItem(int row) {
    const auto at = GetItorByIndex(row);
    if (at == m_items.end() || !at->bHasChild || at->bExpanded) {
        return 0;
    }
    setUpdatesEnabled(false);
    at->bExpanded = true;
    InvalidateIndex(row);
    int shown = 0;
    for (auto next = std::next(at); next != m_items.end() && next->nIndent > at->nIndent; ++next) {
        const bool child = next->nIndent == at->nIndent + m_nIndent;
        if (child || (next->pParent->bExpanded && next->pParent->bVisible)) {
            next->bVisible = true;
            insertRow(row + 1 + shown, &*next);
            ++shown;
        }
    }
    setUpdatesEnabled(true);
    if (!m_bSimpleComboList) {
        resizeBy(shown);
    }
    notifyRowStateChanged(this, row, expansionChange());
    return shown;
}

int CListBoxExt::CollapseItem(int row) {
    const auto at = GetItorByIndex(row);
    if (at == m_items.end() || !at->bHasChild || !at->bExpanded) {
        return 0;
    }
    setUpdatesEnabled(false);
    at->bExpanded = false;
    InvalidateIndex(row);
    int hidden = 0;
    for (auto next = std::next(at); next != m_items.end() && next->nIndent > at->nIndent; ++next) {
        if (next->bVisible) {
            next->bVisible = false;
            ++hidden;
        }
    }
    removeRows(row + 1, hidden);
    setUpdatesEnabled(true);
    if (!m_bSimpleComboList) {
        resizeBy(-hidden);
    }
    notifyRowStateChanged(this, row, expansionChange());
    return hidden;
}

// The window grows while it stays within the limit and shrinks while it stays above it; a list
// inside a drop-down resizes the drop-down. A list placed by its parent's layout keeps the size
// the layout gives it: a size of its own would last only until the next layout pass.
void CListBoxExt::resizeBy(int rows) {
    if (rows == 0 || laidOut(this)) {
        return;
    }
    QWidget* target =
        window() != this && (window()->windowFlags() & Qt::Popup) == Qt::Popup ? window() : this;
    const int height = target->height() + rows * m_nItemHeight;
    if (rows > 0 ? height <= m_nAutoSizeLimit : height > m_nAutoSizeLimit) {
        target->resize(target->width(), height);
    }
}

void CListBoxExt::ExpandAllItem() {
    int rowsBefore = 0;
    for (ST_LISTBOX_ITEM& item : m_items) {
        rowsBefore += item.bVisible ? 1 : 0;
        item.bVisible = true;
        item.bExpanded = item.bExpanded || item.bHasChild;
    }
    setUpdatesEnabled(false);
    for (int row = count() - 1; row >= 0; --row) {
        if (rowItem(row)) {
            delete takeItem(row);
        }
    }
    int row = 0;
    for (ST_LISTBOX_ITEM& item : m_items) {
        insertRow(row++, &item);
    }
    setUpdatesEnabled(true);
    if (!m_bSimpleComboList) {
        resizeBy(m_nItemCount - rowsBefore);
    }
}

int CListBoxExt::SetItemVisable(ST_LISTBOX_ITEM* item) {
    if (!item || !owns(item)) {
        return -1;
    }
    std::vector<ST_LISTBOX_ITEM*> ancestors;
    for (ST_LISTBOX_ITEM* up = item->pParent; up; up = up->pParent) {
        ancestors.push_back(up);
    }
    for (auto down = ancestors.rbegin(); down != ancestors.rend(); ++down) {
        if (!(*down)->bVisible) {
            return -1;
        }
        if (!(*down)->bExpanded) {
            ExpandItem(GetIndexByItem(*down));
        }
    }
    return GetIndexByItem(item);
}

void CListBoxExt::UpdateItemText(long id, const char* text) {
    ST_LISTBOX_ITEM* item = GetItemByItemID(id);
    if (!item) {
        return;
    }
    MallocString(text ? text : "", item->pszText);
    const int row = GetIndexByItem(item);
    if (row >= 0) {
        this->item(row)->setText(QString::fromUtf8(item->pszText));
        InvalidateIndex(row);
    }
}

int CListBoxExt::DeleteItemByItemID(long id) {
    const auto at = GetItorByItemID(id);
    if (at == m_items.end()) {
        return -1;
    }
    ST_LISTBOX_ITEM* parent = at->pParent;
    const int row = GetIndexByItem(&*at);
    auto end = std::next(at);
    int rows = at->bVisible ? 1 : 0;
    for (; end != m_items.end() && end->nIndent > at->nIndent; ++end) {
        rows += end->bVisible ? 1 : 0;
    }
    if (!at->bHasNext) {
        for (auto before = at; before != m_items.begin();) {
            --before;
            if (before->nIndent < at->nIndent) {
                break;
            }
            if (before->nIndent == at->nIndent) {
                before->bHasNext = false;
                InvalidateItem(&*before);
                break;
            }
        }
    }
    if (row >= 0) {
        removeRows(row, rows);
    }
    freeItems(at, end);
    if (parent && --parent->nChildCount == 0) {
        parent->bHasChild = false;
        InvalidateItem(parent);
    }
    return row;
}

void CListBoxExt::freeItems(ItemList::iterator from, ItemList::iterator to) {
    for (auto at = from; at != to; ++at) {
        FreeString(at->pszText);
        --m_nItemCount;
    }
    m_items.erase(from, to);
}

void CListBoxExt::InvalidateIndex(int row) {
    if (const QListWidgetItem* shown = item(row)) {
        viewport()->update(visualItemRect(shown));
    }
}

void CListBoxExt::InvalidateItem(ST_LISTBOX_ITEM* item) {
    InvalidateIndex(GetIndexByItem(item));
}

void CListBoxExt::ReleaseItem() {
    for (int row = count() - 1; row >= 0; --row) {
        if (rowItem(row)) {
            delete takeItem(row);
        }
    }
    freeItems(m_items.begin(), m_items.end());
}

void CListBoxExt::SetItemCheck(int row, bool checked) {
    SetItemCheck(GetItemByIndex(row), checked);
}

void CListBoxExt::SetItemCheck(ST_LISTBOX_ITEM* item, bool checked) {
    if (item && owns(item) && item->bChecked != checked) {
        toggleCheck(GetIndexByItem(item), item);
    }
}

void CListBoxExt::toggleCheck(int row, ST_LISTBOX_ITEM* item) {
    item->bChecked = !item->bChecked;
    InvalidateIndex(row);
    notifyRowStateChanged(this, row, checkChange());
    notify(LBEN_CHECKCHANGE, row);
}

void CListBoxExt::clickButton(int row, ST_LISTBOX_ITEM* item) {
    const bool expanded = item->bExpanded;
    const bool handled = notify(expanded ? LBEN_COLLAPSE : LBEN_EXPAND, row);
    // The receiver may have changed the list: act only on the row it left in place.
    if (!handled && GetItemByIndex(row) == item && item->bExpanded == expanded) {
        expanded ? CollapseItem(row) : ExpandItem(row);
    }
}

int CListBoxExt::buttonLeft(const ST_LISTBOX_ITEM& item) const {
    return m_nLeftMargin + checkColumn() + item.nIndent;
}

int CListBoxExt::ClickList(QPoint point) {
    if (point.y() < 0 || point.x() > viewport()->width()) {
        return -1;
    }
    const int row = (point.y() + verticalScrollBar()->value() * m_nItemHeight) / m_nItemHeight;
    ST_LISTBOX_ITEM* item = GetItemByIndex(row);
    if (!item) {
        return -1;
    }
    const int x = point.x();
    if (m_bShowCheckBox && item->bCheckable && m_nLeftMargin + 1 < x &&
        x < m_nLeftMargin + m_nIndent + 1) {
        toggleCheck(row, item);
        return row;
    }
    const int left = buttonLeft(*item);
    if (m_bShowButton && item->bHasChild && x >= left && x < left + m_nIndent) {
        clickButton(row, item);
    }
    return row;
}

bool CListBoxExt::hitsControl(QPoint point) {
    const int row = (point.y() + verticalScrollBar()->value() * m_nItemHeight) / m_nItemHeight;
    const ST_LISTBOX_ITEM* item = point.y() < 0 ? nullptr : GetItemByIndex(row);
    if (!item) {
        return false;
    }
    const int x = point.x();
    const bool onCheck = m_bShowCheckBox && item->bCheckable && m_nLeftMargin + 1 < x &&
                         x < m_nLeftMargin + m_nIndent + 1;
    const int left = buttonLeft(*item);
    const bool onButton = m_bShowButton && item->bHasChild && x >= left && x < left + m_nIndent;
    return onCheck || onButton;
}

bool CListBoxExt::notify(int message, int row) {
    QObject* target = m_pNotifyWnd ? m_pNotifyWnd : parent();
    if (!target) {
        return false;
    }
    CListBoxNotifyEvent request(message, row, this);
    return QCoreApplication::sendEvent(target, &request);
}

void CListBoxExt::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bPressed = true;
    }
    QListWidget::mousePressEvent(event);
}

void CListBoxExt::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        releaseAt(event->position().toPoint());
    }
}

void CListBoxExt::releaseAt(QPoint point) {
    if (m_bPressed) {
        m_bPressed = false;
        ClickList(point);
    }
    if (m_bSimpleComboList) {
        notify(LBEN_LISTUP, currentRow());
    }
}

int CListBoxExt::AddString(const char* text) {
    int row = count();
    if (m_bSortedInsert && m_items.empty()) {
        const QByteArray utf8 = QString::fromUtf8(text ? text : "").toUtf8();
        row = 0;
        while (row < count() &&
               CompareItem(item(row)->text().toUtf8().constData(), utf8.constData()) <= 0) {
            ++row;
        }
    }
    return InsertString(row, text);
}

int CListBoxExt::InsertString(int row, const char* text) {
    const int at = row < 0 || row > count() ? count() : row;
    insertItem(at, QString::fromUtf8(text ? text : ""));
    return at;
}

int CListBoxExt::DeleteString(int row) {
    if (row < 0 || row >= count() || rowItem(row)) {
        return -1;
    }
    delete takeItem(row);
    return count();
}

int CListBoxExt::CompareItem(const char* first, const char* second) const {
    const int order = gb18030Order(first ? first : "", second ? second : "");
    return m_bAppendOrAscending ? order : -order;
}

void CListBoxExt::DrawItem(QPainter* painter, const QRect& rect, int row, int state) {
    state = std::clamp(state, 0, 2);
    painter->save();
    if (m_crBk[state] != kNoColor) {
        painter->fillRect(rect, colorFromRef(m_crBk[state]));
    }
    if (m_crFrame[state] != kNoColor) {
        painter->setPen(colorFromRef(m_crFrame[state]));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter->setPen(colorFromRef(m_crText[state]));
    const ST_LISTBOX_ITEM* shown = rowItem(row);
    const QListWidgetItem* plain = item(row);
    const int right = rect.x() + rect.width();
    auto drawText = [&](int left, const QString& text) {
        const QRect area(left, rect.y(), right - left, rect.height());
        const QString cut = painter->fontMetrics().elidedText(text, Qt::ElideRight, area.width());
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, cut);
    };
    if (!shown) {
        if (plain) {
            drawText(rect.x() + m_nLeftMargin, plain->text());
        }
        painter->restore();
        return;
    }
    const int size = m_nIndent;
    const int top = rect.y();
    if (m_bShowCheckBox && shown->bCheckable) {
        DrawImage(painter, shown->bChecked ? m_pImgCheck : m_pImgUncheck,
                  QRect(rect.x() + m_nLeftMargin, top, size, rect.height()), DM_FIT);
    }
    const int buttonX = rect.x() + buttonLeft(*shown);
    const int iconX = buttonX + (m_bShowButton ? size : 0);
    const ST_IMG_INFO* icon = shown->bExpanded ? shown->pImgExpand : shown->pImgCollapse;
    const bool hasIcon = m_bShowIcon && icon && icon->pBitmap;
    if (m_bShowTreeLine && m_bShowButton) {
        drawTreeLines(painter, rect, *shown);
    }
    if (hasIcon) {
        DrawImage(painter, icon->pBitmap, QRect(iconX, top, size, rect.height()), DM_FIT);
    }
    if (m_bShowButton && shown->bHasChild) {
        DrawImage(painter, shown->bExpanded ? m_pImgExpand : m_pImgCollapse,
                  QRect(buttonX, top, size, rect.height()), DM_FIT);
    }
    painter->setPen(colorFromRef(m_crText[state]));
    drawText(iconX + (hasIcon ? size : 0) + 2, QString::fromUtf8(shown->pszText));
    painter->restore();
}

// Dotted lines through the centres of the button columns, drawn under the pictures.
void CListBoxExt::drawTreeLines(QPainter* painter, const QRect& rect, const ST_LISTBOX_ITEM& item) {
    painter->setPen(QColor::fromRgba(kTreeLineColor));
    const int half = m_nIndent / 2;
    const int top = rect.y();
    const int bottom = rect.y() + rect.height() - 1;
    const int middle = top + m_nItemHeight / 2;
    const int base = rect.x() + m_nLeftMargin + checkColumn();
    const int centre = base + item.nIndent + half;
    if (item.nIndent > 0 || item.bHasChild) {
        dottedHorizontal(painter, middle, centre, base + item.nIndent + m_nIndent - 1);
    }
    for (const ST_LISTBOX_ITEM* up = item.pParent; up; up = up->pParent) {
        if (up->bHasNext) {
            dottedVertical(painter, base + up->nIndent + half, top, bottom);
        }
    }
    dottedVertical(painter, centre, top, item.bHasNext ? bottom : middle);
    if (item.bExpanded && item.bHasChild) {
        dottedVertical(painter, centre + m_nIndent, middle, bottom);
    }
}

void CListBoxExt::SetShowTreeLine(bool show) {
    m_bShowTreeLine = show;
    viewport()->update();
}

void CListBoxExt::SetShowButton(bool show) {
    m_bShowButton = show;
    viewport()->update();
}

void CListBoxExt::SetShowCheckBox(bool show) {
    m_bShowCheckBox = show;
    viewport()->update();
}

void CListBoxExt::SetShowIcon(bool show) {
    m_bShowIcon = show;
    viewport()->update();
}

void CListBoxExt::SetTextColor(int state, int color) {
    if (state >= 0 && state < 3) {
        m_crText[state] = color;
        viewport()->update();
    }
}

void CListBoxExt::SetBkColor(int state, int color) {
    if (state >= 0 && state < 4) {
        m_crBk[state] = color;
        viewport()->update();
    }
}

void CListBoxExt::SetFrameColor(int state, int color) {
    if (state >= 0 && state < 4) {
        m_crFrame[state] = color;
        viewport()->update();
    }
}

} // namespace LUSTRA
