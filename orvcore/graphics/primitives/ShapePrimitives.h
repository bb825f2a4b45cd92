#pragma once

/// \file
/// The flat overlay shapes (rectangle, ellipse, triangle, 2D lines) and the unlit
/// model-space triangle and anchored rectangle.
#include "orvcore/Export.h"
#include "orvcore/color/Color.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/geometry/Point2d.h"
#include "orvcore/geometry/Point3d.h"
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"

#include <cstdint>

namespace Orvane {

/// The base of the flat overlay shapes placed with 2D coordinates: an origin,
/// an outline (colour and width), a fill (colour) and an optional stipple.
///
/// \valuethreads
class ORVCORE_API UnlitShapePrimitive : public UnlitPrimitive
{
public:
    /// Fill stipples, in the order of the platform's hatch styles. Stored as a
    /// 32-bit integer; values outside the list pass through unchanged.
    enum StipplePattern : std::int32_t {
        Horizontal = 0,
        Vertical = 1,
        ForwardDiagonal = 2,
        BackwardDiagonal = 3,
        Cross = 4,
        DiagonalCross = 5
    };

    /// A shape at the origin: outlined in white with width 1, not filled (white fill
    /// colour), not stippled (pattern Cross), with the given identifier or 0.
    ///@{
    UnlitShapePrimitive();
    explicit UnlitShapePrimitive(unsigned int id);
    ///@}
    /// A shape of the given origin, outline, fill and identifier; not stippled.
    UnlitShapePrimitive(const Point2d& origin, bool isOutlined, const Color& foreground, int outlineWidth,
                        bool isFilled, const Color& background, unsigned int id);
    /// Copies.
    ///@{
    UnlitShapePrimitive(const UnlitShapePrimitive&) = default;
    UnlitShapePrimitive& operator=(const UnlitShapePrimitive&) = default;
    ///@}
    ~UnlitShapePrimitive() override;

    /// The origin, in 2D overlay coordinates.
    ///@{
    const Point2d& GetOrigin() const { return m_origin; }
    void SetOrigin(const Point2d& origin) { m_origin = origin; }
    ///@}
    /// Whether the outline is drawn.
    ///@{
    bool GetIsOutlined() const { return m_isOutlined; }
    void SetIsOutlined(bool outlined) { m_isOutlined = outlined; }
    ///@}
    /// The outline colour.
    ///@{
    Color GetForegroundColor() const { return m_foreground; }
    void SetForegroundColor(const Color& color) { m_foreground = color; }
    ///@}
    /// The outline width in pixels.
    ///@{
    int GetOutlineWidth() const { return m_outlineWidth; }
    void SetOutlineWidth(int width) { m_outlineWidth = width; }
    ///@}
    /// Whether the shape is filled.
    ///@{
    bool GetIsFilled() const { return m_isFilled; }
    void SetIsFilled(bool filled) { m_isFilled = filled; }
    ///@}
    /// The fill colour.
    ///@{
    Color GetBackgroundColor() const { return m_background; }
    void SetBackgroundColor(const Color& color) { m_background = color; }
    ///@}
    /// Whether the fill is stippled.
    ///@{
    bool GetIsStippled() const { return m_isStippled; }
    void SetIsStippled(bool stippled) { m_isStippled = stippled; }
    ///@}
    /// The stipple of the fill.
    ///@{
    StipplePattern GetStipplePattern() const { return m_stipplePattern; }
    void SetStipplePattern(StipplePattern pattern) { m_stipplePattern = pattern; }
    ///@}

    /// Identifier, origin, foreground and background colours (all four
    /// channels), outlined, outline width, filled, stippled, stipple pattern.
    virtual void Serialize(CArchive& ar);

private:
    Point2d m_origin;
    bool m_isOutlined = true;
    Color m_foreground = Color::White();
    std::int32_t m_outlineWidth = 1;
    bool m_isFilled = false;
    Color m_background = Color::White();
    bool m_isStippled = false;
    StipplePattern m_stipplePattern = Cross;
};

/// An axis-aligned rectangle: the origin is one corner, the size spans to the other.
///
/// \valuethreads
class ORVCORE_API RectanglePrimitive : public UnlitShapePrimitive
{
public:
    /// A rectangle with the shape's defaults, or of the given origin, outline, fill and
    /// identifier, and with the given size or size (0, 0).
    ///@{
    RectanglePrimitive();
    RectanglePrimitive(const Point2d& size, const Point2d& origin, bool isOutlined, const Color& foreground,
                       int outlineWidth, bool isFilled, const Color& background, unsigned int id);
    RectanglePrimitive(const Point2d& origin, bool isOutlined, const Color& foreground, int outlineWidth,
                       bool isFilled, const Color& background, unsigned int id);
    ///@}
    /// Copies.
    ///@{
    RectanglePrimitive(const RectanglePrimitive&) = default;
    RectanglePrimitive& operator=(const RectanglePrimitive&) = default;
    ///@}
    ~RectanglePrimitive() override;

    /// The size: the offset from the origin to the opposite corner.
    ///@{
    const Point2d& GetSize() const { return m_size; }
    void SetSize(const Point2d& size) { m_size = size; }
    ///@}

    /// The shape form, then the size.
    void Serialize(CArchive& ar) override;

private:
    Point2d m_size;
};

/// An ellipse centred on the origin, with the size as its two half-axes.
///
/// \valuethreads
class ORVCORE_API EllipsePrimitive : public RectanglePrimitive
{
public:
    /// An ellipse with the shape's defaults, or of the given origin (its centre),
    /// outline, fill and identifier, and with the given half-axes or (0, 0).
    ///@{
    EllipsePrimitive();
    EllipsePrimitive(const Point2d& size, const Point2d& origin, bool isOutlined, const Color& foreground,
                     int outlineWidth, bool isFilled, const Color& background, unsigned int id);
    EllipsePrimitive(const Point2d& origin, bool isOutlined, const Color& foreground, int outlineWidth,
                     bool isFilled, const Color& background, unsigned int id);
    ///@}
    /// Copies.
    ///@{
    EllipsePrimitive(const EllipsePrimitive&) = default;
    EllipsePrimitive& operator=(const EllipsePrimitive&) = default;
    ///@}
    ~EllipsePrimitive() override;
};

/// A flat triangle; its origin is its first point when built from points.
///
/// \valuethreads
class ORVCORE_API TriangleShapePrimitive : public UnlitShapePrimitive
{
public:
    /// A triangle of three points at the origin with the shape's defaults.
    TriangleShapePrimitive();
    /// A triangle of the three points (its origin is point1), outline, fill and identifier.
    TriangleShapePrimitive(const Point2d& point1, const Point2d& point2, const Point2d& point3, bool isOutlined,
                           const Color& foreground, int outlineWidth, bool isFilled, const Color& background,
                           unsigned int id);
    /// Copies.
    ///@{
    TriangleShapePrimitive(const TriangleShapePrimitive&) = default;
    TriangleShapePrimitive& operator=(const TriangleShapePrimitive&) = default;
    ///@}
    ~TriangleShapePrimitive() override;

    /// Point 1, 2 or 3.
    ///@{
    Point2d GetPoint1() const { return m_points[0]; }
    Point2d GetPoint2() const { return m_points[1]; }
    Point2d GetPoint3() const { return m_points[2]; }
    ///@}
    /// Sets point 1, 2 or 3.
    ///@{
    void SetPoint1(const Point2d& p) { m_points[0] = p; }
    void SetPoint2(const Point2d& p) { m_points[1] = p; }
    void SetPoint3(const Point2d& p) { m_points[2] = p; }
    ///@}

    /// The shape form, then the three points.
    void Serialize(CArchive& ar) override;

private:
    Point2d m_points[3];
};

/// A polyline in 2D with one colour and width.
///
/// \valuethreads
class ORVCORE_API UnlitLinePrimitive : public UnlitPrimitive
{
public:
    /// A white line of width 1 without points, with the given identifier or 0.
    ///@{
    UnlitLinePrimitive();
    explicit UnlitLinePrimitive(unsigned int id);
    ///@}
    /// A line through copies of points.
    UnlitLinePrimitive(const Point2d::Array& points, const Color& color, int width, unsigned int id);
    /// A line without points.
    UnlitLinePrimitive(const Color& color, int width, unsigned int id);
    /// Copies.
    ///@{
    UnlitLinePrimitive(const UnlitLinePrimitive&) = default;
    UnlitLinePrimitive& operator=(const UnlitLinePrimitive&) = default;
    ///@}
    ~UnlitLinePrimitive() override;

    /// The points, in 2D overlay coordinates.
    const Point2d::Array& GetPoints() const { return m_points; }
    /// Copies the points (nothing to do when given the primitive's own array).
    virtual void SetPoints(const Point2d::Array& points);
    /// The colour.
    ///@{
    Color GetColor() const { return m_color; }
    void SetColor(const Color& color) { m_color = color; }
    ///@}
    /// The width in pixels.
    ///@{
    int GetWidth() const { return m_width; }
    void SetWidth(int width) { m_width = width; }
    ///@}

    /// Identifier; the points as a count and one block of x, y doubles; colour; width.
    virtual void Serialize(CArchive& ar);

protected:
    Point2d::Array m_points; ///< The points.

private:
    Color m_color = Color::White();
    std::int32_t m_width = 1;
};

/// A single segment: two points.
///
/// \valuethreads
class ORVCORE_API LineSegmentPrimitive : public UnlitLinePrimitive
{
public:
    /// A white segment of width 1 without points.
    LineSegmentPrimitive();
    /// The segment from end1 to end2.
    LineSegmentPrimitive(const Point2d& end1, const Point2d& end2, const Color& color, int width, unsigned int id);
    /// A segment without points yet.
    LineSegmentPrimitive(const Color& color, int width, unsigned int id);
    /// Copies.
    ///@{
    LineSegmentPrimitive(const LineSegmentPrimitive&) = default;
    LineSegmentPrimitive& operator=(const LineSegmentPrimitive&) = default;
    ///@}
    ~LineSegmentPrimitive() override;

    /// Keeps the first two of the given points. An array of fewer than two
    /// points does not make a segment and leaves the segment unchanged.
    void SetPoints(const Point2d::Array& points) override;
};

/// A polyline through any number of points.
///
/// \valuethreads
class ORVCORE_API PolylinePrimitive : public UnlitLinePrimitive
{
public:
    /// A white polyline of width 1 without points.
    PolylinePrimitive();
    /// A polyline through copies of points.
    PolylinePrimitive(const Point2d::Array& points, const Color& color, int width, unsigned int id);
    /// A polyline without points.
    PolylinePrimitive(const Color& color, int width, unsigned int id);
    /// Copies.
    ///@{
    PolylinePrimitive(const PolylinePrimitive&) = default;
    PolylinePrimitive& operator=(const PolylinePrimitive&) = default;
    ///@}
    ~PolylinePrimitive() override;
};

/// A flat-coloured triangle in model space.
///
/// \valuethreads
class ORVCORE_API UnlitTrianglePrimitive : public UnlitPrimitive
{
public:
    /// A black triangle of three points at the origin.
    UnlitTrianglePrimitive();
    /// The triangle of the three points, colour and identifier.
    UnlitTrianglePrimitive(const Point3d& end1, const Point3d& end2, const Point3d& end3, const Color& color,
                           unsigned int id);
    /// Copies.
    ///@{
    UnlitTrianglePrimitive(const UnlitTrianglePrimitive&) = default;
    UnlitTrianglePrimitive& operator=(const UnlitTrianglePrimitive&) = default;
    ///@}
    ~UnlitTrianglePrimitive() override;

    /// Corner 1, 2 or 3.
    ///@{
    const Point3d& GetEnd1() const { return m_ends[0]; }
    const Point3d& GetEnd2() const { return m_ends[1]; }
    const Point3d& GetEnd3() const { return m_ends[2]; }
    ///@}
    /// Sets corner 1, 2 or 3.
    ///@{
    void SetEnd1(const Point3d& p) { m_ends[0] = p; }
    void SetEnd2(const Point3d& p) { m_ends[1] = p; }
    void SetEnd3(const Point3d& p) { m_ends[2] = p; }
    ///@}
    /// The colour.
    ///@{
    Color GetColor() const { return m_color; }
    void SetColor(const Color& color) { m_color = color; }
    ///@}

    /// Equal when the three ends are equal; colour and identifier are not compared.
    bool operator==(const UnlitTrianglePrimitive& other) const;
    /// Not operator==.
    bool operator!=(const UnlitTrianglePrimitive& other) const { return !(*this == other); }

    /// The three corners become their images (p * m, projective).
    virtual void Transform(const Matrix4x4& m);
    /// Identifier, the three ends, colour (all four channels).
    void Serialize(CArchive& ar);

private:
    Point3d m_ends[3];
    Color m_color;
};

/// A rectangle of a width and height (in pixels, for the renderer) anchored
/// at a point in model space. It has no archive form.
///
/// \valuethreads
class ORVCORE_API Rect2DPrimitive : public UnlitPrimitive
{
public:
    /// A black 0 x 0 rectangle at the origin.
    Rect2DPrimitive();
    /// A rectangle of width x height pixels anchored at coord.
    Rect2DPrimitive(const Point3d& coord, const Color& color, int width, int height, unsigned int id);
    /// Copies.
    ///@{
    Rect2DPrimitive(const Rect2DPrimitive&) = default;
    Rect2DPrimitive& operator=(const Rect2DPrimitive&) = default;
    ///@}
    ~Rect2DPrimitive() override;

    /// The anchor point in model space.
    ///@{
    const Point3d& GetCoord() const { return m_coord; }
    void SetCoord(const Point3d& coord) { m_coord = coord; }
    ///@}
    /// The colour.
    ///@{
    Color GetColor() const { return m_color; }
    void SetColor(const Color& color) { m_color = color; }
    ///@}
    /// The width in pixels.
    ///@{
    int GetWidth() const { return m_width; }
    void SetWidth(int width) { m_width = width; }
    ///@}
    /// The height in pixels.
    ///@{
    int GetHeight() const { return m_height; }
    void SetHeight(int height) { m_height = height; }
    ///@}

    /// The anchor becomes its image; the size in pixels stays.
    virtual void Transform(const Matrix4x4& m);

private:
    Point3d m_coord;
    Color m_color;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

} // namespace Orvane
