#include "ui/reading_area_tools.h"

#include "ui/reading_area.h"
#include "ui/reading_toolbar.h"
#include "ui/reading_tools_controller.h"

namespace tarnel::ui {
namespace {

ReadingDisplay displayOf(const CReadingArea& area) {
    return area.canSave() ? ReadingDisplay::Editable : ReadingDisplay::ReadOnly;
}

} // namespace

CReadingToolbar* equipReadingArea(CReadingArea& area, const ReadingAreaTools& tools) {
    auto* toolbar =
        new CReadingToolbar(tools.settings.readingTools, displayOf(area), tools.settings.autoSwap);
    toolbar->setMaximisedReading(tools.isReadingMaximised && tools.isReadingMaximised());
    area.setToolBar(toolbar, CReadingArea::ToolBarEdge::Top);
    new CReadingToolsController(
        area, *toolbar, {tools.prompt, tools.fileSystem, tools.background, tools.toggleReadingMode},
        tools.settings.autoSwap);
    // An area shows one point after another (the information pane's pages), and one of them may
    // be damaged: the save and cancel tools come and go with what it shows.
    QObject::connect(&area, &CReadingArea::displayChanged, toolbar,
                     [&area, toolbar] { toolbar->setDisplay(displayOf(area)); });
    return toolbar;
}

} // namespace tarnel::ui
