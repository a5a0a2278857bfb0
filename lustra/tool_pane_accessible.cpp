#include "tool_pane_accessible.h"

#include "lustra/tool_pane_ext.h"
#include "toolbar_label.h"

#include <QWidget>
#include <algorithm>

namespace LUSTRA {
namespace {

constexpr int kSeparatorId = -1;
constexpr int kHotState = 1;
constexpr int kDownState = 2;
constexpr int kDisabledState = 3;

QList<CToolPaneExt*> panesOf(const QWidget* host) {
    return host->findChildren<CToolPaneExt*>(Qt::FindDirectChildrenOnly);
}

QRect onScreen(const QWidget* host, const QRect& rect) {
    return QRect(host->mapToGlobal(rect.topLeft()), rect.size());
}

} // namespace

bool ToolPaneHostAccessible::hostsPane(const QWidget* widget) {
    const QList<CToolPaneExt*> panes = panesOf(widget);
    return std::any_of(panes.begin(), panes.end(),
                       [](const CToolPaneExt* pane) { return pane->isHostAlive(); });
}

void ToolPaneHostAccessible::adopt(QWidget* host) {
    QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(host);
    if (seen && !dynamic_cast<ToolPaneHostAccessible*>(seen)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(seen));
    }
}

std::vector<ToolPaneHostAccessible::Exposed> ToolPaneHostAccessible::exposedItems() const {
    std::vector<Exposed> exposed;
    for (CToolPaneExt* pane : panesOf(widget())) {
        for (ST_TOOLBAR_ITEM& item : pane->m_items) {
            if (pane->isExposed(item)) {
                exposed.push_back({pane, &item});
            }
        }
    }
    return exposed;
}

int ToolPaneHostAccessible::childCount() const {
    return QAccessibleWidget::childCount() + int(exposedItems().size());
}

QAccessibleInterface* ToolPaneHostAccessible::child(int index) const {
    const int widgets = QAccessibleWidget::childCount();
    if (index < widgets) {
        return QAccessibleWidget::child(index);
    }
    const std::vector<Exposed> exposed = exposedItems();
    const std::size_t at = std::size_t(index - widgets);
    return at < exposed.size() ? exposed[at].pane->m_pAccessibles->interfaceOf(exposed[at].item)
                               : nullptr;
}

int ToolPaneHostAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* button = dynamic_cast<const ToolbarItemAccessible*>(child);
    if (!button) {
        return QAccessibleWidget::indexOfChild(child);
    }
    const std::vector<Exposed> exposed = exposedItems();
    const auto found = std::find_if(exposed.begin(), exposed.end(), [button](const Exposed& e) {
        return e.item == button->item();
    });
    return found == exposed.end() ? -1
                                  : QAccessibleWidget::childCount() + int(found - exposed.begin());
}

QAccessibleInterface* ToolPaneHostAccessible::childAt(int x, int y) const {
    for (const Exposed& exposed : exposedItems()) {
        if (onScreen(widget(), exposed.item->rcItem).contains(x, y)) {
            return exposed.pane->m_pAccessibles->interfaceOf(exposed.item);
        }
    }
    return QAccessibleWidget::childAt(x, y);
}

bool ToolbarItemAccessible::isValid() const {
    return m_pane && m_pane->isHostAlive();
}

QAccessibleInterface* ToolbarItemAccessible::parent() const {
    return m_pane ? QAccessible::queryAccessibleInterface(m_pane->m_pHost) : nullptr;
}

QString ToolbarItemAccessible::text(QAccessible::Text type) const {
    // The label is also the tooltip of an item that shows none.
    if (type != QAccessible::Name || m_item->nID == kSeparatorId) {
        return QString();
    }
    return ToolbarItemLabel(*m_item);
}

QRect ToolbarItemAccessible::rect() const {
    return m_pane ? onScreen(m_pane->m_pHost, m_item->rcItem) : QRect();
}

QAccessible::Role ToolbarItemAccessible::role() const {
    return m_item->nID == kSeparatorId ? QAccessible::Separator : QAccessible::PushButton;
}

QAccessible::State ToolbarItemAccessible::state() const {
    QAccessible::State state;
    if (!m_pane) {
        state.invalid = true;
        return state;
    }
    state.invisible = !m_pane->m_pHost->isVisible();
    state.disabled = m_item->nState == kDisabledState;
    state.pressed = m_item->nState == kDownState;
    state.hotTracked = m_item->nState == kHotState || m_pane->GetHotItem() == m_item;
    return state;
}

QStringList ToolbarItemAccessible::actionNames() const {
    return m_item->nID == kSeparatorId ? QStringList() : QStringList{pressAction()};
}

void ToolbarItemAccessible::doAction(const QString& name) {
    if (m_pane && name == pressAction()) {
        m_pane->pressForReader(m_item);
    }
}

ToolbarItemAccessibles::~ToolbarItemAccessibles() {
    for (const auto& [item, entry] : m_entries) {
        QAccessible::deleteAccessibleInterface(entry.id);
    }
}

QAccessibleInterface* ToolbarItemAccessibles::interfaceOf(ST_TOOLBAR_ITEM* item) {
    const auto found = m_entries.find(item);
    if (found != m_entries.end()) {
        return QAccessible::accessibleInterface(found->second.id);
    }
    auto* made = new ToolbarItemAccessible(m_pane, item);
    m_entries[item] = Entry{QAccessible::registerAccessibleInterface(made), made->state()};
    return made;
}

void ToolbarItemAccessibles::itemAdded(ST_TOOLBAR_ITEM* item) {
    if (QAccessible::isActive() && m_pane->isExposed(*item)) {
        QAccessibleEvent created(interfaceOf(item), QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&created);
    }
}

void ToolbarItemAccessibles::itemRemoved(const ST_TOOLBAR_ITEM* item) {
    const auto found = m_entries.find(item);
    if (found == m_entries.end()) {
        return;
    }
    if (QAccessible::isActive()) {
        QAccessibleEvent destroyed(QAccessible::accessibleInterface(found->second.id),
                                   QAccessible::ObjectDestroyed);
        QAccessible::updateAccessibility(&destroyed);
    }
    QAccessible::deleteAccessibleInterface(found->second.id);
    m_entries.erase(found);
}

void ToolbarItemAccessibles::stateChanged(const ST_TOOLBAR_ITEM* item) {
    const auto found = m_entries.find(item);
    if (found == m_entries.end()) {
        return; // no reader has seen it yet
    }
    QAccessibleInterface* button = QAccessible::accessibleInterface(found->second.id);
    const QAccessible::State now = button->state();
    const QAccessible::State before = found->second.reported;
    QAccessible::State changed;
    changed.disabled = now.disabled != before.disabled;
    changed.pressed = now.pressed != before.pressed;
    changed.hotTracked = now.hotTracked != before.hotTracked;
    found->second.reported = now;
    if (QAccessible::isActive() && (changed.disabled || changed.pressed || changed.hotTracked)) {
        QAccessibleStateChangeEvent event(button, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void ToolbarItemAccessibles::layoutChanged() {
    if (QAccessible::isActive() && m_pane->isHostAlive()) {
        QAccessibleEvent reordered(m_pane->m_pHost, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    }
}

} // namespace LUSTRA
