#pragma once

#include "app/prompt.h"
#include "app/settings.h"
#include "platform/file_system.h"

#include <functional>

namespace tarnel::ui {

class CReadingArea;
class CReadingBackground;
class CReadingToolbar;

// What the toolbar of a reading area needs of the main window: the configured tool list and the
// word-wrap setting (both in the data manager's settings), the prompt, the file system, the
// background every area draws, and the maximised reading mode. All references outlive every area
// equipped from it. User-interface thread only.
struct ReadingAreaTools {
    const app::Settings& settings;
    app::Prompt& prompt;
    const platform::FileSystem& fileSystem;
    CReadingBackground& background;
    // Switches the main window's reading mode; true when it is maximised now.
    std::function<bool()> toggleReadingMode;
    std::function<bool()> isReadingMaximised;
};

// Gives the area the reading-area toolbar, built from the configured list, on top of its editor,
// and the controller that makes its tools act on the editor. The toolbar follows what the area
// shows: a display that cannot be saved from (damaged content, a view for reading only) has no
// save and cancel tools. Returns the toolbar, owned by the area.
CReadingToolbar* equipReadingArea(CReadingArea& area, const ReadingAreaTools& tools);

} // namespace tarnel::ui
