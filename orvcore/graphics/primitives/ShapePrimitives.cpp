#include "orvcore/graphics/primitives/ShapePrimitives.h"

#include "orvcore/core/ArchiveFields.h"

namespace Orvane {

// ---------------------------------------------------------------- UnlitShapePrimitive

UnlitShapePrimitive::UnlitShapePrimitive() = default;

UnlitShapePrimitive::UnlitShapePrimitive(unsigned int id) : UnlitPrimitive(id) {}

UnlitShapePrimitive::UnlitShapePrimitive(const Point2d& origin, bool isOutlined, const Color& foreground,
                                         int outlineWidth, bool isFilled, const Color& background,
                                         unsigned int id)
    : UnlitPrimitive(id),
      m_origin(origin),
      m_isOutlined(isOutlined),
      m_foreground(foreground),
      m_outlineWidth(outlineWidth),
      m_isFilled(isFilled),
      m_background(background)
{
}

UnlitShapePrimitive::~UnlitShapePrimitive() = default;

void UnlitShapePrimitive::Serialize(CArchive& ar)
{
    GraphicsPrimitive::Serialize(ar);
    m_origin.Serialize(ar);
    m_foreground.Serialize(ar);
    m_background.Serialize(ar);
    ArchiveFields::FlagNonZero(ar, m_isOutlined);
    ArchiveFields::Value(ar, m_outlineWidth);
    ArchiveFields::FlagNonZero(ar, m_isFilled);
    ArchiveFields::FlagNonZero(ar, m_isStippled);
    ArchiveFields::Enum32(ar, m_stipplePattern);
}

// ---------------------------------------------------------------- RectanglePrimitive

RectanglePrimitive::RectanglePrimitive() = default;

RectanglePrimitive::RectanglePrimitive(const Point2d& size, const Point2d& origin, bool isOutlined,
                                       const Color& foreground, int outlineWidth, bool isFilled,
                                       const Color& background, unsigned int id)
    : UnlitShapePrimitive(origin, isOutlined, foreground, outlineWidth, isFilled, background, id), m_size(size)
{
}

RectanglePrimitive::RectanglePrimitive(const Point2d& origin, bool isOutlined, const Color& foreground,
                                       int outlineWidth, bool isFilled, const Color& background, unsigned int id)
    : UnlitShapePrimitive(origin, isOutlined, foreground, outlineWidth, isFilled, background, id)
{
}

RectanglePrimitive::~RectanglePrimitive() = default;

void RectanglePrimitive::Serialize(CArchive& ar)
{
    UnlitShapePrimitive::Serialize(ar);
    m_size.Serialize(ar);
}

// ---------------------------------------------------------------- EllipsePrimitive

EllipsePrimitive::EllipsePrimitive() = default;

EllipsePrimitive::EllipsePrimitive(const Point2d& size, const Point2d& origin, bool isOutlined,
                                   const Color& foreground, int outlineWidth, bool isFilled,
                                   const Color& background, unsigned int id)
    : RectanglePrimitive(size, origin, isOutlined, foreground, outlineWidth, isFilled, background, id)
{
}

EllipsePrimitive::EllipsePrimitive(const Point2d& origin, bool isOutlined, const Color& foreground,
                                   int outlineWidth, bool isFilled, const Color& background, unsigned int id)
    : RectanglePrimitive(origin, isOutlined, foreground, outlineWidth, isFilled, background, id)
{
}

EllipsePrimitive::~EllipsePrimitive() = default;

// ---------------------------------------------------------------- TriangleShapePrimitive

TriangleShapePrimitive::TriangleShapePrimitive() = default;

TriangleShapePrimitive::TriangleShapePrimitive(const Point2d& point1, const Point2d& point2,
                                               const Point2d& point3, bool isOutlined, const Color& foreground,
                                               int outlineWidth, bool isFilled, const Color& background,
                                               unsigned int id)
    : UnlitShapePrimitive(point1, isOutlined, foreground, outlineWidth, isFilled, background, id),
      m_points{point1, point2, point3}
{
}

TriangleShapePrimitive::~TriangleShapePrimitive() = default;

void TriangleShapePrimitive::Serialize(CArchive& ar)
{
    UnlitShapePrimitive::Serialize(ar);
    for (Point2d& p : m_points)
        p.Serialize(ar);
}

// ---------------------------------------------------------------- UnlitLinePrimitive

UnlitLinePrimitive::UnlitLinePrimitive() = default;

UnlitLinePrimitive::UnlitLinePrimitive(unsigned int id) : UnlitPrimitive(id) {}

UnlitLinePrimitive::UnlitLinePrimitive(const Point2d::Array& points, const Color& color, int width,
                                       unsigned int id)
    : UnlitPrimitive(id), m_points(points), m_color(color), m_width(width)
{
}

UnlitLinePrimitive::UnlitLinePrimitive(const Color& color, int width, unsigned int id)
    : UnlitPrimitive(id), m_color(color), m_width(width)
{
}

UnlitLinePrimitive::~UnlitLinePrimitive() = default;

void UnlitLinePrimitive::SetPoints(const Point2d::Array& points)
{
    m_points.Copy(points);
}

void UnlitLinePrimitive::Serialize(CArchive& ar)
{
    GraphicsPrimitive::Serialize(ar);
    // Count, then one raw block of 16-byte points; a count that the archive
    // cannot back is rejected before the array grows.
    m_points.Serialize(ar);
    m_color.Serialize(ar);
    ArchiveFields::Value(ar, m_width);
}

// ---------------------------------------------------------------- LineSegmentPrimitive

LineSegmentPrimitive::LineSegmentPrimitive() = default;

LineSegmentPrimitive::LineSegmentPrimitive(const Point2d& end1, const Point2d& end2, const Color& color,
                                           int width, unsigned int id)
    : UnlitLinePrimitive(color, width, id)
{
    m_points.SetSize(2);
    m_points[0] = end1;
    m_points[1] = end2;
}

LineSegmentPrimitive::LineSegmentPrimitive(const Color& color, int width, unsigned int id)
    : UnlitLinePrimitive(color, width, id)
{
}

LineSegmentPrimitive::~LineSegmentPrimitive() = default;

void LineSegmentPrimitive::SetPoints(const Point2d::Array& points)
{
    if (points.GetSize() < 2)
        return;
    const Point2d end1 = points[0];
    const Point2d end2 = points[1];
    m_points.SetSize(2);
    m_points[0] = end1;
    m_points[1] = end2;
}

// ---------------------------------------------------------------- PolylinePrimitive

PolylinePrimitive::PolylinePrimitive() = default;

PolylinePrimitive::PolylinePrimitive(const Point2d::Array& points, const Color& color, int width, unsigned int id)
    : UnlitLinePrimitive(color, width, id)
{
    UnlitLinePrimitive::SetPoints(points);
}

PolylinePrimitive::PolylinePrimitive(const Color& color, int width, unsigned int id)
    : UnlitLinePrimitive(color, width, id)
{
}

PolylinePrimitive::~PolylinePrimitive() = default;

// ---------------------------------------------------------------- UnlitTrianglePrimitive

UnlitTrianglePrimitive::UnlitTrianglePrimitive() = default;

UnlitTrianglePrimitive::UnlitTrianglePrimitive(const Point3d& end1, const Point3d& end2, const Point3d& end3,
                                               const Color& color, unsigned int id)
    : UnlitPrimitive(id), m_ends{end1, end2, end3}, m_color(color)
{
}

UnlitTrianglePrimitive::~UnlitTrianglePrimitive() = default;

bool UnlitTrianglePrimitive::operator==(const UnlitTrianglePrimitive& other) const
{
    return m_ends[0] == other.m_ends[0] && m_ends[1] == other.m_ends[1] && m_ends[2] == other.m_ends[2];
}

void UnlitTrianglePrimitive::Transform(const Matrix4x4& m)
{
    for (Point3d& p : m_ends)
        m.Transform(p);
}

void UnlitTrianglePrimitive::Serialize(CArchive& ar)
{
    GraphicsPrimitive::Serialize(ar);
    for (Point3d& p : m_ends)
        p.Serialize(ar);
    m_color.Serialize(ar);
}

// ---------------------------------------------------------------- Rect2DPrimitive

Rect2DPrimitive::Rect2DPrimitive() = default;

Rect2DPrimitive::Rect2DPrimitive(const Point3d& coord, const Color& color, int width, int height, unsigned int id)
    : UnlitPrimitive(id), m_coord(coord), m_color(color), m_width(width), m_height(height)
{
}

Rect2DPrimitive::~Rect2DPrimitive() = default;

void Rect2DPrimitive::Transform(const Matrix4x4& m)
{
    m.Transform(m_coord);
}

} // namespace Orvane
