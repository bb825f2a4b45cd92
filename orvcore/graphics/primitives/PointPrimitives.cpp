#include "orvcore/graphics/primitives/PointPrimitives.h"

#include "orvcore/core/ArchiveFields.h"

namespace Orvane {

UnlitPointPrimitive::UnlitPointPrimitive(const Point3d& point, const Color& color, unsigned int id)
    : UnlitPrimitive(id), m_point(point, color)
{
}

UnlitPointPrimitive::~UnlitPointPrimitive() = default;

void UnlitPointPrimitive::Transform(const Matrix4x4& matrix)
{
    m_point.Transform(matrix);
}

void UnlitPointPrimitive::Serialize(CArchive& ar)
{
    GraphicsPrimitive::Serialize(ar);
    m_point.Serialize(ar);
}

DotPrimitive::DotPrimitive(const Point3d& point, const Color& color, int width, unsigned int id)
    : UnlitPointPrimitive(point, color, id), m_width(width)
{
}

DotPrimitive::~DotPrimitive() = default;

void DotPrimitive::Serialize(CArchive& ar)
{
    UnlitPointPrimitive::Serialize(ar);
    ArchiveFields::Value(ar, m_width);
}

} // namespace Orvane
