#pragma once

#include "accessible_item.h"
#include "lustra/toolbar_item.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <map>
#include <vector>

namespace LUSTRA {

class CToolPaneExt;

// A widget that hosts tool panes: its child widgets, then the items its panes show.
class ToolPaneHostAccessible : public QAccessibleWidget {
public:
    explicit ToolPaneHostAccessible(QWidget* host) : QAccessibleWidget(host) {}

    static bool hostsPane(const QWidget* widget);
    // A host read before it had a pane (it changed its name, say) is read again, with the
    // pane's items.
    static void adopt(QWidget* host);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    struct Exposed {
        CToolPaneExt* pane;
        ST_TOOLBAR_ITEM* item;
    };
    std::vector<Exposed> exposedItems() const;
};

// One button or separator that a pane draws; pressing it does what a click does.
class ToolbarItemAccessible : public AccessibleItem {
public:
    ToolbarItemAccessible(CToolPaneExt* pane, ST_TOOLBAR_ITEM* item) : m_pane(pane), m_item(item) {}

    ST_TOOLBAR_ITEM* item() const { return m_item; }

    bool isValid() const override;
    QAccessibleInterface* parent() const override;
    QString text(QAccessible::Text type) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString& name) override;

private:
    QPointer<CToolPaneExt> m_pane;
    ST_TOOLBAR_ITEM* m_item;
};

// The interfaces of one pane's items: made when a reader asks for them, deleted before their
// items, and told of changes while a reader listens.
class ToolbarItemAccessibles {
public:
    explicit ToolbarItemAccessibles(CToolPaneExt* pane) : m_pane(pane) {}
    ~ToolbarItemAccessibles();
    ToolbarItemAccessibles(const ToolbarItemAccessibles&) = delete;
    ToolbarItemAccessibles& operator=(const ToolbarItemAccessibles&) = delete;

    QAccessibleInterface* interfaceOf(ST_TOOLBAR_ITEM* item);
    void itemAdded(ST_TOOLBAR_ITEM* item);
    void itemRemoved(const ST_TOOLBAR_ITEM* item);
    void stateChanged(const ST_TOOLBAR_ITEM* item);
    // Items moved into or out of the pane, or the pane was shown or hidden.
    void layoutChanged();

private:
    struct Entry {
        QAccessible::Id id;
        QAccessible::State reported;
    };

    CToolPaneExt* m_pane;
    std::map<const ST_TOOLBAR_ITEM*, Entry> m_entries;
};

} // namespace LUSTRA
