#pragma once

#include "ops/point_editing.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace tarnel::ui {

// What the add-point form needs of a web window to save its page as a web point: the title it
// proposes, the page's view (owned by its window, which takes it back whenever it is shown
// itself) and the writer that saves the page as the user sees it.
struct WebPointPage {
    QString title;
    QPointer<QWidget> view;
    QPointer<QWidget> owner;
    ops::ArchiveWriter writer;
};

} // namespace tarnel::ui
