// TetrahedronPrimitive::DecomposePolyhedron on 200, 400 and 800 random points
// on a sphere (every point on the hull, the hardest case for the point-by-
// point build). Prints how the time grows when the point count doubles, and
// the exponent k of time ~ n^k that this growth implies.

#include "orvcore/graphics/primitives/TetrahedronPrimitive.h"

#include "RatioReporter.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

using Orvane::Point3d;
using Orvane::TetrahedronPrimitive;

namespace {

const int kSizes[] = {200, 400, 800};

Point3d::Array SpherePoints(int n)
{
    std::mt19937 gen(1234);
    std::normal_distribution<double> normal(0.0, 1.0);
    Point3d::Array points;
    while (points.GetSize() < n) {
        double x = normal(gen), y = normal(gen), z = normal(gen);
        double r = std::sqrt(x * x + y * y + z * z);
        if (r > 1e-9)
            points.Add(Point3d(10 * x / r, 10 * y / r, 10 * z / r));
    }
    return points;
}

std::string Name(int n)
{
    return "DecomposePolyhedron/" + std::to_string(n);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::map<int, int> tetrahedra;
    for (int n : kSizes) {
        const Point3d::Array points = SpherePoints(n);
        benchmark::RegisterBenchmark(Name(n).c_str(),
                                     [points, n, &tetrahedra](benchmark::State& state) {
                                         for (auto _ : state) {
                                             TetrahedronPrimitive::Array tets;
                                             TetrahedronPrimitive::DecomposePolyhedron(tets, points);
                                             benchmark::DoNotOptimize(tets.GetData());
                                             tetrahedra[n] = tets.GetSize();
                                         }
                                     })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    for (int i = 1; i < 3; ++i) {
        const int small = kSizes[i - 1], large = kSizes[i];
        const double ts = reporter.Time(Name(small)), tl = reporter.Time(Name(large));
        if (ts <= 0.0 || tl <= 0.0)
            continue;
        const double growth = tl / ts;
        std::printf("DecomposePolyhedron %d -> %d points (%d -> %d tetrahedra): time x%.2f, exponent %.2f\n", small,
                    large, tetrahedra[small], tetrahedra[large], growth, std::log2(growth));
    }
    benchmark::Shutdown();
    return 0;
}
