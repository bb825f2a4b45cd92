#include "orvcore/graphics/primitives/BoolArray.h"

#include <memory>

namespace Orvane {

void SerializeElements(CArchive& ar, BoolArrayElement* elements, int count)
{
    if (count <= 0)
        return;
    const UINT bytes = static_cast<UINT>(count);
    std::unique_ptr<BYTE[]> image(new BYTE[bytes]);
    if (ar.IsStoring()) {
        for (int i = 0; i < count; ++i)
            image[static_cast<std::size_t>(i)] = elements[i] ? 1 : 0;
        ar.Write(image.get(), bytes);
    } else {
        if (ar.Read(image.get(), bytes) != bytes)
            throw CArchiveException(CArchiveException::endOfFile);
        for (int i = 0; i < count; ++i)
            elements[i] = image[static_cast<std::size_t>(i)] != 0;
    }
}

BoolArray::~BoolArray() = default;

} // namespace Orvane
