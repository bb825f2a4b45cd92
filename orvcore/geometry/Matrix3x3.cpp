#include "orvcore/geometry/Matrix3x3.h"

#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/geometry/detail/SquareMatrix.h"
#include "orvcore/geometry/detail/Vector3d.h"

#include <cmath>

namespace Orvane {

namespace {

using Ops = detail::SquareMatrix<3>;
using detail::Vector3d;

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kDegreesPerRadian = 57.29577951308232;

// The reference direction that SetRotation(dir) crosses with dir to find a
// perpendicular; held as floats, as it always was.
const Point3d kFrameReference(0.123456, 0.789123, 0.601701);

} // namespace

Matrix3x3::Matrix3x3()
{
    Ops::SetNull(m_m);
}

Matrix3x3::Matrix3x3(enum IdentityMatrix)
{
    Ops::SetIdentity(m_m);
}

Matrix3x3::Matrix3x3(enum NullMatrix)
{
    Ops::SetNull(m_m);
}

Matrix3x3::Matrix3x3(Axis axis, double degrees)
{
    SetRotation(axis, degrees);
}

Matrix3x3::Matrix3x3(const Point3d& axis, double degrees)
{
    SetRotation(axis, degrees);
}

Matrix3x3::Matrix3x3(const Point3d& from, const Point3d& to)
{
    SetRotation(from, to);
}

Matrix3x3::Matrix3x3(double m00, double m01, double m02, double m10, double m11, double m12, double m20,
                     double m21, double m22)
{
    Set(m00, m01, m02, m10, m11, m12, m20, m21, m22);
}

Matrix3x3::Matrix3x3(const double* elements)
{
    Set(elements);
}

Matrix3x3& Matrix3x3::operator=(const Matrix4x4& m)
{
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            m_m[3 * r + k] = m.Get(r, k);
    return *this;
}

Matrix3x3& Matrix3x3::Set(int row, int col, double value)
{
    if (row >= 0 && row < 3 && col >= 0 && col < 3)
        m_m[3 * row + col] = value;
    return *this;
}

void Matrix3x3::Get(double* elements) const
{
    Ops::Copy(m_m, elements);
}

Matrix3x3& Matrix3x3::Set(const double* elements)
{
    Ops::Copy(elements, m_m);
    return *this;
}

Matrix3x3& Matrix3x3::Set(double m00, double m01, double m02, double m10, double m11, double m12, double m20,
                          double m21, double m22)
{
    const double elements[9] = {m00, m01, m02, m10, m11, m12, m20, m21, m22};
    return Set(elements);
}

Matrix3x3& Matrix3x3::SetIdentity()
{
    Ops::SetIdentity(m_m);
    return *this;
}

Matrix3x3& Matrix3x3::SetNull()
{
    Ops::SetNull(m_m);
    return *this;
}

Matrix3x3& Matrix3x3::SetScale(double s)
{
    return SetScale(s, s, s);
}

Matrix3x3& Matrix3x3::SetScale(double sx, double sy, double sz)
{
    SetIdentity();
    m_m[0] = sx;
    m_m[4] = sy;
    m_m[8] = sz;
    return *this;
}

Matrix3x3& Matrix3x3::SetScale(const Point3d& s)
{
    return SetScale(s.GetX(), s.GetY(), s.GetZ());
}

Matrix3x3& Matrix3x3::SetReflection(Axis axis)
{
    SetIdentity();
    if (axis >= XAxis && axis <= ZAxis)
        m_m[4 * axis] = -1.0;
    return *this;
}

Matrix3x3& Matrix3x3::SetRotation(Axis axis, double degrees)
{
    SetIdentity();
    const double t = degrees * kRadiansPerDegree, co = std::cos(t), si = std::sin(t);
    switch (axis) {
    case XAxis:
        Set(1, 1, co).Set(1, 2, si).Set(2, 1, -si).Set(2, 2, co);
        break;
    case YAxis:
        // The opposite sense of the axis-and-angle rotation about (0, 1, 0).
        Set(0, 0, co).Set(0, 2, si).Set(2, 0, -si).Set(2, 2, co);
        break;
    case ZAxis:
        Set(0, 0, co).Set(0, 1, si).Set(1, 0, -si).Set(1, 1, co);
        break;
    }
    return *this;
}

Matrix3x3& Matrix3x3::SetRotation(const Point3d& axis, double degrees)
{
    const Point3d u = Normalize(axis);
    const double x = u.GetX(), y = u.GetY(), z = u.GetZ();
    const double t = degrees * kRadiansPerDegree, co = std::cos(t), si = std::sin(t), k = 1.0 - co;
    return Set(x * x + co * (1.0 - x * x), x * y * k + z * si, x * z * k - y * si,
               x * y * k - z * si, y * y + co * (1.0 - y * y), y * z * k + x * si,
               x * z * k + y * si, y * z * k - x * si, z * z + co * (1.0 - z * z));
}

Matrix3x3& Matrix3x3::SetRotation(const Point3d& from, const Point3d& to)
{
    const double L = from.Length() * to.Length();
    if (L == 0.0 || from == to)
        return SetIdentity();
    Point3d axis;
    CrossProduct(from, to, axis);
    // The angle comes from the product itself, not from its substitute, so
    // that opposite directions give 180 degrees.
    const Point3d product = Vector3d(from).Cross(Vector3d(to)).ToPoint();
    const double degrees = std::atan2(product.Length() / L, from.Dot(to) / L) * kDegreesPerRadian;
    return SetRotation(axis, degrees);
}

Matrix3x3& Matrix3x3::SetRotation(const Point3d& dir)
{
    const Point3d w = Normalize(dir);
    const Point3d u = CrossProduct(w, kFrameReference).Normalize();
    const Point3d v = CrossProduct(u, w);
    return Set(v.GetX(), v.GetY(), v.GetZ(), u.GetX(), u.GetY(), u.GetZ(), w.GetX(), w.GetY(), w.GetZ());
}

Matrix3x3& Matrix3x3::FractionalToCartesian(double a, double b, double c, double alpha, double beta,
                                            double gamma)
{
    if (a == 0.0 || b == 0.0 || c == 0.0 || alpha == 0.0 || beta == 0.0 || gamma == 0.0)
        return *this;
    const double ca = std::cos(alpha * kRadiansPerDegree);
    const double cb = std::cos(beta * kRadiansPerDegree);
    const double cg = std::cos(gamma * kRadiansPerDegree);
    const double sg = std::sin(gamma * kRadiansPerDegree);
    const double vol = std::sqrt(1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg);
    return Set(a, 0.0, 0.0, b * cg, b * sg, 0.0, c * cb, c * (ca - cb * cg) / sg, c * vol / sg);
}

Matrix3x3& Matrix3x3::FractionalToCartesian(const Point3d& lengths, const Point3d& angles)
{
    return FractionalToCartesian(lengths.GetX(), lengths.GetY(), lengths.GetZ(), angles.GetX(), angles.GetY(),
                                 angles.GetZ());
}

Matrix3x3& Matrix3x3::Transpose()
{
    Ops::Transpose(m_m);
    return *this;
}

Matrix3x3& Matrix3x3::Invert()
{
    Ops::Invert(m_m);
    return *this;
}

Matrix3x3& Matrix3x3::operator+=(const Matrix3x3& m)
{
    Ops::Add(m_m, m.m_m, 1.0);
    return *this;
}

Matrix3x3& Matrix3x3::operator-=(const Matrix3x3& m)
{
    Ops::Add(m_m, m.m_m, -1.0);
    return *this;
}

Matrix3x3& Matrix3x3::operator*=(const Matrix3x3& m)
{
    Ops::Multiply(m_m, m.m_m);
    return *this;
}

Matrix3x3& Matrix3x3::operator*=(double s)
{
    Ops::Scale(m_m, s);
    return *this;
}

Matrix3x3& Matrix3x3::operator/=(double s)
{
    Ops::Divide(m_m, s);
    return *this;
}

Point3d Matrix3x3::Rotate(const Point3d& p) const
{
    return p * *this;
}

void Matrix3x3::Rotate(Point3d& p) const
{
    p = p * *this;
}

Point3d Matrix3x3::Transform(const Point3d& p) const
{
    return p * *this;
}

void Matrix3x3::Transform(Point3d& p) const
{
    p = p * *this;
}

void Matrix3x3::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        ar >> *this;
    else
        ar << *this;
}

void Matrix3x3::Print(std::ostream& os) const
{
    Ops::Print(os, m_m);
}

Matrix3x3 operator+(const Matrix3x3& a, const Matrix3x3& b)
{
    return Matrix3x3(a) += b;
}

Matrix3x3 operator-(const Matrix3x3& a, const Matrix3x3& b)
{
    return Matrix3x3(a) -= b;
}

Matrix3x3 operator*(const Matrix3x3& a, const Matrix3x3& b)
{
    return Matrix3x3(a) *= b;
}

Matrix3x3 operator*(const Matrix3x3& m, double s)
{
    return Matrix3x3(m) *= s;
}

Matrix3x3 operator*(double s, const Matrix3x3& m)
{
    return Matrix3x3(m) *= s;
}

Matrix3x3 operator/(const Matrix3x3& m, double s)
{
    return Matrix3x3(m) /= s;
}

Point3d operator*(const Point3d& p, const Matrix3x3& m)
{
    const double x = p.GetX(), y = p.GetY(), z = p.GetZ();
    return Point3d(x * m.Get(0, 0) + y * m.Get(1, 0) + z * m.Get(2, 0),
                   x * m.Get(0, 1) + y * m.Get(1, 1) + z * m.Get(2, 1),
                   x * m.Get(0, 2) + y * m.Get(1, 2) + z * m.Get(2, 2));
}

CArchive& operator<<(CArchive& ar, const Matrix3x3& m)
{
    Ops::Store(ar, m);
    return ar;
}

CArchive& operator>>(CArchive& ar, Matrix3x3& m)
{
    Ops::Load(ar, m);
    return ar;
}

std::ostream& operator<<(std::ostream& os, const Matrix3x3& m)
{
    Ops::Write(os, m);
    return os;
}

std::istream& operator>>(std::istream& is, Matrix3x3& m)
{
    Ops::Read(is, m);
    return is;
}

} // namespace Orvane
