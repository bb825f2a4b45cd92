#include "orvcore/geometry/Superposition.h"

#include <cmath>

namespace Orvane {

namespace {

// ---------------------------------------------------------------------------
// Superposition

// A rotation step is taken only when the asymmetry g of the correlation
// matrix in its plane exceeds this share of the symmetric part h.
const double kRotationThreshold = 0.001;
const int kStepLimit = 101;

// The iteration's rotation is kept when its RMSD lies within this share of
// the radius of gyration of the least RMSD of any rotation. Rotations missing
// it by less than kNearMiss times as much are turned just far enough towards
// the best rotation to meet it; all others are replaced by the best one.
const double kOptimalityTolerance = 1e-5;
const double kNearMiss = 1.25;

typedef double Mat3[3][3];

// Rows j and k of M turned by the plane rotation with cosine c and sine s.
void RotateRows(Mat3& M, int j, int k, double c, double s)
{
    for (int col = 0; col < 3; ++col) {
        const double mj = M[j][col];
        const double mk = M[k][col];
        M[j][col] = c * mj + s * mk;
        M[k][col] = c * mk - s * mj;
    }
}

// Turns the correlation matrix W (rows: mobile coordinates, columns: target
// coordinates) towards symmetry one coordinate plane at a time, applying the
// same plane rotations to R. Each step makes W(k,j) = W(j,k) in its plane and
// raises the trace of W, which is the overlap of the rotated mobile set with
// the target. Ends after a sweep (other than the first) needing no step, or
// after the step limit.
void RotateTowardsSymmetry(Mat3& W, Mat3& R)
{
    int i = -1;
    bool settled = false;
    for (int steps = 0; steps < kStepLimit; ++steps) {
        if (++i > 2) {
            if (settled)
                return;
            i = 0;
            settled = true;
        }
        const int j = (i + 1) % 3;
        const int k = 3 - i - j;
        const double g = W[k][j] - W[j][k];
        const double h = W[k][k] + W[j][j];
        const double r = std::sqrt(g * g + h * h);
        if (r != 0 && std::fabs(g) > kRotationThreshold * std::fabs(h)) {
            RotateRows(W, j, k, h / r, g / r);
            RotateRows(R, j, k, h / r, g / r);
            settled = false;
        }
    }
}

double Trace(const Mat3& M) { return M[0][0] + M[1][1] + M[2][2]; }

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

// tr(Q * M): the overlap after the further rotation Q.
double RotatedTrace(const Mat3& Q, const Mat3& M)
{
    double t = 0;
    for (int j = 0; j < 3; ++j)
        for (int m = 0; m < 3; ++m)
            t += Q[j][m] * M[m][j];
    return t;
}

// Eigenvalues (diagonal of a) and eigenvectors (columns of v) of a symmetric
// 4x4 matrix by cyclic Jacobi rotations; a bounded number of sweeps, so that
// input that is not a number still returns.
void SymmetricEigen4(double (&a)[4][4], double (&v)[4][4])
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

// An upper bound of how much any further rotation can raise tr(M), from the
// quaternion form of the problem: with t = tr(M), K = [[t, a^T], [a, B]],
// B = M + M^T - t*I and a the asymmetry of M, the best overlap is the largest
// eigenvalue of K, which exceeds t by at most a^T (tI - B)^-1 a when tI - B is
// positive definite. Returns a negative value when it is not (M may then lie
// near a rotation that is not the best one).
double OverlapGainBound(const Mat3& M)
{
    const double t = Trace(M);
    double C[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            C[r][c] = (r == c ? 2 * t : 0.0) - M[r][c] - M[c][r];
    const double a[3] = {M[1][2] - M[2][1], M[2][0] - M[0][2], M[0][1] - M[1][0]};
    // Cholesky factor L of C and the solution y of L y = a.
    double L[3][3] = {};
    double y[3];
    for (int r = 0; r < 3; ++r) {
        double d = C[r][r];
        for (int k = 0; k < r; ++k)
            d -= L[r][k] * L[r][k];
        if (!(d > 0))
            return -1;
        L[r][r] = std::sqrt(d);
        for (int below = r + 1; below < 3; ++below) {
            double e = C[below][r];
            for (int k = 0; k < r; ++k)
                e -= L[below][k] * L[r][k];
            L[below][r] = e / L[r][r];
        }
        double ya = a[r];
        for (int k = 0; k < r; ++k)
            ya -= L[r][k] * y[k];
        y[r] = ya / L[r][r];
    }
    return y[0] * y[0] + y[1] * y[1] + y[2] * y[2];
}

// Makes sure that R (with M = R * W its rotated correlation matrix) is the
// best rotation to within the tolerance. The plane-by-plane iteration settles
// on the best rotation for well-spread sets, but it can stop short of it or
// at a rotation that is not the best one (small, flat or noisy sets, and
// exact copies, where its stopping rule leaves up to about a milliradian).
// The best rotation is the top eigenvector of the quaternion matrix. A
// result within the tolerance stays as it is; one that misses it narrowly is
// carried along the shortest path towards the best rotation just as far as
// needed, so that results never jump near the threshold; any other is
// replaced by the best rotation.
//   sumMobile, sumTarget: sums of squared distances from the centroids.
void EnsureBestRotation(const Mat3& M, Mat3& R, int n, double sumMobile, double sumTarget)
{
    const double both = sumMobile + sumTarget;
    auto rmsd = [&](double overlap) { return std::sqrt(std::fmax(0.0, both - 2 * overlap) / n); };
    const double tolerance = kOptimalityTolerance * std::sqrt(std::fmin(sumMobile, sumTarget) / n);
    const double t = Trace(M);
    const double rmsdNow = rmsd(t);

    const double bound = OverlapGainBound(M);
    if (bound >= 0 && rmsdNow - rmsd(t + bound) <= tolerance)
        return;

    // The quaternion matrix of M; its top eigenvector is the best further
    // rotation, its eigenvalue the best overlap.
    double K[4][4] = {
        {t, M[1][2] - M[2][1], M[2][0] - M[0][2], M[0][1] - M[1][0]},
        {0, 2 * M[0][0] - t, M[0][1] + M[1][0], M[2][0] + M[0][2]},
        {0, 0, 2 * M[1][1] - t, M[1][2] + M[2][1]},
        {0, 0, 0, 2 * M[2][2] - t},
    };
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < r; ++c)
            K[r][c] = K[c][r];
    double V[4][4];
    SymmetricEigen4(K, V);
    int top = 0;
    for (int e = 1; e < 4; ++e)
        if (K[e][e] > K[top][top])
            top = e;
    const double rmsdBest = rmsd(K[top][top]);
    const double excess = rmsdNow - rmsdBest;
    if (!(excess > tolerance))
        return;

    double q[4] = {V[0][top], V[1][top], V[2][top], V[3][top]};
    const double norm = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (!(norm > 0))
        return;
    const double sign = q[0] < 0 ? -1.0 : 1.0;
    for (double& c : q)
        c *= sign / norm;
    // The rotation by the fraction f of the way: half-angle f * halfAngle
    // about the quaternion's axis.
    const double sinHalf = std::sqrt(q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    const double halfAngle = std::atan2(sinHalf, q[0]);
    auto rotationAt = [&](double f, Mat3& Q) {
        if (sinHalf == 0) {
            QuaternionToMatrix(1, 0, 0, 0, Q);
            return;
        }
        const double s = std::sin(f * halfAngle) / sinHalf;
        QuaternionToMatrix(std::cos(f * halfAngle), q[1] * s, q[2] * s, q[3] * s, Q);
    };
    // The overlap grows monotonically along the path: bisect for the
    // shortest step that is close enough.
    double lo = 0, hi = 1;
    Mat3 Q;
    for (int it = 0; it < 60 && excess <= kNearMiss * tolerance; ++it) {
        const double mid = 0.5 * (lo + hi);
        rotationAt(mid, Q);
        if (rmsd(RotatedTrace(Q, M)) - rmsdBest <= tolerance)
            hi = mid;
        else
            lo = mid;
    }
    rotationAt(hi, Q);
    Mat3 QR;
    for (int j = 0; j < 3; ++j)
        for (int m = 0; m < 3; ++m)
            QR[j][m] = Q[j][0] * R[0][m] + Q[j][1] * R[1][m] + Q[j][2] * R[2][m];
    for (int j = 0; j < 3; ++j)
        for (int m = 0; m < 3; ++m)
            R[j][m] = QR[j][m];
}

// The centroid of the first n points, summed in float.
void FloatCentroid(const Point3d* p, int n, double (&c)[3])
{
    float s[3] = {0, 0, 0};
    for (int k = 0; k < n; ++k) {
        s[0] += p[k][0];
        s[1] += p[k][1];
        s[2] += p[k][2];
    }
    for (int a = 0; a < 3; ++a)
        c[a] = static_cast<float>(s[a] / static_cast<double>(n));
}

bool AllFinite(const Mat3& M)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (!std::isfinite(M[r][c]))
                return false;
    return true;
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
    if (n < 1 || target.GetSize() < n) // a target too short has nothing to fit onto
        return;
    if (n == 1) {
        const Point3d d = target[0] - mobile[0];
        for (Point3d& p : coords)
            p += d;
        return;
    }

    const Point3d* pm = mobile.GetData();
    const Point3d* pt = target.GetData();
    double cm[3], ct[3];
    FloatCentroid(pm, n, cm);
    FloatCentroid(pt, n, ct);

    Mat3 W = {};
    double sumMobile = 0, sumTarget = 0;
    for (int k = 0; k < n; ++k) {
        const double dm[3] = {pm[k][0] - cm[0], pm[k][1] - cm[1], pm[k][2] - cm[2]};
        const double dt[3] = {pt[k][0] - ct[0], pt[k][1] - ct[1], pt[k][2] - ct[2]};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                W[i][j] += dm[i] * dt[j];
        sumMobile += dm[0] * dm[0] + dm[1] * dm[1] + dm[2] * dm[2];
        sumTarget += dt[0] * dt[0] + dt[1] * dt[1] + dt[2] * dt[2];
    }

    Mat3 R = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    RotateTowardsSymmetry(W, R);
    if (AllFinite(W) && std::isfinite(sumMobile) && std::isfinite(sumTarget))
        EnsureBestRotation(W, R, n, sumMobile, sumTarget);

    double T[3];
    for (int j = 0; j < 3; ++j)
        T[j] = ct[j] - (R[j][0] * cm[0] + R[j][1] * cm[1] + R[j][2] * cm[2]);
    for (Point3d& p : coords) {
        const double x = p[0], y = p[1], z = p[2];
        p[0] = static_cast<float>(R[0][0] * x + R[0][1] * y + R[0][2] * z + T[0]);
        p[1] = static_cast<float>(R[1][0] * x + R[1][1] * y + R[1][2] * z + T[1]);
        p[2] = static_cast<float>(R[2][0] * x + R[2][1] * y + R[2][2] * z + T[2]);
    }
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
