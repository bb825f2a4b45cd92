#include "orvcore/geometry/Matrix4x4.h"

#include "orvcore/geometry/detail/SquareMatrix.h"

namespace Orvane {

namespace {

using Ops = detail::SquareMatrix<4>;

} // namespace

Matrix4x4::Matrix4x4()
{
    Ops::SetNull(m_m);
}

Matrix4x4::Matrix4x4(enum IdentityMatrix)
{
    Ops::SetIdentity(m_m);
}

Matrix4x4::Matrix4x4(enum NullMatrix)
{
    Ops::SetNull(m_m);
}

Matrix4x4::Matrix4x4(Axis axis, double degrees)
{
    SetRotation(axis, degrees);
}

Matrix4x4::Matrix4x4(const Point3d& axis, double degrees)
{
    SetRotation(axis, degrees);
}

Matrix4x4::Matrix4x4(const Point3d& from, const Point3d& to)
{
    SetRotation(from, to);
}

Matrix4x4::Matrix4x4(const Point3d& axis, const Point3d& center, double degrees)
{
    SetRotation(axis, center, degrees);
}

Matrix4x4::Matrix4x4(double m00, double m01, double m02, double m03, double m10, double m11, double m12,
                     double m13, double m20, double m21, double m22, double m23, double m30, double m31,
                     double m32, double m33)
{
    Set(m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33);
}

Matrix4x4::Matrix4x4(const double* elements)
{
    Set(elements);
}

Matrix4x4& Matrix4x4::operator=(const Matrix3x3& m)
{
    Ops::SetIdentity(m_m);
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            m_m[4 * r + k] = m.Get(r, k);
    return *this;
}

Matrix4x4& Matrix4x4::Set(int row, int col, double value)
{
    if (row >= 0 && row < 4 && col >= 0 && col < 4)
        m_m[4 * row + col] = value;
    return *this;
}

void Matrix4x4::Get(double* elements) const
{
    Ops::Copy(m_m, elements);
}

Matrix4x4& Matrix4x4::Set(const double* elements)
{
    Ops::Copy(elements, m_m);
    return *this;
}

Matrix4x4& Matrix4x4::Set(double m00, double m01, double m02, double m03, double m10, double m11, double m12,
                          double m13, double m20, double m21, double m22, double m23, double m30, double m31,
                          double m32, double m33)
{
    const double elements[16] = {m00, m01, m02, m03, m10, m11, m12, m13,
                                 m20, m21, m22, m23, m30, m31, m32, m33};
    return Set(elements);
}

Matrix4x4& Matrix4x4::SetIdentity()
{
    Ops::SetIdentity(m_m);
    return *this;
}

Matrix4x4& Matrix4x4::SetNull()
{
    Ops::SetNull(m_m);
    return *this;
}

// The 3x3 setters build the upper-left block; operator= from a Matrix3x3
// makes the rest the identity.
Matrix4x4& Matrix4x4::SetScale(double s)
{
    return *this = Matrix3x3().SetScale(s);
}

Matrix4x4& Matrix4x4::SetScale(double sx, double sy, double sz)
{
    return *this = Matrix3x3().SetScale(sx, sy, sz);
}

Matrix4x4& Matrix4x4::SetScale(const Point3d& s)
{
    return *this = Matrix3x3().SetScale(s);
}

Matrix4x4& Matrix4x4::SetReflection(Axis axis)
{
    return *this = Matrix3x3().SetReflection(axis);
}

Matrix4x4& Matrix4x4::SetRotation(Axis axis, double degrees)
{
    return *this = Matrix3x3(axis, degrees);
}

Matrix4x4& Matrix4x4::SetRotation(const Point3d& axis, double degrees)
{
    return *this = Matrix3x3(axis, degrees);
}

Matrix4x4& Matrix4x4::SetRotation(const Point3d& from, const Point3d& to)
{
    return *this = Matrix3x3(from, to);
}

Matrix4x4& Matrix4x4::SetRotation(const Point3d& dir)
{
    return *this = Matrix3x3().SetRotation(dir);
}

Matrix4x4& Matrix4x4::SetRotation(const Point3d& axis, const Point3d& center, double degrees)
{
    SetRotation(axis, degrees);
    const double c[3] = {center.GetX(), center.GetY(), center.GetZ()};
    for (int j = 0; j < 3; ++j) {
        double moved = 0.0;
        for (int i = 0; i < 3; ++i)
            moved += c[i] * m_m[4 * i + j];
        m_m[12 + j] = c[j] - moved;
    }
    return *this;
}

Matrix4x4& Matrix4x4::SetTranslation(double x, double y, double z)
{
    SetIdentity();
    m_m[12] = x;
    m_m[13] = y;
    m_m[14] = z;
    return *this;
}

Matrix4x4& Matrix4x4::SetTranslation(const Point3d& offset)
{
    return SetTranslation(offset.GetX(), offset.GetY(), offset.GetZ());
}

Matrix4x4& Matrix4x4::FractionalToCartesian(double a, double b, double c, double alpha, double beta,
                                            double gamma)
{
    if (a == 0.0 || b == 0.0 || c == 0.0 || alpha == 0.0 || beta == 0.0 || gamma == 0.0)
        return *this;
    return *this = Matrix3x3().FractionalToCartesian(a, b, c, alpha, beta, gamma);
}

Matrix4x4& Matrix4x4::FractionalToCartesian(const Point3d& lengths, const Point3d& angles)
{
    return FractionalToCartesian(lengths.GetX(), lengths.GetY(), lengths.GetZ(), angles.GetX(), angles.GetY(),
                                 angles.GetZ());
}

Matrix4x4& Matrix4x4::Transpose()
{
    Ops::Transpose(m_m);
    return *this;
}

Matrix4x4& Matrix4x4::Invert()
{
    Ops::Invert(m_m);
    return *this;
}

Matrix4x4& Matrix4x4::operator+=(const Matrix4x4& m)
{
    Ops::Add(m_m, m.m_m, 1.0);
    return *this;
}

Matrix4x4& Matrix4x4::operator-=(const Matrix4x4& m)
{
    Ops::Add(m_m, m.m_m, -1.0);
    return *this;
}

Matrix4x4& Matrix4x4::operator*=(const Matrix4x4& m)
{
    Ops::Multiply(m_m, m.m_m);
    return *this;
}

Matrix4x4& Matrix4x4::operator*=(double s)
{
    Ops::Scale(m_m, s);
    return *this;
}

Matrix4x4& Matrix4x4::operator/=(double s)
{
    Ops::Divide(m_m, s);
    return *this;
}

Point3d Matrix4x4::Rotate(const Point3d& p) const
{
    const double x = p.GetX(), y = p.GetY(), z = p.GetZ();
    return Point3d(x * m_m[0] + y * m_m[4] + z * m_m[8], x * m_m[1] + y * m_m[5] + z * m_m[9],
                   x * m_m[2] + y * m_m[6] + z * m_m[10]);
}

void Matrix4x4::Rotate(Point3d& p) const
{
    p = Rotate(static_cast<const Point3d&>(p));
}

Point3d Matrix4x4::GetTranslation() const
{
    return Point3d(m_m[12], m_m[13], m_m[14]);
}

void Matrix4x4::GetTranslation(Point3d& t) const
{
    t = GetTranslation();
}

void Matrix4x4::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        ar >> *this;
    else
        ar << *this;
}

void Matrix4x4::Print(std::ostream& os) const
{
    Ops::Print(os, m_m);
}

Matrix4x4 operator+(const Matrix4x4& a, const Matrix4x4& b)
{
    return Matrix4x4(a) += b;
}

Matrix4x4 operator-(const Matrix4x4& a, const Matrix4x4& b)
{
    return Matrix4x4(a) -= b;
}

Matrix4x4 operator*(const Matrix4x4& a, const Matrix4x4& b)
{
    return Matrix4x4(a) *= b;
}

Matrix4x4 operator*(const Matrix4x4& m, double s)
{
    return Matrix4x4(m) *= s;
}

Matrix4x4 operator*(double s, const Matrix4x4& m)
{
    return Matrix4x4(m) *= s;
}

Matrix4x4 operator/(const Matrix4x4& m, double s)
{
    return Matrix4x4(m) /= s;
}

Point3d operator*(const Point3d& p, const Matrix4x4& m)
{
    return m.Transform(p);
}

CArchive& operator<<(CArchive& ar, const Matrix4x4& m)
{
    Ops::Store(ar, m);
    return ar;
}

CArchive& operator>>(CArchive& ar, Matrix4x4& m)
{
    Ops::Load(ar, m);
    return ar;
}

std::ostream& operator<<(std::ostream& os, const Matrix4x4& m)
{
    Ops::Write(os, m);
    return os;
}

std::istream& operator>>(std::istream& is, Matrix4x4& m)
{
    Ops::Read(is, m);
    return is;
}

} // namespace Orvane
