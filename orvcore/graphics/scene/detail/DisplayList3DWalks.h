#pragma once

// The walks over a display list's primitive arrays and the per-kind rules
// they apply, shared by DisplayList3D's own sources; internal, so neither
// installed nor part of the interface.

#include "orvcore/graphics/scene/DisplayList3D.h"

#include <type_traits>
#include <utility>

namespace Orvane
{

template <class List, class F>
void DisplayList3D::ForEachArray(List& list, F&& f)
{
#define ORVCORE_DL_VISIT_ONE(Type, member, Plural, Singular) f(list.member);
#define ORVCORE_DL_VISIT_SPLIT(Type, opaque, transparent, Plural, Singular)                          \
    f(list.opaque);                                                                                  \
    f(list.transparent);
    ORVCORE_DISPLAYLIST_KINDS(ORVCORE_DL_VISIT_ONE, ORVCORE_DL_VISIT_SPLIT)
#undef ORVCORE_DL_VISIT_SPLIT
#undef ORVCORE_DL_VISIT_ONE
}

template <class Target, class Source, class F>
void DisplayList3D::ForEachArrayPair(Target& target, Source& source, F&& f)
{
#define ORVCORE_DL_VISIT_ONE(Type, member, Plural, Singular) f(target.member, source.member);
#define ORVCORE_DL_VISIT_SPLIT(Type, opaque, transparent, Plural, Singular)                          \
    f(target.opaque, source.opaque);                                                                 \
    f(target.transparent, source.transparent);
    ORVCORE_DISPLAYLIST_KINDS(ORVCORE_DL_VISIT_ONE, ORVCORE_DL_VISIT_SPLIT)
#undef ORVCORE_DL_VISIT_SPLIT
#undef ORVCORE_DL_VISIT_ONE
}

namespace DisplayListRules
{

#define ORVCORE_DL_COUNT_ONE(...) +1
#define ORVCORE_DL_COUNT_SPLIT(...) +2
// The number of primitive arrays of a display list.
constexpr int kNumArrays = 0 ORVCORE_DISPLAYLIST_KINDS(ORVCORE_DL_COUNT_ONE, ORVCORE_DL_COUNT_SPLIT);
#undef ORVCORE_DL_COUNT_SPLIT
#undef ORVCORE_DL_COUNT_ONE
static_assert(kNumArrays == 30, "25 kinds, five of them split");

// The 2D overlay shapes are placed in screen space: no transformation reaches
// them.
template <class T>
constexpr bool IsOverlay =
    std::is_base_of<UnlitShapePrimitive, T>::value || std::is_base_of<UnlitLinePrimitive, T>::value;

inline unsigned int Translated(unsigned int value, const DisplayList3D::OIDMap& map)
{
    unsigned int mapped;
    return map.Lookup(value, mapped) ? mapped : value;
}

// The number of primitives an array counts for: a triangle mesh counts its
// vertices.
template <class T>
int PrimitiveCount(const std::vector<T>& array)
{
    return static_cast<int>(array.size());
}
inline int PrimitiveCount(const std::vector<TriangleMeshPrimitive>& array)
{
    int n = 0;
    for (const TriangleMeshPrimitive& mesh : array)
        n += mesh.GetNumVertices();
    return n;
}

// What the walks do to one primitive of kind T. Kinds with a single identifier
// use the primary template; lines, cylinders and meshes carry more.
template <class T>
struct Kind
{
    static void Transform(T& p, const Matrix4x4& m)
    {
        if constexpr (!IsOverlay<T>)
            p.T::Transform(m); // the element is exactly a T: no virtual dispatch needed
    }
    static void SetOID(T& p, unsigned int oid) { p.GraphicsPrimitive::SetID(oid); }
    static void TranslateOIDs(T& p, const DisplayList3D::OIDMap& map)
    {
        p.GraphicsPrimitive::SetID(Translated(p.GetID(), map));
    }
};

template <>
struct Kind<LinePrimitive>
{
    static void Transform(LinePrimitive& p, const Matrix4x4& m) { p.LinePrimitive::Transform(m); }
    static void SetOID(LinePrimitive& p, unsigned int oid)
    {
        p.SetID1(oid);
        p.SetID2(oid);
    }
    static void TranslateOIDs(LinePrimitive& p, const DisplayList3D::OIDMap& map)
    {
        const unsigned int id1 = p.GetID1(), id2 = p.GetID2();
        p.SetID1(Translated(id1, map));
        p.SetID2(Translated(id2, map));
    }
};

template <>
struct Kind<CylinderPrimitive>
{
    static void Transform(CylinderPrimitive& p, const Matrix4x4& m) { p.CylinderPrimitive::Transform(m); }
    static void SetOID(CylinderPrimitive& p, unsigned int oid) { p.SetID(oid); }
    static void TranslateOIDs(CylinderPrimitive& p, const DisplayList3D::OIDMap& map)
    {
        const unsigned int id = p.GetID(), end1 = p.GetEnd1ID(), end2 = p.GetEnd2ID();
        p.GraphicsPrimitive::SetID(Translated(id, map));
        p.SetEnd1ID(Translated(end1, map));
        p.SetEnd2ID(Translated(end2, map));
    }
};

// A mesh's object-identifier entries are written only when the array covers
// every vertex; then the entries below the vertex or the triangle count are
// visited. SetOIDAt detaches a record shared with copies of the mesh before
// writing, so the walks never change a mesh that is not in the tree.
template <>
struct Kind<TriangleMeshPrimitive>
{
    static void Transform(TriangleMeshPrimitive& p, const Matrix4x4& m) { p.TransformAll(m); }

    static int OIDEntries(const TriangleMeshPrimitive& p)
    {
        const int oids = p.GetNumOIDs(), vertices = p.GetNumVertices();
        if (oids < vertices)
            return 0;
        const int visited = vertices > p.GetNumTriangles() ? vertices : p.GetNumTriangles();
        return visited < oids ? visited : oids;
    }
    static void SetOID(TriangleMeshPrimitive& p, unsigned int oid)
    {
        p.GraphicsPrimitive::SetID(oid);
        const int n = OIDEntries(p);
        for (int k = 0; k < n; ++k)
            if (p.GetOIDAt(k) != oid)
                p.SetOIDAt(k, oid);
    }
    static void TranslateOIDs(TriangleMeshPrimitive& p, const DisplayList3D::OIDMap& map)
    {
        p.GraphicsPrimitive::SetID(Translated(p.GetID(), map));
        const int n = OIDEntries(p);
        for (int k = 0; k < n; ++k) {
            const unsigned int old = p.GetOIDAt(k), mapped = Translated(old, map);
            if (mapped != old)
                p.SetOIDAt(k, mapped);
        }
    }
};

} // namespace DisplayListRules

} // namespace Orvane
