#include "orvcore/color/ColorArray.h"

#include "orvcore/core/ArchiveFields.h"

namespace Orvane {

ColorArray::ColorArray(int size, int growBy) : m_name("Undefined")
{
    SetSize(size > 0 ? size : 0, growBy < 1 ? 1 : growBy);
}

ColorArray::~ColorArray() = default;

void ColorArray::Serialize(CArchive& ar)
{
    CArray<Color, const Color&>::Serialize(ar);
    ArchiveFields::Value(ar, m_name);
}

} // namespace Orvane
