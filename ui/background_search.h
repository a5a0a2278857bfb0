#pragma once

#include "ops/search_engine.h"
#include "platform/file_system.h"

#include <QObject>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tarnel::ui {

// One hit as it crosses from the search's thread: ids only, looked up again in the window's
// base on the user-interface thread.
struct SearchResultEntry {
    ops::SearchRoute route = ops::SearchRoute::Category;
    long long listId = 0;     // the searched category's or tag's id
    long long categoryId = 0; // the point's own category
    long long pointId = 0;

    bool operator==(const SearchResultEntry&) const = default;
};

// What a search goes through, by id, so that it can be taken to another thread.
struct SearchRequest {
    std::filesystem::path dataDirectory;
    std::string documentTypes; // SEARCH_DOC_TYPE as held in memory
    ops::SearchParameters parameters;
    std::vector<long long> categories;
    std::vector<long long> tags;
};

// A search on a worker thread. The user-interface thread keeps the stores to itself and goes on
// taking commands while a search runs, so the worker reads its own read-only copy of the base from
// the data directory (the operations save every change at once, so the copy holds what the window
// shows) and hands each hit over by id, in order, then reports the end. hit and end are called on
// the user-interface thread (where the search was made), never after the search is destroyed.
// A cancelled search stops before its next point and still reports its end; the destructor
// cancels and waits for the worker.
class BackgroundSearch {
public:
    using HitReceiver = std::function<void(const SearchResultEntry&)>;
    using EndReceiver = std::function<void(std::size_t hits)>;

    BackgroundSearch(const platform::FileSystem& fileSystem, SearchRequest request, HitReceiver hit,
                     EndReceiver end);
    ~BackgroundSearch();
    BackgroundSearch(const BackgroundSearch&) = delete;
    BackgroundSearch& operator=(const BackgroundSearch&) = delete;

    // The end was delivered; the worker has nothing more to hand over.
    bool finished() const { return m_finished; }
    // Any thread.
    void cancel() { m_cancel = true; }
    // The search is cancelled when the object (its result window) goes before it.
    void cancelWhenDestroyed(QObject& watched);

private:
    void search();

    const platform::FileSystem& m_fileSystem;
    SearchRequest m_request;
    // Lives on the user-interface thread: the worker's deliveries are queued to it, and those
    // still queued when it goes are dropped with it.
    QObject m_relay;
    HitReceiver m_hit;
    EndReceiver m_end;
    bool m_finished = false; // user-interface thread only
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};

} // namespace tarnel::ui
