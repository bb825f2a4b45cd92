#include "orvcore/graphics/scene/LightSource.h"

#include "orvcore/core/ArchiveFields.h"
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"

namespace Orvane {

LightSource::LightSource() : m_position(0.0, 0.0, 1.0), m_color(Color::White()), m_enabled(false)
{
}

LightSource::LightSource(const Point3d& position, const Color& color, bool enabled)
    : m_position(position), m_color(color), m_enabled(enabled)
{
}

LightSource::LightSource(const LightSource& other) = default;
LightSource& LightSource::operator=(const LightSource& other) = default;
LightSource::~LightSource() = default;

void LightSource::Serialize(CArchive& ar)
{
    // Compared unsigned: an archive without a schema holds the light.
    if (!SchemaAboveUnsigned(ar, 6))
        return;
    ArchiveFields::Value(ar, m_color, m_position);
    ArchiveFields::FlagByte(ar, m_enabled);
}

} // namespace Orvane
