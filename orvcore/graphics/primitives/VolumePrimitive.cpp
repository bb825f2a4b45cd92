#include "orvcore/graphics/primitives/VolumePrimitive.h"

#include "orvcore/core/ArchiveFields.h"

#include <cstdint>

namespace Orvane {

VolumePrimitive::VolumePrimitive() : m_colors(0, 1)
{
    m_colors.Add(Color::Blue());
    m_colors.Add(Color::Red());
    m_transferFunction.Add(true);
    m_transferFunction.Add(true);
}

VolumePrimitive::VolumePrimitive(NComponentVolume<float>* volume, float dataMin, float dataMax, float displayMin,
                                 float displayMax, bool clipOutsideRange, const ColorArray& colors,
                                 float transparency, const BoolArray& transferFunction, unsigned int id)
    : UnlitPrimitive(id),
      m_volume(volume),
      m_dataMin(dataMin),
      m_dataMax(dataMax),
      m_displayMin(displayMin),
      m_displayMax(displayMax),
      m_clipOutsideRange(clipOutsideRange),
      m_colors(colors),
      m_transparency(transparency),
      m_transferFunction(transferFunction)
{
}

VolumePrimitive::~VolumePrimitive() = default;

void VolumePrimitive::SetColors(const ColorArray& colors)
{
    if (&colors != &m_colors)
        m_colors = colors;
}

void VolumePrimitive::SetTransferFunction(const BoolArray& transferFunction)
{
    if (&transferFunction != &m_transferFunction)
        m_transferFunction = transferFunction;
}

void VolumePrimitive::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        m_volume = nullptr;
    GraphicsPrimitive::Serialize(ar);
    ArchiveFields::Value(ar, m_dataMin);
    ArchiveFields::Value(ar, m_dataMax);
    ArchiveFields::Value(ar, m_displayMin);
    ArchiveFields::Value(ar, m_displayMax);
    ArchiveFields::FlagNonZero(ar, m_clipOutsideRange);
    SerializeColors(ar);
    ArchiveFields::Value(ar, m_transparency);
    SerializeTransferFunction(ar);
}

void VolumePrimitive::SerializeColors(CArchive& ar)
{
    if (ar.IsStoring())
        ar << static_cast<std::int32_t>(m_colors.GetSize());
    else
        m_colors.SetSize(ReadSignedCount(ar, sizeof(std::uint32_t)));
    for (int i = 0; i < m_colors.GetSize(); ++i)
        m_colors[i].Serialize(ar);
}

void VolumePrimitive::SerializeTransferFunction(CArchive& ar)
{
    if (ar.IsStoring())
        ar << static_cast<std::int32_t>(m_transferFunction.GetSize());
    else
        m_transferFunction.SetSize(ReadSignedCount(ar, sizeof(std::int32_t)));
    for (int i = 0; i < m_transferFunction.GetSize(); ++i) {
        bool on = m_transferFunction[i];
        ArchiveFields::FlagNonZero(ar, on);
        m_transferFunction[i] = on;
    }
}

void VolumePrimitive::Transform(const Matrix4x4&) {}

} // namespace Orvane
