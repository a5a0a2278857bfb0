#include "ui/tree_chooser.h"

#include "lustra/list_box_notify_event.h"

#include <string>

namespace tarnel::ui {

using LUSTRA::ST_LISTBOX_ITEM;

namespace {

bool liesIn(const ST_LISTBOX_ITEM* item, const ST_LISTBOX_ITEM* branch) {
    for (const ST_LISTBOX_ITEM* up = item ? item->pParent : nullptr; up; up = up->pParent) {
        if (up == branch) {
            return true;
        }
    }
    return false;
}

} // namespace

TreeChooser::TreeChooser(const QString& topEntry, const char* treeName,
                         const QString& treeAccessibleName, QWidget* parent)
    : CComboBoxExt(parent), m_list(GetListBox()) {
    m_list->setObjectName(treeName);
    m_list->setAccessibleName(treeAccessibleName);
    ST_LISTBOX_ITEM top;
    top.nItemID = 0;
    top.bCanHaveChild = true;
    top.bExpanded = true;
    AddItem(top, topEntry.toUtf8().constData());
}

void TreeChooser::addEntry(long long id, long long parentId, std::string_view name) {
    ST_LISTBOX_ITEM item;
    item.nItemID = static_cast<long>(id);
    item.pParent = m_list->GetItemByItemID(static_cast<long>(parentId));
    if (!item.pParent) {
        item.pParent = m_list->GetItemByItemID(0);
    }
    item.bCanHaveChild = true;
    item.bExpanded = true;
    AddItem(item, std::string(name).c_str());
}

void TreeChooser::finishEntries() {
    setCurrentIndex(-1);
}

void TreeChooser::selectId(std::optional<long long> id) {
    ST_LISTBOX_ITEM* item = id ? m_list->GetItemByItemID(static_cast<long>(*id)) : nullptr;
    setCurrentIndex(item ? m_list->SetItemVisable(item) : -1);
}

std::optional<long long> TreeChooser::chosenId() const {
    const ST_LISTBOX_ITEM* item =
        currentIndex() < 0 ? nullptr : m_list->GetItemByIndex(currentIndex());
    if (!item) {
        return std::nullopt;
    }
    return item->nItemID;
}

// The drop-down would otherwise lose the chosen row with the branch and choose another one. The
// buttons are the tree's own business: a dialog would answer their requests as handled (every
// widget accepts an event of a type it does not know) and the branches would never move.
bool TreeChooser::event(QEvent* event) {
    if (event->type() != LUSTRA::CListBoxNotifyEvent::eventType()) {
        return CComboBoxExt::event(event);
    }
    const auto* request = static_cast<LUSTRA::CListBoxNotifyEvent*>(event);
    if (request->message() == LUSTRA::LBEN_EXPAND) {
        return false;
    }
    if (request->message() != LUSTRA::LBEN_COLLAPSE) {
        return CComboBoxExt::event(event);
    }
    const ST_LISTBOX_ITEM* branch = m_list->GetItemByIndex(request->row());
    const ST_LISTBOX_ITEM* chosen =
        currentIndex() < 0 ? nullptr : m_list->GetItemByIndex(currentIndex());
    if (branch && liesIn(chosen, branch)) {
        setCurrentIndex(request->row());
    }
    return false;
}

} // namespace tarnel::ui
