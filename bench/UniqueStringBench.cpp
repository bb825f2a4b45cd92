// Interning 1 million distinct atom-like names, then 10 million look-ups of
// names drawn from them, in the interned-string table and in
// std::unordered_set<std::string> on the same data. Prints the time ratio.

#include "orvcore/text/UniqueString.h"

#include "RatioReporter.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::size_t nameCount = 1000000;
constexpr std::size_t lookupCount = 10000000;

// A table of its own for each run, so that every run interns from scratch.
struct Table : Orvane::UniqueStringTable
{
    using Orvane::UniqueStringTable::Add;
};

// Names built like atom names: element, remoteness letter, branch digits and
// sometimes a prime (CA, HG21, O1P, C5'), numbered on to make them distinct.
const std::vector<std::string>& Names()
{
    static const std::vector<std::string> names = [] {
        static const char* const elements[] = {"C", "N", "O", "H", "S", "P"};
        static const char* const remoteness[] = {"", "A", "B", "G", "D", "E", "Z", "H"};
        static const char* const suffixes[] = {"", "'", "P", "''"};
        std::vector<std::string> out;
        out.reserve(nameCount);
        for (unsigned serial = 0; out.size() < nameCount; ++serial)
            for (const char* e : elements)
                for (const char* r : remoteness)
                    for (const char* s : suffixes)
                        if (out.size() < nameCount)
                            out.push_back(std::string(e) + r + std::to_string(serial) + s);
        return out;
    }();
    return names;
}

// Indices of the names looked up, in a scattered but repeatable order.
const std::vector<std::uint32_t>& Lookups()
{
    static const std::vector<std::uint32_t> order = [] {
        std::vector<std::uint32_t> out(lookupCount);
        std::uint64_t state = 12345;
        for (std::uint32_t& index : out) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            index = static_cast<std::uint32_t>((state >> 33) % nameCount);
        }
        return out;
    }();
    return order;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

template <class Intern, class LookUp>
void Run(benchmark::State& state, Intern intern, LookUp lookUp)
{
    const std::vector<std::string>& names = Names();
    const std::vector<std::uint32_t>& order = Lookups();
    double internTime = 0.0;
    double lookupTime = 0.0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        auto store = intern(names);
        auto t1 = Clock::now();
        std::uintptr_t sum = 0;
        for (std::uint32_t index : order)
            sum += lookUp(store, names[index]);
        auto t2 = Clock::now();
        benchmark::DoNotOptimize(sum);
        internTime += Seconds(t0, t1);
        lookupTime += Seconds(t1, t2);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    double runs = static_cast<double>(state.iterations());
    state.counters["intern_ms"] = internTime / runs * 1e3;
    state.counters["lookup_ms"] = lookupTime / runs * 1e3;
}

void BM_UniqueStringTable(benchmark::State& state)
{
    Run(
        state,
        [](const std::vector<std::string>& names) {
            auto table = std::make_unique<Table>();
            for (const std::string& name : names)
                table->Add(name.c_str());
            return table;
        },
        [](const std::unique_ptr<Table>& table, const std::string& name) {
            return reinterpret_cast<std::uintptr_t>(table->Add(name.c_str()));
        });
}

void BM_UnorderedSet(benchmark::State& state)
{
    using Set = std::unordered_set<std::string>;
    Run(
        state,
        [](const std::vector<std::string>& names) {
            auto set = std::make_unique<Set>();
            for (const std::string& name : names)
                set->insert(name);
            return set;
        },
        [](const std::unique_ptr<Set>& set, const std::string& name) {
            return reinterpret_cast<std::uintptr_t>(&*set->find(name));
        });
}

BENCHMARK(BM_UniqueStringTable)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_UnorderedSet)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Names();
    Lookups();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double ratio = reporter.TimeRatio("BM_UniqueStringTable", "BM_UnorderedSet");
    if (ratio >= 0.0)
        std::printf("UniqueStringTable / unordered_set<string>: %.2f (target <= 1.5)\n", ratio);
    benchmark::Shutdown();
    return 0;
}
