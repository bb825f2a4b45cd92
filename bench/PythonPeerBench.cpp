// The C++ side of bench/python_bench.py: the same work as the script does
// through the orvcore Python module, on the same points, read from the raw
// float32 files the script names in the environment:
//  - ORVCORE_BENCH_POINTS: n x 3 points; a NeighborList with cutoff 4 is
//    built from them in one call and all pairs are found, on as many threads
//    as ORVCORE_BENCH_THREADS says (1 when it is not set),
//  - ORVCORE_BENCH_MOBILE, ORVCORE_BENCH_TARGET: 100 x 3 points each;
//    RMSBestFit runs 10,000 times on them, and so does Superpose.
// Run alone it reports that the files are missing; the script prints the ratios.

#include "orvcore/geometry/Superposition.h"
#include "orvcore/spatial/NeighborList.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

using Orvane::IntArray;
using Orvane::NeighborList;
using Orvane::Point3d;

namespace {

constexpr double kCutoff = 4.0;
constexpr int kBuckets = 1 << 18;
constexpr int kRepeats = 10000;

// The points of the raw float32 file named by the variable; empty when it is
// not set or cannot be read.
Point3d::Array ReadPoints(const char* variable)
{
    Point3d::Array points;
    const char* path = std::getenv(variable);
    if (path == nullptr)
        return points;
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr)
        return points;
    float xyz[3];
    while (std::fread(xyz, sizeof xyz, 1, f) == 1)
        points.Add(Point3d(xyz));
    std::fclose(f);
    return points;
}

int PairThreads()
{
    const char* threads = std::getenv("ORVCORE_BENCH_THREADS");
    return threads ? std::atoi(threads) : 1;
}

void BM_NeighborListPairs(benchmark::State& state)
{
    const Point3d::Array points = ReadPoints("ORVCORE_BENCH_POINTS");
    if (points.IsEmpty()) {
        state.SkipWithError("ORVCORE_BENCH_POINTS names no points");
        return;
    }
    for (auto _ : state) {
        std::unique_ptr<NeighborList> list(new NeighborList(kCutoff, kBuckets));
        list->Add(points.GetData(), points.GetSize());
        IntArray first, second;
        list->GetPairs(first, second, PairThreads());
        benchmark::DoNotOptimize(first.GetData());
    }
}

void BM_RMSBestFitSmall(benchmark::State& state)
{
    const Point3d::Array mobile = ReadPoints("ORVCORE_BENCH_MOBILE");
    const Point3d::Array target = ReadPoints("ORVCORE_BENCH_TARGET");
    if (mobile.IsEmpty() || target.GetSize() < mobile.GetSize()) {
        state.SkipWithError("ORVCORE_BENCH_MOBILE and ORVCORE_BENCH_TARGET name no point sets");
        return;
    }
    Point3d::Array coords = mobile;
    for (auto _ : state) {
        for (int r = 0; r < kRepeats; ++r) {
            Orvane::RMSBestFit(mobile, target, coords);
            benchmark::DoNotOptimize(coords.GetData());
        }
    }
}

void BM_SuperposeSmall(benchmark::State& state)
{
    const Point3d::Array mobile = ReadPoints("ORVCORE_BENCH_MOBILE");
    const Point3d::Array target = ReadPoints("ORVCORE_BENCH_TARGET");
    if (mobile.IsEmpty() || target.GetSize() != mobile.GetSize()) {
        state.SkipWithError("ORVCORE_BENCH_MOBILE and ORVCORE_BENCH_TARGET name no point sets");
        return;
    }
    for (auto _ : state) {
        for (int r = 0; r < kRepeats; ++r) {
            Orvane::SuperpositionResult fit = Orvane::Superpose(mobile, target);
            benchmark::DoNotOptimize(fit);
        }
    }
}

BENCHMARK(BM_NeighborListPairs)->Unit(benchmark::kMillisecond)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_RMSBestFitSmall)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_SuperposeSmall)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

BENCHMARK_MAIN();
