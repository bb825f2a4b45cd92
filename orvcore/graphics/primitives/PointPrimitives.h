#pragma once

#include "orvcore/graphics/primitives/GraphicsPrimitive.h"

namespace Orvane {

/// A coloured point drawn without lighting; also the base of dots, 3D text
/// and icons.
class ORVCORE_API UnlitPointPrimitive : public UnlitPrimitive
{
public:
    UnlitPointPrimitive() = default;
    UnlitPointPrimitive(const Point3d& point, const Color& color, unsigned int id = 0);
    UnlitPointPrimitive(const UnlitPointPrimitive&) = default;
    UnlitPointPrimitive& operator=(const UnlitPointPrimitive&) = default;
    ~UnlitPointPrimitive() override;

    /// The point becomes its image.
    virtual void Transform(const Matrix4x4& matrix);

    const Point3d& GetCoord() const { return m_point.GetPoint(); }
    void SetCoord(const Point3d& p) { m_point.SetPoint(p); }
    Color GetColor() const { return m_point.GetColor(); }
    void SetColor(const Color& c) { m_point.SetColor(c); }

    /// Identifier, then the point as a vertex (colour with alpha cleared).
    void Serialize(CArchive& ar);

private:
    Vertex m_point;
};

/// A point with a width; the display list's pick points are dots too.
class ORVCORE_API DotPrimitive : public UnlitPointPrimitive
{
public:
    DotPrimitive() = default;
    DotPrimitive(const Point3d& point, const Color& color, int width, unsigned int id = 0);
    DotPrimitive(const DotPrimitive&) = default;
    DotPrimitive& operator=(const DotPrimitive&) = default;
    ~DotPrimitive() override;

    int GetWidth() const { return m_width; }
    void SetWidth(int width) { m_width = width; }

    /// The point's form, then the width as 32 bits.
    void Serialize(CArchive& ar);

private:
    std::int32_t m_width = 1;
};

} // namespace Orvane
