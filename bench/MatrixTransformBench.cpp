// Matrix4x4::Transform over 10 million points, beside a bare loop doing the
// same arithmetic (double products of the float coordinates, the weight
// test, three divisions) on a plain float array. Prints the speed ratio.

#include "orvcore/geometry/Matrix4x4.h"

#include "RatioReporter.h"

#include <cfloat>
#include <cmath>
#include <vector>

using Orvane::Matrix4x4;
using Orvane::Point3d;

namespace {

constexpr int kPoints = 10000000;

const Matrix4x4& TheMatrix()
{
    static const Matrix4x4 m = [] {
        Matrix4x4 rotation(Point3d(1, 2, 3), Point3d(2, -1, 0.5), 37.0);
        Matrix4x4 shift;
        shift.SetTranslation(1.5, -2.5, 4);
        Matrix4x4 product = rotation * shift;
        product(0, 3) = 1e-4; // a projective term, so the division matters
        return product;
    }();
    return m;
}

const std::vector<float>& Coordinates()
{
    static const std::vector<float> xyz = [] {
        std::vector<float> out(3 * static_cast<std::size_t>(kPoints));
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<float>(static_cast<double>(i * 7919 % 10007) * 0.01 - 50.0);
        return out;
    }();
    return xyz;
}

void BM_Matrix4x4Transform(benchmark::State& state)
{
    const Matrix4x4& m = TheMatrix();
    const std::vector<float>& xyz = Coordinates();
    const std::size_t count = kPoints;
    std::vector<Point3d> in(count), out(count);
    for (std::size_t i = 0; i < count; ++i)
        in[i] = Point3d(&xyz[3 * i]);
    for (auto _ : state) {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = m.Transform(static_cast<const Point3d&>(in[i]));
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_BareFloatLoop(benchmark::State& state)
{
    double m[16];
    TheMatrix().Get(m);
    const std::vector<float>& in = Coordinates();
    std::vector<float> out(in.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < in.size(); i += 3) {
            const double x = in[i], y = in[i + 1], z = in[i + 2];
            const double w = x * m[3] + y * m[7] + z * m[11] + m[15];
            if (std::fabs(w) <= 2.220446049250313e-16) {
                out[i] = out[i + 1] = out[i + 2] = FLT_MAX;
                continue;
            }
            out[i] = static_cast<float>((x * m[0] + y * m[4] + z * m[8] + m[12]) / w);
            out[i + 1] = static_cast<float>((x * m[1] + y * m[5] + z * m[9] + m[13]) / w);
            out[i + 2] = static_cast<float>((x * m[2] + y * m[6] + z * m[10] + m[14]) / w);
        }
        benchmark::DoNotOptimize(out.data());
    }
}

BENCHMARK(BM_Matrix4x4Transform)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareFloatLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TheMatrix();
    Coordinates();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSpeedRatio("Matrix4x4::Transform of 10M points vs a bare float loop", "BM_Matrix4x4Transform",
                             "BM_BareFloatLoop", 0.8);
    benchmark::Shutdown();
    return 0;
}
