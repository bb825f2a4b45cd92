#pragma once

/// \file
/// UnlitPointPrimitive and DotPrimitive.
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"

namespace Orvane {

/// A coloured point drawn without lighting; also the base of dots, 3D text
/// and icons.
///
/// \valuethreads
class ORVCORE_API UnlitPointPrimitive : public UnlitPrimitive
{
public:
    /// A black point at the origin with identifier 0.
    UnlitPointPrimitive() = default;
    /// A point of the given colour and identifier.
    UnlitPointPrimitive(const Point3d& point, const Color& color, unsigned int id = 0);
    /// Copies.
    ///@{
    UnlitPointPrimitive(const UnlitPointPrimitive&) = default;
    UnlitPointPrimitive& operator=(const UnlitPointPrimitive&) = default;
    ///@}
    ~UnlitPointPrimitive() override;

    /// The point becomes its image.
    virtual void Transform(const Matrix4x4& matrix);

    /// The point.
    ///@{
    const Point3d& GetCoord() const { return m_point.GetPoint(); }
    void SetCoord(const Point3d& p) { m_point.SetPoint(p); }
    ///@}
    /// The point's colour.
    ///@{
    Color GetColor() const { return m_point.GetColor(); }
    void SetColor(const Color& c) { m_point.SetColor(c); }
    ///@}

    /// Identifier, then the point as a vertex (colour with alpha cleared).
    void Serialize(CArchive& ar);

private:
    Vertex m_point;
};

/// A point with a width; the display list's pick points are dots too.
///
/// \valuethreads
class ORVCORE_API DotPrimitive : public UnlitPointPrimitive
{
public:
    /// A black dot of width 1 at the origin.
    DotPrimitive() = default;
    /// A dot of the given colour, width and identifier.
    DotPrimitive(const Point3d& point, const Color& color, int width, unsigned int id = 0);
    /// Copies.
    ///@{
    DotPrimitive(const DotPrimitive&) = default;
    DotPrimitive& operator=(const DotPrimitive&) = default;
    ///@}
    ~DotPrimitive() override;

    /// The dot's width in pixels.
    ///@{
    int GetWidth() const { return m_width; }
    void SetWidth(int width) { m_width = width; }
    ///@}

    /// The point's form, then the width as 32 bits.
    void Serialize(CArchive& ar);

private:
    std::int32_t m_width = 1;
};

} // namespace Orvane
