#pragma once

#include "ops/point_editing.h"

#include <chrono>

class QWebEnginePage;

namespace tarnel::ui {

// How long a save may take: the engine must take the request up within start, and end it within
// finish once started (a page whose scripts hold its renderer never ends it).
struct ArchiveTimeouts {
    std::chrono::milliseconds start{10000};
    std::chrono::milliseconds finish{120000};
};

inline constexpr const char* kSaveNotStarted = "浏览器没有开始保存网页";
inline constexpr const char* kSaveTimedOut = "保存网页超时";
inline constexpr const char* kPageClosed = "网页窗口已经关闭";

// The writer of a web point's content: the page as the user sees it, saved by the engine as a
// single-file web archive (MHTML) under a temporary name beside path and renamed into place once
// the engine reports it complete. The save is asynchronous; the writer runs the event loop, without
// the user's input, until it ends or runs out of time. Interrupted: the engine's reason, nothing
// left on disk. The page may close meanwhile (its window closed). User-interface thread only.
ops::ArchiveWriter webArchiveWriter(QWebEnginePage& page, ArchiveTimeouts timeouts = {});

} // namespace tarnel::ui
