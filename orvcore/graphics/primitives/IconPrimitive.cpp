#include "orvcore/graphics/primitives/IconPrimitive.h"

#include "orvcore/core/ArchiveFields.h"

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
    ArchiveFields::Value(ar, m_iconID);
    ArchiveFields::FlagNonZero(ar, m_rotationInvariant);
    ArchiveFields::FlagNonZero(ar, m_scaleInvariant);
    ArchiveFields::FlagNonZero(ar, m_useColor);
    ArchiveFields::Value(ar, m_iconScale);
}

} // namespace Orvane
