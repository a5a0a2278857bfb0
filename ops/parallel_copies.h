#pragma once

#include "ops/file_copy.h"
#include "platform/file_system.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnel::ops {

// Copies files into place (by the placement given, flushed later by the caller) on a few threads
// while the caller goes on walking: copying through the page cache is the processor's work, and
// one thread leaves the second core idle. Results come back in the order the copies were asked
// for. One caller thread submits and collects.
class ParallelCopies {
public:
    // Copies a caller lets run before it collects the oldest: enough to keep every copying thread
    // busy while the caller looks at the next entries, few enough that a failure has little to
    // undo.
    static constexpr std::size_t kInFlight = 16;

    ParallelCopies(const platform::FileSystem& fileSystem, Placement placement);
    // Finishes the copies already asked for, then stops the threads.
    ~ParallelCopies();
    ParallelCopies(const ParallelCopies&) = delete;
    ParallelCopies& operator=(const ParallelCopies&) = delete;

    void submit(std::filesystem::path from, std::filesystem::path to);
    // Waits for the oldest copy not collected yet: 0 or the errno of its failure.
    int collectOldest();
    // Copies asked for and not collected yet.
    std::size_t uncollected() const { return m_jobs.size(); }

private:
    struct Job {
        std::filesystem::path from;
        std::filesystem::path to;
        int result = 0;
        bool done = false;
    };

    void work();

    const platform::FileSystem& m_fileSystem;
    Placement m_placement;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_finished;
    // Elements of a deque stay where they are while others come and go at its ends, so the
    // threads hold plain pointers to the jobs they copy.
    std::deque<Job> m_jobs;       // uncollected, oldest first
    std::deque<Job*> m_unstarted; // the part of m_jobs no thread has taken yet
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace tarnel::ops
