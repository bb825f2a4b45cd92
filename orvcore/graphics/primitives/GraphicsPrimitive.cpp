#include "orvcore/graphics/primitives/GraphicsPrimitive.h"

#include "orvcore/core/ArchiveFields.h"
#include "orvcore/geometry/Matrix4x4.h"

namespace Orvane {

GraphicsPrimitive::~GraphicsPrimitive() = default;

void GraphicsPrimitive::Serialize(CArchive& ar)
{
    ArchiveFields::Value(ar, m_id);
}

LitPrimitive::~LitPrimitive() = default;

void LitPrimitive::Serialize(CArchive& ar)
{
    GraphicsPrimitive::Serialize(ar);
    ArchiveFields::Enum32(ar, m_material);
    if (SchemaAboveSigned(ar, 6))
        ArchiveFields::Enum32(ar, m_representation);
}

UnlitPrimitive::~UnlitPrimitive() = default;

Vertex::~Vertex() = default;

bool Vertex::operator==(const Vertex& other) const
{
    return m_point == other.m_point && m_color.GetR() == other.m_color.GetR() &&
           m_color.GetG() == other.m_color.GetG() && m_color.GetB() == other.m_color.GetB();
}

void Vertex::Transform(const Matrix4x4& matrix)
{
    matrix.Transform(m_point);
}

void Vertex::StoreColor(CArchive& ar, const Color& color)
{
    ar << static_cast<DWORD>(color.GetRGB() & 0x00FFFFFFul);
}

void Vertex::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        StoreColor(ar, m_color);
        ar << m_point;
    } else {
        ar >> m_color >> m_point;
    }
}

VertexNormal::~VertexNormal() = default;

bool VertexNormal::operator==(const VertexNormal& other) const
{
    return Vertex::operator==(other) && m_normal == other.m_normal;
}

void VertexNormal::Serialize(CArchive& ar)
{
    Vertex::Serialize(ar);
    ArchiveFields::Value(ar, m_normal);
}

TriangleIndex::~TriangleIndex() = default;

void TriangleIndex::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << static_cast<int>(m_index[0]) << static_cast<int>(m_index[1]) << static_cast<int>(m_index[2]);
    } else {
        int a = 0, b = 0, c = 0;
        ar >> a >> b >> c;
        Set(a, b, c);
    }
}

} // namespace Orvane
