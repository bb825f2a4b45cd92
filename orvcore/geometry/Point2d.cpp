#include "orvcore/geometry/Point2d.h"

#include "orvcore/core/ArchiveFields.h"
#include "orvcore/core/LoadOrder.h"
#include "orvcore/core/NumericConstants.h"

#include <cmath>
#include <istream>
#include <ostream>

namespace Orvane {

namespace {

using namespace NumericConstants;
constexpr double kAngleTolerance = kFloatEpsilon;

// Rotate keeps the cosine and sine of the last angle it was given. The cache
// is per thread, so rotations on different threads never mix one angle's
// cosine with another's sine; it starts out holding 180 degrees.
thread_local double t_rotationDegrees = 180.0;
thread_local double t_rotationCos = -1.0;
thread_local double t_rotationSin = 0.0;

} // namespace

const Point2d Point2d::origin ORVCORE_LOAD_ORDER(Point2dConstants)(0.0, 0.0);
const Point2d Point2d::iVector ORVCORE_LOAD_ORDER(Point2dConstants)(1.0, 0.0);
const Point2d Point2d::jVector ORVCORE_LOAD_ORDER(Point2dConstants)(0.0, 1.0);
const Point2d Point2d::minimum ORVCORE_LOAD_ORDER(Point2dConstants)(-kLargestFloat, -kLargestFloat);
const Point2d Point2d::maximum ORVCORE_LOAD_ORDER(Point2dConstants)(kLargestFloat, kLargestFloat);

Point2d::Array::~Array() = default;

Point2d::Point2d(const double* const xy) : Point2d()
{
    if (xy)
        SetXY(xy[0], xy[1]);
}

Point2d::Point2d(std::istream& is) : Point2d()
{
    double x, y;
    is >> x >> y;
    if (!is.fail())
        SetXY(x, y);
}

Point2d::Point2d(CArchive& ar) : Point2d()
{
    ar >> *this;
}

Point2d& Point2d::operator/=(const Point2d& d)
{
    if (d.m_v[0] != 0.0 && d.m_v[1] != 0.0)
        SetXY(m_v[0] / d.m_v[0], m_v[1] / d.m_v[1]);
    return *this;
}

Point2d& Point2d::operator/=(double s)
{
    if (s != 0.0)
        SetXY(m_v[0] / s, m_v[1] / s);
    return *this;
}

double Point2d::Distance(const Point2d& q) const
{
    return std::sqrt(Distance2(q));
}

double Point2d::Length() const
{
    return std::sqrt(Length2());
}

double Point2d::SumPowers(unsigned int n) const
{
    return std::pow(m_v[0], n) + std::pow(m_v[1], n);
}

void Point2d::ChangeLength(double L)
{
    const double length = Length();
    if (length != 0.0 && length != L)
        *this *= L / length;
}

Point2d& Point2d::Maximum(const Point2d& q)
{
    for (int i = 0; i < 2; ++i)
        m_v[i] = m_v[i] >= q.m_v[i] ? m_v[i] : q.m_v[i];
    return *this;
}

Point2d& Point2d::Minimum(const Point2d& q)
{
    for (int i = 0; i < 2; ++i)
        m_v[i] = m_v[i] > q.m_v[i] ? q.m_v[i] : m_v[i];
    return *this;
}

void Point2d::Rotate(double degrees)
{
    if (std::fmod(degrees, 360.0) == 0.0)
        return;
    if (degrees != t_rotationDegrees) {
        t_rotationDegrees = degrees;
        t_rotationCos = std::cos(degrees * kRadiansPerDegree);
        t_rotationSin = std::sin(degrees * kRadiansPerDegree);
    }
    const double x = m_v[0], y = m_v[1];
    SetXY(x * t_rotationCos - y * t_rotationSin, y * t_rotationCos + x * t_rotationSin);
}

void Point2d::Serialize(CArchive& ar)
{
    ArchiveFields::Value(ar, *this);
}

int operator==(const Point2d& a, const Point2d& b)
{
    return std::fabs(a.GetX() - b.GetX()) + std::fabs(a.GetY() - b.GetY()) <= kSmallestNormalFloat ? 1 : 0;
}

double Angle(const Point2d& p1, const Point2d& p2, const Point2d& p3)
{
    const Point2d u = p1 - p2, v = p3 - p2;
    double k = u.Dot(v);
    const double s = u.Length2() * v.Length2();
    if (s > kAngleTolerance) {
        k /= std::sqrt(s);
        if (k > 1.0)
            k = 1.0;
        else if (!(k >= -1.0))
            k = -1.0;
    }
    return std::acos(k) * kDegreesPerRadian;
}

CArchive& operator<<(CArchive& ar, const Point2d& p)
{
    return ar << p.GetX() << p.GetY();
}

CArchive& operator>>(CArchive& ar, Point2d& p)
{
    double x, y;
    ar >> x >> y;
    p.SetXY(x, y);
    return ar;
}

std::ostream& operator<<(std::ostream& os, const Point2d& p)
{
    const std::streamsize width = os.width();
    os << p.GetX();
    if (width <= 0)
        os << ' ';
    else
        os.width(width);
    return os << p.GetY();
}

std::istream& operator>>(std::istream& is, Point2d& p)
{
    double x, y;
    is >> x;
    if (is.fail())
        return is;
    is >> y;
    if (is.fail())
        return is;
    p.SetXY(x, y);
    return is;
}

} // namespace Orvane
