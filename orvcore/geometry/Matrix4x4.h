#pragma once

/// \file
/// Matrix4x4, the homogeneous 4x4 transformation.
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
///
/// \valuethreads
class ORVCORE_API Matrix4x4
{
public:
    /// Constructor tag: the identity.
    enum IdentityMatrix { IdentityMatrix };
    /// Constructor tag: the null matrix.
    enum NullMatrix { NullMatrix };
    /// Constructor tag: elements left unset.
    enum UninitializedMatrix { UninitializedMatrix };

    Matrix4x4(); ///< the null matrix
    /// The identity, the null matrix, or (UninitializedMatrix) elements left unset.
    ///@{
    explicit Matrix4x4(enum IdentityMatrix);
    explicit Matrix4x4(enum NullMatrix);
    explicit Matrix4x4(enum UninitializedMatrix) {}
    ///@}
    /// The rotation of SetRotation(axis, degrees).
    Matrix4x4(Axis axis, double degrees);
    /// The rotation of SetRotation(axis, degrees).
    Matrix4x4(const Point3d& axis, double degrees);
    /// The rotation of SetRotation(from, to).
    Matrix4x4(const Point3d& from, const Point3d& to);
    /// Rotation by degrees about the line through center along axis.
    Matrix4x4(const Point3d& axis, const Point3d& center, double degrees);
    /// The matrix of the sixteen elements, row by row (mRC: row R, column C).
    Matrix4x4(double m00, double m01, double m02, double m03, double m10, double m11, double m12, double m13,
              double m20, double m21, double m22, double m23, double m30, double m31, double m32, double m33);
    /// The matrix of sixteen elements, row by row.
    explicit Matrix4x4(const double* elements);
    /// Copies.
    ///@{
    Matrix4x4(const Matrix4x4&) = default;
    Matrix4x4& operator=(const Matrix4x4&) = default;
    ///@}
    /// The homogeneous form of m: m in the upper-left block, identity elsewhere.
    Matrix4x4& operator=(const Matrix3x3& m);

    // --- elements
    /// The sixteen elements, row by row.
    ///@{
    operator double*() { return m_m; }
    operator const double*() const { return m_m; }
    ///@}
    /// Element (row, col) with both indices clamped into 0..3.
    ///@{
    double& operator()(int row, int col) { return m_m[4 * Clamp(row) + Clamp(col)]; }
    const double& operator()(int row, int col) const { return m_m[4 * Clamp(row) + Clamp(col)]; }
    ///@}
    /// Indices must be in range.
    double Get(int row, int col) const { return m_m[4 * row + col]; }
    /// Does nothing when an index is out of range.
    Matrix4x4& Set(int row, int col, double value);
    /// Copies the sixteen elements out, row by row.
    void Get(double* elements) const;
    /// Sets the sixteen elements, row by row.
    ///@{
    Matrix4x4& Set(const double* elements);
    Matrix4x4& Set(double m00, double m01, double m02, double m03, double m10, double m11, double m12, double m13,
                   double m20, double m21, double m22, double m23, double m30, double m31, double m32, double m33);

    // --- setters (angles in degrees); the 3x3 ones fill the upper-left block
    // and leave the identity elsewhere
    ///@}
    /// The identity.
    Matrix4x4& SetIdentity();
    /// Every element 0.
    Matrix4x4& SetNull();
    /// A scale (s, or sx, sy, sz) in the upper-left block, the identity elsewhere.
    ///@{
    Matrix4x4& SetScale(double s);
    Matrix4x4& SetScale(double sx, double sy, double sz);
    Matrix4x4& SetScale(const Point3d& s);
    ///@}
    /// Matrix3x3::SetReflection in the upper-left block.
    Matrix4x4& SetReflection(Axis axis);
    /// Matrix3x3::SetRotation(Axis, double) in the upper-left block.
    Matrix4x4& SetRotation(Axis axis, double degrees);
    /// Matrix3x3::SetRotation(const Point3d&, double) in the upper-left block.
    Matrix4x4& SetRotation(const Point3d& axis, double degrees);
    /// Matrix3x3::SetRotation(const Point3d&, const Point3d&) in the upper-left block.
    Matrix4x4& SetRotation(const Point3d& from, const Point3d& to);
    /// Matrix3x3::SetRotation(const Point3d&) in the upper-left block.
    Matrix4x4& SetRotation(const Point3d& dir);
    /// Rotation by degrees about the line through center along axis: the rotation of
    /// SetRotation(axis, degrees) with row 3 set so that center stays fixed.
    Matrix4x4& SetRotation(const Point3d& axis, const Point3d& center, double degrees);
    /// The identity with the offset in row 3: p * M = p + offset. Whatever the
    /// matrix held before is replaced, a rotation included; to rotate and then
    /// move, multiply a rotation by this translation, or set (3, 0), (3, 1)
    /// and (3, 2) through operator().
    ///@{
    Matrix4x4& SetTranslation(double x, double y, double z);
    Matrix4x4& SetTranslation(const Point3d& offset);
    ///@}
    /// Matrix3x3::FractionalToCartesian in the upper-left block.
    Matrix4x4& FractionalToCartesian(double a, double b, double c, double alpha, double beta, double gamma);
    /// The same, with lengths (a, b, c) and angles (alpha, beta, gamma) as points.
    Matrix4x4& FractionalToCartesian(const Point3d& lengths, const Point3d& angles);
    /// Swaps rows and columns.
    Matrix4x4& Transpose();
    /// Left unchanged when the matrix is singular.
    /// Gauss-Jordan elimination; only an exactly zero pivot counts as singular.
    Matrix4x4& Invert();

    // --- arithmetic
    /// Elementwise sum and difference.
    ///@{
    Matrix4x4& operator+=(const Matrix4x4& m);
    Matrix4x4& operator-=(const Matrix4x4& m);
    ///@}
    Matrix4x4& operator*=(const Matrix4x4& m); ///< this * m
    Matrix4x4& operator*=(double s); ///< Every element times s.
    Matrix4x4& operator/=(double s); ///< skipped when s is 0

    // --- applied to points
    // p times the upper-left block: no translation, no division.
    /// p times the upper-left block: no translation, no division.
    ///@{
    Point3d Rotate(const Point3d& p) const;
    void Rotate(Point3d& p) const;
    ///@}
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
    /// In place.
    void Transform(Point3d& p) const { p = Transform(static_cast<const Point3d&>(p)); }
    /// Row 3: the translation.
    ///@{
    Point3d GetTranslation() const;
    void GetTranslation(Point3d& t) const;
    ///@}

    // --- persistence and text
    /// Stores or loads the sixteen elements as doubles, row by row (128 bytes).
    void Serialize(CArchive& ar);
    /// Rows of fixed-point fields of width 10, one row per line.
    void Print(std::ostream& os) const;

private:
    static int Clamp(int i) { return i < 0 ? 0 : i > 3 ? 3 : i; }

    double m_m[16];
};

static_assert(sizeof(Matrix4x4) == 128, "Matrix4x4 is sixteen doubles");

/// Elementwise sum, difference, scaling; a * b is the matrix product (apply a,
/// then b); division by 0 gives m unchanged.
///@{
ORVCORE_API Matrix4x4 operator+(const Matrix4x4& a, const Matrix4x4& b);
ORVCORE_API Matrix4x4 operator-(const Matrix4x4& a, const Matrix4x4& b);
ORVCORE_API Matrix4x4 operator*(const Matrix4x4& a, const Matrix4x4& b);
ORVCORE_API Matrix4x4 operator*(const Matrix4x4& m, double s);
ORVCORE_API Matrix4x4 operator*(double s, const Matrix4x4& m);
ORVCORE_API Matrix4x4 operator/(const Matrix4x4& m, double s);
///@}
/// The projective image of p: m.Transform(p).
ORVCORE_API Point3d operator*(const Point3d& p, const Matrix4x4& m);

/// Archive form: the sixteen elements as doubles, row by row.
///@{
ORVCORE_API CArchive& operator<<(CArchive& ar, const Matrix4x4& m);
/// A short archive raises CArchiveException(endOfFile) and leaves m unchanged.
ORVCORE_API CArchive& operator>>(CArchive& ar, Matrix4x4& m);
///@}
/// Text: the elements in row-major order, each followed by a space, or each in a
/// field of the stream's width when one is set.
ORVCORE_API std::ostream& operator<<(std::ostream& os, const Matrix4x4& m);
/// Reads sixteen numbers; on failure the matrix is left unchanged.
ORVCORE_API std::istream& operator>>(std::istream& is, Matrix4x4& m);

} // namespace Orvane
