#pragma once

/// \file
/// Measures on points: distances, angles, cross products, projections, box tests.
///
/// Each free function gives the same result as its Point3d member, with the
/// point the member acts on passed first: Distance(p, q) is p.Distance(q), and
/// CrossProduct(a, b) is a.Cross(b) (the twin of Point3d::Dot is DotProduct, in
/// Point3d.h). Angles are in degrees. All are pure functions of their
/// arguments, safe on any thread.
#include "orvcore/Export.h"
#include "orvcore/geometry/Point3d.h"

namespace Orvane {

/// Distance between p and q.
ORVCORE_API double Distance(const Point3d& p, const Point3d& q);
/// Squared distance between p and q.
ORVCORE_API double Distance2(const Point3d& p, const Point3d& q);
/// Distance from p to the infinite line through a and b; 0 when a and b are
/// too close to define a line.
ORVCORE_API double DistanceToLine(const Point3d& p, const Point3d& a, const Point3d& b);
/// Squared distance from p to the line through a and b; 0 for a degenerate line.
ORVCORE_API double DistanceToLine2(const Point3d& p, const Point3d& a, const Point3d& b);
/// Distance from p to the plane through a whose normal is b - a; side becomes
/// +1 when p lies on the side the normal points to, else -1. A degenerate
/// normal gives 0 and leaves side untouched.
ORVCORE_API double DistanceToPlane(const Point3d& p, const Point3d& a, const Point3d& b, int& side);
/// Squared distance from p to the plane through a with normal b - a; side as for DistanceToPlane.
ORVCORE_API double DistanceToPlane2(const Point3d& p, const Point3d& a, const Point3d& b, int& side);
/// Foot of the perpendicular from p onto the line through a and b.
/// A coincident a and b give a.
ORVCORE_API Point3d ProjectToLine(const Point3d& p, const Point3d& a, const Point3d& b);
/// p moved along b - a by the plane distance times the normal's length.
/// That is the foot of the perpendicular only when b - a has unit length. dist
/// and side receive the plane distance and side (the float form moves by the
/// distance rounded to float); a distance of 0, or a degenerate normal, gives p.
///@{
ORVCORE_API Point3d ProjectToPlane(const Point3d& p, const Point3d& a, const Point3d& b, double& dist,
                                   int& side);
ORVCORE_API Point3d ProjectToPlane(const Point3d& p, const Point3d& a, const Point3d& b, float& dist,
                                   int& side);
///@}
/// Angle at p2 between p1 and p3, 0 to 180.
/// In degrees; 90 when p1 or p3 coincides with p2.
ORVCORE_API double Angle(const Point3d& p1, const Point3d& p2, const Point3d& p3);
/// Torsion angle about the axis p2-p3, -180 to 180.
/// In degrees. With F = (p1 - p2) x (p3 - p2) and G = (p2 - p3) x (p4 - p3), the
/// angle between F and G, positive when F x G points along p3 - p2.
ORVCORE_API double Dihedral(const Point3d& p1, const Point3d& p2, const Point3d& p3, const Point3d& p4);
/// The same as Dihedral.
ORVCORE_API double Torsion(const Point3d& p1, const Point3d& p2, const Point3d& p3, const Point3d& p4);
/// a x b, as a.Cross(b). When all three components come out exactly 0 (parallel
/// or zero vectors) the result is Normal(a), a unit vector perpendicular to a:
/// CrossProduct(a, a) has length 1, never 0.
ORVCORE_API Point3d CrossProduct(const Point3d& a, const Point3d& b);
/// a x b into out; Normal(a) instead when the product equals the zero vector
/// under Point3d's operator== (total size at most 2^-126).
ORVCORE_API void CrossProduct(const Point3d& a, const Point3d& b, Point3d& out);
/// A unit vector perpendicular to p.
/// (1, 1, 1) normalised for the zero vector.
ORVCORE_API Point3d Normal(const Point3d& p);
/// Unit normal of the triangle p1, p2, p3.
ORVCORE_API Point3d Normal(const Point3d& p1, const Point3d& p2, const Point3d& p3);
/// True when the coordinates differ by at most tolerance in total.
ORVCORE_API bool Compare(const Point3d& p, const Point3d& q, double tolerance);
/// True when lo <= p <= hi in every coordinate (the box corners come first).
ORVCORE_API bool CheckPointInsideBox(const Point3d& lo, const Point3d& hi, const Point3d& p);

} // namespace Orvane
