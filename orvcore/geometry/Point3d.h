#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CArray.h"

#include <iosfwd>

namespace Orvane {

class RandomSequence;

/// A point or vector in space. The three coordinates are held as floats and
/// the interface is in doubles: a value is rounded to float when it is stored,
/// and arithmetic is done in double precision before that rounding.
class ORVCORE_API Point3d
{
public:
    /// Tag of the constructor that leaves the coordinates unset.
    enum UninitializedPoint { UninitializedPoint };

    /// A growable array of points; its archive image is the element count
    /// followed by the points' floats in one block.
    class ORVCORE_API Array : public CArray<Point3d, const Point3d&>
    {
    public:
        Array() = default;
        Array(const Array&) = default;
        Array(Array&&) noexcept = default;
        Array& operator=(const Array&) = default;
        Array& operator=(Array&&) noexcept = default;
        ~Array() override;
    };

    constexpr Point3d() : m_v{0.0f, 0.0f, 0.0f} {}
    constexpr Point3d(double x, double y, double z)
        : m_v{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)}
    {
    }
    explicit Point3d(const double* xyz);
    explicit Point3d(const float* xyz);
    /// Leaves the coordinates unset, for arrays filled at once afterwards.
    explicit Point3d(enum UninitializedPoint) {}
    Point3d(const Point3d&) = default;
    Point3d& operator=(const Point3d&) = default;

    static const Point3d origin;
    static const Point3d zero;
    static const Point3d iVector;
    static const Point3d jVector;
    static const Point3d kVector;
    static const Point3d minimum; ///< every coordinate the lowest finite float
    static const Point3d maximum; ///< every coordinate the largest finite float

    // --- access
    operator float*() { return m_v; }
    operator const float*() const { return m_v; }
    double GetX() const { return m_v[0]; }
    double GetY() const { return m_v[1]; }
    double GetZ() const { return m_v[2]; }
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
    /// Coordinate i (0 x, 1 y, 2 z); any other index selects x.
    float& operator[](int i) { return m_v[i >= 0 && i <= 2 ? i : 0]; }
    const float& operator[](int i) const { return m_v[i >= 0 && i <= 2 ? i : 0]; }

    // --- arithmetic, componentwise
    Point3d& operator+=(const Point3d& p) { return SetXYZ(GetX() + p.GetX(), GetY() + p.GetY(), GetZ() + p.GetZ()); }
    Point3d& operator-=(const Point3d& p) { return SetXYZ(GetX() - p.GetX(), GetY() - p.GetY(), GetZ() - p.GetZ()); }
    Point3d& operator*=(const Point3d& p) { return SetXYZ(GetX() * p.GetX(), GetY() * p.GetY(), GetZ() * p.GetZ()); }
    Point3d& operator+=(double s) { return SetXYZ(GetX() + s, GetY() + s, GetZ() + s); }
    Point3d& operator-=(double s) { return SetXYZ(GetX() - s, GetY() - s, GetZ() - s); }
    Point3d& operator*=(double s) { return SetXYZ(GetX() * s, GetY() * s, GetZ() * s); }
    /// Division is skipped (the point stays as it is) when a divisor is zero.
    Point3d& operator/=(const Point3d& d);
    Point3d& operator/=(double s);

    // --- vector algebra
    double Sum() const { return GetX() + GetY() + GetZ(); }
    double SumSquares() const { return GetX() * GetX() + GetY() * GetY() + GetZ() * GetZ(); }
    double Length2() const { return SumSquares(); }
    double Length() const;
    /// x^|n| + y^|n| + z^|n|
    double SumPowers(int n) const;
    double Dot(const Point3d& q) const { return GetX() * q.GetX() + GetY() * q.GetY() + GetZ() * q.GetZ(); }
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
    Point3d& Maximum(const Point3d& q);
    Point3d& Minimum(const Point3d& q);
    /// Scales to length L; a zero vector, or one already of length L, is kept.
    Point3d& ChangeLength(double L);
    Point3d& Normalize() { return ChangeLength(1.0); }

    /// Right-handed rotations about the coordinate axes, angles in degrees.
    Point3d& RotateAboutX(double degrees);
    Point3d& RotateAboutY(double degrees);
    Point3d& RotateAboutZ(double degrees);

    // --- measures (free twins in Measures.h)
    double Distance(const Point3d& q) const;
    double Distance2(const Point3d& q) const;
    double DistanceToLine(const Point3d& a, const Point3d& b) const;
    double DistanceToLine2(const Point3d& a, const Point3d& b) const;
    double DistanceToPlane(const Point3d& a, const Point3d& b, int& side) const;
    double DistanceToPlane2(const Point3d& a, const Point3d& b, int& side) const;
    Point3d ProjectToLine(const Point3d& a, const Point3d& b) const;
    Point3d ProjectToPlane(const Point3d& a, const Point3d& b, double& dist, int& side) const;
    Point3d ProjectToPlane(const Point3d& a, const Point3d& b, float& dist, int& side) const;
    Point3d Cross(const Point3d& q) const;
    Point3d Normal() const;
    bool Compare(const Point3d& q, double tolerance) const;
    bool CheckInsideBox(const Point3d& lo, const Point3d& hi) const;

    // --- random points: x, y, z are three successive draws of the sequence.
    // Without a sequence the draws are uniform on [-1, 1] from the
    // process-wide default generator.
    static Point3d Random(RandomSequence& s);
    /// A random direction: normalised.
    static Point3d Random();
    /// New coordinates, keeping the current length when it is above 0.
    Point3d& Randomize(RandomSequence& s);
    Point3d& Randomize();

    // --- persistence
    void Serialize(CArchive& ar);

private:
    float m_v[3];
};

static_assert(sizeof(Point3d) == 12, "Point3d is three floats");

// --- arithmetic
inline Point3d operator+(const Point3d& a, const Point3d& b) { return Point3d(a) += b; }
inline Point3d operator-(const Point3d& a, const Point3d& b) { return Point3d(a) -= b; }
inline Point3d operator*(const Point3d& a, const Point3d& b) { return Point3d(a) *= b; }
inline Point3d operator*(const Point3d& a, double s) { return Point3d(a) *= s; }
inline Point3d operator*(double s, const Point3d& a) { return Point3d(a) *= s; }
inline Point3d operator/(const Point3d& a, const Point3d& d) { return Point3d(a) /= d; }
inline Point3d operator/(const Point3d& a, double s) { return Point3d(a) /= s; }
inline Point3d operator+(const Point3d& a) { return a; }
inline Point3d operator-(const Point3d& a) { return Point3d(-a.GetX(), -a.GetY(), -a.GetZ()); }
/// Equal when the coordinates differ by at most 2^-126 in total.
ORVCORE_API bool operator==(const Point3d& a, const Point3d& b);
inline bool operator!=(const Point3d& a, const Point3d& b) { return !(a == b); }

// --- vector algebra, free twins
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

// --- persistence: doubles for old documents (schema unset or 0..6), floats from schema 7
ORVCORE_API CArchive& operator<<(CArchive& ar, const Point3d& p);
ORVCORE_API CArchive& operator>>(CArchive& ar, Point3d& p);
/// Text: "x y z", or three fields of the stream's width when one is set.
ORVCORE_API std::ostream& operator<<(std::ostream& os, const Point3d& p);
/// Reads x, y, z; on any failure the point is left unchanged.
ORVCORE_API std::istream& operator>>(std::istream& is, Point3d& p);

} // namespace Orvane

#include "orvcore/geometry/Measures.h"
