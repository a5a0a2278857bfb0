#pragma once

#include "ops/point_editing.h"

class QWebEnginePage;

namespace tarnel::ui {

// The writer of a web point's content: the page as the user sees it, saved by the engine as a
// single-file web archive (MHTML) under a temporary name beside path and renamed into place once
// the engine reports it complete. The save is asynchronous; the writer runs the event loop until
// it ends. Interrupted: the engine's reason, nothing left on disk. The page must outlive the
// writer's call; user-interface thread only.
ops::ArchiveWriter webArchiveWriter(QWebEnginePage& page);

} // namespace tarnel::ui
