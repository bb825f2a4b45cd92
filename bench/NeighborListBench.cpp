// Neighbour search on 1 million random points at about the density of atoms
// in a protein (0.1 points per cubic unit), cutoff 4, beside a nanoflann k-d
// tree doing the same searches on the same points:
//  - all pairs closer than the cutoff (index built and searched; the pair
//    counts of both must agree),
//  - the neighbours of 1 million query points within the cutoff.
// Prints the ratios (the radius queries within 0.4 of nanoflann's time) and
// the memory the neighbour list takes per point (at most 37 bytes).
// Then the same work shared among two threads beside one thread, by wall
// time (each at most 0.6 of the one-thread time):
//  - the pair search alone, on a list built beforehand,
//  - the list built in one call and searched,
//  - the 1 million radius queries in one call.
// Their repetitions are interleaved, so that a change of the machine's load
// falls on both sides.

#include "orvcore/spatial/NeighborList.h"

#include "RatioReporter.h"

#include <nanoflann.hpp>

#include <malloc.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

using Orvane::IntArray;
using Orvane::NeighborList;
using Orvane::Point3d;

namespace {

constexpr int kPoints = 1000000;
constexpr double kCutoff = 4.0;
constexpr int kBuckets = 1 << 18;

std::vector<Point3d> RandomPoints(unsigned seed)
{
    const double side = std::cbrt(kPoints / 0.1);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coordinate(-side / 2, side / 2);
    std::vector<Point3d> out;
    out.reserve(kPoints);
    for (int i = 0; i < kPoints; ++i)
        out.emplace_back(coordinate(rng), coordinate(rng), coordinate(rng));
    return out;
}

const std::vector<Point3d>& Points()
{
    static const std::vector<Point3d> points = RandomPoints(1);
    return points;
}

const std::vector<Point3d>& Queries()
{
    static const std::vector<Point3d> queries = RandomPoints(2);
    return queries;
}

// The points as nanoflann's data set.
struct Cloud {
    const std::vector<Point3d>& pts;
    std::size_t kdtree_get_point_count() const { return pts.size(); }
    double kdtree_get_pt(std::size_t i, std::size_t dim) const { return pts[i][static_cast<int>(dim)]; }
    template <class Box>
    bool kdtree_get_bbox(Box&) const
    {
        return false;
    }
};

typedef nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Cloud>, Cloud, 3> Tree;

std::unique_ptr<NeighborList> BuildList()
{
    std::unique_ptr<NeighborList> list(new NeighborList(kCutoff, kBuckets));
    for (const Point3d& p : Points())
        list->Add(p);
    return list;
}

std::size_t g_ourPairs = 0;
std::size_t g_peerPairs = 0;
std::size_t g_ourNeighbors = 0;
std::size_t g_peerNeighbors = 0;

void BM_NeighborListPairs(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<NeighborList> list = BuildList();
        IntArray first, second;
        g_ourPairs = static_cast<std::size_t>(list->GetPairs(first, second));
        benchmark::DoNotOptimize(first.GetData());
    }
}

void BM_NanoflannPairs(benchmark::State& state)
{
    Cloud cloud{Points()};
    const double r2 = kCutoff * kCutoff;
    for (auto _ : state) {
        Tree tree(3, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
        tree.buildIndex();
        std::vector<int> first, second;
        std::vector<std::pair<unsigned, double>> found;
        nanoflann::SearchParams params;
        params.sorted = false;
        for (int i = 0; i < kPoints; ++i) {
            const Point3d& p = Points()[static_cast<std::size_t>(i)];
            const double q[3] = {p[0], p[1], p[2]};
            tree.radiusSearch(q, r2, found, params);
            for (const auto& f : found) {
                if (static_cast<int>(f.first) > i) {
                    first.push_back(i);
                    second.push_back(static_cast<int>(f.first));
                }
            }
        }
        g_peerPairs = first.size();
        benchmark::DoNotOptimize(first.data());
    }
}

void BM_NeighborListNeighbors(benchmark::State& state)
{
    std::unique_ptr<NeighborList> list = BuildList();
    IntArray out;
    for (auto _ : state) {
        std::size_t total = 0;
        for (const Point3d& q : Queries()) {
            out.SetSize(0);
            list->GetNeighbors(q, out);
            total += static_cast<std::size_t>(out.GetSize());
        }
        g_ourNeighbors = total;
    }
}

void BM_NanoflannNeighbors(benchmark::State& state)
{
    Cloud cloud{Points()};
    Tree tree(3, cloud, nanoflann::KDTreeSingleIndexAdaptorParams(10));
    tree.buildIndex();
    const double r2 = kCutoff * kCutoff;
    std::vector<std::pair<unsigned, double>> found;
    nanoflann::SearchParams params;
    params.sorted = false;
    for (auto _ : state) {
        std::size_t total = 0;
        for (const Point3d& p : Queries()) {
            const double q[3] = {p[0], p[1], p[2]};
            total += tree.radiusSearch(q, r2, found, params);
        }
        g_peerNeighbors = total;
    }
}

BENCHMARK(BM_NeighborListPairs)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_NanoflannPairs)->Unit(benchmark::kMillisecond)->Iterations(2);
// The radius queries run five times each; the ratio is of the medians.
BENCHMARK(BM_NeighborListNeighbors)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_NanoflannNeighbors)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

// The list that the searches below share, built once.
NeighborList& SharedList()
{
    static const std::unique_ptr<NeighborList> list = BuildList();
    return *list;
}

std::size_t g_threadPairs[3] = {};

void PairSearch(benchmark::State& state, int threads)
{
    NeighborList& list = SharedList();
    for (auto _ : state) {
        IntArray first, second;
        g_threadPairs[threads] = static_cast<std::size_t>(list.GetPairs(first, second, threads));
        benchmark::DoNotOptimize(first.GetData());
    }
}

void PairsBuiltAtOnce(benchmark::State& state, int threads)
{
    for (auto _ : state) {
        NeighborList list(kCutoff, kBuckets);
        list.Add(Points().data(), kPoints);
        IntArray first, second;
        list.GetPairs(first, second, threads);
        benchmark::DoNotOptimize(first.GetData());
    }
}

void QueriesAtOnce(benchmark::State& state, int threads)
{
    NeighborList& list = SharedList();
    for (auto _ : state) {
        IntArray out, ends, nearest;
        list.GetNeighbors(Queries().data(), kPoints, kCutoff, out, ends, nearest, threads);
        benchmark::DoNotOptimize(out.GetData());
    }
}

void RegisterThreaded(const char* name, void (*work)(benchmark::State&, int))
{
    for (int threads : {1, 2})
        benchmark::RegisterBenchmark((std::string(name) + std::to_string(threads)).c_str(), work, threads)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1)
            ->Repetitions(5);
}

// Heap bytes held by a filled neighbour list, per point.
double BytesPerPoint()
{
    const std::size_t before = mallinfo2().uordblks;
    std::unique_ptr<NeighborList> list = BuildList();
    const std::size_t after = mallinfo2().uordblks;
    return static_cast<double>(after - before + sizeof(NeighborList)) / kPoints;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    Points();
    Queries();
    RegisterThreaded("BM_PairSearchThreads", PairSearch);
    RegisterThreaded("BM_PairsBuiltAtOnceThreads", PairsBuiltAtOnce);
    RegisterThreaded("BM_QueriesAtOnceThreads", QueriesAtOnce);
    // Processor time: steadier than wall time on a shared machine.
    RatioReporter reporter(RatioReporter::Clock::cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("pairs: ours %zu, nanoflann %zu%s\n", g_ourPairs, g_peerPairs,
                g_ourPairs == g_peerPairs ? "" : "  MISMATCH");
    std::printf("neighbours of the queries: ours %zu, nanoflann %zu%s\n", g_ourNeighbors, g_peerNeighbors,
                g_ourNeighbors == g_peerNeighbors ? "" : "  MISMATCH");
    reporter.PrintSpeedRatio("GetPairs of 1M points (index built and searched) vs nanoflann",
                             "BM_NeighborListPairs", "BM_NanoflannPairs", 3.0);
    reporter.PrintTimeRatio("GetNeighbors for 1M queries vs nanoflann radius search", "BM_NeighborListNeighbors",
                            "BM_NanoflannNeighbors", 0.4);
    if (g_threadPairs[1] != g_threadPairs[2] || (g_ourPairs && g_threadPairs[1] && g_threadPairs[1] != g_ourPairs))
        std::printf("pairs on 1 and 2 threads: %zu and %zu  MISMATCH\n", g_threadPairs[1], g_threadPairs[2]);
    reporter.PrintTimeRatio("GetPairs search of 1M points, 2 threads vs 1", "BM_PairSearchThreads2",
                            "BM_PairSearchThreads1", 0.6);
    reporter.PrintTimeRatio("1M points added in one call and searched, 2 threads vs 1", "BM_PairsBuiltAtOnceThreads2",
                            "BM_PairsBuiltAtOnceThreads1", 0.6);
    reporter.PrintTimeRatio("GetNeighbors of 1M queries in one call, 2 threads vs 1", "BM_QueriesAtOnceThreads2",
                            "BM_QueriesAtOnceThreads1", 0.6);
    const double bytes = BytesPerPoint();
    std::printf("memory of the neighbour list: %.1f bytes per point (bound 37) %s\n", bytes,
                bytes <= 37 ? "ok" : "ABOVE BOUND");
    benchmark::Shutdown();
    return 0;
}
