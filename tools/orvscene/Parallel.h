#pragma once

#include "orvcore/core/detail/RunTasks.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace orvscene {

// Tasks by number on several threads (see the header).
using Orvane::detail::RunTasks;

// The bounds of runs of about equal size that split [0, count), from 0 to
// count: one run per thread, but none shorter than `shortest` items (so at
// least one run, even of none).
std::vector<std::size_t> Runs(std::size_t count, int threads, std::size_t shortest = 512);

// item(k) for k = 0 .. count - 1, in runs (of Runs) side by side on up to
// `threads` threads; items write places of their own.
template <class Item>
void ForEachInRuns(std::size_t count, int threads, const Item& item)
{
    const std::vector<std::size_t> runs = Runs(count, threads);
    RunTasks(runs.size() - 1, threads, [&](std::size_t run) {
        for (std::size_t k = runs[run]; k < runs[run + 1]; ++k)
            item(k);
    });
}

// Tasks handed over one by one while the caller goes on with its own work:
// once started, helper threads run them in the order they came, and Finish
// runs on the calling thread those that no helper has taken yet. Tasks must
// not throw; each keeps its own outcome.
class TaskQueue
{
public:
    TaskQueue() = default;
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;
    // Stops the helpers once they have run the tasks they took.
    ~TaskQueue();

    void Add(std::function<void()> task);
    // Starts `helpers` threads (fewer when the system refuses some).
    void Start(int helpers);
    bool Started() const { return !m_helpers.empty(); }
    // Runs the tasks no helper has taken here, then waits for the helpers' ones.
    void Finish();

private:
    bool Take(std::function<void()>& task, bool wait);
    void Stop();

    std::mutex m_lock;
    std::condition_variable m_more;
    std::deque<std::function<void()>> m_tasks;
    bool m_closed = false;
    std::vector<std::thread> m_helpers;
};

} // namespace orvscene
