#include "ops/parallel_copies.h"

#include <algorithm>

namespace tarnel::ops {

namespace {

std::size_t copyingThreads() {
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4);
}

} // namespace

ParallelCopies::ParallelCopies(const platform::FileSystem& fileSystem, Placement placement)
    : m_fileSystem(fileSystem), m_placement(placement) {
    for (std::size_t i = 0, threads = copyingThreads(); i < threads; ++i) {
        m_threads.emplace_back([this] { work(); });
    }
}

ParallelCopies::~ParallelCopies() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_queued.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void ParallelCopies::submit(std::filesystem::path from, std::filesystem::path to) {
    {
        std::lock_guard lock(m_mutex);
        Job& job = m_jobs.emplace_back();
        job.from = std::move(from);
        job.to = std::move(to);
        m_unstarted.push_back(&job);
    }
    m_queued.notify_one();
}

int ParallelCopies::collectOldest() {
    std::unique_lock lock(m_mutex);
    m_finished.wait(lock, [this] { return m_jobs.front().done; });
    int result = m_jobs.front().result;
    m_jobs.pop_front();
    return result;
}

void ParallelCopies::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_queued.wait(lock, [this] { return m_stopping || !m_unstarted.empty(); });
        if (m_unstarted.empty()) {
            return;
        }
        Job* job = m_unstarted.front();
        m_unstarted.pop_front();
        lock.unlock();
        int result = copyIntoPlace(m_fileSystem, job->from, job->to, m_placement, Flush::Later);
        lock.lock();
        job->result = result;
        job->done = true;
        m_finished.notify_all();
    }
}

} // namespace tarnel::ops
