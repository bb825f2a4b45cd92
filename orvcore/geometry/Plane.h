#pragma once

/// \file
/// Plane, an oriented plane in space.
#include "orvcore/Export.h"
#include "orvcore/geometry/Point3d.h"

namespace Orvane {

/// An oriented plane: a point on it, a normal (kept as given, not normalised)
/// and the coefficients of its equation A x + B y + C z + D = 0, where
/// (A, B, C) is the normal and D = -(normal . point).
///
/// \valuethreads
class ORVCORE_API Plane
{
public:
    Plane(); ///< every field zero
    /// The plane through point with the given normal; see Set.
    Plane(const Point3d& point, const Point3d& normal);
    /// Copies.
    ///@{
    Plane(const Plane&) = default;
    Plane& operator=(const Plane&) = default;
    ///@}
    /// Destroys the plane.
    virtual ~Plane();

    /// Sets the point and the normal and computes A, B, C, D from them; a zero
    /// normal gives a plane whose Apply is 0 everywhere.
    void Set(const Point3d& point, const Point3d& normal);
    /// The point and the normal as set.
    void Get(Point3d& point, Point3d& normal) const;
    /// The equation's coefficients.
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
