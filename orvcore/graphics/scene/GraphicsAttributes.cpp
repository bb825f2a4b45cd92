#include "orvcore/graphics/scene/GraphicsAttributes.h"

#include "orvcore/core/ArchiveFields.h"
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"

namespace Orvane {

namespace {

// The smallest stored light: colour, three float coordinates, enabled byte.
const ULONGLONG kMinimumLightBytes = 4 + 3 * 4 + 1;

} // namespace

GraphicsAttributes::GraphicsAttributes()
    : m_viewSize(18.0f), m_quality(0), m_projection(0), m_fog(0), m_stereo(0), m_stereoAngle(3.5f),
      m_stereoSeparationFactor(1.0f), m_stereoSkewFactor(1.0f), m_perspectiveAngle(45.0f),
      m_bkColor(Color::Black()), m_lineWidth(1.6f), m_fontScale(1.0f), m_fastRender(1), m_zFarAdj(0.0f),
      m_zNearAdj(0.0f)
{
}

GraphicsAttributes::GraphicsAttributes(const GraphicsAttributes& other) = default;
GraphicsAttributes& GraphicsAttributes::operator=(const GraphicsAttributes& other) = default;
GraphicsAttributes::~GraphicsAttributes() = default;

const LightSource GraphicsAttributes::GetLight(int index) const
{
    if (index < 0 || index >= NumLights)
        return LightSource();
    return m_lights[index];
}

void GraphicsAttributes::SetLight(int index, const LightSource& light)
{
    if (index >= 0 && index < NumLights)
        m_lights[index] = light;
}

void GraphicsAttributes::Serialize(CArchive& ar)
{
    ArchiveFields::Value(ar, m_bkColor);
    // Compared unsigned: an archive without a schema holds the settings.
    if (!SchemaAboveUnsigned(ar, 6))
        return;
    if (ar.IsStoring()) {
        ar << static_cast<int>(NumLights);
        for (LightSource& light : m_lights)
            light.Serialize(ar);
    } else {
        LoadLights(ar);
    }
    // The archive's order differs from the record's: perspective angle, line
    // width, font scale and fast render come before the stereo factors.
    ArchiveFields::Value(ar, m_viewSize, m_quality, m_projection, m_fog, m_stereo, m_stereoAngle, m_perspectiveAngle,
                         m_lineWidth, m_fontScale, m_fastRender, m_stereoSeparationFactor, m_stereoSkewFactor);
    m_matrix.Serialize(ar);
    ArchiveFields::Value(ar, m_zFarAdj, m_zNearAdj);
}

// A stored record may hold more lights than a view has (the extra ones are
// read and dropped) or fewer (the rest keep their values); a count of 0 or
// less reads none. A count the archive cannot hold is damage.
void GraphicsAttributes::LoadLights(CArchive& ar)
{
    int count = 0;
    ar >> count;
    if (count <= 0)
        return;
    ar.RequireAvailable(static_cast<ULONGLONG>(count) * kMinimumLightBytes);
    for (int i = 0; i < count; ++i) {
        LightSource light;
        light.Serialize(ar);
        if (i < NumLights)
            m_lights[i] = light;
    }
}

} // namespace Orvane
