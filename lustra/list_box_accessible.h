#pragma once

#include "accessible_item.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <map>
#include <vector>

class QComboBox;
class QListWidgetItem;

namespace LUSTRA {

class CListBoxExt;
struct ST_LISTBOX_ITEM;

// A tree list: its children are its rows, in row order.
class ListBoxAccessible : public QAccessibleWidget {
public:
    explicit ListBoxAccessible(CListBoxExt* list);
    ~ListBoxAccessible() override;
    ListBoxAccessible(const ListBoxAccessible&) = delete;
    ListBoxAccessible& operator=(const ListBoxAccessible&) = delete;

    CListBoxExt* list() const;

    QAccessible::Role role() const override;
    QAccessibleInterface* parent() const override;
    QString text(QAccessible::Text type) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    // The combo box whose drop-down this list is, or null.
    QComboBox* comboOf() const;
    QAccessibleInterface* rowInterface(QListWidgetItem* row) const;
    void rowsInserted(int first, int last);
    void forgetRows(int first, int last);
    void forgetAll();

    // Row interfaces live as long as their rows.
    mutable std::map<const QListWidgetItem*, QAccessible::Id> m_rows;
    std::vector<QMetaObject::Connection> m_connections;
};

// One row: an item of the tree (check box, expand button) or a plain string. Its actions do
// what a click on the check box or the button does.
class ListRowAccessible : public AccessibleItem {
public:
    static QString expandAction();
    static QString collapseAction();

    ListRowAccessible(const ListBoxAccessible* owner, QListWidgetItem* row)
        : m_owner(owner), m_row(row) {}

    const QListWidgetItem* shownRow() const { return m_row; }

    bool isValid() const override;
    QAccessibleInterface* parent() const override;
    QString text(QAccessible::Text type) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString& name) override;

private:
    int row() const;
    // The tree item the row shows; null for a plain string.
    ST_LISTBOX_ITEM* item() const;
    bool canToggle() const;
    bool hasButton() const;

    const ListBoxAccessible* m_owner;
    QListWidgetItem* m_row;
};

// Tells a listening reader that a row's check or expansion changed.
void notifyRowStateChanged(CListBoxExt* list, int row, const QAccessible::State& changed);

} // namespace LUSTRA
