#pragma once

/// \file
/// The primitive arrays of a display list, one entry per array, for code that
/// reads a scene: renderers, exporters, summaries, documents. The entries come
/// from the same table (ORVCORE_DISPLAYLIST_KINDS) that generates the list's own
/// members, so a kind added to DisplayList3D reaches every reader written
/// against this header.
///
///     // Count the primitives of a list by array.
///     Orvane::ForEachPrimitiveArray([&](const auto& array) {
///         std::printf("%s: %d\n", array.label, array.Count(list));
///     });
///
///     // Visit every primitive; overloads pick the kinds a renderer draws.
///     Orvane::VisitPrimitives(list, [&](const auto& primitive, const auto& array) { ... });

#include "orvcore/graphics/scene/DisplayList3D.h"

namespace Orvane
{

/// One primitive array of a display list: primitives of kind `Type`, the
/// array's position in the list's field order, a name made of the accessor
/// names ("OpaqueSpheres", "Cones"), a lower-case label for people ("opaque
/// spheres", "cones"), whether it is the transparent half of a split kind, and
/// its size and element accessors.
template <class T>
struct PrimitiveArray
{
    using Type = T;      ///< The primitive kind.
    int index;           ///< The array's position in the list's field order.
    const char* name;    ///< The accessor name ("OpaqueSpheres").
    const char* label;   ///< The label for people ("opaque spheres").
    bool transparent;    ///< True for the transparent half of a split kind.
    int (*Count)(const DisplayList3D& list);           ///< The number of primitives in the array.
    const T& (*Get)(const DisplayList3D& list, int i); ///< Primitive i of the array (in range).
};

namespace detail
{
// Labels in the field order of ORVCORE_DISPLAYLIST_KINDS, the split kinds
// opaque first.
inline const char* const kPrimitiveArrayLabels[] = {
    "lines", "dashed lines", "line arrays", "opaque tetrahedra", "transparent tetrahedra",
    "opaque spheres", "transparent spheres", "opaque ellipsoids", "transparent ellipsoids",
    "opaque cylinders", "transparent cylinders", "cones", "triangles", "opaque triangle meshes",
    "transparent triangle meshes", "dots", "arcs", "3D texts", "unlit triangles", "2D rectangles",
    "volumes", "icons", "line segments", "polylines", "rectangles", "ellipses", "triangle shapes",
    "text strings", "text boxes", "text callouts"};
} // namespace detail

#define ORVCORE_KINDS_COUNT_ONE(...) +1
#define ORVCORE_KINDS_COUNT_SPLIT(...) +2
/// The number of primitive arrays of a display list.
constexpr int kNumPrimitiveArrays =
    0 ORVCORE_DISPLAYLIST_KINDS(ORVCORE_KINDS_COUNT_ONE, ORVCORE_KINDS_COUNT_SPLIT);
#undef ORVCORE_KINDS_COUNT_SPLIT
#undef ORVCORE_KINDS_COUNT_ONE
static_assert(sizeof(detail::kPrimitiveArrayLabels) / sizeof(detail::kPrimitiveArrayLabels[0]) ==
                  static_cast<unsigned>(kNumPrimitiveArrays),
              "every primitive array of DisplayList3D has a label");

/// Calls `f(const PrimitiveArray<T>&)` for every primitive array of a display
/// list, in the list's field order (the order of its archive form and of its
/// walks).
template <class F>
void ForEachPrimitiveArray(F&& f)
{
    int index = 0;
#define ORVCORE_KINDS_ONE(Type, member, Plural, Singular)                                             \
    {                                                                                                 \
        const PrimitiveArray<Type> array{                                                             \
            index, #Plural, detail::kPrimitiveArrayLabels[index], false,                              \
            [](const DisplayList3D& l) { return l.GetNum##Plural(); },                                \
            [](const DisplayList3D& l, int i) -> const Type& { return l.Get##Singular(i); }};         \
        ++index;                                                                                      \
        f(array);                                                                                     \
    }
#define ORVCORE_KINDS_SPLIT(Type, opaque, transparent, Plural, Singular)                              \
    {                                                                                                 \
        const PrimitiveArray<Type> first{                                                             \
            index, "Opaque" #Plural, detail::kPrimitiveArrayLabels[index], false,                     \
            [](const DisplayList3D& l) { return l.GetNumOpaque##Plural(); },                          \
            [](const DisplayList3D& l, int i) -> const Type& { return l.GetOpaque##Singular(i); }};   \
        ++index;                                                                                      \
        f(first);                                                                                     \
        const PrimitiveArray<Type> second{                                                            \
            index, "Transparent" #Plural, detail::kPrimitiveArrayLabels[index], true,                 \
            [](const DisplayList3D& l) { return l.GetNumTransparent##Plural(); },                     \
            [](const DisplayList3D& l, int i) -> const Type& { return l.GetTransparent##Singular(i); }}; \
        ++index;                                                                                      \
        f(second);                                                                                    \
    }
    ORVCORE_DISPLAYLIST_KINDS(ORVCORE_KINDS_ONE, ORVCORE_KINDS_SPLIT)
#undef ORVCORE_KINDS_SPLIT
#undef ORVCORE_KINDS_ONE
}

/// Calls `visit(primitive, array)` for every primitive of `list` itself (not
/// of its nested lists), array by array in field order. `visit` may be a
/// generic lambda or an overload set; every kind must be accepted.
template <class Visitor>
void VisitPrimitives(const DisplayList3D& list, Visitor&& visit)
{
    ForEachPrimitiveArray([&](const auto& array) {
        const int n = array.Count(list);
        for (int i = 0; i < n; ++i)
            visit(array.Get(list, i), array);
    });
}

} // namespace Orvane
