#include "orvcore/color/ColorArray.h"

namespace Orvane {

ColorArray::ColorArray(int size, int growBy) : m_name("Undefined")
{
    SetSize(size > 0 ? size : 0, growBy < 1 ? 1 : growBy);
}

ColorArray::~ColorArray() = default;

void ColorArray::Serialize(CArchive& ar)
{
    CArray<Color, const Color&>::Serialize(ar);
    if (ar.IsStoring())
        ar << m_name;
    else
        ar >> m_name;
}

} // namespace Orvane
