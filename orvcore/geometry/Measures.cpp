#include "orvcore/geometry/Measures.h"
#include "orvcore/geometry/detail/Vector3d.h"

#include <cmath>

namespace Orvane {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kAngleTolerance = 1.1920928955078125e-07; // 2^-23
constexpr double kDegenerateAxis = 1e-06;

// The measures work on points: every vector they build (a difference, a cross
// product, a scaled direction) is a Point3d and so is rounded to float when it
// is formed; lengths, dot products and angles are doubles taken from those
// floats.

// u x v without the substitute for a vanishing product.
Point3d PlainCross(const Point3d& u, const Point3d& v)
{
    return detail::Vector3d(u).Cross(detail::Vector3d(v)).ToPoint();
}

bool IsExactlyZero(const Point3d& p)
{
    return p[0] == 0.0f && p[1] == 0.0f && p[2] == 0.0f;
}

template <typename Dist>
Point3d MoveOntoPlane(const Point3d& p, const Point3d& a, const Point3d& b, Dist& dist, int& side)
{
    dist = static_cast<Dist>(DistanceToPlane(p, a, b, side));
    if (dist == 0)
        return p; // also covers a degenerate normal, where side was not set
    return p - (b - a) * (side * static_cast<double>(dist));
}

} // namespace

double Distance2(const Point3d& p, const Point3d& q)
{
    return detail::Difference(q, p).Length2();
}

double Distance(const Point3d& p, const Point3d& q)
{
    return std::sqrt(Distance2(p, q));
}

double DistanceToLine2(const Point3d& p, const Point3d& a, const Point3d& b)
{
    const Point3d d = a - b;
    const double d2 = d.Length2();
    if (d2 <= kDegenerateAxis)
        return 0.0;
    const Point3d v = p - a;
    return PlainCross(PlainCross(d, v), d).Length2() / (d2 * d2);
}

double DistanceToLine(const Point3d& p, const Point3d& a, const Point3d& b)
{
    return std::sqrt(DistanceToLine2(p, a, b));
}

double DistanceToPlane2(const Point3d& p, const Point3d& a, const Point3d& b, int& side)
{
    const Point3d n = b - a;
    const double n2 = n.Length2();
    if (n2 <= kDegenerateAxis)
        return 0.0;
    const double f = n.Dot(p - a);
    side = f > 0.0 ? 1 : -1;
    return f * f / n2;
}

double DistanceToPlane(const Point3d& p, const Point3d& a, const Point3d& b, int& side)
{
    return std::sqrt(DistanceToPlane2(p, a, b, side));
}

Point3d ProjectToLine(const Point3d& p, const Point3d& a, const Point3d& b)
{
    const double t = (p - a).Length() * std::cos(Angle(b, a, p) * kRadiansPerDegree);
    // A zero b - a stays zero, and the result is a.
    return a + Normalize(b - a).ChangeLength(t);
}

Point3d ProjectToPlane(const Point3d& p, const Point3d& a, const Point3d& b, double& dist, int& side)
{
    return MoveOntoPlane(p, a, b, dist, side);
}

// The move uses the distance as the caller receives it, rounded to float.
Point3d ProjectToPlane(const Point3d& p, const Point3d& a, const Point3d& b, float& dist, int& side)
{
    return MoveOntoPlane(p, a, b, dist, side);
}

double Angle(const Point3d& p1, const Point3d& p2, const Point3d& p3)
{
    const Point3d u = p1 - p2, v = p3 - p2;
    double k = u.Dot(v);
    const double s = u.Length2() * v.Length2();
    if (s > kAngleTolerance) {
        k /= std::sqrt(s);
        if (k > 1.0)
            k = 1.0;
        else if (!(k >= -1.0))
            k = -1.0;
    }
    return std::acos(k) * kDegreesPerRadian;
}

double Dihedral(const Point3d& p1, const Point3d& p2, const Point3d& p3, const Point3d& p4)
{
    const Point3d axis = p3 - p2;
    const Point3d F = CrossProduct(p1 - p2, p3 - p2);
    const Point3d G = CrossProduct(p2 - p3, p4 - p3);
    const double h = F.Length() * G.Length();
    double k = F.Dot(G);
    if (h >= kAngleTolerance)
        k /= h;
    else
        k = k >= kAngleTolerance ? 1.0 : 0.0;
    if (k > 1.0)
        k = 1.0;
    else if (k < -1.0)
        k = -1.0;
    const double angle = std::acos(k) * kDegreesPerRadian;
    return axis.Dot(CrossProduct(F, G)) >= 0.0 ? angle : -angle;
}

double Torsion(const Point3d& p1, const Point3d& p2, const Point3d& p3, const Point3d& p4)
{
    return Dihedral(p1, p2, p3, p4);
}

// The substitute is taken when the product, as stored, is exactly zero (so
// also when its components underflow the float range).
Point3d CrossProduct(const Point3d& a, const Point3d& b)
{
    const Point3d c = PlainCross(a, b);
    return IsExactlyZero(c) ? Normal(a) : c;
}

void CrossProduct(const Point3d& a, const Point3d& b, Point3d& out)
{
    const Point3d c = PlainCross(a, b);
    out = c == Point3d::zero ? Normal(a) : c;
}

Point3d Normal(const Point3d& p)
{
    Point3d n(1.0, 1.0, 1.0);
    const double x = p.GetX(), y = p.GetY(), z = p.GetZ();
    if (x != 0.0)
        n.SetX(-(y + z) / x);
    else if (y != 0.0)
        n.SetY(-(x + z) / y);
    else if (z != 0.0)
        n.SetZ(-(x + y) / z);
    return n.Normalize();
}

Point3d Normal(const Point3d& p1, const Point3d& p2, const Point3d& p3)
{
    return CrossProduct(p2 - p1, p3 - p2).Normalize();
}

bool Compare(const Point3d& p, const Point3d& q, double tolerance)
{
    const detail::Vector3d d = detail::Difference(p, q);
    return std::fabs(d.x) + std::fabs(d.y) + std::fabs(d.z) <= tolerance;
}

bool CheckPointInsideBox(const Point3d& lo, const Point3d& hi, const Point3d& p)
{
    for (int i = 0; i < 3; ++i) {
        if (!(lo[i] <= p[i] && p[i] <= hi[i]))
            return false;
    }
    return true;
}

// --- the Point3d members, which act on *this

double Point3d::Distance(const Point3d& q) const { return Orvane::Distance(*this, q); }
double Point3d::Distance2(const Point3d& q) const { return Orvane::Distance2(*this, q); }
double Point3d::DistanceToLine(const Point3d& a, const Point3d& b) const
{
    return Orvane::DistanceToLine(*this, a, b);
}
double Point3d::DistanceToLine2(const Point3d& a, const Point3d& b) const
{
    return Orvane::DistanceToLine2(*this, a, b);
}
double Point3d::DistanceToPlane(const Point3d& a, const Point3d& b, int& side) const
{
    return Orvane::DistanceToPlane(*this, a, b, side);
}
double Point3d::DistanceToPlane2(const Point3d& a, const Point3d& b, int& side) const
{
    return Orvane::DistanceToPlane2(*this, a, b, side);
}
Point3d Point3d::ProjectToLine(const Point3d& a, const Point3d& b) const
{
    return Orvane::ProjectToLine(*this, a, b);
}
Point3d Point3d::ProjectToPlane(const Point3d& a, const Point3d& b, double& dist, int& side) const
{
    return Orvane::ProjectToPlane(*this, a, b, dist, side);
}
Point3d Point3d::ProjectToPlane(const Point3d& a, const Point3d& b, float& dist, int& side) const
{
    return Orvane::ProjectToPlane(*this, a, b, dist, side);
}
Point3d Point3d::Cross(const Point3d& q) const { return CrossProduct(*this, q); }
Point3d Point3d::Normal() const { return Orvane::Normal(*this); }
bool Point3d::Compare(const Point3d& q, double tolerance) const { return Orvane::Compare(*this, q, tolerance); }
bool Point3d::CheckInsideBox(const Point3d& lo, const Point3d& hi) const
{
    return CheckPointInsideBox(lo, hi, *this);
}

} // namespace Orvane
