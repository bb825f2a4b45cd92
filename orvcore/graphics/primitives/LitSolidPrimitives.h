#pragma once

#include "orvcore/graphics/primitives/GraphicsPrimitive.h"
#include "orvcore/geometry/Matrix4x4.h"

/// \file
/// The lit solids. Each archive form starts with the lit form (identifier,
/// material, representation). Documents before schema 7, and archives without
/// a schema, have no representation word: storing under such a schema leaves
/// the representation out, and loading keeps the one the primitive had. No
/// other field depends on the schema except through the points (doubles up to
/// schema 6 and without a schema, floats from 7 on).

namespace Orvane {

/// A sphere: a centre with its colour, and a radius.
///
/// \valuethreads
class ORVCORE_API SpherePrimitive : public LitPrimitive
{
public:
    /// A black sphere of radius 0 at the origin.
    SpherePrimitive() = default;
    /// A sphere of the given centre, radius (kept as a float), colour and identifier.
    SpherePrimitive(const Point3d& center, double radius, const Color& color, unsigned int id = 0);
    /// Copies.
    ///@{
    SpherePrimitive(const SpherePrimitive&) = default;
    SpherePrimitive& operator=(const SpherePrimitive&) = default;
    ///@}
    ~SpherePrimitive() override;

    /// Moves the centre; the radius stays.
    virtual void Transform(const Matrix4x4& matrix);

    /// The centre.
    ///@{
    const Point3d& GetCenter() const { return m_center.GetPoint(); }
    void SetCenter(const Point3d& center) { m_center.SetPoint(center); }
    ///@}
    /// The radius (kept as a float).
    ///@{
    double GetRadius() const { return m_radius; }
    void SetRadius(double radius) { m_radius = static_cast<float>(radius); }
    ///@}
    /// The colour; a non-zero alpha makes the sphere transparent.
    ///@{
    Color GetColor() const { return m_center.GetColor(); }
    void SetColor(const Color& color) { m_center.SetColor(color); }
    ///@}
    /// Transparent when the colour's alpha is not 0.
    bool IsTransparent() const { return GetColor().GetA() > 0; }

    /// The lit form, the centre as a vertex (colour with alpha cleared), the radius as a float.
    void Serialize(CArchive& ar);

private:
    Vertex m_center;
    float m_radius = 0.0f;
};

/// An ellipsoid: a centre with its colour, three extents and the matrix that
/// the renderer applies to its shape.
///
/// \valuethreads
class ORVCORE_API EllipsoidPrimitive : public LitPrimitive
{
public:
    /// A black ellipsoid at the origin with extents (0, 0, 0) and the identity as shape matrix.
    EllipsoidPrimitive();
    /// An ellipsoid of the given centre, extents, shape matrix, colour and identifier.
    EllipsoidPrimitive(const Point3d& center, const Point3d& size, const Matrix4x4& matrix, const Color& color,
                       unsigned int id = 0);
    /// Copies.
    ///@{
    EllipsoidPrimitive(const EllipsoidPrimitive&) = default;
    EllipsoidPrimitive& operator=(const EllipsoidPrimitive&) = default;
    ///@}
    ~EllipsoidPrimitive() override;

    /// Moves the centre; size and shape matrix stay.
    virtual void Transform(const Matrix4x4& matrix);

    /// The centre.
    ///@{
    const Point3d& GetCenter() const { return m_center.GetPoint(); }
    void SetCenter(const Point3d& center) { m_center.SetPoint(center); }
    ///@}
    /// The three extents.
    ///@{
    const Point3d& GetSize() const { return m_size; }
    void SetSize(const Point3d& size) { m_size = size; }
    ///@}
    /// The matrix the renderer applies to the shape.
    ///@{
    const Matrix4x4& GetMatrix() const { return m_matrix; }
    void SetMatrix(const Matrix4x4& matrix) { m_matrix = matrix; }
    ///@}
    /// The colour.
    ///@{
    Color GetColor() const { return m_center.GetColor(); }
    void SetColor(const Color& color) { m_center.SetColor(color); }
    ///@}
    /// Transparent when the colour's alpha is not 0.
    bool IsTransparent() const { return GetColor().GetA() > 0; }

    /// The lit form, the centre as a vertex (colour with alpha cleared), the extents
    /// as a point, the shape matrix (16 doubles).
    void Serialize(CArchive& ar);

private:
    Vertex m_center;
    Point3d m_size;
    Matrix4x4 m_matrix;
};

/// A cylinder between two coloured ends. Besides its own identifier it
/// carries those of the objects at its two ends; neither they nor the capped
/// flag are archived, so a loaded cylinder's end identifiers are 0. Its pick
/// dots (DisplayList3D::GetPickDots) are its ends, with the end identifiers,
/// and its middle, with its own; with its own identifier 0 it gives none, so a
/// bond that is to be picked needs an identifier of its own.
///
/// \valuethreads
class ORVCORE_API CylinderPrimitive : public LitPrimitive
{
public:
    /// A black cylinder of radius 0 at the origin, capped, identifiers 0.
    CylinderPrimitive() = default;
    /// The identifier also becomes both end identifiers.
    CylinderPrimitive(const Point3d& end1, const Color& color1, const Point3d& end2, const Color& color2,
                      double radius, unsigned int id = 0);
    /// A cylinder with its own identifier and one per end.
    CylinderPrimitive(const Point3d& end1, const Color& color1, const Point3d& end2, const Color& color2,
                      double radius, unsigned int id, unsigned int end1ID, unsigned int end2ID);
    /// Copies.
    ///@{
    CylinderPrimitive(const CylinderPrimitive&) = default;
    CylinderPrimitive& operator=(const CylinderPrimitive&) = default;
    ///@}
    ~CylinderPrimitive() override;

    /// Rotation about the axis through `point` (or through the origin), in
    /// degrees; both go through Transform.
    virtual void Rotate(const Point3d& axis, const Point3d& point, double degrees);
    /// The same about an axis through the origin.
    virtual void Rotate(const Point3d& axis, double degrees);
    /// Both ends become their images; the radius stays.
    virtual void Transform(const Matrix4x4& matrix);
    /// Moves both ends by offset.
    virtual void Translate(const Point3d& offset);

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
    /// The colour at end 1; it decides transparency.
    ///@{
    Color GetColor1() const { return m_end1.GetColor(); }
    void SetColor1(const Color& c) { m_end1.SetColor(c); }
    ///@}
    /// The colour at end 2.
    ///@{
    Color GetColor2() const { return m_end2.GetColor(); }
    void SetColor2(const Color& c) { m_end2.SetColor(c); }
    ///@}
    /// The radius (kept as a float).
    ///@{
    double GetRadius() const { return m_radius; }
    void SetRadius(double radius) { m_radius = static_cast<float>(radius); }
    ///@}
    /// The identifier of the object at end 1.
    ///@{
    unsigned int GetEnd1ID() const { return m_end1ID; }
    void SetEnd1ID(unsigned int id) { m_end1ID = id; }
    ///@}
    /// The identifier of the object at end 2.
    ///@{
    unsigned int GetEnd2ID() const { return m_end2ID; }
    void SetEnd2ID(unsigned int id) { m_end2ID = id; }
    ///@}
    /// Whether the ends are closed (true by default).
    ///@{
    bool GetIsCapped() const { return m_capped; }
    void SetIsCapped(bool capped) { m_capped = capped; }
    ///@}
    /// Sets the identifier and both end identifiers.
    void SetID(unsigned int id);
    /// Decided by the first end's colour.
    bool IsTransparent() const { return GetColor1().GetA() > 0; }

    /// The lit form, both ends as vertices (colours with alpha cleared), the radius as a float.
    void Serialize(CArchive& ar);

private:
    Vertex m_end1;
    Vertex m_end2;
    float m_radius = 0.0f;
    std::uint32_t m_end1ID = 0;
    std::uint32_t m_end2ID = 0;
    bool m_capped = true;
};

/// A cone from its base (with a radius) to its tip.
///
/// \valuethreads
class ORVCORE_API ConePrimitive : public LitPrimitive
{
public:
    /// A black cone of radius 0 at the origin.
    ConePrimitive() = default;
    /// A cone of the given base, tip, colour, base radius (kept as a float) and identifier.
    ConePrimitive(const Point3d& base, const Point3d& tip, const Color& color, double radius, unsigned int id = 0);
    /// Copies.
    ///@{
    ConePrimitive(const ConePrimitive&) = default;
    ConePrimitive& operator=(const ConePrimitive&) = default;
    ///@}
    ~ConePrimitive() override;

    /// Base and tip become their images; the radius stays.
    virtual void Transform(const Matrix4x4& matrix);

    /// The centre of the base.
    ///@{
    const Point3d& GetBase() const { return m_base; }
    void SetBase(const Point3d& p) { m_base = p; }
    ///@}
    /// The tip.
    ///@{
    const Point3d& GetTip() const { return m_tip; }
    void SetTip(const Point3d& p) { m_tip = p; }
    ///@}
    /// The colour.
    ///@{
    Color GetColor() const { return m_color; }
    void SetColor(const Color& c) { m_color = c; }
    ///@}
    /// The base radius (kept as a float).
    ///@{
    double GetRadius() const { return m_radius; }
    void SetRadius(double radius) { m_radius = static_cast<float>(radius); }
    ///@}

    /// The colour is archived whole, alpha included.
    void Serialize(CArchive& ar);

private:
    Point3d m_base;
    Point3d m_tip;
    Color m_color;
    float m_radius = 0.0f;
};

/// One flat triangle with a caller-given facet normal (never computed).
///
/// \valuethreads
class ORVCORE_API TrianglePrimitive : public LitPrimitive
{
public:
    /// A black triangle of three points at the origin with a zero normal.
    TrianglePrimitive() = default;
    /// A triangle of the three corners, the facet normal, colour and identifier.
    TrianglePrimitive(const Point3d& end1, const Point3d& end2, const Point3d& end3, const Point3d& normal,
                      const Color& color, unsigned int id = 0);
    /// Copies.
    ///@{
    TrianglePrimitive(const TrianglePrimitive&) = default;
    TrianglePrimitive& operator=(const TrianglePrimitive&) = default;
    ///@}
    ~TrianglePrimitive() override;

    /// Moves the corners; the normal stays as given.
    virtual void Transform(const Matrix4x4& matrix);

    /// Corner 1.
    ///@{
    const Point3d& GetEnd1() const { return m_end[0]; }
    void SetEnd1(const Point3d& p) { m_end[0] = p; }
    ///@}
    /// Corner 2.
    ///@{
    const Point3d& GetEnd2() const { return m_end[1]; }
    void SetEnd2(const Point3d& p) { m_end[1] = p; }
    ///@}
    /// Corner 3.
    ///@{
    const Point3d& GetEnd3() const { return m_end[2]; }
    void SetEnd3(const Point3d& p) { m_end[2] = p; }
    ///@}
    /// The facet normal, as given.
    ///@{
    const Point3d& GetNormal() const { return m_normal; }
    void SetNormal(const Point3d& n) { m_normal = n; }
    ///@}
    /// The colour.
    ///@{
    Color GetColor() const { return m_color; }
    void SetColor(const Color& c) { m_color = c; }
    ///@}

    /// Corners and normal; colour and identifier are not compared.
    bool operator==(const TrianglePrimitive& other) const;
    /// Not operator==.
    bool operator!=(const TrianglePrimitive& other) const { return !(*this == other); }

    /// Three vertices, each with the triangle's colour (alpha cleared), then
    /// the normal; loading takes the colour from the first vertex.
    void Serialize(CArchive& ar);

private:
    Point3d m_end[3];
    Point3d m_normal;
    Color m_color;
};

} // namespace Orvane
