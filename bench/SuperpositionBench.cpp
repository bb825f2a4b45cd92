// RMSBestFit beside a Kabsch superposition with Eigen's 3x3 SVD
// (Eigen::umeyama without scaling) on the same float arrays, each followed by
// moving the coordinates with the motion found:
//  - 1000 different problems of 100 point pairs (a stretch of residues onto
//    another), each under its own random rotation, with noise 0.05 and 0.5,
//    each fitted 10 times;
//  - 1 million point pairs, fitted once.
// Prints the time ratios (bounds: 0.45 of Eigen's time on the small problems,
// 0.2 on the large sets) and how much our cost depends on the orientation:
// the mean time of the slowest tenth of the small problems over that of the
// fastest tenth (bound 1.5).

#include "orvcore/geometry/Superposition.h"

#include "RatioReporter.h"

#include <Eigen/Geometry>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

using Orvane::Point3d;

namespace {

constexpr int kLarge = 1000000;
constexpr int kSmall = 100;
constexpr int kProblems = 1000;
constexpr int kRepeats = 10;

struct Problem {
    Point3d::Array mobile, target, coords;
};

// A random set of n points (spread 10) and its image under a uniformly random
// rotation and a translation, with normal noise of the given size.
Problem MakeProblem(std::mt19937& rng, int n, double noise)
{
    std::normal_distribution<double> normal(0.0, 1.0);
    const Eigen::Quaterniond q =
        Eigen::Quaterniond(normal(rng), normal(rng), normal(rng), normal(rng)).normalized();
    const Eigen::Matrix3d R = q.toRotationMatrix();
    const Eigen::Vector3d shift(10 * normal(rng), 10 * normal(rng), 10 * normal(rng));
    Problem s;
    s.mobile.SetSize(n);
    s.target.SetSize(n);
    for (int k = 0; k < n; ++k) {
        const Eigen::Vector3d p(10 * normal(rng) + 20, 10 * normal(rng) - 5, 10 * normal(rng) + 3);
        const Eigen::Vector3d t = R * p + shift + noise * Eigen::Vector3d(normal(rng), normal(rng), normal(rng));
        s.mobile[k] = Point3d(p.x(), p.y(), p.z());
        s.target[k] = Point3d(t.x(), t.y(), t.z());
    }
    s.coords = s.mobile;
    return s;
}

std::vector<Problem> MakeProblems(unsigned seed, int count, int n, double noise)
{
    std::mt19937 rng(seed);
    std::vector<Problem> out;
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        out.push_back(MakeProblem(rng, n, noise));
    return out;
}

std::vector<Problem>& Small(int noiseCase)
{
    static std::vector<Problem> low = MakeProblems(1, kProblems, kSmall, 0.05);
    static std::vector<Problem> high = MakeProblems(2, kProblems, kSmall, 0.5);
    return noiseCase == 0 ? low : high;
}

Problem& Large()
{
    static std::vector<Problem> large = MakeProblems(3, 1, kLarge, 0.3);
    return large[0];
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

void OurFit(Problem& p) { Orvane::RMSBestFit(p.mobile, p.target, p.coords); }
void PeerFit(Problem& p) { EigenFit(p.mobile, p.target, p.coords); }

template <void (*Fit)(Problem&), int NoiseCase>
void FitSmall(benchmark::State& state)
{
    std::vector<Problem>& problems = Small(NoiseCase);
    for (auto _ : state) {
        for (Problem& p : problems) {
            for (int r = 0; r < kRepeats; ++r) {
                Fit(p);
                benchmark::DoNotOptimize(p.coords.GetData());
            }
        }
    }
}

template <void (*Fit)(Problem&)>
void FitLarge(benchmark::State& state)
{
    Problem& p = Large();
    for (auto _ : state) {
        Fit(p);
        benchmark::DoNotOptimize(p.coords.GetData());
    }
}

void BM_RMSBestFitSmallNoise005(benchmark::State& state) { FitSmall<OurFit, 0>(state); }
void BM_EigenUmeyamaSmallNoise005(benchmark::State& state) { FitSmall<PeerFit, 0>(state); }
void BM_RMSBestFitSmallNoise05(benchmark::State& state) { FitSmall<OurFit, 1>(state); }
void BM_EigenUmeyamaSmallNoise05(benchmark::State& state) { FitSmall<PeerFit, 1>(state); }
void BM_RMSBestFitLarge(benchmark::State& state) { FitLarge<OurFit>(state); }
void BM_EigenUmeyamaLarge(benchmark::State& state) { FitLarge<PeerFit>(state); }

// Medians of three repetitions each.
BENCHMARK(BM_RMSBestFitSmallNoise005)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_EigenUmeyamaSmallNoise005)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_RMSBestFitSmallNoise05)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_EigenUmeyamaSmallNoise05)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_RMSBestFitLarge)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_EigenUmeyamaLarge)->Unit(benchmark::kMillisecond)->Repetitions(3);

// The slowest tenth of the problems over the fastest tenth, by their mean
// time; each problem's time is the least of several rounds of kRepeats fits,
// so that the machine's other work does not count as cost.
template <void (*Fit)(Problem&)>
double OrientationSpread(std::vector<Problem>& problems)
{
    typedef std::chrono::steady_clock Clock;
    std::vector<double> best(problems.size(), 1e300);
    for (int round = 0; round < 7; ++round) {
        for (std::size_t i = 0; i < problems.size(); ++i) {
            const Clock::time_point start = Clock::now();
            for (int r = 0; r < kRepeats; ++r) {
                Fit(problems[i]);
                benchmark::DoNotOptimize(problems[i].coords.GetData());
            }
            best[i] = std::min(best[i], std::chrono::duration<double>(Clock::now() - start).count());
        }
    }
    std::sort(best.begin(), best.end());
    const std::size_t tenth = best.size() / 10;
    double fast = 0, slow = 0;
    for (std::size_t i = 0; i < tenth; ++i) {
        fast += best[i];
        slow += best[best.size() - 1 - i];
    }
    return slow / fast;
}

// RMSD of coords after one fit against the target.
double RmsdAfter(void (*fit)(Problem&), const Problem& problem)
{
    Problem p = problem;
    p.coords = p.mobile;
    fit(p);
    double s = 0;
    for (int k = 0; k < p.coords.GetSize(); ++k)
        s += p.coords[k].Distance2(p.target[k]);
    return std::sqrt(s / p.coords.GetSize());
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const Problem* shown[] = {&Small(0)[0], &Small(1)[0], &Large()};
    for (const Problem* p : shown)
        std::printf("%d pairs: RMSD after RMSBestFit %.6f, after Eigen::umeyama %.6f\n", p->mobile.GetSize(),
                    RmsdAfter(OurFit, *p), RmsdAfter(PeerFit, *p));

    // Processor time: steadier than wall time on a shared machine.
    RatioReporter reporter(RatioReporter::Clock::cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTimeRatio("RMSBestFit of 1000 x 100 pairs, noise 0.05, vs Eigen::umeyama",
                            "BM_RMSBestFitSmallNoise005", "BM_EigenUmeyamaSmallNoise005", 0.45);
    reporter.PrintTimeRatio("RMSBestFit of 1000 x 100 pairs, noise 0.5, vs Eigen::umeyama",
                            "BM_RMSBestFitSmallNoise05", "BM_EigenUmeyamaSmallNoise05", 0.45);
    reporter.PrintTimeRatio("RMSBestFit of 1M pairs vs Eigen::umeyama", "BM_RMSBestFitLarge", "BM_EigenUmeyamaLarge", 0.2);
    for (int noiseCase = 0; noiseCase < 2; ++noiseCase) {
        const double ours = OrientationSpread<OurFit>(Small(noiseCase));
        const double peer = OrientationSpread<PeerFit>(Small(noiseCase));
        std::printf("orientation spread, noise %.2f: RMSBestFit %.2f (bound 1.50) %s, Eigen::umeyama %.2f\n",
                    noiseCase == 0 ? 0.05 : 0.5, ours, ours <= 1.5 ? "ok" : "ABOVE BOUND", peer);
    }
    benchmark::Shutdown();
    return 0;
}
