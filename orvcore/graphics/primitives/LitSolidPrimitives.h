#pragma once

#include "orvcore/graphics/primitives/GraphicsPrimitive.h"
#include "orvcore/geometry/Matrix4x4.h"

namespace Orvane {

/// A sphere: a centre with its colour, and a radius.
class ORVCORE_API SpherePrimitive : public LitPrimitive
{
public:
    SpherePrimitive() = default;
    SpherePrimitive(const Point3d& center, double radius, const Color& color, unsigned int id = 0);
    SpherePrimitive(const SpherePrimitive&) = default;
    SpherePrimitive& operator=(const SpherePrimitive&) = default;
    ~SpherePrimitive() override;

    virtual void Transform(const Matrix4x4& matrix);

    const Point3d& GetCenter() const { return m_center.GetPoint(); }
    void SetCenter(const Point3d& center) { m_center.SetPoint(center); }
    double GetRadius() const { return m_radius; }
    void SetRadius(double radius) { m_radius = static_cast<float>(radius); }
    Color GetColor() const { return m_center.GetColor(); }
    void SetColor(const Color& color) { m_center.SetColor(color); }
    /// Transparent when the colour's alpha is not 0.
    bool IsTransparent() const { return GetColor().GetA() > 0; }

    void Serialize(CArchive& ar);

private:
    Vertex m_center;
    float m_radius = 0.0f;
};

/// An ellipsoid: a centre with its colour, three extents and the matrix that
/// the renderer applies to its shape.
class ORVCORE_API EllipsoidPrimitive : public LitPrimitive
{
public:
    EllipsoidPrimitive();
    EllipsoidPrimitive(const Point3d& center, const Point3d& size, const Matrix4x4& matrix, const Color& color,
                       unsigned int id = 0);
    EllipsoidPrimitive(const EllipsoidPrimitive&) = default;
    EllipsoidPrimitive& operator=(const EllipsoidPrimitive&) = default;
    ~EllipsoidPrimitive() override;

    /// Moves the centre; size and shape matrix stay.
    virtual void Transform(const Matrix4x4& matrix);

    const Point3d& GetCenter() const { return m_center.GetPoint(); }
    void SetCenter(const Point3d& center) { m_center.SetPoint(center); }
    const Point3d& GetSize() const { return m_size; }
    void SetSize(const Point3d& size) { m_size = size; }
    const Matrix4x4& GetMatrix() const { return m_matrix; }
    void SetMatrix(const Matrix4x4& matrix) { m_matrix = matrix; }
    Color GetColor() const { return m_center.GetColor(); }
    void SetColor(const Color& color) { m_center.SetColor(color); }
    bool IsTransparent() const { return GetColor().GetA() > 0; }

    void Serialize(CArchive& ar);

private:
    Vertex m_center;
    Point3d m_size;
    Matrix4x4 m_matrix;
};

/// A cylinder between two coloured ends. Besides its own identifier it
/// carries those of the objects at its two ends; neither they nor the capped
/// flag are archived.
class ORVCORE_API CylinderPrimitive : public LitPrimitive
{
public:
    CylinderPrimitive() = default;
    /// The identifier also becomes both end identifiers.
    CylinderPrimitive(const Point3d& end1, const Color& color1, const Point3d& end2, const Color& color2,
                      double radius, unsigned int id = 0);
    CylinderPrimitive(const Point3d& end1, const Color& color1, const Point3d& end2, const Color& color2,
                      double radius, unsigned int id, unsigned int end1ID, unsigned int end2ID);
    CylinderPrimitive(const CylinderPrimitive&) = default;
    CylinderPrimitive& operator=(const CylinderPrimitive&) = default;
    ~CylinderPrimitive() override;

    /// Rotation about the axis through `point` (or through the origin), in
    /// degrees; both go through Transform.
    virtual void Rotate(const Point3d& axis, const Point3d& point, double degrees);
    virtual void Rotate(const Point3d& axis, double degrees);
    virtual void Transform(const Matrix4x4& matrix);
    virtual void Translate(const Point3d& offset);

    const Point3d& GetEnd1() const { return m_end1.GetPoint(); }
    void SetEnd1(const Point3d& p) { m_end1.SetPoint(p); }
    const Point3d& GetEnd2() const { return m_end2.GetPoint(); }
    void SetEnd2(const Point3d& p) { m_end2.SetPoint(p); }
    Color GetColor1() const { return m_end1.GetColor(); }
    void SetColor1(const Color& c) { m_end1.SetColor(c); }
    Color GetColor2() const { return m_end2.GetColor(); }
    void SetColor2(const Color& c) { m_end2.SetColor(c); }
    double GetRadius() const { return m_radius; }
    void SetRadius(double radius) { m_radius = static_cast<float>(radius); }
    unsigned int GetEnd1ID() const { return m_end1ID; }
    void SetEnd1ID(unsigned int id) { m_end1ID = id; }
    unsigned int GetEnd2ID() const { return m_end2ID; }
    void SetEnd2ID(unsigned int id) { m_end2ID = id; }
    bool GetIsCapped() const { return m_capped; }
    void SetIsCapped(bool capped) { m_capped = capped; }
    /// Sets the identifier and both end identifiers.
    void SetID(unsigned int id);
    /// Decided by the first end's colour.
    bool IsTransparent() const { return GetColor1().GetA() > 0; }

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
class ORVCORE_API ConePrimitive : public LitPrimitive
{
public:
    ConePrimitive() = default;
    ConePrimitive(const Point3d& base, const Point3d& tip, const Color& color, double radius, unsigned int id = 0);
    ConePrimitive(const ConePrimitive&) = default;
    ConePrimitive& operator=(const ConePrimitive&) = default;
    ~ConePrimitive() override;

    virtual void Transform(const Matrix4x4& matrix);

    const Point3d& GetBase() const { return m_base; }
    void SetBase(const Point3d& p) { m_base = p; }
    const Point3d& GetTip() const { return m_tip; }
    void SetTip(const Point3d& p) { m_tip = p; }
    Color GetColor() const { return m_color; }
    void SetColor(const Color& c) { m_color = c; }
    double GetRadius() const { return m_radius; }
    void SetRadius(double radius) { m_radius = static_cast<float>(radius); }

    /// The colour is archived whole, alpha included.
    void Serialize(CArchive& ar);

private:
    Point3d m_base;
    Point3d m_tip;
    Color m_color;
    float m_radius = 0.0f;
};

/// One flat triangle with a caller-given facet normal (never computed).
class ORVCORE_API TrianglePrimitive : public LitPrimitive
{
public:
    TrianglePrimitive() = default;
    TrianglePrimitive(const Point3d& end1, const Point3d& end2, const Point3d& end3, const Point3d& normal,
                      const Color& color, unsigned int id = 0);
    TrianglePrimitive(const TrianglePrimitive&) = default;
    TrianglePrimitive& operator=(const TrianglePrimitive&) = default;
    ~TrianglePrimitive() override;

    /// Moves the corners; the normal stays as given.
    virtual void Transform(const Matrix4x4& matrix);

    const Point3d& GetEnd1() const { return m_end[0]; }
    void SetEnd1(const Point3d& p) { m_end[0] = p; }
    const Point3d& GetEnd2() const { return m_end[1]; }
    void SetEnd2(const Point3d& p) { m_end[1] = p; }
    const Point3d& GetEnd3() const { return m_end[2]; }
    void SetEnd3(const Point3d& p) { m_end[2] = p; }
    const Point3d& GetNormal() const { return m_normal; }
    void SetNormal(const Point3d& n) { m_normal = n; }
    Color GetColor() const { return m_color; }
    void SetColor(const Color& c) { m_color = c; }

    /// Corners and normal; colour and identifier are not compared.
    bool operator==(const TrianglePrimitive& other) const;
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
