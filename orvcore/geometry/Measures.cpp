#include "orvcore/geometry/Measures.h"
#include "orvcore/geometry/Vector3d.h"

#include <cmath>

namespace Orvane {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kAngleTolerance = 1.1920928955078125e-07; // 2^-23
constexpr double kDegenerateAxis = 1e-06;

using detail::CrossOrPerpendicular;
using detail::Perpendicular;
using Vec = detail::Vector3d;
using detail::Difference;

double AngleBetween(const Vec& u, const Vec& v)
{
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

} // namespace

double Distance2(const Point3d& p, const Point3d& q)
{
    return Difference(q, p).Length2();
}

double Distance(const Point3d& p, const Point3d& q)
{
    return std::sqrt(Distance2(p, q));
}

double DistanceToLine2(const Point3d& p, const Point3d& a, const Point3d& b)
{
    const Vec d = Difference(a, b);
    const double d2 = d.Length2();
    if (d2 <= kDegenerateAxis)
        return 0.0;
    const Vec v = Difference(p, a);
    return d.Cross(v).Cross(d).Length2() / (d2 * d2);
}

double DistanceToLine(const Point3d& p, const Point3d& a, const Point3d& b)
{
    return std::sqrt(DistanceToLine2(p, a, b));
}

double DistanceToPlane2(const Point3d& p, const Point3d& a, const Point3d& b, int& side)
{
    const Vec n = Difference(b, a);
    const double n2 = n.Length2();
    if (n2 <= kDegenerateAxis)
        return 0.0;
    const double f = n.Dot(Difference(p, a));
    side = f > 0.0 ? 1 : -1;
    return f * f / n2;
}

double DistanceToPlane(const Point3d& p, const Point3d& a, const Point3d& b, int& side)
{
    return std::sqrt(DistanceToPlane2(p, a, b, side));
}

Point3d ProjectToLine(const Point3d& p, const Point3d& a, const Point3d& b)
{
    const double t = Difference(p, a).Length() * std::cos(Angle(b, a, p) * kRadiansPerDegree);
    const Vec u = Difference(b, a);
    const double length = u.Length();
    if (length == 0.0)
        return a;
    return (Vec(a) + u * (t / length)).ToPoint();
}

namespace {

Point3d MoveOntoPlane(const Point3d& p, const Point3d& a, const Point3d& b, double dist, int side)
{
    if (dist == 0.0)
        return p; // also covers a degenerate normal, where side was not set
    return (Vec(p) - Difference(b, a) * (side * dist)).ToPoint();
}

} // namespace

Point3d ProjectToPlane(const Point3d& p, const Point3d& a, const Point3d& b, double& dist, int& side)
{
    dist = DistanceToPlane(p, a, b, side);
    return MoveOntoPlane(p, a, b, dist, side);
}

Point3d ProjectToPlane(const Point3d& p, const Point3d& a, const Point3d& b, float& dist, int& side)
{
    const double d = DistanceToPlane(p, a, b, side);
    dist = static_cast<float>(d);
    return MoveOntoPlane(p, a, b, d, side);
}

double Angle(const Point3d& p1, const Point3d& p2, const Point3d& p3)
{
    return AngleBetween(Difference(p1, p2), Difference(p3, p2));
}

double Dihedral(const Point3d& p1, const Point3d& p2, const Point3d& p3, const Point3d& p4)
{
    const Vec axis = Difference(p3, p2);
    const Vec F = CrossOrPerpendicular(Difference(p1, p2), Difference(p3, p2));
    const Vec G = CrossOrPerpendicular(Difference(p2, p3), Difference(p4, p3));
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
    return axis.Dot(CrossOrPerpendicular(F, G)) >= 0.0 ? angle : -angle;
}

double Torsion(const Point3d& p1, const Point3d& p2, const Point3d& p3, const Point3d& p4)
{
    return Dihedral(p1, p2, p3, p4);
}

Point3d CrossProduct(const Point3d& a, const Point3d& b)
{
    return CrossOrPerpendicular(Vec(a), Vec(b)).ToPoint();
}

void CrossProduct(const Point3d& a, const Point3d& b, Point3d& out)
{
    const Point3d c = Vec(a).Cross(Vec(b)).ToPoint();
    out = c == Point3d::zero ? Normal(a) : c;
}

Point3d Normal(const Point3d& p)
{
    return Perpendicular(Vec(p)).ToPoint();
}

Point3d Normal(const Point3d& p1, const Point3d& p2, const Point3d& p3)
{
    return CrossOrPerpendicular(Difference(p2, p1), Difference(p3, p2)).Normalized().ToPoint();
}

bool Compare(const Point3d& p, const Point3d& q, double tolerance)
{
    const Vec d = Difference(p, q);
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
