#pragma once

/// \file
/// IconPrimitive, a marker drawn with a registered icon shape.
#include "orvcore/graphics/primitives/PointPrimitives.h"

namespace Orvane {

/// A marker drawn at a point with the shape registered under its icon
/// identifier. The flags tell the renderer whether the icon keeps its size
/// and orientation on screen, and whether the primitive's own colour applies.
///
/// \valuethreads
class ORVCORE_API IconPrimitive : public UnlitPointPrimitive
{
public:
    /// An icon at the origin with icon identifier 0, no flags set and scale 1.
    IconPrimitive() = default;
    /// Note the order: rotation invariance before scale invariance. Giving a
    /// colour sets the use-colour flag.
    IconPrimitive(const Point3d& position, unsigned int iconID, bool rotationInvariant, bool scaleInvariant,
                  const Color& color, unsigned int id);
    /// Without a colour: the point is black and the use-colour flag stays clear.
    IconPrimitive(const Point3d& position, unsigned int iconID, bool rotationInvariant, bool scaleInvariant,
                  unsigned int id);
    /// Copies.
    ///@{
    IconPrimitive(const IconPrimitive&) = default;
    IconPrimitive& operator=(const IconPrimitive&) = default;
    ///@}
    ~IconPrimitive() override;

    /// The point's form, then the icon identifier, the rotation-invariant,
    /// scale-invariant and use-colour flags (32 bits each, nonzero reads
    /// true) and the icon scale as a double.
    virtual void Serialize(CArchive& ar);

    /// The identifier of the icon shape in the IconLibrary.
    ///@{
    unsigned int GetIconID() const { return m_iconID; }
    void SetIconID(unsigned int iconID) { m_iconID = iconID; }
    ///@}
    /// Whether the icon keeps its orientation on screen.
    ///@{
    bool GetRotationInvariant() const { return m_rotationInvariant; }
    void SetRotationInvariant(bool v) { m_rotationInvariant = v; }
    ///@}
    /// Whether the icon keeps its size on screen.
    ///@{
    bool GetScaleInvariant() const { return m_scaleInvariant; }
    void SetScaleInvariant(bool v) { m_scaleInvariant = v; }
    ///@}
    /// Whether the primitive's own colour applies.
    ///@{
    bool GetUseColor() const { return m_useColor; }
    void SetUseColor(bool v) { m_useColor = v; }
    ///@}
    /// The icon's scale factor (1 by default).
    ///@{
    double GetIconScale() const { return m_iconScale; }
    void SetIconScale(double scale) { m_iconScale = scale; }
    ///@}

private:
    std::uint32_t m_iconID = 0;
    bool m_scaleInvariant = false;
    bool m_rotationInvariant = false;
    bool m_useColor = false;
    double m_iconScale = 1.0;
};

} // namespace Orvane
