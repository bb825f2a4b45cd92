#include "orvcore/graphics/primitives/IconPrimitive.h"

namespace Orvane {

IconPrimitive::IconPrimitive(const Point3d& position, unsigned int iconID, bool rotationInvariant,
                             bool scaleInvariant, const Color& color, unsigned int id)
    : UnlitPointPrimitive(position, color, id), m_iconID(iconID), m_scaleInvariant(scaleInvariant),
      m_rotationInvariant(rotationInvariant), m_useColor(true)
{
}

IconPrimitive::IconPrimitive(const Point3d& position, unsigned int iconID, bool rotationInvariant,
                             bool scaleInvariant, unsigned int id)
    : UnlitPointPrimitive(position, Color(), id), m_iconID(iconID), m_scaleInvariant(scaleInvariant),
      m_rotationInvariant(rotationInvariant)
{
}

IconPrimitive::~IconPrimitive() = default;

void IconPrimitive::Serialize(CArchive& ar)
{
    UnlitPointPrimitive::Serialize(ar);
    if (ar.IsStoring()) {
        ar << static_cast<unsigned int>(m_iconID);
        StoreFlag32(ar, m_rotationInvariant);
        StoreFlag32(ar, m_scaleInvariant);
        StoreFlag32(ar, m_useColor);
        ar << m_iconScale;
        return;
    }
    int rotationInvariant = 0, scaleInvariant = 0, useColor = 0;
    ar >> m_iconID >> rotationInvariant >> scaleInvariant >> useColor >> m_iconScale;
    m_rotationInvariant = rotationInvariant != 0;
    m_scaleInvariant = scaleInvariant != 0;
    m_useColor = useColor != 0;
}

} // namespace Orvane
