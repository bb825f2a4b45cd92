#include "orvcore/geometry/Plane.h"

namespace Orvane {

Plane::Plane() = default;

Plane::Plane(const Point3d& point, const Point3d& normal)
{
    Set(point, normal);
}

Plane::~Plane() = default;

void Plane::Set(const Point3d& point, const Point3d& normal)
{
    m_point = point;
    m_normal = normal;
    m_a = normal.GetX();
    m_b = normal.GetY();
    m_c = normal.GetZ();
    m_d = -(m_a * point.GetX() + m_b * point.GetY() + m_c * point.GetZ());
}

void Plane::Get(Point3d& point, Point3d& normal) const
{
    point = m_point;
    normal = m_normal;
}

void Plane::GetABCD(double& a, double& b, double& c, double& d) const
{
    a = m_a;
    b = m_b;
    c = m_c;
    d = m_d;
}

} // namespace Orvane
