#pragma once

/// \file
/// Point2d, the point and vector of the plane, with its operators and free functions.
#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CArray.h"
#include "orvcore/geometry/Point3d.h"

#include <iosfwd>

namespace Orvane {

/// A point or vector in the plane of the screen or of a 2D overlay. Unlike
/// Point3d the coordinates are doubles, so nothing is rounded when stored.
///
/// \threadsafety{A value, as the others (distinct objects on any thread, one object read by several
/// while none changes it); Rotate keeps its cache of the last angle per thread.}
class ORVCORE_API Point2d
{
public:
    /// A growable array of points; its archive image is the element count
    /// followed by the points' doubles in one block.
    ///
    /// \valuethreads
    class ORVCORE_API Array : public CArray<Point2d, const Point2d&>
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

    /// The origin (0, 0).
    constexpr Point2d() : m_v{0.0, 0.0} {}
    /// The point (x, y).
    constexpr Point2d(double x, double y) : m_v{x, y} {}
    /// (p.x, p.y): z is dropped.
    explicit Point2d(const Point3d& p) : m_v{p.GetX(), p.GetY()} {}
    /// (0, 0) for a null pointer.
    explicit Point2d(const double* const xy);
    /// Reads x and y as text; (0, 0) when the stream fails.
    explicit Point2d(std::istream& is);
    /// Reads the archive form.
    explicit Point2d(CArchive& ar);
    /// Copies.
    ///@{
    Point2d(const Point2d&) = default;
    Point2d& operator=(const Point2d&) = default;

    ///@}
    static const Point2d origin; ///< (0, 0)
    static const Point2d iVector; ///< (1, 0)
    static const Point2d jVector; ///< (0, 1)
    static const Point2d minimum; ///< both coordinates the lowest finite float
    static const Point2d maximum; ///< both coordinates the largest finite float

    // --- access
    /// The two coordinates as an array of doubles.
    ///@{
    operator double*() { return m_v; }
    operator const double*() const { return m_v; }
    ///@}
    /// Coordinate x or y.
    ///@{
    double GetX() const { return m_v[0]; }
    double GetY() const { return m_v[1]; }
    ///@}
    /// Copies the two coordinates out.
    ///@{
    void GetXY(float& x, float& y) const
    {
        x = static_cast<float>(m_v[0]);
        y = static_cast<float>(m_v[1]);
    }
    void GetXY(double& x, double& y) const
    {
        x = m_v[0];
        y = m_v[1];
    }
    ///@}
    /// Sets coordinate x or y.
    ///@{
    void SetX(double x) { m_v[0] = x; }
    void SetY(double y) { m_v[1] = y; }
    ///@}
    /// Sets both coordinates; from a Point3d, its x and y.
    ///@{
    void SetXY(double x, double y)
    {
        m_v[0] = x;
        m_v[1] = y;
    }
    void SetXY(const Point3d& p) { SetXY(p.GetX(), p.GetY()); }
    ///@}
    /// Coordinate i (0 x, 1 y); any other index selects x.
    ///@{
    double& operator[](int i) { return m_v[i == 1 ? 1 : 0]; }
    double operator[](int i) const { return m_v[i == 1 ? 1 : 0]; }
    ///@}

    // --- arithmetic, componentwise
    /// Componentwise arithmetic with a point or a scalar; returns this point.
    ///@{
    Point2d& operator+=(const Point2d& p)
    {
        SetXY(m_v[0] + p.m_v[0], m_v[1] + p.m_v[1]);
        return *this;
    }
    Point2d& operator-=(const Point2d& p)
    {
        SetXY(m_v[0] - p.m_v[0], m_v[1] - p.m_v[1]);
        return *this;
    }
    Point2d& operator*=(const Point2d& p)
    {
        SetXY(m_v[0] * p.m_v[0], m_v[1] * p.m_v[1]);
        return *this;
    }
    Point2d& operator*=(double s)
    {
        SetXY(m_v[0] * s, m_v[1] * s);
        return *this;
    }
    ///@}
    /// Division is skipped (the point stays as it is) when a divisor is zero.
    ///@{
    Point2d& operator/=(const Point2d& d);
    Point2d& operator/=(double s);
    ///@}

    // --- vector algebra
    // The vector from this point to q.
    /// The vector from this point to q.
    Point2d Direction(const Point2d& q) const { return Point2d(q.m_v[0] - m_v[0], q.m_v[1] - m_v[1]); }
    /// The point halfway between this point and q.
    Point2d MidPoint(const Point2d& q) const
    {
        return Point2d((m_v[0] + q.m_v[0]) * 0.5, (m_v[1] + q.m_v[1]) * 0.5);
    }
    /// Dot product with q.
    double Dot(const Point2d& q) const { return m_v[0] * q.m_v[0] + m_v[1] * q.m_v[1]; }
    /// Squared distance to q.
    double Distance2(const Point2d& q) const { return Direction(q).Length2(); }
    /// Distance to q.
    double Distance(const Point2d& q) const;
    /// x + y.
    double Sum() const { return m_v[0] + m_v[1]; }
    /// x^2 + y^2.
    double SumSquares() const { return m_v[0] * m_v[0] + m_v[1] * m_v[1]; }
    /// Squared length: the same as SumSquares.
    double Length2() const { return SumSquares(); }
    /// Length (Euclidean norm).
    double Length() const;
    /// x^n + y^n
    double SumPowers(unsigned int n) const;
    /// Scales to length L; a zero vector, or one already of length L, is kept.
    void ChangeLength(double L);
    /// Scales to unit length; a zero vector is kept.
    void Normalize() { ChangeLength(1.0); }
    /// Componentwise larger (ties keep this point's value) / smaller values.
    ///@{
    Point2d& Maximum(const Point2d& q);
    Point2d& Minimum(const Point2d& q);
    ///@}
    /// Counter-clockwise rotation about the origin, in degrees.
    void Rotate(double degrees);

    // --- persistence: x and y as doubles, whatever the schema
    /// Stores or loads x and y as doubles (16 bytes), whatever the schema.
    void Serialize(CArchive& ar);

private:
    double m_v[2];
};

static_assert(sizeof(Point2d) == 16, "Point2d is two doubles");

/// Componentwise arithmetic, as the compound operators; division by zero (or by
/// a point with a zero coordinate) gives the dividend unchanged.
///@{
inline Point2d operator+(const Point2d& a, const Point2d& b) { return Point2d(a) += b; }
inline Point2d operator-(const Point2d& a, const Point2d& b) { return Point2d(a) -= b; }
inline Point2d operator*(const Point2d& a, const Point2d& b) { return Point2d(a) *= b; }
inline Point2d operator*(const Point2d& a, double s) { return Point2d(a) *= s; }
inline Point2d operator*(double s, const Point2d& a) { return Point2d(a) *= s; }
inline Point2d operator/(const Point2d& a, const Point2d& d) { return Point2d(a) /= d; }
inline Point2d operator/(const Point2d& a, double s) { return Point2d(a) /= s; }
///@}
/// The point itself.
inline Point2d operator+(const Point2d& a) { return a; }
/// The opposite vector.
inline Point2d operator-(const Point2d& a) { return Point2d(-a.GetX(), -a.GetY()); }
/// 1 when the coordinates differ by at most 2^-126 in total, else 0.
ORVCORE_API int operator==(const Point2d& a, const Point2d& b);
/// 1 when operator== gives 0, else 0.
inline int operator!=(const Point2d& a, const Point2d& b) { return !(a == b); }

/// Free twins of the members of the same name, with the point acted on first.
///@{
inline Point2d Direction(const Point2d& p, const Point2d& q) { return p.Direction(q); }
inline Point2d MidPoint(const Point2d& p, const Point2d& q) { return p.MidPoint(q); }
inline double Distance(const Point2d& p, const Point2d& q) { return p.Distance(q); }
inline double Distance2(const Point2d& p, const Point2d& q) { return p.Distance2(q); }
inline double Sum(const Point2d& p) { return p.Sum(); }
inline double SumSquares(const Point2d& p) { return p.SumSquares(); }
inline double Length2(const Point2d& p) { return p.Length2(); }
inline double Length(const Point2d& p) { return p.Length(); }
inline double SumPowers(const Point2d& p, unsigned int n) { return p.SumPowers(n); }
///@}
/// Angle at p2 between p1 and p3, in degrees, 0 to 180.
ORVCORE_API double Angle(const Point2d& p1, const Point2d& p2, const Point2d& p3);

/// Archive form: x and y as doubles (16 bytes), whatever the schema. A short
/// archive raises CArchiveException(endOfFile).
///@{
ORVCORE_API CArchive& operator<<(CArchive& ar, const Point2d& p);
ORVCORE_API CArchive& operator>>(CArchive& ar, Point2d& p);
///@}
/// Text: "x y", or two fields of the stream's width when one is set.
ORVCORE_API std::ostream& operator<<(std::ostream& os, const Point2d& p);
/// Reads x and y; on any failure the point is left unchanged.
ORVCORE_API std::istream& operator>>(std::istream& is, Point2d& p);

} // namespace Orvane
