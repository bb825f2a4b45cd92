#pragma once

/// \file
/// LinePrimitive, DashedLinePrimitive, LineArrayPrimitive and ArcPrimitive.
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"

namespace Orvane {

/// A straight line between two coloured ends. The primitive's identifier is
/// that of the object at end 1; a second identifier names the object at end 2.
///
/// \valuethreads
class ORVCORE_API LinePrimitive : public UnlitPrimitive
{
public:
    /// A black line of width 1 from the origin to the origin, identifiers 0.
    LinePrimitive() = default;
    /// One colour for both ends; the identifier also becomes the second one.
    LinePrimitive(const Point3d& end1, const Point3d& end2, const Color& color, int width, unsigned int id);
    /// One colour for both ends, an identifier per end.
    LinePrimitive(const Point3d& end1, const Point3d& end2, const Color& color, int width, unsigned int id1,
                  unsigned int id2);
    /// A colour per end; the identifier also becomes the second one.
    LinePrimitive(const Point3d& end1, const Color& color1, const Point3d& end2, const Color& color2, int width,
                  unsigned int id);
    /// Copies.
    ///@{
    LinePrimitive(const LinePrimitive&) = default;
    LinePrimitive& operator=(const LinePrimitive&) = default;
    ///@}
    ~LinePrimitive() override;

    /// Both end points become their images.
    virtual void Transform(const Matrix4x4& matrix);

    /// End 1.
    ///@{
    const Point3d& GetEnd1() const { return m_end1.GetPoint(); }
    void SetEnd1(const Point3d& p) { m_end1.SetPoint(p); }
    ///@}
    /// End 2.
    ///@{
    const Point3d& GetEnd2() const { return m_end2.GetPoint(); }
    void SetEnd2(const Point3d& p) { m_end2.SetPoint(p); }
    ///@}
    /// The colour at end 1.
    ///@{
    Color GetColor1() const { return m_end1.GetColor(); }
    void SetColor1(const Color& c) { m_end1.SetColor(c); }
    ///@}
    /// The colour at end 2.
    ///@{
    Color GetColor2() const { return m_end2.GetColor(); }
    void SetColor2(const Color& c) { m_end2.SetColor(c); }
    ///@}
    /// The width in pixels.
    ///@{
    int GetWidth() const { return m_width; }
    void SetWidth(int width) { m_width = width; }
    ///@}
    /// The identifier of the object at end 1: the primitive's identifier.
    ///@{
    unsigned int GetID1() const { return GetID(); }
    void SetID1(unsigned int id) { SetID(id); }
    ///@}
    /// The identifier of the object at end 2.
    ///@{
    unsigned int GetID2() const { return m_id2; }
    void SetID2(unsigned int id) { m_id2 = id; }
    ///@}

    /// Identifier, both ends as vertices, width, second identifier.
    void Serialize(CArchive& ar);
    /// Bytes of the smallest stored line under the archive's schema.
    static std::size_t ArchivedSize(const CArchive& ar);

private:
    Vertex m_end1;
    Vertex m_end2;
    std::int32_t m_width = 1;
    std::uint32_t m_id2 = 0;
};

/// A line drawn as a number of dashes, beginning with a dash or a gap.
///
/// \valuethreads
class ORVCORE_API DashedLinePrimitive : public LinePrimitive
{
public:
    /// A default line of 10 dashes starting with a dash.
    DashedLinePrimitive() = default;
    /// One colour for both ends.
    DashedLinePrimitive(const Point3d& end1, const Point3d& end2, const Color& color, int width, int numDashes,
                        bool startBlank, unsigned int id);
    /// A colour per end.
    DashedLinePrimitive(const Point3d& end1, const Color& color1, const Point3d& end2, const Color& color2,
                        int width, int numDashes, bool startBlank, unsigned int id);
    /// Copies.
    ///@{
    DashedLinePrimitive(const DashedLinePrimitive&) = default;
    DashedLinePrimitive& operator=(const DashedLinePrimitive&) = default;
    ///@}
    ~DashedLinePrimitive() override;

    /// The number of dashes.
    ///@{
    int GetNumDashes() const { return m_numDashes; }
    void SetNumDashes(int n) { m_numDashes = n; }
    ///@}
    /// Whether the line begins with a gap.
    ///@{
    bool GetStartBlank() const { return m_startBlank; }
    void SetStartBlank(bool startBlank) { m_startBlank = startBlank; }
    ///@}

    /// The line's form, the number of dashes (32 bits), the start-blank flag
    /// as one byte (any nonzero byte reads true).
    void Serialize(CArchive& ar);

private:
    std::int32_t m_numDashes = 10;
    bool m_startBlank = false;
};

/// The lines of a LineArrayPrimitive.
typedef CArray<LinePrimitive, const LinePrimitive&> LinePrimitiveArray;

/// Many lines drawn with one style.
///
/// \valuethreads
class ORVCORE_API LineArrayPrimitive : public UnlitPrimitive
{
public:
    /// No lines, width 1, solid, dash pattern 0xFF00.
    LineArrayPrimitive();
    /// Copies of lines drawn with the given width and dash style.
    LineArrayPrimitive(float lineWidth, const LinePrimitiveArray& lines, bool dashed, unsigned short dashPattern);
    /// Copies.
    ///@{
    LineArrayPrimitive(const LineArrayPrimitive&) = default;
    LineArrayPrimitive& operator=(const LineArrayPrimitive&) = default;
    ///@}
    ~LineArrayPrimitive() override;

    /// Every line is transformed as a line is.
    virtual void Transform(const Matrix4x4& matrix);

    /// The lines; the setter copies them.
    ///@{
    LinePrimitiveArray& GetLineArray() { return m_lines; }
    const LinePrimitiveArray& GetLineArray() const { return m_lines; }
    void SetLineArray(const LinePrimitiveArray& lines) { m_lines.Copy(lines); }
    ///@}
    /// The width of every line.
    ///@{
    float GetLineWidth() const { return m_lineWidth; }
    void SetLineWidth(float width) { m_lineWidth = width; }
    ///@}
    /// Whether the lines are dashed.
    ///@{
    bool GetDashed() const { return m_dashed; }
    void SetDashed(bool dashed) { m_dashed = dashed; }
    ///@}
    /// The 16-bit dash pattern.
    ///@{
    unsigned short GetDashPattern() const { return m_dashPattern; }
    void SetDashPattern(unsigned short pattern) { m_dashPattern = pattern; }
    ///@}

    /// Identifier, line count (signed 32-bit) and each line, line width;
    /// from schema 13 on (compared unsigned, so an archive without a schema
    /// counts as new) the dashed flag as a 32-bit value that reads true only
    /// when it is exactly 1, and the 16-bit dash pattern.
    void Serialize(CArchive& ar);

private:
    float m_lineWidth = 1.0f;
    bool m_dashed = false;
    WORD m_dashPattern = 0xFF00;
    LinePrimitiveArray m_lines;
};

/// A circular arc, kept both as its parameters and as the polyline that the
/// constructor generates from them: the start point and, for each segment,
/// the previous point turned by angle / segments about the normal through the
/// centre. The setters change only the parameters.
///
/// \valuethreads
class ORVCORE_API ArcPrimitive : public UnlitPrimitive
{
public:
    /// An empty arc: no points, angle 0.
    ArcPrimitive() = default;
    /// The arc about center in the plane of the given normal, from start through
    /// degrees (positive: counter-clockwise seen from the normal's tip), as
    /// numSegments segments; with numSegments 0 or less the polyline is the start alone.
    ArcPrimitive(const Point3d& center, const Point3d& normal, const Point3d& start, double degrees, int numSegments,
                 const Color& color, int width, unsigned int id = 0);
    /// Copies.
    ///@{
    ArcPrimitive(const ArcPrimitive&) = default;
    ArcPrimitive& operator=(const ArcPrimitive&) = default;
    ///@}
    ~ArcPrimitive() override;

    /// Moves the centre, the start and every point of the polyline; the normal
    /// turns with the matrix as a direction and is made unit length again.
    virtual void Transform(const Matrix4x4& matrix);

    /// The centre.
    ///@{
    const Point3d& GetCenter() const { return m_center; }
    void SetCenter(const Point3d& p) { m_center = p; }
    ///@}
    /// The normal of the arc's plane.
    ///@{
    const Point3d& GetNormal() const { return m_normal; }
    void SetNormal(const Point3d& n) { m_normal = n; }
    ///@}
    /// The start point.
    ///@{
    const Point3d& GetStart() const { return m_start; }
    void SetStart(const Point3d& p) { m_start = p; }
    ///@}
    /// The arc's angle in degrees (kept as a float).
    ///@{
    double GetAngle() const { return m_angle; }
    void SetAngle(double degrees) { m_angle = static_cast<float>(degrees); }
    ///@}
    /// The number of segments.
    ///@{
    int GetNumSegments() const { return m_numSegments; }
    void SetNumSegments(int n) { m_numSegments = n; }
    ///@}
    /// The colour.
    ///@{
    Color GetColor() const { return m_color; }
    void SetColor(const Color& c) { m_color = c; }
    ///@}
    /// The width in pixels.
    ///@{
    int GetWidth() const { return m_width; }
    void SetWidth(int width) { m_width = width; }
    ///@}
    /// Number of points of the polyline.
    int GetNumPoints() const { return m_points.GetSize(); }
    /// The index must lie in range.
    ///@{
    Point3d& GetPointAt(int i) { return m_points[i]; }
    const Point3d& GetPointAt(int i) const { return m_points[i]; }
    ///@}

    /// Identifier, centre, normal, start, colour (all four channels), the
    /// points as a count and one block of floats, angle, segments, width.
    void Serialize(CArchive& ar);

private:
    Point3d m_center;
    Point3d m_normal;
    Point3d m_start;
    float m_angle = 0.0f;
    std::int32_t m_numSegments = 0;
    Color m_color;
    std::int32_t m_width = 0;
    Point3d::Array m_points;
};

} // namespace Orvane
