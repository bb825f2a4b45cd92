#include "orvcore/spatial/NeighborList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace Orvane;

namespace {

// Reaches the protected cell arithmetic.
struct GridProbe : NeighborList {
    using NeighborList::NeighborList;
    using NeighborList::GetIndex;
    using NeighborList::GetSubIndex;
};

std::vector<int> Values(const IntArray& a) { return std::vector<int>(a.begin(), a.end()); }

double Dist2(const Point3d& a, const Point3d& b)
{
    double s = 0;
    for (int c = 0; c < 3; ++c) {
        const double d = static_cast<double>(a[c]) - static_cast<double>(b[c]);
        s += d * d;
    }
    return s;
}

bool Finite(const Point3d& p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

// Every unordered pair closer than the cutoff, by comparing all pairs.
std::set<std::pair<int, int>> BrutePairs(const std::vector<Point3d>& pts, double cutoff)
{
    std::set<std::pair<int, int>> pairs;
    for (size_t a = 0; a < pts.size(); ++a)
        for (size_t b = a + 1; b < pts.size(); ++b)
            if (Finite(pts[a]) && Finite(pts[b]) && Dist2(pts[a], pts[b]) < cutoff * cutoff)
                pairs.insert({static_cast<int>(a), static_cast<int>(b)});
    return pairs;
}

// Checks GetPairs and GetNeighbors against brute force on pts.
void CheckAgainstBruteForce(const std::vector<Point3d>& pts, const std::vector<Point3d>& queries, double cutoff)
{
    NeighborList list(cutoff, 97);
    for (size_t n = 0; n < pts.size(); ++n)
        ASSERT_EQ(list.Add(pts[n]), static_cast<int>(n));

    IntArray first, second;
    const int count = list.GetPairs(first, second);
    ASSERT_EQ(count, first.GetSize());
    ASSERT_EQ(count, second.GetSize());
    std::set<std::pair<int, int>> found;
    for (int n = 0; n < count; ++n) {
        std::pair<int, int> p(std::min(first[n], second[n]), std::max(first[n], second[n]));
        EXPECT_TRUE(found.insert(p).second) << "pair reported twice: " << p.first << " " << p.second;
    }
    EXPECT_EQ(found, BrutePairs(pts, cutoff));

    for (const Point3d& q : queries) {
        for (double radius : {cutoff, 0.5 * cutoff}) {
            IntArray out;
            const int nearest = list.GetNeighbors(q, radius, out);
            std::set<int> expected;
            double best = std::numeric_limits<double>::infinity();
            for (size_t n = 0; n < pts.size(); ++n) {
                if (!Finite(pts[n]) || !Finite(q))
                    continue;
                const double d2 = Dist2(q, pts[n]);
                if (d2 < radius * radius) {
                    expected.insert(static_cast<int>(n));
                    best = std::min(best, d2);
                }
            }
            std::vector<int> got = Values(out);
            EXPECT_EQ(std::set<int>(got.begin(), got.end()), expected);
            EXPECT_EQ(got.size(), expected.size());
            if (expected.empty())
                EXPECT_EQ(nearest, -1);
            else
                EXPECT_EQ(Dist2(q, pts[static_cast<size_t>(nearest)]), best);
        }
    }
}

} // namespace

TEST(NeighborList, PairsUseTheStrictCutoff)
{
    {
        NeighborList list(2.0, 101);
        list.Add(Point3d(0, 0, 0));
        list.Add(Point3d(1.9, 0, 0));
        IntArray a, b;
        EXPECT_EQ(list.GetPairs(a, b), 1);
        EXPECT_EQ(Values(a), std::vector<int>({0}));
        EXPECT_EQ(Values(b), std::vector<int>({1}));
    }
    for (double x : {2.0, 3.9}) {
        NeighborList list(2.0, 101);
        list.Add(Point3d(0, 0, 0));
        list.Add(Point3d(x, 0, 0));
        IntArray a, b;
        EXPECT_EQ(list.GetPairs(a, b), 0) << x;
    }
}

TEST(NeighborList, PairOrderWithinAndAcrossCells)
{
    NeighborList list(2.0, 101);
    list.Add(Point3d(0.1, 0.1, 0.1));
    list.Add(Point3d(0.5, 0.2, 0.1));
    list.Add(Point3d(0.3, 0.9, 0.4));
    IntArray a, b;
    EXPECT_EQ(list.GetPairs(a, b), 3);
    EXPECT_EQ(Values(a), std::vector<int>({0, 0, 1}));
    EXPECT_EQ(Values(b), std::vector<int>({1, 2, 2}));

    // Neighbouring cells (x = 1.9 and 2.1 lie on either side of a cell face):
    // the pair comes once, in whichever order the cells are visited.
    NeighborList across(2.0, 101);
    across.Add(Point3d(1.9, 0, 0));
    across.Add(Point3d(2.1, 0.5, 0));
    IntArray c, d;
    EXPECT_EQ(across.GetPairs(c, d), 1);
    EXPECT_EQ(std::min(c[0], d[0]), 0);
    EXPECT_EQ(std::max(c[0], d[0]), 1);

    // Results are appended, never cleared.
    EXPECT_EQ(across.GetPairs(c, d), 2);
}

TEST(NeighborList, NeighborsNearestAndAppend)
{
    NeighborList list(2.0, 101);
    IntArray out;
    out.Add(42);
    EXPECT_EQ(list.GetNeighbors(Point3d(0, 0, 0), out), -1);
    EXPECT_EQ(Values(out), std::vector<int>({42}));

    list.Add(Point3d(1.5, 0, 0));  // 0
    list.Add(Point3d(0, 0.5, 0));  // 1, the nearest
    list.Add(Point3d(10, 0, 0));   // 2, far away
    list.Add(Point3d(-1.0, 0, 0)); // 3
    out.RemoveAll();
    EXPECT_EQ(list.GetNeighbors(Point3d(0, 0, 0), out), 1);
    std::vector<int> got = Values(out);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, std::vector<int>({0, 1, 3}));

    // A query equal to a stored point finds it at distance 0.
    out.RemoveAll();
    EXPECT_EQ(list.GetNeighbors(Point3d(-1.0, 0, 0), out), 3);

    // Only the 27 cells around the query are searched, whatever the radius:
    // (10, 0, 0) lies four cells away.
    out.RemoveAll();
    list.GetNeighbors(Point3d(0, 0, 0), 6.0, out);
    got = Values(out);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, std::vector<int>({0, 1, 3}));

    // A second call appends the same results again.
    list.GetNeighbors(Point3d(0, 0, 0), 6.0, out);
    EXPECT_EQ(out.GetSize(), 6);
}

// With cutoff 1 the cell of (0.5, 0.5, 0.5) is (645, 645, 645); a point at
// 0.5 + 0.9 * d on each axis lies in the neighbouring cell at offset d.
TEST(NeighborList, NeighborsComeInTheOrderOfTheSurroundingCells)
{
    const int order[27][3] = {
        {0, 0, 0},   {-1, 0, 0},  {1, 0, 0},   {0, 1, 0},    {-1, 1, 0},  {1, 1, 0},   {0, -1, 0},
        {-1, -1, 0}, {1, -1, 0},  {0, 1, -1},  {-1, 1, -1},  {1, 1, -1},  {0, 0, -1},  {-1, 0, -1},
        {1, 0, -1},  {0, -1, -1}, {-1, -1, -1}, {1, -1, -1}, {0, 1, 1},   {-1, 1, 1},  {1, 1, 1},
        {0, 0, 1},   {-1, 0, 1},  {1, 0, 1},   {0, -1, 1},   {-1, -1, 1}, {1, -1, 1},
    };
    // Added last cell first, so that insertion order is the reverse of the
    // order in which the cells are searched.
    NeighborList list(1.0, 31);
    for (int n = 26; n >= 0; --n) {
        const int* d = order[n];
        list.Add(Point3d(0.5 + 0.9 * d[0], 0.5 + 0.9 * d[1], 0.5 + 0.9 * d[2]));
    }
    IntArray out;
    EXPECT_EQ(list.GetNeighbors(Point3d(0.5, 0.5, 0.5), 2.0, out), 26);
    std::vector<int> expected;
    for (int n = 26; n >= 0; --n)
        expected.push_back(n);
    EXPECT_EQ(Values(out), expected);

    // Two nearest points at the same distance: the one in the cell searched
    // first wins (offset (-1, 0, 0) comes before (1, 0, 0)).
    NeighborList tie(1.0, 31);
    tie.Add(Point3d(1.25, 0.5, 0.5));
    tie.Add(Point3d(-0.25, 0.5, 0.5));
    out.RemoveAll();
    EXPECT_EQ(tie.GetNeighbors(Point3d(0.5, 0.5, 0.5), out), 1);
    EXPECT_EQ(Values(out), std::vector<int>({1, 0}));
}

// A pair from two neighbouring cells is found from the cell whose offset to
// the other is in the half neighbourhood; that cell's point comes first.
TEST(NeighborList, PairOrderAcrossCellsFollowsTheHalfNeighbourhood)
{
    const int half[13][3] = {
        {1, 0, 0},  {-1, -1, 0}, {0, -1, 0}, {1, -1, 0},  {-1, 1, 1},  {0, 1, 1},  {1, 1, 1},
        {-1, 0, 1}, {0, 0, 1},   {1, 0, 1},  {-1, -1, 1}, {0, -1, 1},  {1, -1, 1},
    };
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dz = -1; dz <= 1; ++dz) {
                if (dx == 0 && dy == 0 && dz == 0)
                    continue;
                bool forward = false;
                for (const int* h : half)
                    forward = forward || (h[0] == dx && h[1] == dy && h[2] == dz);
                // a in cell (645, 645, 645), b in the cell at offset d.
                const Point3d a(0.5 + 0.4 * dx, 0.5 + 0.4 * dy, 0.5 + 0.4 * dz);
                const Point3d b(0.5 + 0.6 * dx, 0.5 + 0.6 * dy, 0.5 + 0.6 * dz);
                for (bool aFirst : {true, false}) {
                    NeighborList list(1.0, 31);
                    const int ia = aFirst ? 0 : 1;
                    list.Add(aFirst ? a : b);
                    list.Add(aFirst ? b : a);
                    IntArray first, second;
                    ASSERT_EQ(list.GetPairs(first, second), 1) << dx << dy << dz;
                    EXPECT_EQ(first[0], forward ? ia : 1 - ia) << dx << " " << dy << " " << dz;
                    EXPECT_EQ(second[0], forward ? 1 - ia : ia) << dx << " " << dy << " " << dz;
                }
            }
        }
    }
}

TEST(NeighborList, CellNumbersInsideTheGrid)
{
    GridProbe grid(2.0, 17);
    EXPECT_EQ(grid.GetSubIndex(-645 * 2.0), 0);
    EXPECT_EQ(grid.GetSubIndex(0.0), 645);
    EXPECT_EQ(grid.GetSubIndex(-0.001), 644);
    EXPECT_EQ(grid.GetSubIndex(645 * 2.0 - 0.001), 1289);
    EXPECT_EQ(grid.GetIndex(1, 2, 3), 3 + 1 * 1290 * 1290 + 2 * 1290);
    EXPECT_EQ(grid.GetIndex(1289, 1289, 1289), 2146689000 - 1);
    EXPECT_EQ(grid.GetIndex(Point3d(0, 0, 0)), 645 + 645 * 1290 * 1290 + 645 * 1290);
    EXPECT_EQ(grid.GetIndex(Point3d(-1290, -1290, -1290)), 0);
    // Outside the extent a point has no cell number of the grid.
    EXPECT_EQ(grid.GetIndex(Point3d(1290, 0, 0)), -1);
    EXPECT_EQ(grid.GetIndex(Point3d(0, -1290.5, 0)), -1);
    // Far-off coordinates stay bounded instead of overflowing.
    EXPECT_EQ(grid.GetSubIndex(1e300), (1 << 20) - 2);
    EXPECT_EQ(grid.GetSubIndex(-1e300), -((1 << 20) - 2));
}

TEST(NeighborList, NonFinitePointsKeepTheirIndexButAreNeverReported)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    NeighborList list(2.0, 17);
    EXPECT_EQ(list.Add(Point3d(0, 0, 0)), 0);
    EXPECT_EQ(list.Add(Point3d(inf, 0, 0)), 1);
    EXPECT_EQ(list.Add(Point3d(0, nan, 0)), 2);
    EXPECT_EQ(list.Add(Point3d(0.5, 0, 0)), 3);
    EXPECT_EQ(list.Add(Point3d(inf, 0, 0)), 4);
    IntArray a, b;
    EXPECT_EQ(list.GetPairs(a, b), 1);
    EXPECT_EQ(Values(a), std::vector<int>({0}));
    EXPECT_EQ(Values(b), std::vector<int>({3}));
    IntArray out;
    EXPECT_EQ(list.GetNeighbors(Point3d(inf, 0, 0), out), -1);
    EXPECT_EQ(list.GetNeighbors(Point3d(nan, nan, nan), 1e30, out), -1);
    EXPECT_EQ(out.GetSize(), 0);
    EXPECT_EQ(list.GetNumPoints(), 5);
}

TEST(NeighborList, AgreesWithBruteForceEverywhere)
{
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> box(-30.0, 30.0);
    std::uniform_int_distribution<int> lattice(-8, 8);
    const double cutoff = 2.5;
    const double edge = 645 * cutoff; // the grid's boundary
    std::vector<Point3d> pts;

    // A dense random cloud around the origin, negative coordinates included.
    for (int n = 0; n < 2000; ++n)
        pts.emplace_back(box(rng), box(rng), box(rng));
    // Points on cell faces and pairs exactly at the cutoff along an axis.
    for (int n = 0; n < 300; ++n) {
        Point3d p(lattice(rng) * cutoff, lattice(rng) * cutoff, lattice(rng) * 0.5 * cutoff);
        pts.push_back(p);
        Point3d q = p;
        q[n % 3] = static_cast<float>(q[n % 3] + cutoff);
        pts.push_back(q);
    }
    // Clusters straddling the grid's boundary on each side of each axis, and
    // far outside it.
    for (double centre : {edge, -edge, 3 * edge, -1e7, 1e7}) {
        for (int axis = 0; axis < 3; ++axis) {
            for (int n = 0; n < 150; ++n) {
                double c[3] = {box(rng) * 0.1, box(rng) * 0.1, box(rng) * 0.1};
                c[axis] += centre;
                pts.emplace_back(c[0], c[1], c[2]);
            }
        }
    }
    // Extreme finite coordinates, coincident points and non-finite ones.
    const float big = std::numeric_limits<float>::max();
    for (int n = 0; n < 20; ++n) {
        pts.emplace_back(big, n * 0.3, 0);
        pts.emplace_back(-big, -big, n * 0.7);
        pts.emplace_back(1e30, 1e30, 1e30);
    }
    pts.emplace_back(std::numeric_limits<double>::infinity(), 0, 0);
    pts.emplace_back(std::nan(""), 0, 0);

    std::vector<Point3d> queries;
    for (size_t n = 0; n < pts.size(); n += 7)
        queries.push_back(pts[n]);
    for (int n = 0; n < 200; ++n)
        queries.emplace_back(lattice(rng) * cutoff, box(rng), lattice(rng) * cutoff);
    queries.emplace_back(edge, 0, 0);
    queries.emplace_back(-edge - 1, 0, 0);
    CheckAgainstBruteForce(pts, queries, cutoff);
}

TEST(NeighborList, CellSizesOtherThanPowersOfTwo)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> box(-5.0, 5.0);
    for (double cutoff : {0.3, 1.7, 1000.0}) {
        std::vector<Point3d> pts;
        for (int n = 0; n < 300; ++n)
            pts.emplace_back(box(rng) * cutoff, box(rng) * cutoff, box(rng) * 0.2 * cutoff);
        CheckAgainstBruteForce(pts, std::vector<Point3d>(pts.begin(), pts.begin() + 50), cutoff);
    }
}

namespace {

// The atoms of a structure in tests/data, from the coordinate columns of its
// ATOM and HETATM records.
std::vector<Point3d> StructureAtoms(const char* name)
{
    const char* dir = std::getenv("ORVCORE_TEST_DATA");
    std::ifstream in(std::string(dir ? dir : "tests/data") + "/" + name);
    std::vector<Point3d> atoms;
    std::string line;
    while (std::getline(in, line))
        if ((line.compare(0, 4, "ATOM") == 0 || line.compare(0, 6, "HETATM") == 0) && line.size() >= 54)
            atoms.emplace_back(std::stod(line.substr(30, 8)), std::stod(line.substr(38, 8)),
                               std::stod(line.substr(46, 8)));
    return atoms;
}

// Inputs whose work is spread very differently over the cells: a uniform
// cloud, dense clusters with coincident points and cells outside the grid,
// and a protein with copies of it side by side.
std::vector<std::vector<Point3d>> ThreadingInputs(double cutoff)
{
    std::mt19937 rng(99);
    std::uniform_real_distribution<double> box(-40.0, 40.0);
    std::normal_distribution<double> blob(0.0, 0.8);
    std::vector<std::vector<Point3d>> inputs(3);
    for (int n = 0; n < 10000; ++n)
        inputs[0].emplace_back(box(rng), box(rng), box(rng));
    for (int c = 0; c < 6; ++c) {
        const double x = box(rng), y = box(rng), z = box(rng);
        for (int n = 0; n < 300; ++n)
            inputs[1].emplace_back(x + blob(rng), y + blob(rng), z + blob(rng));
    }
    for (int n = 0; n < 300; ++n) {
        inputs[1].emplace_back(1.0, 2.0, 3.0);
        inputs[1].emplace_back(645 * cutoff + blob(rng), blob(rng), 1e6 + blob(rng));
    }
    const std::vector<Point3d> atoms = StructureAtoms("1hpv.pdb");
    EXPECT_GT(atoms.size(), 1000u);
    for (int copy = 0; copy < 4; ++copy)
        for (const Point3d& a : atoms)
            inputs[2].emplace_back(a[0] + 30.0 * (copy & 1), a[1] + 30.0 * (copy >> 1 & 1), a[2] + 30.0 * (copy >> 2));
    return inputs;
}

} // namespace

// Whatever the number of threads, the pairs and the neighbours come in the
// order of one thread, appended after what the arrays held.
TEST(NeighborListThreads, SameResultsInTheSameOrderOnEveryThreadCount)
{
    const double cutoff = 4.0;
    for (const std::vector<Point3d>& pts : ThreadingInputs(cutoff)) {
        NeighborList list(cutoff, 1000);
        for (const Point3d& p : pts)
            list.Add(p);
        IntArray first, second;
        const int count = list.GetPairs(first, second);
        ASSERT_GT(count, 5000);
        std::vector<Point3d> queries(pts.begin(), pts.begin() + 700);
        queries.emplace_back(std::nan(""), 0, 0);
        IntArray out, ends, nearest;
        for (const Point3d& q : queries) {
            nearest.Add(list.GetNeighbors(q, 0.8 * cutoff, out));
            ends.Add(out.GetSize());
        }
        for (int threads : {1, 2, 3, 8, 0}) {
            IntArray f, s;
            f.Add(-7);
            EXPECT_EQ(list.GetPairs(f, s, threads), count + 1) << threads;
            f.RemoveAt(0);
            EXPECT_EQ(Values(f), Values(first)) << threads;
            EXPECT_EQ(Values(s), Values(second)) << threads;

            IntArray o, e, n;
            EXPECT_EQ(list.GetNeighbors(queries.data(), static_cast<int>(queries.size()), 0.8 * cutoff, o, e, n,
                                        threads),
                      out.GetSize());
            EXPECT_EQ(Values(o), Values(out)) << threads;
            EXPECT_EQ(Values(e), Values(ends)) << threads;
            EXPECT_EQ(Values(n), Values(nearest)) << threads;
        }
    }
}

// Adding many points in one call stores exactly what adding them one by one
// does, non-finite points and points outside the grid included.
TEST(NeighborListThreads, AddingPointsTogetherEqualsAddingThemInTurn)
{
    const double cutoff = 4.0;
    std::vector<Point3d> pts = ThreadingInputs(cutoff)[1];
    pts.insert(pts.begin() + 100, Point3d(std::numeric_limits<double>::infinity(), 0, 0));
    NeighborList single(cutoff, 97), together(cutoff, 97);
    single.Add(Point3d(0.5, 0.5, 0.5));
    together.Add(Point3d(0.5, 0.5, 0.5));
    for (const Point3d& p : pts)
        single.Add(p);
    EXPECT_EQ(together.Add(pts.data(), 10), 1); // a few, one by one
    EXPECT_EQ(together.Add(pts.data() + 10, static_cast<int>(pts.size()) - 10), 11);
    EXPECT_EQ(together.GetNumPoints(), single.GetNumPoints());
    EXPECT_EQ(together.Add(pts.data(), -1), -1);
    EXPECT_EQ(together.Add(pts.data(), 0), single.GetNumPoints());

    IntArray f1, s1, f2, s2;
    single.GetPairs(f1, s1);
    together.GetPairs(f2, s2);
    EXPECT_EQ(Values(f1), Values(f2));
    EXPECT_EQ(Values(s1), Values(s2));
    for (size_t q = 0; q < pts.size(); q += 11) {
        IntArray o1, o2;
        EXPECT_EQ(single.GetNeighbors(pts[q], o1), together.GetNeighbors(pts[q], o2));
        EXPECT_EQ(Values(o1), Values(o2));
    }
}
