#include "Parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <new>
#include <system_error>

namespace orvscene {

namespace {

// Starts up to `count` threads running `work`; as many as the system grants.
void StartThreads(std::vector<std::thread>& threads, int count, const std::function<void()>& work)
{
    try {
        threads.reserve(static_cast<std::size_t>(std::max(count, 0)));
        for (int n = 0; n < count; ++n)
            threads.emplace_back(work);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
}

} // namespace

void RunTasks(std::size_t count, int threads, const std::function<void(std::size_t)>& task)
{
    const int helpers = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), count)) - 1;
    if (helpers <= 0) {
        for (std::size_t t = 0; t < count; ++t)
            task(t);
        return;
    }
    std::atomic<std::size_t> next(0);
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&]() {
        for (std::size_t t = next++; t < count; t = next++) {
            try {
                task(t);
            } catch (...) {
                std::lock_guard<std::mutex> hold(failureLock);
                if (!failure)
                    failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::thread> started;
    StartThreads(started, helpers, work);
    work();
    for (std::thread& thread : started)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

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
