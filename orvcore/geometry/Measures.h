#pragma once

#include "orvcore/Export.h"
#include "orvcore/geometry/Point3d.h"

/// Distances, angles, cross products, projections and box tests on points.
/// Each free function gives the same result as the Point3d member of the same
/// name, with the point the member acts on passed first. Angles are in degrees.
namespace Orvane {

ORVCORE_API double Distance(const Point3d& p, const Point3d& q);
ORVCORE_API double Distance2(const Point3d& p, const Point3d& q);
/// Distance from p to the infinite line through a and b; 0 when a and b are
/// too close to define a line.
ORVCORE_API double DistanceToLine(const Point3d& p, const Point3d& a, const Point3d& b);
ORVCORE_API double DistanceToLine2(const Point3d& p, const Point3d& a, const Point3d& b);
/// Distance from p to the plane through a whose normal is b - a; side becomes
/// +1 when p lies on the side the normal points to, else -1. A degenerate
/// normal gives 0 and leaves side untouched.
ORVCORE_API double DistanceToPlane(const Point3d& p, const Point3d& a, const Point3d& b, int& side);
ORVCORE_API double DistanceToPlane2(const Point3d& p, const Point3d& a, const Point3d& b, int& side);
/// Foot of the perpendicular from p onto the line through a and b.
ORVCORE_API Point3d ProjectToLine(const Point3d& p, const Point3d& a, const Point3d& b);
/// p moved along b - a by the plane distance times the normal's length.
ORVCORE_API Point3d ProjectToPlane(const Point3d& p, const Point3d& a, const Point3d& b, double& dist,
                                   int& side);
ORVCORE_API Point3d ProjectToPlane(const Point3d& p, const Point3d& a, const Point3d& b, float& dist,
                                   int& side);
/// Angle at p2 between p1 and p3, 0 to 180.
ORVCORE_API double Angle(const Point3d& p1, const Point3d& p2, const Point3d& p3);
/// Torsion angle about the axis p2-p3, -180 to 180.
ORVCORE_API double Dihedral(const Point3d& p1, const Point3d& p2, const Point3d& p3, const Point3d& p4);
ORVCORE_API double Torsion(const Point3d& p1, const Point3d& p2, const Point3d& p3, const Point3d& p4);
/// a x b; a unit vector perpendicular to a when the product vanishes.
ORVCORE_API Point3d CrossProduct(const Point3d& a, const Point3d& b);
ORVCORE_API void CrossProduct(const Point3d& a, const Point3d& b, Point3d& out);
/// A unit vector perpendicular to p.
ORVCORE_API Point3d Normal(const Point3d& p);
/// Unit normal of the triangle p1, p2, p3.
ORVCORE_API Point3d Normal(const Point3d& p1, const Point3d& p2, const Point3d& p3);
/// True when the coordinates differ by at most tolerance in total.
ORVCORE_API bool Compare(const Point3d& p, const Point3d& q, double tolerance);
/// True when lo <= p <= hi in every coordinate (the box corners come first).
ORVCORE_API bool CheckPointInsideBox(const Point3d& lo, const Point3d& hi, const Point3d& p);

} // namespace Orvane
