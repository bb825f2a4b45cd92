#include "orvcore/geometry/Superposition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace Orvane;

namespace Orvane {
// The unit tests' window on the private decomposition.
class Matrix3x3Decomposition
{
public:
    static void SVD(Matrix3x3& A, Matrix3x3& U, Matrix3x3& V) { Matrix3x3::SVD(A, U, V); }
};
} // namespace Orvane

namespace {

typedef std::vector<std::vector<double>> Mat;

// Eigenvalues and eigenvectors (columns) of a small symmetric matrix by
// Jacobi rotations, written independently of the library.
void Eigen(Mat a, std::vector<double>& values, Mat& vectors)
{
    const size_t n = a.size();
    vectors.assign(n, std::vector<double>(n, 0.0));
    for (size_t i = 0; i < n; ++i)
        vectors[i][i] = 1;
    for (int sweep = 0; sweep < 100; ++sweep) {
        for (size_t p = 0; p < n; ++p) {
            for (size_t q = p + 1; q < n; ++q) {
                if (std::fabs(a[p][q]) < 1e-300)
                    continue;
                // Angle zeroing a[p][q]: tan(2 phi) = 2 a_pq / (a_qq - a_pp).
                const double phi = 0.5 * std::atan2(2 * a[p][q], a[q][q] - a[p][p]);
                const double c = std::cos(phi), s = std::sin(phi);
                for (size_t k = 0; k < n; ++k) {
                    const double kp = a[k][p], kq = a[k][q];
                    a[k][p] = c * kp - s * kq;
                    a[k][q] = s * kp + c * kq;
                }
                for (size_t k = 0; k < n; ++k) {
                    const double pk = a[p][k], qk = a[q][k];
                    a[p][k] = c * pk - s * qk;
                    a[q][k] = s * pk + c * qk;
                }
                for (size_t k = 0; k < n; ++k) {
                    const double kp = vectors[k][p], kq = vectors[k][q];
                    vectors[k][p] = c * kp - s * kq;
                    vectors[k][q] = s * kp + c * kq;
                }
            }
        }
    }
    values.resize(n);
    for (size_t i = 0; i < n; ++i)
        values[i] = a[i][i];
}

struct V3 {
    double x, y, z;
};

// The rotation of the unit quaternion (w, x, y, z).
void QuaternionRotation(double w, double x, double y, double z, double (&R)[3][3])
{
    const double r[3][3] = {{w * w + x * x - y * y - z * z, 2 * (x * y - w * z), 2 * (x * z + w * y)},
                            {2 * (x * y + w * z), w * w - x * x + y * y - z * z, 2 * (y * z - w * x)},
                            {2 * (x * z - w * y), 2 * (y * z + w * x), w * w - x * x - y * y + z * z}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            R[i][j] = r[i][j];
}

std::vector<V3> ToV3(const Point3d::Array& a, int n)
{
    std::vector<V3> v;
    for (int k = 0; k < n; ++k)
        v.push_back({a[k][0], a[k][1], a[k][2]});
    return v;
}

V3 Mean(const std::vector<V3>& p)
{
    V3 m{0, 0, 0};
    for (const V3& q : p) {
        m.x += q.x;
        m.y += q.y;
        m.z += q.z;
    }
    const double n = static_cast<double>(p.size());
    return {m.x / n, m.y / n, m.z / n};
}

double Rmsd(const std::vector<V3>& a, const std::vector<V3>& b)
{
    double s = 0;
    for (size_t k = 0; k < a.size(); ++k)
        s += (a[k].x - b[k].x) * (a[k].x - b[k].x) + (a[k].y - b[k].y) * (a[k].y - b[k].y) +
             (a[k].z - b[k].z) * (a[k].z - b[k].z);
    return std::sqrt(s / static_cast<double>(a.size()));
}

double RadiusOfGyration(const std::vector<V3>& p)
{
    const V3 m = Mean(p);
    double s = 0;
    for (const V3& q : p)
        s += (q.x - m.x) * (q.x - m.x) + (q.y - m.y) * (q.y - m.y) + (q.z - m.z) * (q.z - m.z);
    return std::sqrt(s / static_cast<double>(p.size()));
}

// The best proper rotation and translation by Horn's quaternion method: the
// top eigenvector of the 4x4 matrix built from the correlation of the centred
// sets is the best rotation. Returns the mobile points moved by it.
std::vector<V3> HornFit(const std::vector<V3>& mobile, const std::vector<V3>& target)
{
    const V3 cm = Mean(mobile), ct = Mean(target);
    double S[3][3] = {};
    for (size_t k = 0; k < mobile.size(); ++k) {
        const double a[3] = {mobile[k].x - cm.x, mobile[k].y - cm.y, mobile[k].z - cm.z};
        const double b[3] = {target[k].x - ct.x, target[k].y - ct.y, target[k].z - ct.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                S[i][j] += a[i] * b[j];
    }
    const double xx = S[0][0], xy = S[0][1], xz = S[0][2], yx = S[1][0], yy = S[1][1], yz = S[1][2], zx = S[2][0],
                 zy = S[2][1], zz = S[2][2];
    Mat N = {{xx + yy + zz, yz - zy, zx - xz, xy - yx},
             {yz - zy, xx - yy - zz, xy + yx, zx + xz},
             {zx - xz, xy + yx, -xx + yy - zz, yz + zy},
             {xy - yx, zx + xz, yz + zy, -xx - yy + zz}};
    std::vector<double> values;
    Mat vectors;
    Eigen(N, values, vectors);
    const size_t top = static_cast<size_t>(std::max_element(values.begin(), values.end()) - values.begin());
    double R[3][3];
    QuaternionRotation(vectors[0][top], vectors[1][top], vectors[2][top], vectors[3][top], R);
    std::vector<V3> moved;
    for (const V3& p : mobile) {
        const double d[3] = {p.x - cm.x, p.y - cm.y, p.z - cm.z};
        moved.push_back({R[0][0] * d[0] + R[0][1] * d[1] + R[0][2] * d[2] + ct.x,
                         R[1][0] * d[0] + R[1][1] * d[1] + R[1][2] * d[2] + ct.y,
                         R[2][0] * d[0] + R[2][1] * d[1] + R[2][2] * d[2] + ct.z});
    }
    return moved;
}

// The least RMSD of any proper rotation and translation.
double HornOptimalRmsd(const std::vector<V3>& mobile, const std::vector<V3>& target)
{
    return Rmsd(HornFit(mobile, target), target);
}

// The signed volume spanned by the first four points: its sign tells a
// proper motion from a reflection.
double SignedVolume(const std::vector<V3>& p)
{
    const V3 u{p[1].x - p[0].x, p[1].y - p[0].y, p[1].z - p[0].z};
    const V3 v{p[2].x - p[0].x, p[2].y - p[0].y, p[2].z - p[0].z};
    const V3 w{p[3].x - p[0].x, p[3].y - p[0].y, p[3].z - p[0].z};
    return u.x * (v.y * w.z - v.z * w.y) - u.y * (v.x * w.z - v.z * w.x) + u.z * (v.x * w.y - v.y * w.x);
}

// The largest distance between corresponding points.
double MaxDeviation(const std::vector<V3>& a, const std::vector<V3>& b)
{
    double d = 0;
    for (size_t k = 0; k < a.size(); ++k)
        d = std::max(d, std::hypot(a[k].x - b[k].x, a[k].y - b[k].y, a[k].z - b[k].z));
    return d;
}

// The plane-by-plane iteration alone (no check of the result), for
// comparing the results on sets where it already finds the best rotation.
void PlaneIterationFit(const Point3d::Array& mobile, const Point3d::Array& target, std::vector<V3>& out)
{
    const int n = mobile.GetSize();
    float sm[3] = {0, 0, 0}, st[3] = {0, 0, 0};
    for (int k = 0; k < n; ++k)
        for (int a = 0; a < 3; ++a) {
            sm[a] += mobile[k][a];
            st[a] += target[k][a];
        }
    double cm[3], ct[3], W[3][3] = {}, R[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int a = 0; a < 3; ++a) {
        cm[a] = static_cast<float>(sm[a] / static_cast<double>(n));
        ct[a] = static_cast<float>(st[a] / static_cast<double>(n));
    }
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                W[i][j] += (mobile[k][i] - cm[i]) * (target[k][j] - ct[j]);
    int i = -1, steps = 0;
    bool flag = false;
    while (true) {
        if (++i > 2) {
            if (flag)
                break;
            i = 0;
            flag = true;
        }
        const int j = (i + 1) % 3, k = 3 - i - j;
        const double g = W[k][j] - W[j][k], h = W[k][k] + W[j][j], r = std::sqrt(g * g + h * h);
        if (r != 0 && std::fabs(g) > 0.001 * std::fabs(h)) {
            for (auto* M : {&W, &R})
                for (int c = 0; c < 3; ++c) {
                    const double mj = (*M)[j][c], mk = (*M)[k][c];
                    (*M)[j][c] = (h * mj + g * mk) / r;
                    (*M)[k][c] = (h * mk - g * mj) / r;
                }
            flag = false;
        }
        if (++steps == 101)
            break;
    }
    out.clear();
    for (int k = 0; k < n; ++k) {
        double p[3];
        for (int r = 0; r < 3; ++r)
            p[r] = ct[r] + R[r][0] * (mobile[k][0] - cm[0]) + R[r][1] * (mobile[k][1] - cm[1]) +
                   R[r][2] * (mobile[k][2] - cm[2]);
        out.push_back({static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])});
    }
}

enum Shape { Spread, Flat, Collinear };

// A random set of n points of the given shape (normal, spread 5), and its
// image under a rotation (the quaternion `turn`, else a random one) and a
// random translation, plus normal noise.
void RandomPair(std::mt19937& rng, int n, Shape shape, double noise, Point3d::Array& mobile, Point3d::Array& target,
                const double* turn = nullptr)
{
    std::normal_distribution<double> normal(0.0, 1.0);
    double q[4];
    double len = 0;
    for (int c = 0; c < 4; ++c) {
        q[c] = normal(rng);
        if (turn)
            q[c] = turn[c];
        len += q[c] * q[c];
    }
    len = std::sqrt(len);
    double R[3][3];
    QuaternionRotation(q[0] / len, q[1] / len, q[2] / len, q[3] / len, R);
    const double shift[3] = {10 * normal(rng), 10 * normal(rng), 10 * normal(rng)};
    mobile.SetSize(n);
    target.SetSize(n);
    for (int k = 0; k < n; ++k) {
        double p[3] = {5 * normal(rng), shape == Collinear ? 0.0 : 5 * normal(rng),
                       shape == Spread ? 5 * normal(rng) : 0.0};
        mobile[k] = Point3d(p[0] + shift[1], p[1] - shift[2], p[2] + shift[0]);
        double t[3];
        for (int r = 0; r < 3; ++r)
            t[r] = R[r][0] * p[0] + R[r][1] * p[1] + R[r][2] * p[2] + shift[r] + noise * normal(rng);
        target[k] = Point3d(t[0], t[1], t[2]);
    }
}

double MaxAbsCoordinate(const Point3d::Array& a)
{
    double m = 0;
    for (const Point3d& p : a)
        for (int c = 0; c < 3; ++c)
            m = std::max(m, std::fabs(static_cast<double>(p[c])));
    return m;
}

// How far the centroid summed in float lies from the exact one.
double FloatCentroidError(const Point3d::Array& a)
{
    float f[3] = {0, 0, 0};
    double d[3] = {0, 0, 0};
    for (const Point3d& p : a)
        for (int c = 0; c < 3; ++c) {
            f[c] += p[c];
            d[c] += p[c];
        }
    double e2 = 0;
    for (int c = 0; c < 3; ++c) {
        const double e = static_cast<float>(f[c] / static_cast<double>(a.GetSize())) - d[c] / a.GetSize();
        e2 += e * e;
    }
    return std::sqrt(e2);
}

} // namespace

TEST(RMSBestFit, ListedCases)
{
    // A translated copy moves by exactly the translation.
    Point3d::Array mobile, target, coords;
    for (const Point3d& p : {Point3d(1, 2, 3), Point3d(-2, 0.5, 1), Point3d(0, -1, 4), Point3d(3, 3, -1)}) {
        mobile.Add(p);
        target.Add(p + Point3d(4, -2, 0.5));
    }
    coords.Add(Point3d(0, 0, 0));
    coords.Add(Point3d(10, 20, 30));
    RMSBestFit(mobile, target, coords);
    EXPECT_TRUE(Compare(coords[0], Point3d(4, -2, 0.5), 1e-5));
    EXPECT_TRUE(Compare(coords[1], Point3d(14, 18, 30.5), 1e-5));

    // Ninety degrees about z.
    Point3d::Array m2, t2, c2;
    for (const Point3d& p : {Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(0, 0, 0)})
        m2.Add(p);
    for (const Point3d& p : {Point3d(0, 1, 0), Point3d(-1, 0, 0), Point3d(0, 0, 0)})
        t2.Add(p);
    c2.Add(Point3d(1, 0, 0));
    RMSBestFit(m2, t2, c2);
    EXPECT_TRUE(Compare(c2[0], Point3d(0, 1, 0), 1e-5)) << c2[0];

    // coords may be the mobile array itself.
    Point3d::Array self = m2;
    RMSBestFit(self, t2, self);
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(Compare(self[k], t2[k], 1e-5)) << k;

    // One point translates; none does nothing.
    Point3d::Array one, oneTarget, c3;
    one.Add(Point3d(1, 1, 1));
    oneTarget.Add(Point3d(2, 3, 4));
    c3.Add(Point3d(5, 5, 5));
    RMSBestFit(one, oneTarget, c3);
    EXPECT_EQ(c3[0], Point3d(6, 7, 8));
    Point3d::Array none;
    RMSBestFit(none, oneTarget, c3);
    EXPECT_EQ(c3[0], Point3d(6, 7, 8));
    // A target shorter than mobile is not read past its end: nothing moves.
    RMSBestFit(mobile, oneTarget, c3);
    EXPECT_EQ(c3[0], Point3d(6, 7, 8));

    // Coincident mobile points: a pure translation by the centroid shift.
    Point3d::Array same, spread, c4;
    for (int k = 0; k < 3; ++k) {
        same.Add(Point3d(1, 1, 1));
        spread.Add(Point3d(k, 2 * k, 0));
    }
    c4.Add(Point3d(0, 0, 0));
    RMSBestFit(same, spread, c4);
    EXPECT_TRUE(Compare(c4[0], Point3d(0, 1, -1), 1e-6)) << c4[0];

    // A point that is not finite, in either set or in the one point of a
    // one-point set, leaves coords as they were.
    const Point3d::Array before = mobile;
    for (float odd : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        Point3d::Array bad = mobile, c5 = mobile;
        bad[1][0] = odd;
        RMSBestFit(bad, target, c5);
        RMSBestFit(target, bad, c5);
        Point3d::Array badOne;
        badOne.Add(Point3d(0, odd, 0));
        RMSBestFit(badOne, target, c5);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(c5[k], before[k]) << k;
    }
}

// The best rotation on every kind of set: compared with Horn's method, with
// room for the float rounding of coordinates and centroid sums.
TEST(RMSBestFit, ReachesTheOptimumOnRandomSets)
{
    std::mt19937 rng(2026);
    int trials = 0;
    for (int n : {2, 3, 4, 5, 10, 1000}) {
        for (Shape shape : {Spread, Flat, Collinear}) {
            for (double noise : {0.0, 0.3}) {
                const int repeats = n == 1000 ? 4 : 150;
                for (int r = 0; r < repeats; ++r, ++trials) {
                    Point3d::Array mobile, target;
                    RandomPair(rng, n, shape, noise, mobile, target);
                    Point3d::Array coords = mobile;
                    RMSBestFit(mobile, target, coords);
                    const std::vector<V3> m = ToV3(mobile, n), t = ToV3(target, n), c = ToV3(coords, n);
                    const double rg = RadiusOfGyration(m);
                    const double best = HornOptimalRmsd(m, t);
                    const double ours = Rmsd(c, t);
                    // Rounding: of the coordinates to float, and of the
                    // centroids summed in float (which shift the result).
                    const double rounding = 2e-7 * std::max(MaxAbsCoordinate(mobile), MaxAbsCoordinate(target)) +
                                            FloatCentroidError(mobile) + FloatCentroidError(target);
                    ASSERT_LE(ours - best, 1e-5 * rg + rounding)
                        << "n " << n << " shape " << shape << " noise " << noise << " trial " << r;

                    // A rigid, proper motion: distances and handedness kept.
                    for (size_t k = 1; k < static_cast<size_t>(std::min(n, 4)); ++k) {
                        const double d0 = std::hypot(m[k].x - m[0].x, m[k].y - m[0].y, m[k].z - m[0].z);
                        const double d1 = std::hypot(c[k].x - c[0].x, c[k].y - c[0].y, c[k].z - c[0].z);
                        ASSERT_NEAR(d0, d1, 1e-4);
                    }
                    if (shape == Spread && n >= 4) {
                        ASSERT_GT(SignedVolume(m) * SignedVolume(c), 0);
                    }
                }
            }
        }
    }
    EXPECT_GT(trials, 2000);
}

// Where the plane-by-plane iteration alone lands on the best fit (its points
// within 1e-5 Rg of it), the results stay where it puts them. (It stops once
// every plane is symmetric to within 0.001, which on noisy sets leaves it up
// to about 1e-2 Rg from the best fit; there the result is the best fit.) It
// lands there on sets turned about one coordinate axis.
TEST(RMSBestFit, KeepsResultsThatAreAlreadyBest)
{
    std::mt19937 rng(99);
    std::uniform_real_distribution<double> angle(-M_PI, M_PI);
    int kept = 0;
    for (int n : {10, 50, 1000}) {
        for (double noise : {0.0, 1e-4, 0.3}) {
            for (int r = 0; r < (n == 1000 ? 6 : 60); ++r) {
                double turn[4] = {std::cos(angle(rng)), 0, 0, 0};
                turn[1 + r % 3] = std::sqrt(1 - turn[0] * turn[0]);
                Point3d::Array mobile, target;
                RandomPair(rng, n, Spread, noise, mobile, target, r % 2 ? turn : nullptr);
                std::vector<V3> reference;
                PlaneIterationFit(mobile, target, reference);
                const std::vector<V3> m = ToV3(mobile, n), t = ToV3(target, n);
                const double rg = RadiusOfGyration(m);
                if (MaxDeviation(reference, HornFit(m, t)) > 1e-5 * rg)
                    continue;
                ++kept;
                Point3d::Array coords = mobile;
                RMSBestFit(mobile, target, coords);
                ASSERT_LE(MaxDeviation(ToV3(coords, n), reference), 1e-4 * rg)
                    << "n " << n << " noise " << noise << " trial " << r;
            }
        }
    }
    EXPECT_GT(kept, 30);
}

// The best rotation whatever the turn between the sets: about each axis and
// about random axes, by angles up to and including a half turn (where the
// quaternion's scalar part vanishes), with noise from none to more than the
// spread of the sets. The motion is always proper.
TEST(RMSBestFit, ReachesTheOptimumWhateverTheOrientation)
{
    std::mt19937 rng(17);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<std::vector<double>> axes = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int a = 0; a < 12; ++a)
        axes.push_back({normal(rng), normal(rng), normal(rng)});
    int trials = 0;
    for (const std::vector<double>& axis : axes) {
        const double len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
        for (double gap : {0.0, 1e-9, 1e-6, 1e-3, 0.1, 1.0, 2.0, 3.0}) {
            const double half = 0.5 * (M_PI - gap);
            const double turn[4] = {std::cos(half), std::sin(half) * axis[0] / len, std::sin(half) * axis[1] / len,
                                    std::sin(half) * axis[2] / len};
            for (int n : {3, 4, 7, 100}) {
                for (double noise : {0.0, 0.05, 0.5, 8.0}) {
                    ++trials;
                    Point3d::Array mobile, target;
                    RandomPair(rng, n, Spread, noise, mobile, target, turn);
                    Point3d::Array coords = mobile;
                    RMSBestFit(mobile, target, coords);
                    const std::vector<V3> m = ToV3(mobile, n), t = ToV3(target, n), c = ToV3(coords, n);
                    const double rounding = 2e-7 * std::max(MaxAbsCoordinate(mobile), MaxAbsCoordinate(target));
                    ASSERT_LE(Rmsd(c, t) - HornOptimalRmsd(m, t), 1e-5 * RadiusOfGyration(m) + rounding)
                        << "gap " << gap << " n " << n << " noise " << noise;
                    if (n >= 4) {
                        ASSERT_GT(SignedVolume(m) * SignedVolume(c), 0) << gap << " " << n << " " << noise;
                    }
                    // Without noise the sets are laid exactly onto each other.
                    if (noise == 0) {
                        ASSERT_LE(MaxDeviation(c, t), 1e-5 * RadiusOfGyration(m) + rounding) << gap << " " << n;
                    }
                }
            }
        }
    }
    EXPECT_EQ(trials, 15 * 8 * 4 * 4);
}

// Where many rotations fit equally well, the one turning the sets least is
// taken, so a point off the sets' line or centre is not spun about it.
TEST(RMSBestFit, TurnsLeastWhereTheBestIsNotUnique)
{
    // A line along x laid onto a line along y: a quarter turn about z.
    Point3d::Array line, onY, coords;
    for (int k = 0; k < 5; ++k) {
        line.Add(Point3d(k, 0, 0));
        onY.Add(Point3d(3, 1 + k, -2));
    }
    coords.Add(Point3d(2, 0, 1));
    coords.Add(Point3d(4, 0, 0));
    RMSBestFit(line, onY, coords);
    EXPECT_TRUE(Compare(coords[0], Point3d(3, 3, -1), 1e-5)) << coords[0];
    EXPECT_TRUE(Compare(coords[1], Point3d(3, 5, -2), 1e-5)) << coords[1];

    // Two points: the same, with the line reversed (a half turn about z
    // turns less than any other rotation that reverses it).
    Point3d::Array two, twoTarget, c2;
    two.Add(Point3d(0, 0, 0));
    two.Add(Point3d(2, 0, 0));
    twoTarget.Add(Point3d(2, 0, 0));
    twoTarget.Add(Point3d(0, 0, 0));
    c2.Add(Point3d(1, 1, 0));
    c2.Add(Point3d(1, 0, 1));
    RMSBestFit(two, twoTarget, c2);
    // Every half turn about an axis in the y-z plane is best; the result
    // still reverses the line and keeps distances.
    EXPECT_NEAR(c2[0][0], 1, 1e-6);
    EXPECT_NEAR(c2[1][0], 1, 1e-6);
    EXPECT_NEAR(c2[0].Distance(c2[1]), std::sqrt(2.0), 1e-6);

    // A target whose points coincide: no rotation, only the centroid shift.
    Point3d::Array spread, same, c3;
    for (int k = 0; k < 4; ++k) {
        spread.Add(Point3d(k, k * k, 1 - k));
        same.Add(Point3d(5, 5, 5));
    }
    c3.Add(Point3d(1.5, 3.5, -0.5)); // the centroid of spread
    c3.Add(Point3d(2.5, 3.5, -0.5));
    RMSBestFit(spread, same, c3);
    EXPECT_TRUE(Compare(c3[0], Point3d(5, 5, 5), 1e-5)) << c3[0];
    EXPECT_TRUE(Compare(c3[1], Point3d(6, 5, 5), 1e-5)) << c3[1];
}

TEST(PrincipalAxes, ListedCases)
{
    Point3d::Array pts;
    for (const Point3d& p : {Point3d(-1, 0, 0), Point3d(1, 0, 0), Point3d(0, 0.5, 0), Point3d(0, -0.5, 0)})
        pts.Add(p);
    Point3d cen, a1, a2, a3;
    double max1, min1, max2, min2, max3, min3;
    Matrix3x3::PCA(pts, cen, a1, a2, a3, max1, min1, max2, min2, max3, min3);
    EXPECT_TRUE(Compare(cen, Point3d(0, 0, 0), 1e-7));
    EXPECT_NEAR(std::fabs(a1[0]), 1, 1e-7);
    EXPECT_NEAR(std::fabs(a2[1]), 1, 1e-7);
    EXPECT_NEAR(std::fabs(a3[2]), 1, 1e-7);
    EXPECT_NEAR(max1, 1, 1e-7);
    EXPECT_NEAR(min1, 1, 1e-7);
    EXPECT_NEAR(max2, 0.5, 1e-7);
    EXPECT_NEAR(min2, 0.5, 1e-7);
    EXPECT_EQ(max3, 0);
    EXPECT_EQ(min3, 0);

    // An empty set: axes x, y, z, extents 0.
    Point3d::Array none;
    Point3d c0;
    Matrix3x3::PCA(none, c0, a1, a2, a3, max1, min1, max2, min2, max3, min3);
    EXPECT_EQ(a1, Point3d(1, 0, 0));
    EXPECT_EQ(a2, Point3d(0, 1, 0));
    EXPECT_EQ(a3, Point3d(0, 0, 1));
    EXPECT_EQ(max1 + min1 + max2 + min2 + max3 + min3, 0);

    // The line through points on the x axis from -2 to 3.
    Point3d::Array line;
    for (double x : {-2.0, -1.0, 0.5, 2.0, 3.0})
        line.Add(Point3d(x, 0, 0));
    Point3d start, end;
    Matrix3x3::BestFittingLine(line, start, end);
    const bool forward = start.GetX() > end.GetX();
    EXPECT_TRUE(Compare(forward ? start : end, Point3d(3, 0, 0), 1e-5)) << start << " " << end;
    EXPECT_TRUE(Compare(forward ? end : start, Point3d(-2, 0, 0), 1e-5)) << start << " " << end;

    // The rectangle spanning points in the plane z = 1, corners in order.
    Point3d::Array flat;
    for (const Point3d& p : {Point3d(-4, -1, 1), Point3d(4, 1, 1), Point3d(4, -1, 1), Point3d(-4, 1, 1),
                             Point3d(0, 0, 1)})
        flat.Add(p);
    Point3d corners[4];
    Matrix3x3::BestFittingPlane(flat, corners);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(std::fabs(corners[k].GetX()), 4, 1e-5) << k;
        EXPECT_NEAR(std::fabs(corners[k].GetY()), 1, 1e-5) << k;
        EXPECT_NEAR(corners[k].GetZ(), 1, 1e-5) << k;
        const Point3d& next = corners[(k + 1) % 4];
        EXPECT_NEAR(corners[k].Distance(next), k % 2 == 0 ? 8 : 2, 1e-5) << k; // around, not across
    }
}

TEST(PrincipalAxes, AgreeWithAnEigenDecompositionOfTheScatter)
{
    std::mt19937 rng(5);
    std::normal_distribution<double> normal(0.0, 1.0);
    for (int trial = 0; trial < 50; ++trial) {
        // Spreads 6, 3, 1 along a random frame.
        Point3d::Array pts;
        Matrix3x3 frame(Point3d(normal(rng), normal(rng), normal(rng)), 360 * normal(rng));
        for (int k = 0; k < 200; ++k)
            pts.Add(frame.Rotate(Point3d(6 * normal(rng), 3 * normal(rng), normal(rng))) + Point3d(5, -3, 2));
        Point3d cen, axes[3];
        double ext[6];
        Matrix3x3::PCA(pts, cen, axes[0], axes[1], axes[2], ext[0], ext[1], ext[2], ext[3], ext[4], ext[5]);

        std::vector<V3> v = ToV3(pts, pts.GetSize());
        const V3 m = Mean(v);
        Mat S(3, std::vector<double>(3, 0.0));
        for (const V3& p : v) {
            const double d[3] = {p.x - m.x, p.y - m.y, p.z - m.z};
            for (size_t i = 0; i < 3; ++i)
                for (size_t j = 0; j < 3; ++j)
                    S[i][j] += d[i] * d[j];
        }
        std::vector<double> values;
        Mat vectors;
        Eigen(S, values, vectors);
        std::vector<size_t> order = {0, 1, 2};
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return values[a] > values[b]; });
        for (size_t k = 0; k < 3; ++k) {
            const size_t e = order[k];
            const double dot = axes[k][0] * vectors[0][e] + axes[k][1] * vectors[1][e] + axes[k][2] * vectors[2][e];
            EXPECT_NEAR(std::fabs(dot), 1, 1e-5) << trial << " axis " << k;
            double hi = 0, lo = 0;
            for (const V3& p : v) {
                const double along = (p.x - cen.GetX()) * axes[k][0] + (p.y - cen.GetY()) * axes[k][1] +
                                     (p.z - cen.GetZ()) * axes[k][2];
                hi = std::max(hi, along);
                lo = std::max(lo, -along);
            }
            EXPECT_NEAR(ext[2 * k], hi, 1e-9);
            EXPECT_NEAR(ext[2 * k + 1], lo, 1e-9);
        }
    }
}

TEST(PrincipalAxes, Decomposition)
{
    Matrix3x3 A(1, 0, 0, 0, 3, 0, 0, 0, 2), U, V;
    Matrix3x3Decomposition::SVD(A, U, V);
    EXPECT_EQ(A.Get(0, 0), 3);
    EXPECT_EQ(A.Get(1, 1), 2);
    EXPECT_EQ(A.Get(2, 2), 1);

    Matrix3x3 Z(Matrix3x3::NullMatrix);
    Matrix3x3Decomposition::SVD(Z, U, V);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(U.Get(r, c), r == c ? 1 : 0);
            EXPECT_EQ(V.Get(r, c), r == c ? 1 : 0);
        }

    // Random matrices, rank-deficient ones included: U * D * V gives the
    // matrix back, U and V are orthogonal, D is sorted and non-negative.
    std::mt19937 rng(11);
    std::normal_distribution<double> normal(0.0, 1.0);
    for (int trial = 0; trial < 300; ++trial) {
        Matrix3x3 M(Matrix3x3::UninitializedMatrix);
        for (int e = 0; e < 9; ++e)
            static_cast<double*>(M)[e] = normal(rng);
        if (trial % 3 == 1)
            for (int c = 0; c < 3; ++c)
                M.Set(2, c, M.Get(0, c) * 2 - M.Get(1, c)); // rank 2
        if (trial % 3 == 2)
            for (int r = 1; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    M.Set(r, c, M.Get(0, c) * (r + 1)); // rank 1
        Matrix3x3 D = M;
        Matrix3x3Decomposition::SVD(D, U, V);
        // Superdiagonal elements below 1e-4 / 9 of the sum of the absolute
        // elements count as zero.
        double size = 0;
        for (int e = 0; e < 9; ++e)
            size += std::fabs(static_cast<double*>(M)[e]);
        const Matrix3x3 back = U * D * V;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(back.Get(r, c), M.Get(r, c), 2e-5 * size) << trial;
                if (r != c) {
                    ASSERT_NEAR(D.Get(r, c), 0, 1e-12 * size) << trial;
                }
            }
        }
        ASSERT_GE(D.Get(0, 0), D.Get(1, 1));
        ASSERT_GE(D.Get(1, 1), D.Get(2, 2));
        ASSERT_GE(D.Get(2, 2), 0);
        Matrix3x3 Ut = U, Vt = V;
        const Matrix3x3 uu = U * Ut.Transpose(), vv = V * Vt.Transpose();
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(uu.Get(r, c), r == c ? 1 : 0, 1e-12);
                ASSERT_NEAR(vv.Get(r, c), r == c ? 1 : 0, 1e-12);
            }
    }

    // Not-a-number elements end after a bounded number of iterations.
    Matrix3x3 N(std::nan(""), 1, 0, 0, 1, 0, 0, 0, 1);
    Matrix3x3Decomposition::SVD(N, U, V);
    SUCCEED();
}

TEST(PrincipalAxes, Planarity)
{
    Point3d::Array pts;
    EXPECT_TRUE(IsPlanar(pts, 0.0));
    pts.Add(Point3d(0, 0, 0));
    pts.Add(Point3d(5, 1, 2));
    EXPECT_TRUE(IsPlanar(pts, 0.0));

    // A tilted square is planar.
    Matrix3x3 tilt(Point3d(1, 1, 0), 30);
    Point3d::Array square;
    for (const Point3d& p : {Point3d(0, 0, 0), Point3d(2, 0, 0), Point3d(2, 2, 0), Point3d(0, 2, 0)})
        square.Add(tilt.Rotate(p));
    EXPECT_TRUE(IsPlanar(square, 1e-5));

    // Three points in a plane and one 1.0 above it: the centroid sits 0.25
    // above the plane, so the set deviates 0.75 on one side and 0.25 on the
    // other. Both sides count, whichever sign the axis comes out with.
    Point3d::Array off;
    for (const Point3d& p : {Point3d(-3, -3, 0), Point3d(3, -3, 0), Point3d(0, 4, 0), Point3d(0, 0, 1)})
        off.Add(p);
    EXPECT_FALSE(IsPlanar(off, 0.5));
    EXPECT_TRUE(IsPlanar(off, 0.8));
}

// The result of a fit: the same points as RMSBestFit, the motion and RMSDs of
// the best fit by Horn's method, a proper rotation even for a mirrored set.
TEST(Superpose, GivesTheBestMotionAndItsRmsd)
{
    std::mt19937 rng(57);
    for (int n : {1, 2, 3, 10, 200}) {
        for (Shape shape : {Spread, Flat, Collinear}) {
            for (int r = 0; r < 20; ++r) {
                Point3d::Array mobile, target;
                RandomPair(rng, n, shape, r % 2 ? 0.3 : 0.0, mobile, target);
                if (r % 5 == 4) // mirrored
                    for (Point3d& p : target)
                        p.SetX(-p.GetX());
                const SuperpositionResult fit = Superpose(mobile, target);
                ASSERT_TRUE(fit.IsValid());
                EXPECT_EQ(fit.count, n);

                Point3d::Array expected = mobile, moved = mobile;
                RMSBestFit(mobile, target, expected);
                fit.Apply(moved);
                for (int k = 0; k < n; ++k)
                    ASSERT_EQ(moved[k], expected[k]) << n << " " << k;

                const std::vector<V3> m = ToV3(mobile, n), t = ToV3(target, n);
                EXPECT_NEAR(fit.rmsdBefore, Rmsd(m, t), 1e-9 * (1 + Rmsd(m, t)));
                EXPECT_NEAR(fit.rmsdAfter, HornOptimalRmsd(m, t), 1e-5 * (1 + RadiusOfGyration(m)));
                // The points the result's own motion makes, in double precision.
                std::vector<V3> c;
                const double* R = fit.rotation;
                for (const V3& p : m)
                    c.push_back({p.x * R[0] + p.y * R[3] + p.z * R[6] + fit.translation[0],
                                 p.x * R[1] + p.y * R[4] + p.z * R[7] + fit.translation[1],
                                 p.x * R[2] + p.y * R[5] + p.z * R[8] + fit.translation[2]});
                EXPECT_NEAR(Rmsd(c, t), fit.rmsdAfter, 1e-9 * (1 + fit.rmsdAfter));
                const double det = R[0] * (R[4] * R[8] - R[5] * R[7]) - R[1] * (R[3] * R[8] - R[5] * R[6]) +
                                   R[2] * (R[3] * R[7] - R[4] * R[6]);
                EXPECT_NEAR(det, 1.0, 1e-12);
            }
        }
    }
}

// A motion known by construction: the rotation of a quaternion and a shift.
TEST(Superpose, RecoversAKnownMotion)
{
    Point3d::Array mobile, target;
    double Q[3][3];
    const double norm = std::sqrt(0.9 * 0.9 + 0.3 * 0.3 + 0.2 * 0.2 + 0.1 * 0.1);
    QuaternionRotation(0.9 / norm, 0.3 / norm, -0.2 / norm, 0.1 / norm, Q);
    const double shift[3] = {5, -3, 12};
    const double pts[][3] = {{0, 0, 0}, {1.5, 0, 0}, {0, 2, 0}, {0, 0, 3}, {1, 1, 1}};
    for (const auto& p : pts) {
        mobile.Add(Point3d(p[0], p[1], p[2]));
        target.Add(Point3d(Q[0][0] * p[0] + Q[0][1] * p[1] + Q[0][2] * p[2] + shift[0],
                           Q[1][0] * p[0] + Q[1][1] * p[1] + Q[1][2] * p[2] + shift[1],
                           Q[2][0] * p[0] + Q[2][1] * p[1] + Q[2][2] * p[2] + shift[2]));
    }
    const SuperpositionResult fit = Superpose(mobile, target);
    ASSERT_TRUE(fit.IsValid());
    const double* R = fit.rotation;
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(fit.translation[i], shift[i], 1e-5);
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(R[3 * i + j], Q[j][i], 1e-6); // row vectors: the transpose
    }
    EXPECT_LT(fit.rmsdAfter, 1e-5);
}

TEST(Superpose, WeightsCountPairsAndZeroDropsThem)
{
    std::mt19937 rng(7);
    Point3d::Array mobile, target;
    RandomPair(rng, 12, Spread, 0.3, mobile, target);
    // Outliers of weight 0 leave the fit of the other points.
    Point3d::Array withOutliers = mobile, targetWithOutliers = target;
    withOutliers.Add(Point3d(100, 0, 0));
    targetWithOutliers.Add(Point3d(-50, 20, 0));
    DoubleArray weights;
    for (int k = 0; k < 12; ++k)
        weights.Add(2.5);
    weights.Add(0.0);
    const SuperpositionResult plain = Superpose(mobile, target);
    const SuperpositionResult weighted = Superpose(withOutliers, targetWithOutliers, weights);
    ASSERT_TRUE(weighted.IsValid());
    EXPECT_EQ(weighted.count, 13);
    EXPECT_NEAR(weighted.rmsdBefore, plain.rmsdBefore, 1e-9);
    EXPECT_NEAR(weighted.rmsdAfter, plain.rmsdAfter, 1e-9);
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(static_cast<const double*>(weighted.rotation)[i], static_cast<const double*>(plain.rotation)[i],
                    1e-9);

    // A heavy pair pulls the fit towards itself.
    DoubleArray heavy;
    for (int k = 0; k < 12; ++k)
        heavy.Add(k == 0 ? 1000.0 : 1.0);
    const SuperpositionResult pulled = Superpose(mobile, target, heavy);
    Point3d::Array moved = mobile, movedPlain = mobile;
    pulled.Apply(moved);
    plain.Apply(movedPlain);
    EXPECT_LT(moved[0].Distance(target[0]), movedPlain[0].Distance(target[0]));
}

TEST(Superpose, ReportsWhatCannotBeFitted)
{
    Point3d::Array three, two, bad;
    for (int k = 0; k < 3; ++k) {
        three.Add(Point3d(k, k * k, 1));
        bad.Add(Point3d(k, 0, 0));
    }
    two.Add(Point3d(0, 0, 0));
    two.Add(Point3d(1, 0, 0));
    EXPECT_EQ(Superpose(Point3d::Array(), Point3d::Array()).status, SuperpositionResult::empty);
    EXPECT_EQ(Superpose(three, two).status, SuperpositionResult::sizeMismatch);
    bad[1].SetY(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(Superpose(three, bad).status, SuperpositionResult::notFinite);
    bad[1].SetY(std::numeric_limits<double>::infinity());
    EXPECT_EQ(Superpose(bad, three).status, SuperpositionResult::notFinite);
    DoubleArray weights;
    weights.Add(1);
    weights.Add(-1);
    weights.Add(1);
    EXPECT_EQ(Superpose(three, three, weights).status, SuperpositionResult::badWeights);
    weights[1] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Superpose(three, three, weights).status, SuperpositionResult::badWeights);
    weights[0] = weights[1] = weights[2] = 0;
    EXPECT_EQ(Superpose(three, three, weights).status, SuperpositionResult::badWeights);
    weights.RemoveAt(0);
    EXPECT_EQ(Superpose(three, three, weights).status, SuperpositionResult::sizeMismatch);

    // A failed result moves nothing; one point is a translation.
    Point3d::Array coords = three;
    Superpose(three, two).Apply(coords);
    EXPECT_EQ(coords[2], three[2]);
    Point3d::Array one, other;
    one.Add(Point3d(1, 2, 3));
    other.Add(Point3d(4, 4, 4));
    const SuperpositionResult shift = Superpose(one, other);
    ASSERT_TRUE(shift.IsValid());
    EXPECT_DOUBLE_EQ(shift.rmsdBefore, std::sqrt(9.0 + 4.0 + 1.0));
    EXPECT_EQ(shift.rmsdAfter, 0.0);
    EXPECT_EQ(shift.translation[1], 2.0);
}
