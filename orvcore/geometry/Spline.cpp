#include "orvcore/geometry/Spline.h"
#include "orvcore/core/LoadOrder.h"

#include <cmath>
#include <limits>
#include <new>
#include <vector>

namespace Orvane {

double Spline::m_matrix[4][4] = {};
DoubleArray Spline::m_alpha ORVCORE_LOAD_ORDER(SplineTables);
Spline::SplineType Spline::m_oldType = Spline::BetaSpline;
bool Spline::m_recalcMatrix = true;

namespace {

void SetMatrix(const double (&rows)[4][4], double factor)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            Spline::m_matrix[r][c] = rows[r][c] * factor;
}

// The cubic Hermite basis at u: weights of p0, p1, t0 and t1. The linear
// term of the t0 weight is taken as exactly 1 close to the segment's end.
struct HermiteWeights {
    double h00, h01, h10, h11;
    explicit HermiteWeights(double u)
    {
        const double u2 = u * u;
        const double u3 = u2 * u;
        h00 = 2 * u3 - 3 * u2 + 1;
        h01 = -2 * u3 + 3 * u2;
        h10 = u3 - 2 * u2 + (std::fabs(u - 1) < 0.001 ? 1.0 : u);
        h11 = u3 - u2;
    }
    Point3d Apply(const Point3d& p0, const Point3d& p1, const Point3d& t0, const Point3d& t1) const
    {
        double c[3];
        for (int i = 0; i < 3; ++i)
            c[i] = h00 * p0[i] + h01 * p1[i] + h10 * t0[i] + h11 * t1[i];
        return Point3d(c[0], c[1], c[2]);
    }
};

// The size of an output of `groups` times `per` points. More points than an
// array can hold cannot be allocated: that fails before anything is written.
int OutputSize(long long groups, long long per)
{
    const long long size = groups * per;
    if (size > std::numeric_limits<int>::max())
        throw std::bad_alloc();
    return static_cast<int>(size);
}

} // namespace

Spline::Spline(SplineType type)
    : m_type(type), m_granularity(6), m_tension(type == CardinalSpline ? 0.5 : 1.0), m_bias(0.0)
{
    if (type != m_oldType)
        m_recalcMatrix = true;
    m_oldType = type;
}

void Spline::SetTension(double tension)
{
    m_tension = tension;
    m_recalcMatrix = true;
}

void Spline::SetBias(double bias)
{
    m_bias = bias;
    m_recalcMatrix = true;
}

void Spline::SetGranularity(int granularity)
{
    m_granularity = granularity;
    m_recalcMatrix = true;
}

void Spline::GetCardinalMatrix()
{
    const double s = m_tension;
    const double rows[4][4] = {
        {-s, 2 - s, s - 2, s},
        {2 * s, s - 3, 3 - 2 * s, -s},
        {-s, 0, s, 0},
        {0, 1, 0, 0},
    };
    SetMatrix(rows, 1.0);
}

void Spline::GetBsplineMatrix()
{
    const double a = m_tension;
    const double rows[4][4] = {
        {-a, 12 - 9 * a, 9 * a - 12, a},
        {3 * a, 12 * a - 18, 18 - 15 * a, 0},
        {-3 * a, 0, 3 * a, 0},
        {a, 6 - 2 * a, a, 0},
    };
    SetMatrix(rows, 0.16666666666666666);
}

void Spline::GetBetaMatrix()
{
    const double b1 = m_bias;
    const double b2 = m_tension;
    const double b1s = b1 * b1;
    const double b1c = b1s * b1;
    const double rows[4][4] = {
        {-2 * b1c, 2 * (b2 + b1c + b1s + b1), -2 * (b2 + b1s + b1 + 1), 2},
        {6 * b1c, -3 * (b2 + 2 * b1c + 2 * b1s), 3 * (b2 + 2 * b1s), 0},
        {-6 * b1c, 6 * (b1c - b1), 6 * b1, 0},
        {2 * b1c, b2 + 4 * b1s + 4 * b1, 2, 0},
    };
    SetMatrix(rows, 1.0 / (b2 + 2 * b1c + 4 * b1s + 4 * b1 + 2));
}

void Spline::FillParameters(int g)
{
    m_alpha.SetSize(g);
    for (int i = 0; i < g; ++i)
        m_alpha[i] = static_cast<double>(i) / g;
}

double Spline::Matrix(double a, double b, double c, double d, double t)
{
    const double powers[4] = {t * t * t, t * t, t, 1.0};
    double sum = 0.0;
    for (int r = 0; r < 4; ++r)
        sum += powers[r] * (m_matrix[r][0] * a + m_matrix[r][1] * b + m_matrix[r][2] * c + m_matrix[r][3] * d);
    return sum;
}

int Spline::GetCubicSpline(const Point3d::Array& in, Point3d::Array& out)
{
    const int n = in.GetSize();
    const int g = m_granularity;
    out.SetSize(OutputSize(n + 2LL, g));
    if (m_recalcMatrix) {
        switch (m_type) {
        case BetaSpline: GetBetaMatrix(); break;
        case CardinalSpline: GetCardinalMatrix(); break;
        case BSpline: GetBsplineMatrix(); break;
        case HermiteSpline: return 1;
        default: break;
        }
        m_recalcMatrix = false;
        FillParameters(g);
    } else if (m_alpha.GetSize() != (g > 0 ? g : 0)) {
        // Another spline rebuilt the table for its own granularity since this
        // one's was set: this spline's parameters replace it, so that a span
        // never reads past the table.
        FillParameters(g);
    }

    int written = 0;
    for (int k = 0; k + 2 < n; ++k) {
        // The last span repeats the last point as its fourth control point.
        const Point3d* p[4] = {&in[k], &in[k + 1], &in[k + 2], &in[k + 3 < n ? k + 3 : n - 1]};
        for (int i = 0; i < g; ++i) {
            const double t = m_alpha[i];
            double c[3];
            for (int axis = 0; axis < 3; ++axis)
                c[axis] = Matrix((*p[0])[axis], (*p[1])[axis], (*p[2])[axis], (*p[3])[axis], t);
            out[written++] = Point3d(c[0], c[1], c[2]);
        }
    }
    out.SetSize(written);
    return 1;
}

void Spline::Hermite1to4(const Point3d& p0, const Point3d& p1, const Point3d& t0, const Point3d& t1,
                         Point3d::Array& out, int start, int steps)
{
    for (int i = 0; i < steps; ++i) {
        const double u = static_cast<double>(i) / (steps - 1);
        out[start + i] = HermiteWeights(u).Apply(p0, p1, t0, t1);
    }
}

Point3d Spline::HermiteSingle(const Point3d& p0, const Point3d& p1, const Point3d& t0, const Point3d& t1, double& t)
{
    return HermiteWeights(t).Apply(p0, p1, t0, t1);
}

int Spline::GetHermiteSpline(Point3d::Array& points, int count, Point3d::Array& out, Point3d* before,
                             Point3d* after, int smoothing, int steps, double scale)
{
    const int size = points.GetSize();
    if (count < 2 || count > size || steps < 2)
        return 0;
    const int outSize = OutputSize(size, steps + 1LL);
    Point3d::Array& P = points;
    const int h = count - 1;
    // Tangents, normals, widths and smoothed points, indexed like P.
    std::vector<Point3d> work(4 * static_cast<size_t>(size));
    Point3d* const T = work.data();
    Point3d* const N = T + size;
    Point3d* const W = N + size;
    Point3d* const Q = W + size;
    out.SetSize(outSize);

    // Tangents from the neighbours and normals of the local plane.
    for (int k = 1; k < h; ++k) {
        T[k] = P[k + 1] - P[k - 1];
        N[k] = (P[k] - P[k - 1]).Cross(P[k + 1] - P[k]);
    }
    T[0] = before ? P[0] - *before : (P[1] - P[0]) - 0.3 * T[1];
    N[0] = N[1];
    T[h] = after ? *after - P[h] : (P[h] - P[h - 1]) - 0.3 * T[h - 1];
    N[h] = N[h - 1];
    for (int i = 0; i < count; ++i) {
        T[i].Normalize();
        N[i].Normalize();
        // The unit tangent turned by about 11 degrees away from the normal.
        W[i] = (0.9816 * T[i] - 0.1908 * N[i]) * scale;
    }

    if (smoothing != 0) {
        for (int pass = 0; pass < smoothing; ++pass) {
            for (int k = 1; k < h; ++k) {
                double c[3];
                for (int a = 0; a < 3; ++a)
                    c[a] = 0.5 * (P[k][a] + 0.5 * (static_cast<double>(P[k - 1][a]) + P[k + 1][a]));
                Q[k] = Point3d(c[0], c[1], c[2]);
            }
            for (int k = 1; k < h; ++k)
                P[k] = Q[k];
        }
        for (int k = 1; k < h; ++k)
            W[k] = P[k + 1] - P[k - 1];
        if (!before)
            W[0] = P[1] - P[0];
        if (!after)
            W[h] = P[h] - P[h - 1];
        for (int i = 0; i < count; ++i)
            W[i] = W[i].Normalize() * scale;
    }

    // Each segment's first point overwrites the previous segment's last.
    int start = 0;
    for (int i = 0; i < h; ++i) {
        Hermite1to4(P[i], P[i + 1], W[i], W[i + 1], out, start, steps);
        if (i + 1 < h)
            start += steps - 1;
    }
    return start + steps;
}

} // namespace Orvane
