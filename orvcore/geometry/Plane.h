#pragma once

#include "orvcore/Export.h"
#include "orvcore/geometry/Point3d.h"

namespace Orvane {

/// An oriented plane: a point on it, a normal (kept as given, not normalised)
/// and the coefficients of its equation A x + B y + C z + D = 0, where
/// (A, B, C) is the normal and D = -(normal . point).
class ORVCORE_API Plane
{
public:
    Plane(); ///< every field zero
    Plane(const Point3d& point, const Point3d& normal);
    Plane(const Plane&) = default;
    Plane& operator=(const Plane&) = default;
    virtual ~Plane();

    void Set(const Point3d& point, const Point3d& normal);
    void Get(Point3d& point, Point3d& normal) const;
    void GetABCD(double& a, double& b, double& c, double& d) const;
    /// A qx + B qy + C qz + D: the signed distance of q times the normal's
    /// length, positive on the side the normal points to.
    double Apply(const Point3d& q) const { return m_a * q.GetX() + m_b * q.GetY() + m_c * q.GetZ() + m_d; }

private:
    Point3d m_point;
    Point3d m_normal;
    double m_a = 0.0, m_b = 0.0, m_c = 0.0, m_d = 0.0;
};

} // namespace Orvane
