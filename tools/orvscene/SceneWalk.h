#pragma once

#include "orvcore/graphics/scene/DisplayListKinds.h"

#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/graphics/scene/DisplayList3D.h"

namespace orvscene {

// Where the walk stands: one display list of the tree with its place and the
// transformation its content undergoes.
struct SceneListVisit {
    const Orvane::DisplayList3D& list;
    // The list's aggregate: the parent's aggregate times the list's local
    // transformation, so a point p of the list lies at p * aggregate in the
    // root's parent frame.
    Orvane::Matrix4x4 aggregate;
    int index;  // the list's number in walk order (the root is 0)
    int parent; // the parent's number, -1 for the root
    int depth;  // 0 for the root
};

// A visitor of WalkScene. Derived visitors bring the base's members in with
// `using SceneVisitor::Primitive;` and add overloads for the kinds they
// handle; every other kind falls to the template, which ignores it.
struct SceneVisitor {
    void EnterList(const SceneListVisit&) {}
    template <class Kind>
    void Primitive(const Kind&, const char* /*kind label*/, const SceneListVisit&)
    {
    }
    void LeaveList(const SceneListVisit&) {}
};

namespace detail {

template <class Visitor>
void WalkList(const Orvane::DisplayList3D& list, const Orvane::Matrix4x4& parentAggregate, int parent, int depth,
              int& counter, Visitor& visitor)
{
    const SceneListVisit visit{list, parentAggregate * list.GetLocalTransformation(), counter++, parent, depth};
    visitor.EnterList(visit);
    Orvane::VisitPrimitives(list, [&](const auto& primitive, const auto& array) {
        visitor.Primitive(primitive, array.label, visit);
    });
    for (int i = 0; i < list.GetNumDisplayLists(); ++i)
        WalkList(list.GetDisplayList(i), visit.aggregate, visit.index, depth + 1, counter, visitor);
    visitor.LeaveList(visit);
}

} // namespace detail

// The one walk of a scene tree that every output reads: depth first, each
// list entered before its nested lists, its primitives visited array by
// array in the list's field order (the library's table) with their label, the
// list left after its nested lists. Returns the number of lists visited.
template <class Visitor>
int WalkScene(const Orvane::DisplayList3D& root, Visitor&& visitor)
{
    int counter = 0;
    detail::WalkList(root, Orvane::Matrix4x4(Orvane::Matrix4x4::IdentityMatrix), -1, 0, counter, visitor);
    return counter;
}

} // namespace orvscene
