// Loads arbitrary bytes as a scene document. A load either fails with a status
// and leaves the document as it was, or gives a document whose every number is
// finite and that stores bytes which load back to the same bytes. The corpus
// holds documents written by orvscene and damaged ones: cut short, with NaN or
// infinite coordinates, radii and matrices, with inconsistent tables.

#include "orvcore/graphics/scene/SceneDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Orvane;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SceneDocument document;
    document.source = "before";
    const SceneDocument::Status status = document.FromBytes(data, size);
    if (status != SceneDocument::ok) {
        Check(document.source == "before" && document.coordinates.IsEmpty());
        return 0;
    }
    Check(document.IsFinite());
    const std::vector<BYTE> stored = document.ToBytes();
    SceneDocument again;
    Check(again.FromBytes(stored.data(), stored.size()) == SceneDocument::ok);
    Check(again.ToBytes() == stored);
    return 0;
}
