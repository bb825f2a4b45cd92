#pragma once

/// \file
/// Point3d, the point and vector of space, with its operators and free functions.
#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CArray.h"

#include <iosfwd>

namespace Orvane {

class RandomSequence;

/// A point or vector in space. The three coordinates are held as floats and
/// the interface is in doubles: a value is rounded to float when it is stored,
/// and arithmetic is done in double precision before that rounding.
///
/// \valuethreads
class ORVCORE_API Point3d
{
public:
    /// Tag of the constructor that leaves the coordinates unset.
    enum UninitializedPoint { UninitializedPoint };

    /// A growable array of points; its archive image is the element count
    /// followed by the points' floats in one block.
    ///
    /// \valuethreads
    class ORVCORE_API Array : public CArray<Point3d, const Point3d&>
    {
    public:
        /// An empty array; copies and moves take the points with them.
        ///@{
        Array() = default;
        Array(const Array&) = default;
        Array(Array&&) noexcept = default;
        Array& operator=(const Array&) = default;
        Array& operator=(Array&&) noexcept = default;
        ///@}
        ~Array() override;
    };

    /// The origin (0, 0, 0).
    constexpr Point3d() : m_v{0.0f, 0.0f, 0.0f} {}
    /// The point (x, y, z), each coordinate rounded to float.
    constexpr Point3d(double x, double y, double z)
        : m_v{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)}
    {
    }
    /// The point (xyz[0], xyz[1], xyz[2]); the array must hold three values.
    ///@{
    explicit Point3d(const double* xyz);
    explicit Point3d(const float* xyz);
    ///@}
    /// Leaves the coordinates unset, for arrays filled at once afterwards.
    explicit Point3d(enum UninitializedPoint) {}
    /// Copies.
    ///@{
    Point3d(const Point3d&) = default;
    Point3d& operator=(const Point3d&) = default;

    ///@}
    static const Point3d origin; ///< (0, 0, 0)
    static const Point3d zero; ///< (0, 0, 0)
    static const Point3d iVector; ///< (1, 0, 0): the unit vector along x.
    static const Point3d jVector; ///< (0, 1, 0): the unit vector along y.
    static const Point3d kVector; ///< (0, 0, 1): the unit vector along z.
    static const Point3d minimum; ///< every coordinate the lowest finite float
    static const Point3d maximum; ///< every coordinate the largest finite float

    // --- access
    /// The three coordinates as an array of floats.
    ///@{
    operator float*() { return m_v; }
    operator const float*() const { return m_v; }
    ///@}
    /// Coordinate x, y or z.
    ///@{
    double GetX() const { return m_v[0]; }
    double GetY() const { return m_v[1]; }
    double GetZ() const { return m_v[2]; }
    ///@}
    /// Copies the three coordinates out.
    ///@{
    void GetXYZ(float& x, float& y, float& z) const
    {
        x = m_v[0];
        y = m_v[1];
        z = m_v[2];
    }
    void GetXYZ(double& x, double& y, double& z) const
    {
        x = m_v[0];
        y = m_v[1];
        z = m_v[2];
    }
    ///@}
    /// Sets coordinate x, y or z (rounded to float) and returns this point.
    ///@{
    Point3d& SetX(double x)
    {
        m_v[0] = static_cast<float>(x);
        return *this;
    }
    Point3d& SetY(double y)
    {
        m_v[1] = static_cast<float>(y);
        return *this;
    }
    Point3d& SetZ(double z)
    {
        m_v[2] = static_cast<float>(z);
        return *this;
    }
    ///@}
    /// Sets all three coordinates (rounded to float) and returns this point.
    ///@{
    Point3d& SetXYZ(double x, double y, double z)
    {
        m_v[0] = static_cast<float>(x);
        m_v[1] = static_cast<float>(y);
        m_v[2] = static_cast<float>(z);
        return *this;
    }
    Point3d& SetXYZ(const Point3d& p)
    {
        *this = p;
        return *this;
    }
    ///@}
    /// Coordinate i (0 x, 1 y, 2 z); any other index selects x.
    ///@{
    float& operator[](int i) { return m_v[i >= 0 && i <= 2 ? i : 0]; }
    const float& operator[](int i) const { return m_v[i >= 0 && i <= 2 ? i : 0]; }
    ///@}

    // --- arithmetic, componentwise
    /// Componentwise arithmetic with a point or with a scalar; returns this point.
    ///@{
    Point3d& operator+=(const Point3d& p) { return SetXYZ(GetX() + p.GetX(), GetY() + p.GetY(), GetZ() + p.GetZ()); }
    Point3d& operator-=(const Point3d& p) { return SetXYZ(GetX() - p.GetX(), GetY() - p.GetY(), GetZ() - p.GetZ()); }
    Point3d& operator*=(const Point3d& p) { return SetXYZ(GetX() * p.GetX(), GetY() * p.GetY(), GetZ() * p.GetZ()); }
    Point3d& operator+=(double s) { return SetXYZ(GetX() + s, GetY() + s, GetZ() + s); }
    Point3d& operator-=(double s) { return SetXYZ(GetX() - s, GetY() - s, GetZ() - s); }
    Point3d& operator*=(double s) { return SetXYZ(GetX() * s, GetY() * s, GetZ() * s); }
    ///@}
    /// Division is skipped (the point stays as it is) when a divisor is zero.
    ///@{
    Point3d& operator/=(const Point3d& d);
    Point3d& operator/=(double s);
    ///@}

    // --- vector algebra
    /// Sum of the coordinates.
    double Sum() const { return GetX() + GetY() + GetZ(); }
    /// x^2 + y^2 + z^2.
    double SumSquares() const { return GetX() * GetX() + GetY() * GetY() + GetZ() * GetZ(); }
    /// Squared length: the same as SumSquares.
    double Length2() const { return SumSquares(); }
    /// Length (Euclidean norm).
    double Length() const;
    /// x^|n| + y^|n| + z^|n|
    double SumPowers(int n) const;
    /// Dot product with q. Free twin: DotProduct.
    double Dot(const Point3d& q) const { return GetX() * q.GetX() + GetY() * q.GetY() + GetZ() * q.GetZ(); }
    /// The point halfway between this point and q.
    Point3d MidPoint(const Point3d& q) const
    {
        return Point3d((GetX() + q.GetX()) * 0.5, (GetY() + q.GetY()) * 0.5, (GetZ() + q.GetZ()) * 0.5);
    }
    /// The vector from this point to q.
    Point3d Direction(const Point3d& q) const
    {
        return Point3d(q.GetX() - GetX(), q.GetY() - GetY(), q.GetZ() - GetZ());
    }
    /// Componentwise larger (ties keep this point's value) / smaller values.
    ///@{
    Point3d& Maximum(const Point3d& q);
    Point3d& Minimum(const Point3d& q);
    ///@}
    /// Scales to length L; a zero vector, or one already of length L, is kept.
    Point3d& ChangeLength(double L);
    /// Scales to unit length; a zero vector is kept.
    Point3d& Normalize() { return ChangeLength(1.0); }

    /// Right-handed rotations about the coordinate axes, angles in degrees.
    ///@{
    Point3d& RotateAboutX(double degrees);
    Point3d& RotateAboutY(double degrees);
    Point3d& RotateAboutZ(double degrees);
    ///@}

    // --- measures (free twins in Measures.h)
    /// Distance to q, and its square (Distance2).
    ///@{
    double Distance(const Point3d& q) const;
    double Distance2(const Point3d& q) const;
    ///@}
    /// Distance to the infinite line through a and b, and its square; 0 when a and b
    /// are too close to define a line.
    ///@{
    double DistanceToLine(const Point3d& a, const Point3d& b) const;
    double DistanceToLine2(const Point3d& a, const Point3d& b) const;
    ///@}
    /// Distance to the plane through a with normal b - a, and its square; side becomes
    /// +1 on the side the normal points to, else -1. See Orvane::DistanceToPlane.
    ///@{
    double DistanceToPlane(const Point3d& a, const Point3d& b, int& side) const;
    double DistanceToPlane2(const Point3d& a, const Point3d& b, int& side) const;
    ///@}
    /// Foot of the perpendicular onto the line through a and b.
    Point3d ProjectToLine(const Point3d& a, const Point3d& b) const;
    /// This point moved onto the plane through a with normal b - a; see Orvane::ProjectToPlane.
    ///@{
    Point3d ProjectToPlane(const Point3d& a, const Point3d& b, double& dist, int& side) const;
    Point3d ProjectToPlane(const Point3d& a, const Point3d& b, float& dist, int& side) const;
    ///@}
    /// This x q. When all three components come out exactly 0 (parallel or
    /// zero vectors) the result is Normal(), a unit vector perpendicular to
    /// this one: a.Cross(a) has length 1, never 0. Free twin: CrossProduct.
    Point3d Cross(const Point3d& q) const;
    /// A unit vector perpendicular to this one; (1, 1, 1) normalised for the zero vector.
    Point3d Normal() const;
    /// True when the coordinates differ from q's by at most tolerance in total.
    bool Compare(const Point3d& q, double tolerance) const;
    /// True when lo <= this <= hi in every coordinate.
    bool CheckInsideBox(const Point3d& lo, const Point3d& hi) const;

    // --- random points: x, y, z are three successive draws of the sequence.
    // Without a sequence the draws are uniform on [-1, 1] from the
    // process-wide default generator.
    /// A point of three successive draws of s.
    ///@{
    static Point3d Random(RandomSequence& s);
    ///@}
    /// A random direction: normalised.
    static Point3d Random();
    /// New coordinates, keeping the current length when it is above 0.
    /// Without s the draws are uniform on [-1, 1].
    ///@{
    Point3d& Randomize(RandomSequence& s);
    Point3d& Randomize();
    ///@}

    // --- persistence
    /// Stores or loads the point as operator<< and operator>> do.
    void Serialize(CArchive& ar);

private:
    float m_v[3];
};

static_assert(sizeof(Point3d) == 12, "Point3d is three floats");

// --- arithmetic
/// Componentwise arithmetic, as the compound operators; division by a zero
/// (or by a point with a zero coordinate) gives the dividend unchanged.
///@{
inline Point3d operator+(const Point3d& a, const Point3d& b) { return Point3d(a) += b; }
inline Point3d operator-(const Point3d& a, const Point3d& b) { return Point3d(a) -= b; }
inline Point3d operator*(const Point3d& a, const Point3d& b) { return Point3d(a) *= b; }
inline Point3d operator*(const Point3d& a, double s) { return Point3d(a) *= s; }
inline Point3d operator*(double s, const Point3d& a) { return Point3d(a) *= s; }
inline Point3d operator/(const Point3d& a, const Point3d& d) { return Point3d(a) /= d; }
inline Point3d operator/(const Point3d& a, double s) { return Point3d(a) /= s; }
///@}
/// The point itself.
inline Point3d operator+(const Point3d& a) { return a; }
/// The opposite vector.
inline Point3d operator-(const Point3d& a) { return Point3d(-a.GetX(), -a.GetY(), -a.GetZ()); }
/// Equal when the coordinates differ by at most 2^-126 in total.
ORVCORE_API bool operator==(const Point3d& a, const Point3d& b);
/// Not operator==.
inline bool operator!=(const Point3d& a, const Point3d& b) { return !(a == b); }

// --- vector algebra, free twins
/// Free twins of the members, with the point acted on first: the same names,
/// except DotProduct for Dot (and CrossProduct, in Measures.h, for Cross).
///@{
inline double Sum(const Point3d& p) { return p.Sum(); }
inline double SumSquares(const Point3d& p) { return p.SumSquares(); }
inline double Length2(const Point3d& p) { return p.Length2(); }
inline double Length(const Point3d& p) { return p.Length(); }
inline double SumPowers(const Point3d& p, int n) { return p.SumPowers(n); }
inline double DotProduct(const Point3d& p, const Point3d& q) { return p.Dot(q); }
inline Point3d MidPoint(const Point3d& p, const Point3d& q) { return p.MidPoint(q); }
inline Point3d Direction(const Point3d& p, const Point3d& q) { return p.Direction(q); }
inline Point3d Maximum(const Point3d& p, const Point3d& q) { return Point3d(p).Maximum(q); }
inline Point3d Minimum(const Point3d& p, const Point3d& q) { return Point3d(p).Minimum(q); }
inline Point3d ChangeLength(const Point3d& p, double L) { return Point3d(p).ChangeLength(L); }
inline Point3d Normalize(const Point3d& p) { return Point3d(p).Normalize(); }
///@}

// --- persistence: doubles for old documents (schema unset or 0..6), floats from schema 7
/// Archive form: x, y, z as doubles (24 bytes) when the archive's schema is unset
/// or 0 to 6, as floats (12 bytes) from schema 7 on. A short archive raises
/// CArchiveException(endOfFile).
///@{
ORVCORE_API CArchive& operator<<(CArchive& ar, const Point3d& p);
ORVCORE_API CArchive& operator>>(CArchive& ar, Point3d& p);
///@}
/// Text: "x y z", or three fields of the stream's width when one is set.
ORVCORE_API std::ostream& operator<<(std::ostream& os, const Point3d& p);
/// Reads x, y, z; on any failure the point is left unchanged.
ORVCORE_API std::istream& operator>>(std::istream& is, Point3d& p);

} // namespace Orvane

#include "orvcore/geometry/Measures.h"
