// Points through the archive, beside memcpy of the same bytes:
// - a 10-million-point Point3d::Array stored and loaded through a CMemFile,
//   against two memcpy calls of its 120 MB (one for the store, one for the
//   load);
// - 1 million points stored and loaded one by one with the archive operators
//   at schema 7 (three floats each), against two memcpy calls of the 12 MB.
// Both sides reuse their buffers between iterations, so neither pays for
// fresh pages. Prints the speed ratios.

#include "orvcore/core/CArchive.h"
#include "orvcore/core/CMemFile.h"
#include "orvcore/geometry/Point3d.h"

#include "RatioReporter.h"

#include <cstring>
#include <vector>

using Orvane::Point3d;

namespace {

constexpr int kArrayPoints = 10000000;
constexpr int kSinglePoints = 1000000;

Point3d::Array MakePoints(int count)
{
    Point3d::Array points;
    points.SetSize(count);
    for (int i = 0; i < count; ++i)
        points[i] = Point3d(i * 0.001, -i * 0.002, i % 977);
    return points;
}

const Point3d::Array& ArrayPoints()
{
    static const Point3d::Array points = MakePoints(kArrayPoints);
    return points;
}

const Point3d::Array& SinglePoints()
{
    static const Point3d::Array points = MakePoints(kSinglePoints);
    return points;
}

void BM_ArrayArchive(benchmark::State& state)
{
    const Point3d::Array& points = ArrayPoints();
    Point3d::Array loaded;
    CMemFile file;
    for (auto _ : state) {
        file.SetLength(0);
        file.SeekToBegin();
        {
            CArchive ar(&file, CArchive::store);
            Point3d::Array& source = const_cast<Point3d::Array&>(points); // Serialize only reads when storing
            source.Serialize(ar);
            ar.Close();
        }
        file.SeekToBegin();
        {
            CArchive ar(&file, CArchive::load);
            loaded.Serialize(ar);
        }
        benchmark::DoNotOptimize(loaded.GetData());
    }
    if (loaded.GetSize() != points.GetSize() || !(loaded[kArrayPoints - 1] == points[kArrayPoints - 1]))
        state.SkipWithError("round trip lost points");
}

// The physical bound: the same bytes copied into a buffer and back out.
void MemcpyTwice(benchmark::State& state, const Point3d::Array& points)
{
    const std::size_t bytes = static_cast<std::size_t>(points.GetSize()) * sizeof(Point3d);
    std::vector<unsigned char> file(bytes + 16, 1), out(bytes, 2);
    for (auto _ : state) {
        std::memcpy(file.data() + 2, points.GetData(), bytes);
        benchmark::ClobberMemory();
        std::memcpy(out.data(), file.data() + 2, bytes);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_ArrayMemcpy(benchmark::State& state)
{
    MemcpyTwice(state, ArrayPoints());
}

void BM_SinglePointArchive(benchmark::State& state)
{
    const Point3d::Array& points = SinglePoints();
    Point3d::Array loaded;
    loaded.SetSize(kSinglePoints);
    CMemFile file;
    for (auto _ : state) {
        file.SetLength(0);
        file.SeekToBegin();
        {
            CArchive ar(&file, CArchive::store);
            ar.m_nObjectSchema = 7;
            for (const Point3d& p : points)
                ar << p;
            ar.Close();
        }
        file.SeekToBegin();
        {
            CArchive ar(&file, CArchive::load);
            ar.m_nObjectSchema = 7;
            for (Point3d& p : loaded)
                ar >> p;
        }
        benchmark::DoNotOptimize(loaded.GetData());
    }
    if (!(loaded[kSinglePoints - 1] == points[kSinglePoints - 1]) || file.GetLength() != 12u * kSinglePoints)
        state.SkipWithError("round trip lost points");
}

void BM_SinglePointMemcpy(benchmark::State& state)
{
    MemcpyTwice(state, SinglePoints());
}

BENCHMARK(BM_ArrayArchive)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArrayMemcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SinglePointArchive)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SinglePointMemcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    ArrayPoints();
    SinglePoints();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSpeedRatio("Point3d::Array store+load of 10M points vs two memcpy", "BM_ArrayArchive",
                             "BM_ArrayMemcpy", 0.5);
    reporter.PrintSpeedRatio("per-point store+load of 1M points (schema 7) vs two memcpy", "BM_SinglePointArchive",
                             "BM_SinglePointMemcpy", 0.2);
    benchmark::Shutdown();
    return 0;
}
