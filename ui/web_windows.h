#pragma once

#include "ui/frame_window.h"

#include <memory>

class QUrl;

namespace tarnel::ui {

// What makes the main window's web windows (kind 3). The main window owns it for the run and
// destroys it after its last window; a frame made without one opens no web window.
// User-interface thread only.
class WebWindows {
public:
    virtual ~WebWindows() = default;
    // A new web window opening url; "about:home" is the start page. Never null.
    virtual std::unique_ptr<FrameWindow> open(const QUrl& url) = 0;
};

} // namespace tarnel::ui
