#include "list_box_accessible.h"

#include "lustra/list_box_ext.h"

#include <QComboBox>

namespace LUSTRA {

ListBoxAccessible::ListBoxAccessible(CListBoxExt* list) : QAccessibleWidget(list) {
    QAbstractItemModel* model = list->model();
    m_connections = {
        QObject::connect(
            model, &QAbstractItemModel::rowsInserted, list,
            [this](const QModelIndex&, int first, int last) { rowsInserted(first, last); }),
        QObject::connect(
            model, &QAbstractItemModel::rowsAboutToBeRemoved, list,
            [this](const QModelIndex&, int first, int last) { forgetRows(first, last); }),
        QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, list,
                         [this] { forgetAll(); }),
    };
}

ListBoxAccessible::~ListBoxAccessible() {
    for (const QMetaObject::Connection& connection : m_connections) {
        QObject::disconnect(connection);
    }
    forgetAll();
}

CListBoxExt* ListBoxAccessible::list() const {
    return static_cast<CListBoxExt*>(widget());
}

QAccessible::Role ListBoxAccessible::role() const {
    return list()->GetItemCount() > 0 ? QAccessible::Tree : QAccessible::List;
}

QComboBox* ListBoxAccessible::comboOf() const {
    for (QObject* up = list()->parent(); up; up = up->parent()) {
        if (auto* combo = qobject_cast<QComboBox*>(up)) {
            return combo->view() == list() ? combo : nullptr;
        }
    }
    return nullptr;
}

// The drop-down of a combo box belongs to the combo, not to the popup frame around it, and is
// named after it unless named itself.
QAccessibleInterface* ListBoxAccessible::parent() const {
    QComboBox* combo = comboOf();
    return combo ? QAccessible::queryAccessibleInterface(combo) : QAccessibleWidget::parent();
}

QString ListBoxAccessible::text(QAccessible::Text type) const {
    QComboBox* combo = comboOf();
    if (type == QAccessible::Name && combo && list()->accessibleName().isEmpty()) {
        return QAccessible::queryAccessibleInterface(combo)->text(QAccessible::Name);
    }
    return QAccessibleWidget::text(type);
}

int ListBoxAccessible::childCount() const {
    return list()->count();
}

QAccessibleInterface* ListBoxAccessible::child(int index) const {
    return rowInterface(list()->item(index));
}

int ListBoxAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* row = dynamic_cast<const ListRowAccessible*>(child);
    return row && m_rows.count(row->shownRow()) ? list()->row(row->shownRow()) : -1;
}

QAccessibleInterface* ListBoxAccessible::childAt(int x, int y) const {
    return rowInterface(list()->itemAt(list()->viewport()->mapFromGlobal(QPoint(x, y))));
}

QAccessibleInterface* ListBoxAccessible::focusChild() const {
    return list()->hasFocus() ? rowInterface(list()->currentItem()) : nullptr;
}

QAccessibleInterface* ListBoxAccessible::rowInterface(QListWidgetItem* row) const {
    if (!row) {
        return nullptr;
    }
    const auto found = m_rows.find(row);
    if (found != m_rows.end()) {
        return QAccessible::accessibleInterface(found->second);
    }
    auto* made = new ListRowAccessible(this, row);
    m_rows[row] = QAccessible::registerAccessibleInterface(made);
    return made;
}

void ListBoxAccessible::rowsInserted(int first, int last) {
    if (!QAccessible::isActive()) {
        return;
    }
    for (int row = first; row <= last; ++row) {
        QAccessibleEvent created(list(), QAccessible::ObjectCreated);
        created.setChild(row);
        QAccessible::updateAccessibility(&created);
    }
}

// Called while the rows still exist, so that no interface outlives its row.
void ListBoxAccessible::forgetRows(int first, int last) {
    for (int row = first; row <= last; ++row) {
        const auto found = m_rows.find(list()->item(row));
        if (found == m_rows.end()) {
            continue;
        }
        if (QAccessible::isActive()) {
            QAccessibleEvent destroyed(QAccessible::accessibleInterface(found->second),
                                       QAccessible::ObjectDestroyed);
            QAccessible::updateAccessibility(&destroyed);
        }
        QAccessible::deleteAccessibleInterface(found->second);
        m_rows.erase(found);
    }
}

void ListBoxAccessible::forgetAll() {
    for (const auto& [row, id] : m_rows) {
        QAccessible::deleteAccessibleInterface(id);
    }
    m_rows.clear();
}

QString ListRowAccessible::expandAction() {
    return QStringLiteral("expand");
}

QString ListRowAccessible::collapseAction() {
    return QStringLiteral("collapse");
}

bool ListRowAccessible::isValid() const {
    return m_owner->isValid();
}

QAccessibleInterface* ListRowAccessible::parent() const {
    return const_cast<ListBoxAccessible*>(m_owner);
}

int ListRowAccessible::row() const {
    return m_owner->list()->row(m_row);
}

ST_LISTBOX_ITEM* ListRowAccessible::item() const {
    return m_owner->list()->rowItem(row());
}

QString ListRowAccessible::text(QAccessible::Text type) const {
    return type == QAccessible::Name ? m_row->text() : QString();
}

QRect ListRowAccessible::rect() const {
    const CListBoxExt* list = m_owner->list();
    const QRect shown = list->visualItemRect(m_row);
    return QRect(list->viewport()->mapToGlobal(shown.topLeft()), shown.size());
}

QAccessible::Role ListRowAccessible::role() const {
    return item() ? QAccessible::TreeItem : QAccessible::ListItem;
}

QAccessible::State ListRowAccessible::state() const {
    CListBoxExt* list = m_owner->list();
    QAccessible::State state;
    state.selectable = true;
    state.focusable = true;
    state.selected = m_row->isSelected();
    state.focused = list->hasFocus() && list->currentItem() == m_row;
    state.offscreen = !list->viewport()->rect().intersects(list->visualItemRect(m_row));
    if (const ST_LISTBOX_ITEM* item = this->item()) {
        state.checkable = list->IsShowCheckBox() && item->bCheckable;
        state.checked = state.checkable && item->bChecked;
        state.expandable = item->bHasChild;
        state.expanded = item->bHasChild && item->bExpanded;
        state.collapsed = item->bHasChild && !item->bExpanded;
    }
    return state;
}

bool ListRowAccessible::canToggle() const {
    const ST_LISTBOX_ITEM* item = this->item();
    return item && m_owner->list()->m_bShowCheckBox && item->bCheckable;
}

bool ListRowAccessible::hasButton() const {
    const ST_LISTBOX_ITEM* item = this->item();
    return item && m_owner->list()->m_bShowButton && item->bHasChild;
}

QStringList ListRowAccessible::actionNames() const {
    QStringList names;
    if (canToggle()) {
        names << toggleAction();
    }
    if (hasButton()) {
        names << (item()->bExpanded ? collapseAction() : expandAction());
    }
    return names;
}

// The list's owner may change the list while it answers: this interface may be gone after the
// call, so nothing of it is used then.
void ListRowAccessible::doAction(const QString& name) {
    CListBoxExt* list = m_owner->list();
    const int at = row();
    ST_LISTBOX_ITEM* item = this->item();
    if (name == toggleAction() && canToggle()) {
        list->toggleCheck(at, item);
    } else if (hasButton() && name == (item->bExpanded ? collapseAction() : expandAction())) {
        list->clickButton(at, item);
    }
}

void notifyRowStateChanged(CListBoxExt* list, int row, const QAccessible::State& changed) {
    if (row >= 0 && QAccessible::isActive()) {
        QAccessibleStateChangeEvent event(list, changed);
        event.setChild(row);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace LUSTRA
