#include "accessible_factory.h"

#include "combo_box_accessible.h"
#include "list_box_accessible.h"
#include "lustra/combo_box_ext.h"
#include "lustra/list_box_ext.h"
#include "lustra/progress_ctrl_ext.h"
#include "lustra/tool_pane_ext.h"
#include "progress_accessible.h"
#include "tool_pane_accessible.h"

#include <QAccessible>
#include <QByteArrayView>
#include <QWidget>

namespace LUSTRA {
namespace {

// Asked first for the most derived class, so a subclass of a control gets the control's
// interface, and a host widget keeps its panes' items whatever it derives from. The browser
// engine's own widgets come from code built without type information, which the sanitizer's
// type check cannot read: they are recognised by their class name before any cast.
__attribute__((no_sanitize("vptr"))) QAccessibleInterface* createAccessible(const QString&,
                                                                            QObject* object) {
    if (!object || !object->isWidgetType() ||
        QByteArrayView(object->metaObject()->className()).startsWith("QtWebEngineCore::")) {
        return nullptr;
    }
    if (auto* list = qobject_cast<CListBoxExt*>(object)) {
        return new ListBoxAccessible(list);
    }
    if (auto* combo = qobject_cast<CComboBoxExt*>(object)) {
        return new ComboBoxAccessible(combo);
    }
    if (auto* bar = qobject_cast<CProgressCtrlExt*>(object)) {
        return new ProgressAccessible(bar);
    }
    auto* widget = static_cast<QWidget*>(object);
    return ToolPaneHostAccessible::hostsPane(widget) ? new ToolPaneHostAccessible(widget) : nullptr;
}

} // namespace

void InstallAccessibleFactory() {
    static const bool installed = (QAccessible::installFactory(createAccessible), true);
    (void)installed;
}

} // namespace LUSTRA
