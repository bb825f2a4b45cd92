#include "orvcore/graphics/primitives/LinePrimitives.h"

#include "orvcore/core/ArchiveFields.h"
#include "orvcore/geometry/Matrix4x4.h"

namespace Orvane {

// --- LinePrimitive

LinePrimitive::LinePrimitive(const Point3d& end1, const Point3d& end2, const Color& color, int width,
                             unsigned int id)
    : LinePrimitive(end1, color, end2, color, width, id)
{
}

LinePrimitive::LinePrimitive(const Point3d& end1, const Point3d& end2, const Color& color, int width,
                             unsigned int id1, unsigned int id2)
    : UnlitPrimitive(id1), m_end1(end1, color), m_end2(end2, color), m_width(width), m_id2(id2)
{
}

LinePrimitive::LinePrimitive(const Point3d& end1, const Color& color1, const Point3d& end2, const Color& color2,
                             int width, unsigned int id)
    : UnlitPrimitive(id), m_end1(end1, color1), m_end2(end2, color2), m_width(width), m_id2(id)
{
}

LinePrimitive::~LinePrimitive() = default;

void LinePrimitive::Transform(const Matrix4x4& matrix)
{
    m_end1.Transform(matrix);
    m_end2.Transform(matrix);
}

void LinePrimitive::Serialize(CArchive& ar)
{
    GraphicsPrimitive::Serialize(ar);
    m_end1.Serialize(ar);
    m_end2.Serialize(ar);
    ArchiveFields::Value(ar, m_width, m_id2);
}

std::size_t LinePrimitive::ArchivedSize(const CArchive& ar)
{
    return 4 + 2 * (4 + ArchivedPointSize(ar)) + 4 + 4;
}

// --- DashedLinePrimitive

DashedLinePrimitive::DashedLinePrimitive(const Point3d& end1, const Point3d& end2, const Color& color, int width,
                                         int numDashes, bool startBlank, unsigned int id)
    : LinePrimitive(end1, end2, color, width, id), m_numDashes(numDashes), m_startBlank(startBlank)
{
}

DashedLinePrimitive::DashedLinePrimitive(const Point3d& end1, const Color& color1, const Point3d& end2,
                                         const Color& color2, int width, int numDashes, bool startBlank,
                                         unsigned int id)
    : LinePrimitive(end1, color1, end2, color2, width, id), m_numDashes(numDashes), m_startBlank(startBlank)
{
}

DashedLinePrimitive::~DashedLinePrimitive() = default;

void DashedLinePrimitive::Serialize(CArchive& ar)
{
    LinePrimitive::Serialize(ar);
    ArchiveFields::Value(ar, m_numDashes);
    ArchiveFields::FlagByte(ar, m_startBlank);
}

// --- LineArrayPrimitive

LineArrayPrimitive::LineArrayPrimitive()
{
    m_lines.SetSize(0, 1000);
}

LineArrayPrimitive::LineArrayPrimitive(float lineWidth, const LinePrimitiveArray& lines, bool dashed,
                                       unsigned short dashPattern)
    : m_lineWidth(lineWidth), m_dashed(dashed), m_dashPattern(dashPattern), m_lines(lines)
{
}

LineArrayPrimitive::~LineArrayPrimitive() = default;

void LineArrayPrimitive::Transform(const Matrix4x4& matrix)
{
    for (LinePrimitive& line : m_lines)
        line.Transform(matrix);
}

void LineArrayPrimitive::Serialize(CArchive& ar)
{
    GraphicsPrimitive::Serialize(ar);
    const bool hasStyle = SchemaAboveUnsigned(ar, 12);
    if (ar.IsStoring())
        ar << static_cast<int>(m_lines.GetSize());
    else
        m_lines.SetSize(ReadSignedCount(ar, LinePrimitive::ArchivedSize(ar)));
    for (LinePrimitive& line : m_lines)
        line.Serialize(ar);
    ArchiveFields::Value(ar, m_lineWidth);
    if (hasStyle) {
        ArchiveFields::FlagExactlyOne(ar, m_dashed);
        ArchiveFields::Value(ar, m_dashPattern);
    }
}

// --- ArcPrimitive

ArcPrimitive::ArcPrimitive(const Point3d& center, const Point3d& normal, const Point3d& start, double degrees,
                           int numSegments, const Color& color, int width, unsigned int id)
    : UnlitPrimitive(id), m_center(center), m_normal(normal), m_start(start), m_angle(static_cast<float>(degrees)),
      m_numSegments(numSegments), m_color(color), m_width(width)
{
    m_points.Add(m_start);
    if (m_numSegments <= 0)
        return;
    const Matrix4x4 step(m_normal, m_center, static_cast<double>(m_angle) / m_numSegments);
    Point3d p = m_start;
    for (int i = 0; i < m_numSegments; ++i) {
        step.Transform(p);
        m_points.Add(p);
    }
}

ArcPrimitive::~ArcPrimitive() = default;

void ArcPrimitive::Transform(const Matrix4x4& matrix)
{
    // The normal is a direction: it turns with the matrix but does not move
    // with its translation.
    const Point3d center = matrix.Transform(static_cast<const Point3d&>(m_center));
    const Point3d tip = matrix.Transform(static_cast<const Point3d&>(m_center + m_normal));
    m_normal = tip - center;
    m_normal.Normalize();
    m_center = center;
    matrix.Transform(m_start);
    for (Point3d& p : m_points)
        matrix.Transform(p);
}

void ArcPrimitive::Serialize(CArchive& ar)
{
    GraphicsPrimitive::Serialize(ar);
    ArchiveFields::Value(ar, m_center, m_normal, m_start, m_color);
    m_points.Serialize(ar);
    ArchiveFields::Value(ar, m_angle, m_numSegments, m_width);
}

} // namespace Orvane
