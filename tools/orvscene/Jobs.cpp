#include "Jobs.h"

#include "Parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <ostream>
#include <thread>
#include <utility>

namespace orvscene {

Work Done()
{
    return Work();
}

Work Then(Work work, std::function<void()> last)
{
    if (work.next) {
        std::function<Work()> inner = std::move(work.next);
        work.next = [inner, last]() { return Then(inner(), last); };
    } else {
        work.next = [last]() {
            last();
            return Done();
        };
    }
    return work;
}

void RunInTurn(const std::function<Work()>& start)
{
    Work work = start();
    for (const std::function<void()>& piece : work.pieces)
        piece();
    if (work.next)
        RunInTurn(work.next);
}

std::vector<std::function<void()>> Ranges(std::size_t count, std::size_t parts, std::size_t least,
                                          const std::function<void(std::size_t, std::size_t, std::size_t)>& piece)
{
    std::vector<std::function<void()>> pieces;
    if (count == 0)
        return pieces;
    const std::vector<std::size_t> bounds =
        Runs(count, static_cast<int>(std::min<std::size_t>(parts, std::numeric_limits<int>::max())), least);
    for (std::size_t k = 0; k + 1 < bounds.size(); ++k)
        pieces.push_back([piece, k, begin = bounds[k], end = bounds[k + 1]]() { piece(k, begin, end); });
    return pieces;
}

std::vector<std::function<void()>> TextInParts::Pieces(std::size_t count, std::size_t perPart,
                                                       std::function<void(std::string&, std::size_t)> item)
{
    m_item = std::move(item);
    auto pieces = Ranges(count, count, perPart, [this](std::size_t part, std::size_t begin, std::size_t end) {
        std::string& text = m_parts[part];
        // The part sized from its first items, so that it grows in place.
        const std::size_t sample = begin + std::min<std::size_t>(end - begin, 64);
        std::size_t i = begin;
        for (; i < sample; ++i)
            m_item(text, i);
        if (end > sample)
            text.reserve(text.size() / (sample - begin) * (end - begin) * 5 / 4 + 64);
        for (; i < end; ++i)
            m_item(text, i);
    });
    m_parts.assign(pieces.size(), std::string());
    return pieces;
}

std::size_t TextInParts::Size() const
{
    std::size_t size = 0;
    for (const std::string& part : m_parts)
        size += part.size();
    return size;
}

void TextInParts::WriteTo(std::ostream& out) const
{
    for (const std::string& part : m_parts)
        out.write(part.data(), static_cast<std::streamsize>(part.size()));
}

std::string TextInParts::Joined() const
{
    std::string text;
    text.reserve(Size());
    for (const std::string& part : m_parts)
        text += part;
    return text;
}

namespace {

// A step's pieces still running, and what follows them.
struct Join {
    std::size_t job;
    std::size_t left;
    std::function<Work()> next;
    std::shared_ptr<Join> parent;
};

// Something to run for a job; done, it counts off its join.
struct Item {
    std::size_t job;
    std::function<Work()> run;
    std::shared_ptr<Join> parent;
};

class Runner
{
public:
    explicit Runner(std::vector<Job>& jobs) : m_jobs(jobs), m_failures(jobs.size()), m_rank(jobs.size()), m_queues(jobs.size())
    {
        std::vector<std::size_t> order(jobs.size());
        for (std::size_t k = 0; k < order.size(); ++k)
            order[k] = k;
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return jobs[a].weight > jobs[b].weight; });
        for (std::size_t r = 0; r < order.size(); ++r) {
            m_rank[order[r]] = r;
            Push({order[r], jobs[order[r]].start, nullptr});
        }
    }

    // One thread's share: takes items until no work is left anywhere.
    void Serve()
    {
        for (;;) {
            Item item;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [&]() { return m_waiting != 0 || m_running == 0; });
                if (m_waiting == 0)
                    return;
                item = Pop();
                ++m_running;
            }
            Carry(std::move(item));
            std::lock_guard<std::mutex> lock(m_mutex);
            if (--m_running == 0 && m_waiting == 0)
                m_wake.notify_all();
        }
    }

    void RethrowFirstFailure() const
    {
        for (const std::exception_ptr& failure : m_failures)
            if (failure)
                std::rethrow_exception(failure);
    }

private:
    // Runs the item and whatever follows it on this thread, until its pieces
    // go to the queue or nothing follows.
    void Carry(Item item)
    {
        while (!m_stopped) {
            Work work;
            const auto start = std::chrono::steady_clock::now();
            try {
                work = item.run();
            } catch (...) {
                Fail(item.job, std::current_exception());
                return;
            }
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs[item.job].ms += ms;
            if (m_stopped)
                return;
            if (!work.pieces.empty()) {
                auto join = std::make_shared<Join>(Join{item.job, work.pieces.size(), std::move(work.next), item.parent});
                for (std::function<void()>& piece : work.pieces)
                    Push({item.job, [run = std::move(piece)]() {
                              run();
                              return Done();
                          },
                          join});
                m_wake.notify_all();
                return;
            }
            if (work.next) {
                item.run = std::move(work.next);
                continue;
            }
            if (!Follow(item.parent, item))
                return;
        }
    }

    // Counts off a finished item at its joins; true with `follow` set when
    // that completes a step with something after it. Called locked.
    static bool Follow(std::shared_ptr<Join> join, Item& follow)
    {
        for (; join; join = join->parent) {
            if (--join->left != 0)
                return false;
            if (join->next) {
                follow = {join->job, std::move(join->next), join->parent};
                return true;
            }
        }
        return false;
    }

    void Fail(std::size_t job, std::exception_ptr failure)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_failures[job])
            m_failures[job] = std::move(failure);
        m_stopped = true;
        for (std::deque<Item>& queue : m_queues)
            queue.clear();
        m_waiting = 0;
    }

    // The queue of work waiting: a heavier job's first (its rank), each
    // job's in the order handed over. Called locked.
    void Push(Item item)
    {
        m_queues[m_rank[item.job]].push_back(std::move(item));
        ++m_waiting;
    }
    Item Pop()
    {
        for (std::deque<Item>& queue : m_queues)
            if (!queue.empty()) {
                Item item = std::move(queue.front());
                queue.pop_front();
                --m_waiting;
                return item;
            }
        return Item();
    }

    std::vector<Job>& m_jobs;
    std::vector<std::exception_ptr> m_failures;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::size_t> m_rank;         // per job, its place by weight
    std::vector<std::deque<Item>> m_queues;  // per rank
    std::size_t m_waiting = 0, m_running = 0;
    std::atomic<bool> m_stopped{false};
};

} // namespace

void RunJobs(std::vector<Job>& jobs, int threads)
{
    Runner runner(jobs);
    std::vector<std::thread> helpers;
    Orvane::detail::StartThreads(helpers, threads - 1, [&runner]() { runner.Serve(); }); // fewer share the work
    runner.Serve();
    for (std::thread& helper : helpers)
        helper.join();
    runner.RethrowFirstFailure();
}

} // namespace orvscene
