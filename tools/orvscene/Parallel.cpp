#include "Parallel.h"

#include <algorithm>

namespace orvscene {

using Orvane::detail::StartThreads;

std::vector<std::size_t> Runs(std::size_t count, int threads, std::size_t shortest)
{
    const std::size_t parts =
        std::max<std::size_t>(1, std::min(count / std::max<std::size_t>(shortest, 1), static_cast<std::size_t>(std::max(threads, 1))));
    std::vector<std::size_t> bounds(parts + 1);
    for (std::size_t p = 0; p <= parts; ++p)
        bounds[p] = count / parts * p + std::min(count % parts, p);
    return bounds;
}

TaskQueue::~TaskQueue()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_tasks.clear(); // left by a caller that gave up: their work is not wanted
    }
    Stop();
}

void TaskQueue::Add(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_tasks.push_back(std::move(task));
    }
    m_more.notify_one();
}

void TaskQueue::Start(int helpers)
{
    StartThreads(m_helpers, helpers, [this]() {
        std::function<void()> task;
        while (Take(task, true))
            task();
    });
}

void TaskQueue::Finish()
{
    std::function<void()> task;
    while (Take(task, false))
        task();
    Stop();
}

bool TaskQueue::Take(std::function<void()>& task, bool wait)
{
    std::unique_lock<std::mutex> hold(m_lock);
    if (wait)
        m_more.wait(hold, [this]() { return m_closed || !m_tasks.empty(); });
    if (m_tasks.empty())
        return false;
    task = std::move(m_tasks.front());
    m_tasks.pop_front();
    return true;
}

void TaskQueue::Stop()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_closed = true;
    }
    m_more.notify_all();
    for (std::thread& helper : m_helpers)
        helper.join();
    m_helpers.clear();
}

} // namespace orvscene
