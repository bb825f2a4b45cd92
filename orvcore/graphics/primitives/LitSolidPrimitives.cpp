#include "orvcore/graphics/primitives/LitSolidPrimitives.h"

#include "orvcore/core/ArchiveFields.h"

namespace Orvane {

// --- SpherePrimitive

SpherePrimitive::SpherePrimitive(const Point3d& center, double radius, const Color& color, unsigned int id)
    : LitPrimitive(id), m_center(center, color), m_radius(static_cast<float>(radius))
{
}

SpherePrimitive::~SpherePrimitive() = default;

void SpherePrimitive::Transform(const Matrix4x4& matrix)
{
    m_center.Transform(matrix);
}

void SpherePrimitive::Serialize(CArchive& ar)
{
    LitPrimitive::Serialize(ar);
    m_center.Serialize(ar);
    ArchiveFields::Value(ar, m_radius);
}

// --- EllipsoidPrimitive

EllipsoidPrimitive::EllipsoidPrimitive() : m_matrix(Matrix4x4::IdentityMatrix) {}

EllipsoidPrimitive::EllipsoidPrimitive(const Point3d& center, const Point3d& size, const Matrix4x4& matrix,
                                       const Color& color, unsigned int id)
    : LitPrimitive(id), m_center(center, color), m_size(size), m_matrix(matrix)
{
}

EllipsoidPrimitive::~EllipsoidPrimitive() = default;

void EllipsoidPrimitive::Transform(const Matrix4x4& matrix)
{
    m_center.Transform(matrix);
}

void EllipsoidPrimitive::Serialize(CArchive& ar)
{
    LitPrimitive::Serialize(ar);
    m_center.Serialize(ar);
    ArchiveFields::Value(ar, m_size);
    m_matrix.Serialize(ar);
}

// --- CylinderPrimitive

CylinderPrimitive::CylinderPrimitive(const Point3d& end1, const Color& color1, const Point3d& end2,
                                     const Color& color2, double radius, unsigned int id)
    : CylinderPrimitive(end1, color1, end2, color2, radius, id, id, id)
{
}

CylinderPrimitive::CylinderPrimitive(const Point3d& end1, const Color& color1, const Point3d& end2,
                                     const Color& color2, double radius, unsigned int id, unsigned int end1ID,
                                     unsigned int end2ID)
    : LitPrimitive(id), m_end1(end1, color1), m_end2(end2, color2), m_radius(static_cast<float>(radius)),
      m_end1ID(end1ID), m_end2ID(end2ID)
{
}

CylinderPrimitive::~CylinderPrimitive() = default;

void CylinderPrimitive::Rotate(const Point3d& axis, const Point3d& point, double degrees)
{
    Transform(Matrix4x4(axis, point, degrees));
}

void CylinderPrimitive::Rotate(const Point3d& axis, double degrees)
{
    Transform(Matrix4x4(axis, degrees));
}

void CylinderPrimitive::Transform(const Matrix4x4& matrix)
{
    m_end1.Transform(matrix);
    m_end2.Transform(matrix);
}

void CylinderPrimitive::Translate(const Point3d& offset)
{
    m_end1.SetPoint(m_end1.GetPoint() + offset);
    m_end2.SetPoint(m_end2.GetPoint() + offset);
}

void CylinderPrimitive::SetID(unsigned int id)
{
    LitPrimitive::SetID(id);
    m_end1ID = id;
    m_end2ID = id;
}

void CylinderPrimitive::Serialize(CArchive& ar)
{
    LitPrimitive::Serialize(ar);
    m_end1.Serialize(ar);
    m_end2.Serialize(ar);
    ArchiveFields::Value(ar, m_radius);
}

// --- ConePrimitive

ConePrimitive::ConePrimitive(const Point3d& base, const Point3d& tip, const Color& color, double radius,
                             unsigned int id)
    : LitPrimitive(id), m_base(base), m_tip(tip), m_color(color), m_radius(static_cast<float>(radius))
{
}

ConePrimitive::~ConePrimitive() = default;

void ConePrimitive::Transform(const Matrix4x4& matrix)
{
    matrix.Transform(m_base);
    matrix.Transform(m_tip);
}

void ConePrimitive::Serialize(CArchive& ar)
{
    LitPrimitive::Serialize(ar);
    ArchiveFields::Value(ar, m_base, m_tip, m_color, m_radius);
}

// --- TrianglePrimitive

TrianglePrimitive::TrianglePrimitive(const Point3d& end1, const Point3d& end2, const Point3d& end3,
                                     const Point3d& normal, const Color& color, unsigned int id)
    : LitPrimitive(id), m_end{end1, end2, end3}, m_normal(normal), m_color(color)
{
}

TrianglePrimitive::~TrianglePrimitive() = default;

void TrianglePrimitive::Transform(const Matrix4x4& matrix)
{
    for (Point3d& corner : m_end)
        matrix.Transform(corner);
}

bool TrianglePrimitive::operator==(const TrianglePrimitive& other) const
{
    return m_end[0] == other.m_end[0] && m_end[1] == other.m_end[1] && m_end[2] == other.m_end[2] &&
           m_normal == other.m_normal;
}

void TrianglePrimitive::Serialize(CArchive& ar)
{
    LitPrimitive::Serialize(ar);
    if (ar.IsStoring()) {
        for (const Point3d& corner : m_end) {
            Vertex(corner, m_color).Serialize(ar);
        }
        ar << m_normal;
        return;
    }
    Vertex corners[3];
    for (Vertex& v : corners)
        v.Serialize(ar);
    ar >> m_normal;
    for (int i = 0; i < 3; ++i)
        m_end[i] = corners[i].GetPoint();
    m_color = corners[0].GetColor();
}

} // namespace Orvane
