#pragma once

// Not installed: shared by the library's sources and the programs built with
// it in this tree.

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace Orvane {
namespace detail {

// Starts up to `count` threads running `work`, as many as the system grants.
template <class Work>
void StartThreads(std::vector<std::thread>& threads, int count, const Work& work)
{
    try {
        threads.reserve(threads.size() + static_cast<std::size_t>(std::max(count, 0)));
        for (int n = 0; n < count; ++n)
            threads.emplace_back(work);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
}

// Runs task(0), task(1) ... task(count - 1) on up to `threads` threads, the
// calling thread among them; each thread takes the next task not yet taken,
// so tasks write to places of their own. When a task throws, the tasks not
// yet started are skipped and the first exception thrown is rethrown here
// once every thread has stopped. When the system refuses a thread, those
// that did start (at least the caller) do all the work.
template <class Index, class Task>
void RunTasks(Index count, int threads, const Task& task)
{
    const Index wanted = static_cast<Index>(std::max(threads, 1));
    const int helpers = static_cast<int>(std::min(wanted, count)) - 1;
    if (helpers <= 0) {
        for (Index t = 0; t < count; ++t)
            task(t);
        return;
    }
    std::atomic<Index> next(0);
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&]() {
        for (Index t = next.fetch_add(1); t < count; t = next.fetch_add(1)) {
            try {
                task(t);
            } catch (...) {
                std::lock_guard<std::mutex> hold(failureLock);
                if (!failure)
                    failure = std::current_exception();
                next.store(count);
            }
        }
    };
    std::vector<std::thread> started;
    StartThreads(started, helpers, work); // when the system refuses threads, those running share the work
    work();
    for (std::thread& thread : started)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace detail
} // namespace Orvane
