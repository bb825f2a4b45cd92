#pragma once

/// \file
/// LightSource, one light of a view.
#include "orvcore/Export.h"
#include "orvcore/color/Color.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/geometry/Point3d.h"

namespace Orvane {

/// One light of a view: a position, a colour and whether it is on. A default
/// light sits at (0, 0, 1), white and off.
///
/// \valuethreads
class ORVCORE_API LightSource
{
public:
    /// A white light at (0, 0, 1), off.
    LightSource();
    /// A light of the given position, colour and state.
    LightSource(const Point3d& position, const Color& color, bool enabled);
    /// Copies.
    ///@{
    LightSource(const LightSource& other);
    LightSource& operator=(const LightSource& other);
    ///@}
    /// Destroys the light.
    virtual ~LightSource();

    /// The position.
    ///@{
    const Point3d& GetPosition() const { return m_position; }
    void SetPosition(const Point3d& position) { m_position = position; }
    ///@}
    /// The colour.
    ///@{
    Color GetColor() const { return m_color; }
    void SetColor(const Color& color) { m_color = color; }
    ///@}
    /// Whether the light is on.
    ///@{
    bool GetEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    ///@}

    /// Colour (4 bytes), position (the point's archive form), enabled (one
    /// byte). Documents older than schema 7 hold no lights (compared
    /// unsigned, so an archive without a schema holds them): under such a
    /// schema nothing is stored, and loading keeps the light as it is.
    void Serialize(CArchive& ar);

private:
    Point3d m_position;
    Color m_color;
    bool m_enabled;
};

} // namespace Orvane
