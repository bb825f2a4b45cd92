#pragma once

#include "orvcore/geometry/Point3d.h"

#include <cmath>

namespace Orvane {
namespace detail {

// A vector of doubles for intermediate results: the geometry code widens the
// float coordinates of its points, computes in double precision and rounds
// only the points it returns.
struct Vector3d
{
    double x, y, z;

    Vector3d(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    explicit Vector3d(const Point3d& p) : x(p.GetX()), y(p.GetY()), z(p.GetZ()) {}
    Point3d ToPoint() const { return Point3d(x, y, z); }

    Vector3d operator+(const Vector3d& v) const { return Vector3d(x + v.x, y + v.y, z + v.z); }
    Vector3d operator-(const Vector3d& v) const { return Vector3d(x - v.x, y - v.y, z - v.z); }
    Vector3d operator*(double s) const { return Vector3d(x * s, y * s, z * s); }
    double Dot(const Vector3d& v) const { return x * v.x + y * v.y + z * v.z; }
    double Length2() const { return Dot(*this); }
    double Length() const { return std::sqrt(Length2()); }
    Vector3d Cross(const Vector3d& v) const
    {
        return Vector3d(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
    }
    bool IsExactlyZero() const { return x == 0.0 && y == 0.0 && z == 0.0; }
    // Scaled to unit length; a zero vector stays zero.
    Vector3d Normalized() const
    {
        const double length = Length();
        return length != 0.0 && length != 1.0 ? *this * (1.0 / length) : *this;
    }
};

// a - b in double precision.
inline Vector3d Difference(const Point3d& a, const Point3d& b)
{
    return Vector3d(a.GetX() - b.GetX(), a.GetY() - b.GetY(), a.GetZ() - b.GetZ());
}

// A unit vector perpendicular to p: (1, 1, 1) with the component of the first
// non-zero coordinate of p (in the order x, y, z) solved for. The zero vector
// gives (1, 1, 1) normalised.
inline Vector3d Perpendicular(const Vector3d& p)
{
    Vector3d n(1.0, 1.0, 1.0);
    if (p.x != 0.0)
        n.x = -(p.y + p.z) / p.x;
    else if (p.y != 0.0)
        n.y = -(p.x + p.z) / p.y;
    else if (p.z != 0.0)
        n.z = -(p.x + p.y) / p.z;
    return n.Normalized();
}

// u x v, or a perpendicular of u when the product is exactly zero.
inline Vector3d CrossOrPerpendicular(const Vector3d& u, const Vector3d& v)
{
    const Vector3d c = u.Cross(v);
    return c.IsExactlyZero() ? Perpendicular(u) : c;
}

} // namespace detail
} // namespace Orvane
