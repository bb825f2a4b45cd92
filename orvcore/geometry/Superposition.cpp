#include "orvcore/geometry/Superposition.h"

#include <cmath>
#include <limits>

namespace Orvane {

namespace {

// ---------------------------------------------------------------------------
// Superposition
//
// The best rotation is found from the quaternion form of the problem: with W
// the correlation matrix of the centred sets (rows: mobile coordinates,
// columns: target coordinates), the overlap tr(R W) of a rotation R is
// q^T K q for its unit quaternion q and a symmetric 4x4 matrix K built from W.
// The best rotation is the eigenvector of K's largest eigenvalue, which is
// itself the best overlap. That eigenvalue is the largest root of K's
// characteristic polynomial, found by Newton's method from above; the
// eigenvector is then a column of the adjugate of K - lambda I. The spectrum
// of K depends only on the singular values of W, so the cost does not depend
// on how the sets are turned against each other.

typedef double Mat3[3][3];
typedef double Mat4[4][4];

// Newton steps on the characteristic polynomial: quadratic convergence takes
// a handful where the largest eigenvalue is simple; a double one (collinear
// sets) converges linearly and may use them all.
const int kNewtonSteps = 60;
const double kNewtonTolerance = 1e-14;
// The adjugate gives the eigenvector only when the largest eigenvalue stands
// apart from the others: its largest diagonal element is the product of the
// three gaps times the square of a quaternion component. Below this share of
// lambda^3 the eigenvector comes from a full decomposition instead.
const double kAdjugateFloor = 1e-9;
// Eigenvalues of the full decomposition this close to the largest (relative
// to it) count as equal: the best rotations then form a family, and the one
// nearest to no rotation at all is taken.
const double kEqualEigenvalues = 1e-9;

// The rotation of the unit quaternion (w, x, y, z).
void QuaternionToMatrix(double w, double x, double y, double z, Mat3& Q)
{
    Q[0][0] = w * w + x * x - y * y - z * z;
    Q[0][1] = 2 * (x * y - w * z);
    Q[0][2] = 2 * (x * z + w * y);
    Q[1][0] = 2 * (x * y + w * z);
    Q[1][1] = w * w - x * x + y * y - z * z;
    Q[1][2] = 2 * (y * z - w * x);
    Q[2][0] = 2 * (x * z - w * y);
    Q[2][1] = 2 * (y * z + w * x);
    Q[2][2] = w * w - x * x - y * y + z * z;
}

// Eigenvalues (diagonal of a) and eigenvectors (columns of v) of a symmetric
// 4x4 matrix by cyclic Jacobi rotations; a bounded number of sweeps, so that
// input that is not a number still returns.
void SymmetricEigen4(Mat4& a, Mat4& v)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            v[r][c] = r == c ? 1.0 : 0.0;
    double scale = 0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            scale += std::fabs(a[r][c]);
    for (int sweep = 0; sweep < 50; ++sweep) {
        double off = 0;
        for (int p = 0; p < 3; ++p)
            for (int q = p + 1; q < 4; ++q)
                off += std::fabs(a[p][q]);
        if (!(off > 1e-18 * scale))
            return;
        for (int p = 0; p < 3; ++p) {
            for (int q = p + 1; q < 4; ++q) {
                if (a[p][q] == 0)
                    continue;
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t = std::fabs(theta) > 1e150
                                     ? 0.5 / theta
                                     : (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1);
                const double s = t * c;
                for (int k = 0; k < 4; ++k) {
                    const double kp = a[k][p], kq = a[k][q];
                    a[k][p] = c * kp - s * kq;
                    a[k][q] = s * kp + c * kq;
                }
                for (int k = 0; k < 4; ++k) {
                    const double pk = a[p][k], qk = a[q][k];
                    a[p][k] = c * pk - s * qk;
                    a[q][k] = s * pk + c * qk;
                }
                for (int k = 0; k < 4; ++k) {
                    const double kp = v[k][p], kq = v[k][q];
                    v[k][p] = c * kp - s * kq;
                    v[k][q] = s * kp + c * kq;
                }
            }
        }
    }
}

// The quaternion matrix K of the correlation matrix W: q^T K q = tr(R(q) W).
void QuaternionMatrix(const Mat3& W, Mat4& K)
{
    const double xx = W[0][0], xy = W[0][1], xz = W[0][2];
    const double yx = W[1][0], yy = W[1][1], yz = W[1][2];
    const double zx = W[2][0], zy = W[2][1], zz = W[2][2];
    const Mat4 k = {{xx + yy + zz, yz - zy, zx - xz, xy - yx},
                    {yz - zy, xx - yy - zz, xy + yx, zx + xz},
                    {zx - xz, xy + yx, yy - xx - zz, yz + zy},
                    {xy - yx, zx + xz, yz + zy, zz - xx - yy}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            K[r][c] = k[r][c];
}

double Det3(double a, double b, double c, double d, double e, double f, double g, double h, double i)
{
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

// The minor of the symmetric 4x4 matrix A without row r and column c.
double Minor4(const Mat4& A, int r, int c)
{
    int rows[3], cols[3];
    for (int k = 0, m = 0, n = 0; k < 4; ++k) {
        if (k != r)
            rows[m++] = k;
        if (k != c)
            cols[n++] = k;
    }
    return Det3(A[rows[0]][cols[0]], A[rows[0]][cols[1]], A[rows[0]][cols[2]], A[rows[1]][cols[0]],
                A[rows[1]][cols[1]], A[rows[1]][cols[2]], A[rows[2]][cols[0]], A[rows[2]][cols[1]],
                A[rows[2]][cols[2]]);
}

// Determinant of the symmetric 4x4 matrix A, by its first row.
double Det4(const Mat4& A)
{
    return A[0][0] * Minor4(A, 0, 0) - A[0][1] * Minor4(A, 0, 1) + A[0][2] * Minor4(A, 0, 2) -
           A[0][3] * Minor4(A, 0, 3);
}

// The largest eigenvalue of K (whose trace is 0), from above: the
// characteristic polynomial is x^4 + c2 x^2 + c1 x + c0 with c2 = -2 |W|^2,
// c1 = -8 det W and c0 = det K, and it is convex beyond its largest root, so
// Newton's method descends to that root without overshooting. It starts
// from an upper bound: the eigenvalues are sums and differences of the three
// singular values of W, whose sum is at most sqrt(3) |W|.
double LargestEigenvalue(const Mat3& W, const Mat4& K)
{
    double c2 = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            c2 += W[r][c] * W[r][c];
    c2 *= -2;
    const double c1 = -8 * Det3(W[0][0], W[0][1], W[0][2], W[1][0], W[1][1], W[1][2], W[2][0], W[2][1], W[2][2]);
    const double c0 = Det4(K);
    const double start = std::sqrt(-1.5 * c2);
    double x = start;
    for (int step = 0; step < kNewtonSteps; ++step) {
        const double x2 = x * x;
        const double b = (x2 + c2) * x;
        const double a = b + c1;
        const double delta = (a * x + c0) / (2 * x2 * x + b + a);
        if (!(std::fabs(delta) < std::numeric_limits<double>::infinity()))
            break; // a zero slope: x is a multiple root already
        x -= delta;
        if (std::fabs(delta) <= kNewtonTolerance * start)
            break;
    }
    return x;
}

// The eigenvector of K for its largest eigenvalue lambda from the adjugate
// of K - lambda I: every column is a multiple of it, the one with the largest
// diagonal element the best conditioned. False when the eigenvalue is too
// close to another for that.
bool AdjugateEigenvector(const Mat4& K, double lambda, double (&q)[4])
{
    Mat4 A;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            A[r][c] = K[r][c] - (r == c ? lambda : 0.0);
    int best = 0;
    double diagonal[4];
    for (int k = 0; k < 4; ++k) {
        diagonal[k] = Minor4(A, k, k);
        if (std::fabs(diagonal[k]) > std::fabs(diagonal[best]))
            best = k;
    }
    if (!(std::fabs(diagonal[best]) > kAdjugateFloor * lambda * lambda * lambda))
        return false;
    for (int k = 0; k < 4; ++k)
        q[k] = k == best ? diagonal[k] : ((k + best) % 2 ? -1.0 : 1.0) * Minor4(A, k, best);
    return true;
}

// The eigenvector of K's largest eigenvalue by a full decomposition, for
// eigenvalues that lie too close for the adjugate. Where the largest is
// shared, the vector of its eigenspace nearest to (1, 0, 0, 0) is taken: the
// best rotation that turns the sets least.
void DecomposedEigenvector(const Mat4& K, double (&q)[4])
{
    Mat4 a, v;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            a[r][c] = K[r][c];
    SymmetricEigen4(a, v);
    int top = 0;
    double size = 0;
    for (int e = 0; e < 4; ++e) {
        if (a[e][e] > a[top][top])
            top = e;
        size = std::fmax(size, std::fabs(a[e][e]));
    }
    for (double& c : q)
        c = 0;
    for (int e = 0; e < 4; ++e) {
        if (a[top][top] - a[e][e] > kEqualEigenvalues * size)
            continue;
        // Projection of (1, 0, 0, 0) onto this eigenvector.
        for (int k = 0; k < 4; ++k)
            q[k] += v[0][e] * v[k][e];
    }
    if (!(q[0] > kEqualEigenvalues))
        for (int k = 0; k < 4; ++k)
            q[k] = v[k][top];
}

// The best rotation R for the correlation matrix W of the centred sets; no
// rotation when either set has no spread.
void BestRotation(const Mat3& W, Mat3& R)
{
    double q[4] = {1, 0, 0, 0};
    Mat4 K;
    QuaternionMatrix(W, K);
    const double lambda = LargestEigenvalue(W, K);
    if (lambda > 0 && !AdjugateEigenvector(K, lambda, q))
        DecomposedEigenvector(K, q);
    double norm = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (!(norm > 0 && norm < std::numeric_limits<double>::infinity())) {
        q[0] = norm = 1;
        q[1] = q[2] = q[3] = 0;
    }
    QuaternionToMatrix(q[0] / norm, q[1] / norm, q[2] / norm, q[3] / norm, R);
}

// What one pass over the point pairs gathers: the centroids and the
// correlation matrix of the centred sets. Sums are taken relative to the
// first pair, so that sets far from the origin lose nothing to cancellation.
struct PairMoments {
    double mobileCentroid[3], targetCentroid[3];
    Mat3 correlation;
};

// Two doubles handled as one, so that the sums go two at a time.
typedef double Pair __attribute__((vector_size(16)));

void GatherMoments(const Point3d* mobile, const Point3d* target, int n, PairMoments& out)
{
    const float* m0 = mobile[0];
    const float* t0 = target[0];
    const Pair mxy0 = {m0[0], m0[1]}, txy0 = {t0[0], t0[1]};
    const Pair zz0 = {m0[2], t0[2]};
    // Sums of a_i * (b_x, b_y) for each row i, of (a_x, a_y) * b_z, of
    // (a_z * b_z, b_z), of (a_x, a_y), (b_x, b_y) and of a_z, with a = mobile
    // and b = target points less the first ones.
    Pair xRow = {0, 0}, yRow = {0, 0}, zRow = {0, 0}, zColumn = {0, 0}, zzAndTargetZ = {0, 0};
    Pair mobileXY = {0, 0}, targetXY = {0, 0};
    double mobileZ = 0;
    for (int k = 0; k < n; ++k) {
        const float* m = mobile[k];
        const float* t = target[k];
        const Pair a = Pair{m[0], m[1]} - mxy0;
        const Pair b = Pair{t[0], t[1]} - txy0;
        const Pair z = Pair{m[2], t[2]} - zz0; // (a_z, b_z)
        xRow += a[0] * b;
        yRow += a[1] * b;
        zRow += z[0] * b;
        zColumn += a * z[1];
        zzAndTargetZ += z * Pair{z[1], 1.0};
        mobileXY += a;
        targetXY += b;
        mobileZ += z[0];
    }
    const double sa[3] = {mobileXY[0] / n, mobileXY[1] / n, mobileZ / n};
    const double sb[3] = {targetXY[0] / n, targetXY[1] / n, zzAndTargetZ[1] / n};
    const double sums[3][3] = {{xRow[0], xRow[1], zColumn[0]},
                               {yRow[0], yRow[1], zColumn[1]},
                               {zRow[0], zRow[1], zzAndTargetZ[0]}};
    const double firstMobile[3] = {m0[0], m0[1], m0[2]};
    const double firstTarget[3] = {t0[0], t0[1], t0[2]};
    for (int i = 0; i < 3; ++i) {
        out.mobileCentroid[i] = firstMobile[i] + sa[i];
        out.targetCentroid[i] = firstTarget[i] + sb[i];
        for (int j = 0; j < 3; ++j)
            out.correlation[i][j] = sums[i][j] - n * sa[i] * sb[j];
    }
}

bool AllFinite(const PairMoments& s)
{
    double sum = 0;
    for (int i = 0; i < 3; ++i) {
        sum += s.mobileCentroid[i] + s.targetCentroid[i];
        for (int j = 0; j < 3; ++j)
            sum += s.correlation[i][j];
    }
    return std::isfinite(sum);
}

// Every point p of coords becomes R p + T, rounded to float.
void Transform(const Mat3& R, const double (&T)[3], Point3d* points, int n)
{
    for (int k = 0; k < n; ++k) {
        float* p = points[k];
        const double x = p[0], y = p[1], z = p[2];
        p[0] = static_cast<float>(R[0][0] * x + R[0][1] * y + R[0][2] * z + T[0]);
        p[1] = static_cast<float>(R[1][0] * x + R[1][1] * y + R[1][2] * z + T[1]);
        p[2] = static_cast<float>(R[2][0] * x + R[2][1] * y + R[2][2] * z + T[2]);
    }
}

// The weighted centroids and correlation matrix, sums taken relative to the
// first pair as above. False when a weight is negative or not finite, or all
// are 0.
bool GatherWeightedMoments(const Point3d* mobile, const Point3d* target, const double* weights, int n,
                           PairMoments& out)
{
    const float* m0 = mobile[0];
    const float* t0 = target[0];
    double total = 0, sa[3] = {0, 0, 0}, sb[3] = {0, 0, 0}, sums[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    for (int k = 0; k < n; ++k) {
        const double w = weights[k];
        if (!(w >= 0 && w < std::numeric_limits<double>::infinity()))
            return false;
        const float* m = mobile[k];
        const float* t = target[k];
        const double a[3] = {double(m[0]) - m0[0], double(m[1]) - m0[1], double(m[2]) - m0[2]};
        const double b[3] = {double(t[0]) - t0[0], double(t[1]) - t0[1], double(t[2]) - t0[2]};
        total += w;
        for (int i = 0; i < 3; ++i) {
            sa[i] += w * a[i];
            sb[i] += w * b[i];
            for (int j = 0; j < 3; ++j)
                sums[i][j] += w * a[i] * b[j];
        }
    }
    if (!(total > 0 && total < std::numeric_limits<double>::infinity()))
        return false;
    for (int i = 0; i < 3; ++i) {
        sa[i] /= total;
        sb[i] /= total;
    }
    for (int i = 0; i < 3; ++i) {
        out.mobileCentroid[i] = m0[i] + sa[i];
        out.targetCentroid[i] = t0[i] + sb[i];
        for (int j = 0; j < 3; ++j)
            out.correlation[i][j] = sums[i][j] - total * sa[i] * sb[j];
    }
    return true;
}

// The (weighted) mean squared distance of the pairs after R p + T.
double MeanSquare(const Mat3& R, const double (&T)[3], const Point3d* mobile, const Point3d* target,
                  const double* weights, int n)
{
    double sum = 0, total = 0;
    for (int k = 0; k < n; ++k) {
        const float* p = mobile[k];
        const float* q = target[k];
        double d2 = 0;
        for (int j = 0; j < 3; ++j) {
            const double d = R[j][0] * p[0] + R[j][1] * p[1] + R[j][2] * p[2] + T[j] - q[j];
            d2 += d * d;
        }
        const double w = weights ? weights[k] : 1.0;
        sum += w * d2;
        total += w;
    }
    return sum / total;
}

// ---------------------------------------------------------------------------
// Principal axes

const double kDecompositionTolerance = 0.0001 * 0.1111111111111111;
// More than enough for any 3x3 matrix of numbers: the implicit-shift sweeps
// converge in a handful of iterations.
const int kDecompositionIterations = 200;

inline double& At(Matrix3x3& M, int r, int c) { return static_cast<double*>(M)[3 * r + c]; }

// The plane rotation that the Givens steps apply to a pair of elements.
inline void GivensRotate(double& a, double& b, double co, double si)
{
    const double olda = a, oldb = b;
    a = co * oldb + si * olda;
    b = si * oldb - co * olda;
}

} // namespace

// ---------------------------------------------------------------------------

void RMSBestFit(const Point3d::Array& mobile, const Point3d::Array& target, Point3d::Array& coords)
{
    const int n = mobile.GetSize();
    if (n < 1 || target.GetSize() < n || coords.IsEmpty()) // a target too short has nothing to fit onto
        return;
    if (n == 1) {
        const Point3d d = target[0] - mobile[0];
        if (std::isfinite(d[0]) && std::isfinite(d[1]) && std::isfinite(d[2]))
            for (Point3d& p : coords)
                p += d;
        return;
    }

    PairMoments s;
    GatherMoments(mobile.GetData(), target.GetData(), n, s);
    if (!AllFinite(s))
        return;
    Mat3 R;
    BestRotation(s.correlation, R);
    double T[3];
    for (int j = 0; j < 3; ++j)
        T[j] = s.targetCentroid[j] -
               (R[j][0] * s.mobileCentroid[0] + R[j][1] * s.mobileCentroid[1] + R[j][2] * s.mobileCentroid[2]);
    Transform(R, T, coords.GetData(), coords.GetSize());
}

void SuperpositionResult::Apply(Point3d::Array& coords) const
{
    if (!IsValid())
        return;
    const double* M = rotation;
    // Row vectors times the rotation are R p for R its transpose.
    const Mat3 R = {{M[0], M[3], M[6]}, {M[1], M[4], M[7]}, {M[2], M[5], M[8]}};
    Transform(R, translation, coords.GetData(), coords.GetSize());
}

const char* SuperpositionResult::Describe(Status status)
{
    switch (status) {
    case ok:
        return "fitted";
    case empty:
        return "no points to fit";
    case sizeMismatch:
        return "mobile and target (and the weights) differ in length";
    case notFinite:
        return "a coordinate is not a finite number";
    case badWeights:
        return "a weight is negative or not finite, or all weights are 0";
    }
    return "unknown status";
}

namespace {

SuperpositionResult Fit(const Point3d::Array& mobile, const Point3d::Array& target, const DoubleArray* weights)
{
    SuperpositionResult result;
    const int n = mobile.GetSize();
    if (n < 1)
        return result;
    if (target.GetSize() != n || (weights && weights->GetSize() != n)) {
        result.status = SuperpositionResult::sizeMismatch;
        return result;
    }
    const Point3d* m = mobile.GetData();
    const Point3d* t = target.GetData();
    const double* w = weights ? weights->GetData() : nullptr;
    const Mat3 identity = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const double zero[3] = {0, 0, 0};
    // The distances as given; a coordinate that is not finite makes the sum so.
    const double before = MeanSquare(identity, zero, m, t, nullptr, n);
    if (!std::isfinite(before)) {
        result.status = SuperpositionResult::notFinite;
        return result;
    }
    Mat3 R = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double T[3];
    if (n == 1 && !w) {
        // As RMSBestFit: a translation by the difference of the points.
        const Point3d d = t[0] - m[0];
        for (int j = 0; j < 3; ++j)
            T[j] = d[j];
    } else {
        PairMoments s;
        if (w) {
            if (!GatherWeightedMoments(m, t, w, n, s)) {
                result.status = SuperpositionResult::badWeights;
                return result;
            }
        } else {
            GatherMoments(m, t, n, s);
        }
        BestRotation(s.correlation, R);
        for (int j = 0; j < 3; ++j)
            T[j] = s.targetCentroid[j] -
                   (R[j][0] * s.mobileCentroid[0] + R[j][1] * s.mobileCentroid[1] + R[j][2] * s.mobileCentroid[2]);
    }
    double* M = result.rotation;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            M[3 * i + j] = R[j][i];
    for (int j = 0; j < 3; ++j)
        result.translation[j] = T[j];
    result.rmsdBefore = std::sqrt(w ? MeanSquare(identity, zero, m, t, w, n) : before);
    result.rmsdAfter = std::sqrt(MeanSquare(R, T, m, t, w, n));
    result.count = n;
    result.status = SuperpositionResult::ok;
    return result;
}

} // namespace

SuperpositionResult Superpose(const Point3d::Array& mobile, const Point3d::Array& target)
{
    return Fit(mobile, target, nullptr);
}

SuperpositionResult Superpose(const Point3d::Array& mobile, const Point3d::Array& target, const DoubleArray& weights)
{
    return Fit(mobile, target, &weights);
}

bool IsPlanar(const Point3d::Array& pts, double tol)
{
    if (pts.GetSize() < 3)
        return true;
    Point3d centroid, a1, a2, a3;
    double max1, min1, max2, min2, max3, min3;
    Matrix3x3::PCA(pts, centroid, a1, a2, a3, max1, min1, max2, min2, max3, min3);
    // The sign of the least axis is arbitrary: a set is planar when it keeps
    // within tol on both sides of its mean plane.
    return max3 <= tol && min3 <= tol;
}

// ---------------------------------------------------------------------------
// Principal axes and the decomposition behind them

void Matrix3x3::PCA(const Point3d::Array& pts, Point3d& centroid, Point3d& axis1, Point3d& axis2, Point3d& axis3,
                    double& max1, double& min1, double& max2, double& min2, double& max3, double& min3)
{
    for (const Point3d& p : pts)
        centroid += p;
    centroid /= static_cast<double>(pts.GetSize());

    Matrix3x3 S(NullMatrix);
    for (const Point3d& p : pts) {
        const double d[3] = {p[0] - centroid.GetX(), p[1] - centroid.GetY(), p[2] - centroid.GetZ()};
        At(S, 0, 0) += d[0] * d[0];
        At(S, 0, 1) += d[0] * d[1];
        At(S, 1, 1) += d[1] * d[1];
        At(S, 1, 2) += d[1] * d[2];
        At(S, 0, 2) += d[0] * d[2];
        At(S, 2, 2) += d[2] * d[2];
    }
    At(S, 1, 0) = At(S, 0, 1);
    At(S, 2, 0) = At(S, 0, 2);
    At(S, 2, 1) = At(S, 1, 2);

    Matrix3x3 U(NullMatrix), V(NullMatrix);
    SVD(S, U, V);
    MatrixToVector(U, 1, axis1);
    MatrixToVector(U, 2, axis2);
    MatrixToVector(U, 3, axis3);

    const Point3d* axes[3] = {&axis1, &axis2, &axis3};
    double* maxima[3] = {&max1, &max2, &max3};
    double* minima[3] = {&min1, &min2, &min3};
    for (int k = 0; k < 3; ++k)
        *maxima[k] = *minima[k] = 0;
    for (const Point3d& p : pts) {
        const double d[3] = {p[0] - centroid.GetX(), p[1] - centroid.GetY(), p[2] - centroid.GetZ()};
        for (int k = 0; k < 3; ++k) {
            const Point3d& a = *axes[k];
            const double along = d[0] * a[0] + d[1] * a[1] + d[2] * a[2];
            if (along > *maxima[k])
                *maxima[k] = along;
            if (-along > *minima[k])
                *minima[k] = -along;
        }
    }
}

void Matrix3x3::BestFittingLine(const Point3d::Array& pts, Point3d& start, Point3d& end)
{
    Point3d cen, a1, a2, a3;
    double max1, min1, max2, min2, max3, min3;
    PCA(pts, cen, a1, a2, a3, max1, min1, max2, min2, max3, min3);
    start = cen + a1 * max1;
    end = cen - a1 * min1;
}

void Matrix3x3::BestFittingPlane(const Point3d::Array& pts, Point3d* const corners)
{
    Point3d cen, a1, a2, a3;
    double max1, min1, max2, min2, max3, min3;
    PCA(pts, cen, a1, a2, a3, max1, min1, max2, min2, max3, min3);
    corners[0] = cen + a1 * max1 + a2 * max2;
    corners[1] = cen - a1 * min1 + a2 * max2;
    corners[2] = cen - a1 * min1 - a2 * min2;
    corners[3] = cen + a1 * max1 - a2 * min2;
}

void Matrix3x3::ComGiv(double a, double b, double& co, double& si)
{
    if (a == 0 && b == 0) {
        // Nothing to turn: the rotation that leaves both rows as they are.
        co = 0;
        si = 1;
    } else if (std::fabs(b) > std::fabs(a)) {
        const double t = a / b;
        const double e = std::sqrt(t * t + 1);
        si = 1 / e;
        co = t / e;
    } else {
        const double t = b / a;
        const double e = std::sqrt(t * t + 1);
        co = 1 / e;
        si = t / e;
    }
}

void Matrix3x3::PreGMU(Matrix3x3& A, Matrix3x3& U, double co, double si, int i, int k)
{
    for (int m = 0; m < 3; ++m) {
        GivensRotate(At(A, i, m), At(A, k, m), co, si);
        GivensRotate(At(U, m, i), At(U, m, k), co, si);
    }
}

void Matrix3x3::PosGMU(Matrix3x3& A, Matrix3x3& V, double co, double si, int i, int k)
{
    for (int m = 0; m < 3; ++m) {
        GivensRotate(At(A, m, i), At(A, m, k), co, si);
        GivensRotate(At(V, i, m), At(V, k, m), co, si);
    }
}

void Matrix3x3::PreGiv(Matrix3x3& A, int i, int k, int col, Matrix3x3& U)
{
    if (At(A, k, col) == 0)
        return;
    double co, si;
    ComGiv(At(A, k, col), At(A, i, col), co, si);
    PreGMU(A, U, co, si, i, k);
}

void Matrix3x3::PosGiv(Matrix3x3& A, int i, int k, int row, Matrix3x3& V)
{
    if (At(A, row, k) == 0)
        return;
    double co, si;
    ComGiv(At(A, row, k), At(A, row, i), co, si);
    PosGMU(A, V, co, si, i, k);
}

void Matrix3x3::SVDiag(Matrix3x3& U, Matrix3x3& A, Matrix3x3& V)
{
    for (int i = 0; i < 3; ++i) {
        if (At(A, i, i) < 0) {
            At(A, i, i) = -At(A, i, i);
            for (int m = 0; m < 3; ++m)
                At(V, i, m) = -At(V, i, m);
        }
    }
    for (int i = 0; i < 2; ++i) {
        for (int j = i + 1; j < 3; ++j) {
            if (At(A, i, i) < At(A, j, j)) {
                PreGMU(A, U, 1, 0, i, j);
                PosGMU(A, V, 1, 0, i, j);
            }
        }
    }
}

void Matrix3x3::SVD(Matrix3x3& A, Matrix3x3& U, Matrix3x3& V)
{
    U.SetIdentity();
    V.SetIdentity();

    // Upper bidiagonal form: diagonal d0, d1, d2, superdiagonal e1, e2.
    PreGiv(A, 0, 1, 0, U);
    PreGiv(A, 0, 2, 0, U);
    PreGiv(A, 1, 2, 1, U);
    PreGiv(A, 1, 0, 2, U);
    PosGiv(A, 1, 0, 1, V);

    for (int iteration = 0; iteration < kDecompositionIterations; ++iteration) {
        double sum = 0;
        for (int e = 0; e < 9; ++e)
            sum += std::fabs(static_cast<double*>(A)[e]);
        const double eps = sum * kDecompositionTolerance;

        // A zero on the diagonal splits the matrix: chase its superdiagonal
        // element out by row rotations.
        if (std::fabs(At(A, 0, 1)) > eps && std::fabs(At(A, 0, 0)) <= eps) {
            At(A, 0, 0) = 0;
            PreGiv(A, 1, 0, 1, U);
            PreGiv(A, 2, 0, 2, U);
            continue;
        }
        if (std::fabs(At(A, 0, 1)) <= eps)
            At(A, 0, 1) = 0;
        if (std::fabs(At(A, 1, 2)) > eps && std::fabs(At(A, 1, 1)) <= eps) {
            At(A, 1, 1) = 0;
            PreGiv(A, 2, 1, 2, U);
            continue;
        }
        if (std::fabs(At(A, 1, 2)) <= eps)
            At(A, 1, 2) = 0;

        // The active block i..n.
        int i = At(A, 0, 1) != 0 ? 0 : 1;
        const int n = At(A, 1, 2) != 0 ? 2 : 1;
        if (i == n)
            break;

        // Shift: the eigenvalue of the trailing 2x2 block of A^T A nearer to
        // its last diagonal element.
        const int g = n - 1;
        double q = At(A, g, g) * At(A, g, g);
        if (i == 0 && n == 2)
            q += At(A, 0, 1) * At(A, 0, 1);
        double y = At(A, g, n) * At(A, g, g);
        const double l = At(A, g, n) * At(A, g, n) + At(A, n, n) * At(A, n, n);
        const double m = (q - l) / 2;
        double t = std::sqrt(m * m + y * y);
        if (m < 0)
            t = -t;
        const double shift = l + m - t;

        // Chase the bulge down the block.
        double x = At(A, i, i) * At(A, i, i) - shift;
        y = At(A, i, i) * At(A, i, i + 1);
        while (i < n) {
            double co, si;
            ComGiv(y, x, co, si);
            PosGMU(A, V, co, si, i, i + 1);
            PreGiv(A, i, i + 1, i, U);
            if (i < g) {
                x = At(A, i, i + 1);
                y = At(A, i, i + 2);
            }
            ++i;
        }
    }
    SVDiag(U, A, V);
}

void Matrix3x3::MatrixToVector(Matrix3x3& M, int n, Point3d& p)
{
    p.SetXYZ(At(M, 0, n - 1), At(M, 1, n - 1), At(M, 2, n - 1));
}

} // namespace Orvane
