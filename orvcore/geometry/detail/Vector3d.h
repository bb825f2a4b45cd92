#pragma once

#include "orvcore/geometry/Point3d.h"

#include <cmath>

namespace Orvane {
namespace detail {

// A vector of doubles for sums and products taken from the float coordinates
// of points before the result is rounded into a point.
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
};

// a - b in double precision.
inline Vector3d Difference(const Point3d& a, const Point3d& b)
{
    return Vector3d(a.GetX() - b.GetX(), a.GetY() - b.GetY(), a.GetZ() - b.GetZ());
}

} // namespace detail
} // namespace Orvane
