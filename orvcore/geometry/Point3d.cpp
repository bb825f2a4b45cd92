#include "orvcore/geometry/Point3d.h"

#include "orvcore/core/ArchiveFields.h"
#include "orvcore/core/LoadOrder.h"
#include "orvcore/core/NumericConstants.h"

#include <cmath>
#include <istream>
#include <ostream>

namespace Orvane {

namespace {

using namespace NumericConstants;

} // namespace

// Constant-initialised: they hold their values before any code of the
// library runs.
const Point3d Point3d::origin ORVCORE_LOAD_ORDER(Point3dConstants)(0.0, 0.0, 0.0);
const Point3d Point3d::zero ORVCORE_LOAD_ORDER(Point3dConstants)(0.0, 0.0, 0.0);
const Point3d Point3d::iVector ORVCORE_LOAD_ORDER(Point3dConstants)(1.0, 0.0, 0.0);
const Point3d Point3d::jVector ORVCORE_LOAD_ORDER(Point3dConstants)(0.0, 1.0, 0.0);
const Point3d Point3d::kVector ORVCORE_LOAD_ORDER(Point3dConstants)(0.0, 0.0, 1.0);
const Point3d Point3d::minimum ORVCORE_LOAD_ORDER(Point3dConstants)(-kLargestFloat, -kLargestFloat, -kLargestFloat);
const Point3d Point3d::maximum ORVCORE_LOAD_ORDER(Point3dConstants)(kLargestFloat, kLargestFloat, kLargestFloat);

Point3d::Array::~Array() = default;

Point3d::Point3d(const double* xyz) : Point3d()
{
    if (xyz)
        SetXYZ(xyz[0], xyz[1], xyz[2]);
}

Point3d::Point3d(const float* xyz) : Point3d()
{
    if (xyz) {
        m_v[0] = xyz[0];
        m_v[1] = xyz[1];
        m_v[2] = xyz[2];
    }
}

Point3d& Point3d::operator/=(const Point3d& d)
{
    if (d.m_v[0] != 0.0f && d.m_v[1] != 0.0f && d.m_v[2] != 0.0f)
        SetXYZ(GetX() / d.GetX(), GetY() / d.GetY(), GetZ() / d.GetZ());
    return *this;
}

Point3d& Point3d::operator/=(double s)
{
    if (s != 0.0)
        SetXYZ(GetX() / s, GetY() / s, GetZ() / s);
    return *this;
}

double Point3d::Length() const
{
    return std::sqrt(Length2());
}

double Point3d::SumPowers(int n) const
{
    const double e = std::fabs(static_cast<double>(n));
    return std::pow(GetX(), e) + std::pow(GetY(), e) + std::pow(GetZ(), e);
}

Point3d& Point3d::Maximum(const Point3d& q)
{
    for (int i = 0; i < 3; ++i)
        m_v[i] = m_v[i] >= q.m_v[i] ? m_v[i] : q.m_v[i];
    return *this;
}

Point3d& Point3d::Minimum(const Point3d& q)
{
    for (int i = 0; i < 3; ++i)
        m_v[i] = m_v[i] > q.m_v[i] ? q.m_v[i] : m_v[i];
    return *this;
}

Point3d& Point3d::ChangeLength(double L)
{
    const double length = Length();
    if (length != 0.0 && length != L)
        *this *= L / length;
    return *this;
}

Point3d& Point3d::RotateAboutX(double degrees)
{
    if (degrees == 0.0)
        return *this;
    const double t = degrees * kRadiansPerDegree, c = std::cos(t), s = std::sin(t);
    const double y = GetY(), z = GetZ();
    m_v[1] = static_cast<float>(y * c - z * s);
    m_v[2] = static_cast<float>(y * s + z * c);
    return *this;
}

Point3d& Point3d::RotateAboutY(double degrees)
{
    if (degrees == 0.0)
        return *this;
    const double t = degrees * kRadiansPerDegree, c = std::cos(t), s = std::sin(t);
    const double x = GetX(), z = GetZ();
    m_v[0] = static_cast<float>(x * c + z * s);
    m_v[2] = static_cast<float>(z * c - x * s);
    return *this;
}

Point3d& Point3d::RotateAboutZ(double degrees)
{
    if (degrees == 0.0)
        return *this;
    const double t = degrees * kRadiansPerDegree, c = std::cos(t), s = std::sin(t);
    const double x = GetX(), y = GetY();
    m_v[0] = static_cast<float>(x * c - y * s);
    m_v[1] = static_cast<float>(x * s + y * c);
    return *this;
}

void Point3d::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        ar >> *this;
    else
        ar << *this;
}

bool operator==(const Point3d& a, const Point3d& b)
{
    return Compare(a, b, kSmallestNormalFloat);
}

CArchive& operator<<(CArchive& ar, const Point3d& p)
{
    if (StoresDoubles(ar))
        return ar << p.GetX() << p.GetY() << p.GetZ();
    return ar << p[0] << p[1] << p[2];
}

CArchive& operator>>(CArchive& ar, Point3d& p)
{
    if (StoresDoubles(ar)) {
        double x, y, z;
        ar >> x >> y >> z;
        p.SetXYZ(x, y, z);
    } else {
        float x, y, z;
        ar >> x >> y >> z;
        p[0] = x;
        p[1] = y;
        p[2] = z;
    }
    return ar;
}

std::ostream& operator<<(std::ostream& os, const Point3d& p)
{
    const std::streamsize width = os.width();
    if (width <= 0)
        return os << p.GetX() << ' ' << p.GetY() << ' ' << p.GetZ();
    os << p.GetX();
    os.width(width);
    os << p.GetY();
    os.width(width);
    return os << p.GetZ();
}

std::istream& operator>>(std::istream& is, Point3d& p)
{
    double xyz[3];
    for (double& value : xyz) {
        is >> value;
        if (is.fail())
            return is;
    }
    p.SetXYZ(xyz[0], xyz[1], xyz[2]);
    return is;
}

} // namespace Orvane
