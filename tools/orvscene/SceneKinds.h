#pragma once

#include "orvcore/graphics/scene/DisplayListKinds.h"

#include <type_traits>

namespace orvscene {

// True for the kinds a scene document stores. A volume refers to a grid that
// its owner keeps outside the scene, so documents leave volumes out.
template <class Kind>
constexpr bool kStoredInDocument = !std::is_same<Kind, Orvane::VolumePrimitive>::value;

// Calls visit(Type{}, label, count, get) for each primitive array a document
// holds, in the display list's field order (the library's table, volumes
// left out). `count(list)` gives the array's size, `get(list, i)` its element i.
template <class Visitor>
void ForEachPrimitiveArray(Visitor&& visit)
{
    Orvane::ForEachPrimitiveArray([&](const auto& array) {
        using Kind = typename std::decay_t<decltype(array)>::Type;
        if constexpr (kStoredInDocument<Kind>)
            visit(Kind(), array.label, array.Count, array.Get);
    });
}

} // namespace orvscene
