// RMSBestFit beside a Kabsch superposition with Eigen's 3x3 SVD
// (Eigen::umeyama without scaling) on the same float arrays, each followed by
// moving the coordinates with the motion found:
//  - 1 million point pairs,
//  - 100 point pairs (superposing a stretch of residues), repeated.
// Prints the speed ratios; the bound is at most 1.2 times Eigen's time.

#include "orvcore/geometry/Superposition.h"

#include "RatioReporter.h"

#include <Eigen/Geometry>

#include <cmath>
#include <random>

using Orvane::Point3d;

namespace {

constexpr int kLarge = 1000000;
constexpr int kSmall = 100;
constexpr int kSmallRepeats = 10000;

struct Sets {
    Point3d::Array mobile, target;
};

// A random set and its image under a rotation and translation, with noise.
Sets MakeSets(int n)
{
    std::mt19937 rng(static_cast<unsigned>(n));
    std::normal_distribution<double> normal(0.0, 1.0);
    const Eigen::Matrix3d R = Eigen::AngleAxisd(0.7, Eigen::Vector3d(1, 2, 3).normalized()).toRotationMatrix();
    Sets s;
    s.mobile.SetSize(n);
    s.target.SetSize(n);
    for (int k = 0; k < n; ++k) {
        const Eigen::Vector3d p(10 * normal(rng) + 20, 10 * normal(rng) - 5, 10 * normal(rng) + 3);
        const Eigen::Vector3d q = R * p + Eigen::Vector3d(4, -6, 9) +
                                  0.3 * Eigen::Vector3d(normal(rng), normal(rng), normal(rng));
        s.mobile[k] = Point3d(p.x(), p.y(), p.z());
        s.target[k] = Point3d(q.x(), q.y(), q.z());
    }
    return s;
}

const Sets& Large()
{
    static const Sets s = MakeSets(kLarge);
    return s;
}

const Sets& Small()
{
    static const Sets s = MakeSets(kSmall);
    return s;
}

typedef Eigen::Map<Eigen::Matrix<float, 3, Eigen::Dynamic>> Cloud;
typedef Eigen::Map<const Eigen::Matrix<float, 3, Eigen::Dynamic>> ConstCloud;

ConstCloud View(const Point3d::Array& a) { return ConstCloud(static_cast<const float*>(a.GetData()[0]), 3, a.GetSize()); }

void EigenFit(const Point3d::Array& mobile, const Point3d::Array& target, Point3d::Array& coords)
{
    const Eigen::Matrix4f T = Eigen::umeyama(View(mobile), View(target), false);
    Cloud c(static_cast<float*>(coords.GetData()[0]), 3, coords.GetSize());
    c = (T.topLeftCorner<3, 3>() * c).colwise() + T.topRightCorner<3, 1>();
}

void BM_RMSBestFitLarge(benchmark::State& state)
{
    const Sets& s = Large();
    Point3d::Array coords = s.mobile;
    for (auto _ : state) {
        Orvane::RMSBestFit(s.mobile, s.target, coords);
        benchmark::DoNotOptimize(coords.GetData());
    }
}

void BM_EigenUmeyamaLarge(benchmark::State& state)
{
    const Sets& s = Large();
    Point3d::Array coords = s.mobile;
    for (auto _ : state) {
        EigenFit(s.mobile, s.target, coords);
        benchmark::DoNotOptimize(coords.GetData());
    }
}

void BM_RMSBestFitSmall(benchmark::State& state)
{
    const Sets& s = Small();
    Point3d::Array coords = s.mobile;
    for (auto _ : state) {
        for (int r = 0; r < kSmallRepeats; ++r) {
            Orvane::RMSBestFit(s.mobile, s.target, coords);
            benchmark::DoNotOptimize(coords.GetData());
        }
    }
}

void BM_EigenUmeyamaSmall(benchmark::State& state)
{
    const Sets& s = Small();
    Point3d::Array coords = s.mobile;
    for (auto _ : state) {
        for (int r = 0; r < kSmallRepeats; ++r) {
            EigenFit(s.mobile, s.target, coords);
            benchmark::DoNotOptimize(coords.GetData());
        }
    }
}

BENCHMARK(BM_RMSBestFitLarge)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_EigenUmeyamaLarge)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RMSBestFitSmall)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_EigenUmeyamaSmall)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// RMSD of the two results against the target, to show both reach the same fit.
double Rmsd(const Point3d::Array& a, const Point3d::Array& b)
{
    double s = 0;
    for (int k = 0; k < a.GetSize(); ++k)
        s += a[k].Distance2(b[k]);
    return std::sqrt(s / a.GetSize());
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (const Sets* s : {&Large(), &Small()}) {
        Point3d::Array ours = s->mobile, eigen = s->mobile;
        Orvane::RMSBestFit(s->mobile, s->target, ours);
        EigenFit(s->mobile, s->target, eigen);
        std::printf("%d pairs: RMSD after RMSBestFit %.6f, after Eigen::umeyama %.6f\n", s->mobile.GetSize(),
                    Rmsd(ours, s->target), Rmsd(eigen, s->target));
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // At most 1.2 times Eigen's time is at least 1 / 1.2 of its speed.
    reporter.PrintSpeedRatio("RMSBestFit of 1M pairs vs Eigen::umeyama", "BM_RMSBestFitLarge",
                             "BM_EigenUmeyamaLarge", 1 / 1.2);
    reporter.PrintSpeedRatio("RMSBestFit of 100 pairs, repeated, vs Eigen::umeyama", "BM_RMSBestFitSmall",
                             "BM_EigenUmeyamaSmall", 1 / 1.2);
    benchmark::Shutdown();
    return 0;
}
