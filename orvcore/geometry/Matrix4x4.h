#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Point3d.h"

#include <cmath>
#include <iosfwd>

namespace Orvane {

/// A 4x4 homogeneous transformation of doubles, row-major. Points are row
/// vectors multiplied on the left; row 3 holds the translation, column 3 the
/// projective terms and (3,3) the weight.
class ORVCORE_API Matrix4x4
{
public:
    /// Constructor tags.
    enum IdentityMatrix { IdentityMatrix };
    enum NullMatrix { NullMatrix };
    enum UninitializedMatrix { UninitializedMatrix };

    Matrix4x4(); ///< the null matrix
    explicit Matrix4x4(enum IdentityMatrix);
    explicit Matrix4x4(enum NullMatrix);
    explicit Matrix4x4(enum UninitializedMatrix) {}
    Matrix4x4(Axis axis, double degrees);
    Matrix4x4(const Point3d& axis, double degrees);
    Matrix4x4(const Point3d& from, const Point3d& to);
    /// Rotation by degrees about the line through center along axis.
    Matrix4x4(const Point3d& axis, const Point3d& center, double degrees);
    Matrix4x4(double m00, double m01, double m02, double m03, double m10, double m11, double m12, double m13,
              double m20, double m21, double m22, double m23, double m30, double m31, double m32, double m33);
    explicit Matrix4x4(const double* elements);
    Matrix4x4(const Matrix4x4&) = default;
    Matrix4x4& operator=(const Matrix4x4&) = default;
    /// The homogeneous form of m: m in the upper-left block, identity elsewhere.
    Matrix4x4& operator=(const Matrix3x3& m);

    // --- elements
    operator double*() { return m_m; }
    operator const double*() const { return m_m; }
    /// Element (row, col) with both indices clamped into 0..3.
    double& operator()(int row, int col) { return m_m[4 * Clamp(row) + Clamp(col)]; }
    const double& operator()(int row, int col) const { return m_m[4 * Clamp(row) + Clamp(col)]; }
    /// Indices must be in range.
    double Get(int row, int col) const { return m_m[4 * row + col]; }
    /// Does nothing when an index is out of range.
    Matrix4x4& Set(int row, int col, double value);
    void Get(double* elements) const;
    Matrix4x4& Set(const double* elements);
    Matrix4x4& Set(double m00, double m01, double m02, double m03, double m10, double m11, double m12, double m13,
                   double m20, double m21, double m22, double m23, double m30, double m31, double m32, double m33);

    // --- setters (angles in degrees); the 3x3 ones fill the upper-left block
    // and leave the identity elsewhere
    Matrix4x4& SetIdentity();
    Matrix4x4& SetNull();
    Matrix4x4& SetScale(double s);
    Matrix4x4& SetScale(double sx, double sy, double sz);
    Matrix4x4& SetScale(const Point3d& s);
    Matrix4x4& SetReflection(Axis axis);
    Matrix4x4& SetRotation(Axis axis, double degrees);
    Matrix4x4& SetRotation(const Point3d& axis, double degrees);
    Matrix4x4& SetRotation(const Point3d& from, const Point3d& to);
    Matrix4x4& SetRotation(const Point3d& dir);
    Matrix4x4& SetRotation(const Point3d& axis, const Point3d& center, double degrees);
    Matrix4x4& SetTranslation(double x, double y, double z);
    Matrix4x4& SetTranslation(const Point3d& offset);
    Matrix4x4& FractionalToCartesian(double a, double b, double c, double alpha, double beta, double gamma);
    Matrix4x4& FractionalToCartesian(const Point3d& lengths, const Point3d& angles);
    Matrix4x4& Transpose();
    /// Left unchanged when the matrix is singular.
    Matrix4x4& Invert();

    // --- arithmetic
    Matrix4x4& operator+=(const Matrix4x4& m);
    Matrix4x4& operator-=(const Matrix4x4& m);
    Matrix4x4& operator*=(const Matrix4x4& m); ///< this * m
    Matrix4x4& operator*=(double s);
    Matrix4x4& operator/=(double s); ///< skipped when s is 0

    // --- applied to points
    // p times the upper-left block: no translation, no division.
    Point3d Rotate(const Point3d& p) const;
    void Rotate(Point3d& p) const;
    /// The projective transform p * M; a point sent to infinity becomes
    /// Point3d::maximum.
    Point3d Transform(const Point3d& p) const
    {
        const double x = p.GetX(), y = p.GetY(), z = p.GetZ();
        const double w = x * m_m[3] + y * m_m[7] + z * m_m[11] + m_m[15];
        if (std::fabs(w) <= 2.220446049250313e-16) // 2^-52
            return Point3d::maximum;
        return Point3d((x * m_m[0] + y * m_m[4] + z * m_m[8] + m_m[12]) / w,
                       (x * m_m[1] + y * m_m[5] + z * m_m[9] + m_m[13]) / w,
                       (x * m_m[2] + y * m_m[6] + z * m_m[10] + m_m[14]) / w);
    }
    void Transform(Point3d& p) const { p = Transform(static_cast<const Point3d&>(p)); }
    Point3d GetTranslation() const;
    void GetTranslation(Point3d& t) const;

    // --- persistence and text
    void Serialize(CArchive& ar);
    /// Rows of fixed-point fields of width 10, one row per line.
    void Print(std::ostream& os) const;

private:
    static int Clamp(int i) { return i < 0 ? 0 : i > 3 ? 3 : i; }

    double m_m[16];
};

static_assert(sizeof(Matrix4x4) == 128, "Matrix4x4 is sixteen doubles");

ORVCORE_API Matrix4x4 operator+(const Matrix4x4& a, const Matrix4x4& b);
ORVCORE_API Matrix4x4 operator-(const Matrix4x4& a, const Matrix4x4& b);
ORVCORE_API Matrix4x4 operator*(const Matrix4x4& a, const Matrix4x4& b);
ORVCORE_API Matrix4x4 operator*(const Matrix4x4& m, double s);
ORVCORE_API Matrix4x4 operator*(double s, const Matrix4x4& m);
ORVCORE_API Matrix4x4 operator/(const Matrix4x4& m, double s);
ORVCORE_API Point3d operator*(const Point3d& p, const Matrix4x4& m);

/// Archive form: the sixteen elements as doubles, row by row.
ORVCORE_API CArchive& operator<<(CArchive& ar, const Matrix4x4& m);
ORVCORE_API CArchive& operator>>(CArchive& ar, Matrix4x4& m);
ORVCORE_API std::ostream& operator<<(std::ostream& os, const Matrix4x4& m);
/// Reads sixteen numbers; on failure the matrix is left unchanged.
ORVCORE_API std::istream& operator>>(std::istream& is, Matrix4x4& m);

} // namespace Orvane
