#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvscene {

// What a step of work hands back: pieces that may run side by side, on any
// thread and in any order, and the step that runs once all of them are done
// (and may hand back more in turn). Pieces write disjoint places, so what
// they make does not depend on how they were shared out.
struct Work {
    std::vector<std::function<void()>> pieces;
    std::function<Work()> next;
};

// A step that hands back nothing more.
Work Done();
// `work`, then `last` once everything it hands back has run.
Work Then(Work work, std::function<void()> last);

// Runs `work` and all it hands back on the calling thread, pieces in order.
void RunInTurn(const std::function<Work()>& start);

// A piece of work of the outputs' stage, timed on its own: the sum of the
// times of its steps and pieces, wherever they ran.
struct Job {
    const char* stage;
    int weight;
    std::function<Work()> start;
    double ms = 0;
};

// Runs the jobs on up to `threads` threads, the heaviest first: a free
// thread takes the work of the heaviest job that has some waiting (its start
// or the pieces and steps it handed back, in order), so that the longest
// chains of steps start early. Once all work has stopped, the first failure
// in the jobs' order is rethrown; after a failure nothing new starts.
void RunJobs(std::vector<Job>& jobs, int threads);

// `count` items cut into at most `parts` ranges of at least `least` items
// each (one range when there are fewer): `piece(part, begin, end)` for each,
// as pieces of work.
std::vector<std::function<void()>> Ranges(std::size_t count, std::size_t parts, std::size_t least,
                                          const std::function<void(std::size_t, std::size_t, std::size_t)>& piece);

// A long text made of consecutive parts, each formatted by a piece of work
// of its own and then written in order.
class TextInParts
{
public:
    // Pieces that append `item(text, i)` for i = 0 .. count - 1, cut in
    // ranges of about `perPart` items; `item` gets the global index (for
    // separators) and must stay valid, and this text in place, until the
    // pieces have run.
    std::vector<std::function<void()>> Pieces(std::size_t count, std::size_t perPart,
                                               std::function<void(std::string&, std::size_t)> item);
    std::size_t Size() const;
    void WriteTo(std::ostream& out) const;
    std::string Joined() const;

private:
    std::vector<std::string> m_parts;
    std::function<void(std::string&, std::size_t)> m_item;
};

} // namespace orvscene
