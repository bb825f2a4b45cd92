#include "DisplayListTestSupport.h"

#include <functional>

using namespace Orvane;
using namespace DisplayListTest;

namespace
{

// One primitive of every kind, identifiers 1 to 25 in the order of the list's
// arrays; split kinds go to their opaque array.
void AddOneOfEach(DisplayList3D& list)
{
    const Color c = Opaque();
    list.Add(LinePrimitive(Point3d(0, 0, 0), Point3d(1, 0, 0), c, 1, 1u, 1u));
    list.Add(DashedLinePrimitive(Point3d(0, 0, 0), Point3d(1, 0, 0), c, 1, 10, false, 2u));
    LineArrayPrimitive lineArray;
    lineArray.GetLineArray().Add(LinePrimitive(Point3d(0, 0, 0), Point3d(0, 1, 0), c, 1, 0u));
    lineArray.SetID(3);
    list.Add(lineArray);
    list.Add(Tetrahedron(c, 4));
    list.Add(SpherePrimitive(Point3d(1, 1, 1), 1.0, c, 5));
    list.Add(EllipsoidPrimitive(Point3d(1, 1, 1), Point3d(1, 2, 3), Matrix4x4(Matrix4x4::IdentityMatrix), c, 6));
    list.Add(CylinderPrimitive(Point3d(0, 0, 0), c, Point3d(0, 0, 1), c, 0.5, 7u));
    list.Add(ConePrimitive(Point3d(0, 0, 0), Point3d(0, 0, 2), c, 0.5, 8));
    list.Add(TrianglePrimitive(Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(0, 0, 1), c, 9));
    list.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {}, 10, c));
    list.Add(DotPrimitive(Point3d(2, 2, 2), c, 3, 11));
    list.Add(ArcPrimitive(Point3d(0, 0, 0), Point3d(0, 0, 1), Point3d(1, 0, 0), 90.0, 2, c, 1, 12));
    list.Add(Text3DPrimitive("label", Point3d(3, 3, 3), c, 13));
    list.Add(UnlitTrianglePrimitive(Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(0, 1, 0), c, 14));
    list.Add(Rect2DPrimitive(Point3d(4, 4, 4), c, 5, 6, 15));
    VolumePrimitive volume;
    volume.SetID(16);
    list.Add(volume);
    list.Add(IconPrimitive(Point3d(5, 5, 5), 1, false, false, 17));
    list.Add(LineSegmentPrimitive(Point2d(0, 0), Point2d(1, 1), c, 1, 18));
    Point2d::Array points;
    points.Add(Point2d(0, 0));
    points.Add(Point2d(2, 0));
    list.Add(PolylinePrimitive(points, c, 1, 19));
    list.Add(RectanglePrimitive(Point2d(4, 2), Point2d(1, 1), true, c, 1, false, c, 20));
    list.Add(EllipsePrimitive(Point2d(4, 2), Point2d(1, 1), true, c, 1, false, c, 21));
    list.Add(TriangleShapePrimitive(Point2d(0, 0), Point2d(1, 0), Point2d(0, 1), true, c, 1, false, c, 22));
    list.Add(TextStringPrimitive(23u));
    list.Add(TextBoxPrimitive(24u));
    list.Add(TextCalloutPrimitive(25u));
}

// The identifier of the one element of each array, in array order (0 for an
// empty array), through the public accessors.
std::vector<unsigned int> FirstIds(const DisplayList3D& l)
{
    auto first = [](int n, const std::function<unsigned int()>& id) { return n > 0 ? id() : 0u; };
    return {
        first(l.GetNumLines(), [&] { return l.GetLine(0).GetID(); }),
        first(l.GetNumDashedLines(), [&] { return l.GetDashedLine(0).GetID(); }),
        first(l.GetNumLineArrays(), [&] { return l.GetLineArray(0).GetID(); }),
        first(l.GetNumOpaqueTetrahedrons(), [&] { return l.GetOpaqueTetrahedron(0).GetID(); }),
        first(l.GetNumTransparentTetrahedrons(), [&] { return l.GetTransparentTetrahedron(0).GetID(); }),
        first(l.GetNumOpaqueSpheres(), [&] { return l.GetOpaqueSphere(0).GetID(); }),
        first(l.GetNumTransparentSpheres(), [&] { return l.GetTransparentSphere(0).GetID(); }),
        first(l.GetNumOpaqueEllipsoids(), [&] { return l.GetOpaqueEllipsoid(0).GetID(); }),
        first(l.GetNumTransparentEllipsoids(), [&] { return l.GetTransparentEllipsoid(0).GetID(); }),
        first(l.GetNumOpaqueCylinders(), [&] { return l.GetOpaqueCylinder(0).GetID(); }),
        first(l.GetNumTransparentCylinders(), [&] { return l.GetTransparentCylinder(0).GetID(); }),
        first(l.GetNumCones(), [&] { return l.GetCone(0).GetID(); }),
        first(l.GetNumTriangles(), [&] { return l.GetTriangle(0).GetID(); }),
        first(l.GetNumOpaqueTriangleMeshes(), [&] { return l.GetOpaqueTriangleMesh(0).GetID(); }),
        first(l.GetNumTransparentTriangleMeshes(), [&] { return l.GetTransparentTriangleMesh(0).GetID(); }),
        first(l.GetNumDots(), [&] { return l.GetDot(0).GetID(); }),
        first(l.GetNumArcs(), [&] { return l.GetArc(0).GetID(); }),
        first(l.GetNumText3D(), [&] { return l.GetText3D(0).GetID(); }),
        first(l.GetNumUnlitTriangles(), [&] { return l.GetUnlitTriangle(0).GetID(); }),
        first(l.GetNumRect2D(), [&] { return l.GetRect2D(0).GetID(); }),
        first(l.GetNumVolume(), [&] { return l.GetVolume(0).GetID(); }),
        first(l.GetNumIcon(), [&] { return l.GetIcon(0).GetID(); }),
        first(l.GetNumLineSegments(), [&] { return l.GetLineSegment(0).GetID(); }),
        first(l.GetNumPolylines(), [&] { return l.GetPolyline(0).GetID(); }),
        first(l.GetNumRectangles(), [&] { return l.GetRectangle(0).GetID(); }),
        first(l.GetNumEllipses(), [&] { return l.GetEllipse(0).GetID(); }),
        first(l.GetNumTriangleShapes(), [&] { return l.GetTriangleShape(0).GetID(); }),
        first(l.GetNumTextStrings(), [&] { return l.GetTextString(0).GetID(); }),
        first(l.GetNumTextBoxes(), [&] { return l.GetTextBox(0).GetID(); }),
        first(l.GetNumTextCallouts(), [&] { return l.GetTextCallout(0).GetID(); }),
    };
}

const std::vector<unsigned int> kOneOfEach = {1, 2, 3, 4, 0, 5, 0, 6, 0, 7, 0, 8, 9, 10, 0,
                                              11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};

void ExpectIdentity(const Matrix4x4& m)
{
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(m.Get(r, k), r == k ? 1.0 : 0.0) << r << "," << k;
}

void ExpectMatrix(const Matrix4x4& actual, const Matrix4x4& expected)
{
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(actual.Get(r, k), expected.Get(r, k), 1e-12) << r << "," << k;
}

} // namespace

TEST(DisplayList3D, FreshListAndEveryKindInItsOwnArray)
{
    DisplayList3D list;
    EXPECT_EQ(list.GetRenderMode(), 1);
    ExpectPoint(list.GetIconScale(), 1, 1, 1, 0);
    ExpectIdentity(list.GetLocalTransformation());
    EXPECT_EQ(list.GetMaxClipPlanes(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(list.GetClipPlaneEnabled(i));
        EXPECT_EQ(list.GetClipPlane(i).Apply(Point3d(3, 4, 5)), 0.0);
    }
    EXPECT_EQ(FirstIds(list), std::vector<unsigned int>(30, 0u));
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetNumDisplayLists(), 0);

    // Each Add lands in its own array (one mesh of 3 vertices counts 3).
    AddOneOfEach(list);
    EXPECT_EQ(FirstIds(list), kOneOfEach);
    EXPECT_EQ(Access::NumPrim(list), 25 - 1 + 3);
    EXPECT_FALSE(list.IsEmpty());
}

TEST(DisplayList3D, IdentifiersOfNewListsCopiesAndNestedCopies)
{
    const unsigned int base = DisplayList3D::m_lastID;
    DisplayList3D a, b, c;
    EXPECT_EQ(a.GetID(), base + 1);
    EXPECT_EQ(b.GetID(), base + 2);
    EXPECT_EQ(c.GetID(), base + 3);

    DisplayList3D copyOfB(b);
    EXPECT_EQ(copyOfB.GetID(), b.GetID());
    DisplayList3D d;
    EXPECT_EQ(d.GetID(), base + 4);

    // Assignment takes the source's identifier; Copy keeps its own.
    DisplayList3D assigned;
    assigned = c;
    EXPECT_EQ(assigned.GetID(), c.GetID());
    DisplayList3D copied;
    const unsigned int own = copied.GetID();
    copied.Copy(c);
    EXPECT_EQ(copied.GetID(), own);

    // A nested copy keeps its identifier, and so does every list under it.
    b.Add(c);
    const unsigned int lastBefore = DisplayList3D::m_lastID;
    EXPECT_EQ(a.Add(b), b.GetID());
    EXPECT_EQ(DisplayList3D::m_lastID, lastBefore);
    EXPECT_EQ(a.GetDisplayList(a.GetNumDisplayLists() - 1).GetID(), b.GetID());
    EXPECT_EQ(a.GetDisplayList(0).GetDisplayList(0).GetID(), c.GetID());
    DisplayList3D copyOfA(a);
    EXPECT_EQ(copyOfA.GetDisplayList(0).GetDisplayList(0).GetID(), c.GetID());

    // Clear leaves the identifier.
    a.Clear();
    EXPECT_EQ(a.GetID(), base + 1);
}

TEST(DisplayList3D, SplitKindsRouteByTheAlphaByte)
{
    DisplayList3D list;
    for (int alpha : {0, 1, 255}) {
        const bool transparent = alpha != 0;
        const int expectedIndex = alpha == 255 ? 1 : 0; // 1 and 255 share the transparent arrays
        const Color c = Alpha(alpha);
        EXPECT_EQ(list.Add(SpherePrimitive(Point3d(), 1.0, c, 1)), expectedIndex);
        EXPECT_EQ(list.Add(EllipsoidPrimitive(Point3d(), Point3d(1, 1, 1), Matrix4x4(Matrix4x4::IdentityMatrix), c, 1)),
                  expectedIndex);
        // A cylinder goes by its first colour only.
        EXPECT_EQ(list.Add(CylinderPrimitive(Point3d(), c, Point3d(0, 0, 1), Alpha(transparent ? 0 : 9), 1.0, 1u)),
                  expectedIndex);
        EXPECT_EQ(list.Add(Tetrahedron(c, 1)), expectedIndex);
        // A mesh goes by its first vertex.
        EXPECT_EQ(list.Add(Mesh(2, {}, {}, 1, c)), expectedIndex);
    }
    EXPECT_EQ(list.GetNumOpaqueSpheres(), 1);
    EXPECT_EQ(list.GetNumTransparentSpheres(), 2);
    EXPECT_EQ(list.GetNumOpaqueEllipsoids(), 1);
    EXPECT_EQ(list.GetNumTransparentEllipsoids(), 2);
    EXPECT_EQ(list.GetNumOpaqueCylinders(), 1);
    EXPECT_EQ(list.GetNumTransparentCylinders(), 2);
    EXPECT_EQ(list.GetNumOpaqueTetrahedrons(), 1);
    EXPECT_EQ(list.GetNumTransparentTetrahedrons(), 2);
    EXPECT_EQ(list.GetNumOpaqueTriangleMeshes(), 1);
    EXPECT_EQ(list.GetNumTransparentTriangleMeshes(), 2);

    // A mesh without vertices is opaque; later colour changes do not move a
    // stored primitive.
    EXPECT_EQ(list.Add(TriangleMeshPrimitive()), 1);
    EXPECT_EQ(list.GetNumOpaqueTriangleMeshes(), 2);
    list.GetOpaqueSphere(0).SetColor(Alpha(200));
    EXPECT_EQ(list.GetNumOpaqueSpheres(), 1);
}

TEST(DisplayList3D, RemoveErasesARangeAndKeepsTheOrder)
{
    DisplayList3D list;
    for (unsigned int id = 0; id < 5; ++id)
        EXPECT_EQ(list.Add(LinePrimitive(Point3d(), Point3d(1, 0, 0), Opaque(), 1, id)), static_cast<int>(id));
    list.RemoveLine(1, 2);
    ASSERT_EQ(list.GetNumLines(), 3);
    EXPECT_EQ(list.GetLine(0).GetID(), 0u);
    EXPECT_EQ(list.GetLine(1).GetID(), 3u);
    EXPECT_EQ(list.GetLine(2).GetID(), 4u);
    // Ranges outside the array change nothing.
    list.RemoveLine(2, 2);
    list.RemoveLine(-1, 1);
    list.RemoveLine(0, -1);
    list.RemoveLine(4, 0);
    EXPECT_EQ(list.GetNumLines(), 3);

    for (unsigned int id = 10; id < 13; ++id)
        list.Add(SpherePrimitive(Point3d(), 1.0, Alpha(5), id));
    list.RemoveTransparentSphere(0, 1);
    ASSERT_EQ(list.GetNumTransparentSpheres(), 2);
    EXPECT_EQ(list.GetTransparentSphere(0).GetID(), 11u);
    list.RemoveTransparentSphere(1, 0);
    EXPECT_EQ(list.GetNumTransparentSpheres(), 2);

    DisplayList3D child;
    list.Add(child);
    list.Add(DisplayList3D());
    list.RemoveDisplayList(0, 1);
    ASSERT_EQ(list.GetNumDisplayLists(), 1);
    EXPECT_NE(list.GetDisplayList(0).GetID(), child.GetID());
}

TEST(DisplayList3D, CopyReplacesEverythingButTheIdentifier)
{
    DisplayList3D source;
    source.Add(Tetrahedron(Opaque(), 1));
    source.Add(Tetrahedron(Alpha(3), 2));
    source.Add(Tetrahedron(Alpha(4), 3));
    source.SetRenderMode(static_cast<DisplayList3D::RenderMode>(7));
    source.SetIconScale(Point3d(2, 3, 4));
    source.SetLocalTransformation(Translation(1, 2, 3));
    source.SetClipPlane(2, Plane(Point3d(1, 0, 0), Point3d(0, 1, 0)));
    source.SetClipPlaneEnabled(2, true);
    DisplayList3D nested;
    nested.Add(SpherePrimitive(Point3d(), 1.0, Opaque(), 9));
    source.Add(nested);

    DisplayList3D target;
    AddOneOfEach(target);
    target.Add(DisplayList3D());
    target.Add(DisplayList3D());
    const unsigned int id = target.GetID();
    target.Copy(source);
    EXPECT_EQ(target.GetID(), id);
    EXPECT_EQ(target.GetNumOpaqueTetrahedrons(), 1);
    EXPECT_EQ(target.GetNumTransparentTetrahedrons(), 2);
    EXPECT_EQ(target.GetTransparentTetrahedron(1).GetID(), 3u);
    EXPECT_EQ(target.GetNumLines(), 0);
    EXPECT_EQ(target.GetNumTextCallouts(), 0);
    EXPECT_EQ(target.GetRenderMode(), 7);
    ExpectPoint(target.GetIconScale(), 2, 3, 4, 0);
    ExpectMatrix(target.GetLocalTransformation(), Translation(1, 2, 3));
    EXPECT_TRUE(target.GetClipPlaneEnabled(2));
    EXPECT_EQ(target.GetClipPlane(2).Apply(Point3d(0, 5, 0)), 5.0);
    ASSERT_EQ(target.GetNumDisplayLists(), 1);
    EXPECT_EQ(target.GetDisplayList(0).GetID(), nested.GetID());
    EXPECT_EQ(target.GetDisplayList(0).GetOpaqueSphere(0).GetID(), 9u);

    // Copying from a list nested inside the target, or from the target itself.
    target.Copy(target.GetDisplayList(0));
    EXPECT_EQ(target.GetID(), id);
    EXPECT_EQ(target.GetNumDisplayLists(), 0);
    EXPECT_EQ(target.GetNumOpaqueSpheres(), 1);
    target.Copy(target);
    EXPECT_EQ(target.GetNumOpaqueSpheres(), 1);

    // Assigning a nested list to its parent.
    DisplayList3D parent;
    parent.Add(source);
    parent = parent.GetDisplayList(0);
    EXPECT_EQ(parent.GetID(), source.GetID());
    EXPECT_EQ(parent.GetNumTransparentTetrahedrons(), 2);
    EXPECT_EQ(parent.GetDisplayList(0).GetID(), nested.GetID());
}

TEST(DisplayList3D, ClearEmptiesNestedListsButKeepsThem)
{
    DisplayList3D list;
    AddOneOfEach(list);
    list.SetRenderMode(static_cast<DisplayList3D::RenderMode>(3));
    list.SetIconScale(Point3d(5, 5, 5));
    list.SetLocalTransformation(Translation(1, 1, 1));
    list.SetClipPlane(0, Plane(Point3d(1, 2, 3), Point3d(0, 0, 1)));
    list.SetClipPlaneEnabled(0, true);
    DisplayList3D child, grandchild;
    AddOneOfEach(grandchild);
    child.Add(grandchild);
    AddOneOfEach(child);
    list.Add(child);
    list.Add(child);
    EXPECT_EQ(Access::NumPrim(list), 3 * 27 + 2 * 27);

    const unsigned int id = list.GetID();
    list.Clear();
    EXPECT_EQ(list.GetNumDisplayLists(), 2);
    EXPECT_EQ(list.GetDisplayList(1).GetID(), child.GetID());
    EXPECT_EQ(list.GetDisplayList(0).GetNumDisplayLists(), 1);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(Access::NumPrim(list), 0);
    EXPECT_EQ(FirstIds(list), std::vector<unsigned int>(30, 0u));
    EXPECT_EQ(FirstIds(list.GetDisplayList(0).GetDisplayList(0)), std::vector<unsigned int>(30, 0u));
    EXPECT_EQ(list.GetID(), id);
    EXPECT_EQ(list.GetRenderMode(), 3);
    ExpectPoint(list.GetIconScale(), 1, 1, 1, 0);
    ExpectIdentity(list.GetLocalTransformation());
    EXPECT_FALSE(list.GetClipPlaneEnabled(0));
    EXPECT_EQ(list.GetClipPlane(0).Apply(Point3d(7, 7, 7)), 0.0);
}

TEST(DisplayList3D, PrimitiveCountTakesMeshVertices)
{
    DisplayList3D list;
    list.Add(Mesh(4, {TriangleIndex(0, 1, 2)}, {}, 1));
    list.Add(Mesh(6, {TriangleIndex(0, 1, 2)}, {}, 1, Alpha(9)));
    EXPECT_EQ(list.GetNumOpaqueTriangleMeshes(), 1);
    EXPECT_EQ(list.GetNumTransparentTriangleMeshes(), 1);
    EXPECT_EQ(Access::NumPrim(list), 10);

    // Lists holding only empty meshes or only empty nested lists are empty.
    DisplayList3D hollow;
    hollow.Add(TriangleMeshPrimitive());
    hollow.Add(DisplayList3D());
    EXPECT_TRUE(hollow.IsEmpty());
    DisplayList3D deep;
    deep.Add(hollow);
    EXPECT_TRUE(deep.IsEmpty());
    deep.GetDisplayList(0).GetDisplayList(0).Add(DotPrimitive(Point3d(), Opaque(), 1, 0));
    EXPECT_FALSE(deep.IsEmpty());
    EXPECT_EQ(Access::NumPrim(deep), 1);
}

TEST(DisplayList3D, AppendAddsNestedListsAppendArraysOnlyPrimitives)
{
    DisplayList3D source;
    source.Add(SpherePrimitive(Point3d(), 1.0, Opaque(), 1));
    source.Add(SpherePrimitive(Point3d(), 1.0, Alpha(2), 2));
    source.Add(Mesh(5, {}, {}, 3)); // counts one here
    DisplayList3D n1, n2;
    n1.Add(DotPrimitive(Point3d(), Opaque(), 1, 4));
    source.Add(n1);
    source.Add(n2);
    source.SetLocalTransformation(Translation(9, 9, 9));

    DisplayList3D target;
    target.Add(SpherePrimitive(Point3d(), 1.0, Opaque(), 7));
    target.SetIconScale(Point3d(2, 2, 2));
    DisplayList3D arraysOnly(target);

    EXPECT_EQ(target.Append(source), 5);
    EXPECT_EQ(Access::AppendArraysTo(arraysOnly, source), 3);

    for (DisplayList3D* list : {&target, &arraysOnly}) {
        ASSERT_EQ(list->GetNumOpaqueSpheres(), 2);
        EXPECT_EQ(list->GetOpaqueSphere(0).GetID(), 7u);
        EXPECT_EQ(list->GetOpaqueSphere(1).GetID(), 1u);
        EXPECT_EQ(list->GetNumTransparentSpheres(), 1);
        EXPECT_EQ(list->GetNumOpaqueTriangleMeshes(), 1);
        ExpectIdentity(list->GetLocalTransformation());
        ExpectPoint(list->GetIconScale(), 2, 2, 2, 0);
    }
    ASSERT_EQ(target.GetNumDisplayLists(), 2);
    EXPECT_EQ(target.GetDisplayList(0).GetID(), n1.GetID());
    EXPECT_EQ(target.GetDisplayList(1).GetID(), n2.GetID());
    EXPECT_EQ(arraysOnly.GetNumDisplayLists(), 0);

    // Appending a list to itself doubles it; appending a nested list to its
    // parent copies from inside the tree.
    EXPECT_EQ(target.Append(target), 4 + 2);
    EXPECT_EQ(target.GetNumOpaqueSpheres(), 4);
    EXPECT_EQ(target.GetOpaqueSphere(3).GetID(), 1u);
    EXPECT_EQ(target.GetNumDisplayLists(), 4);
    EXPECT_EQ(target.Append(target.GetDisplayList(0)), 1);
    EXPECT_EQ(target.GetNumDots(), 1);
}

TEST(DisplayList3D, SetOIDWritesEveryIdentifierFieldOfEveryKind)
{
    DisplayList3D list;
    AddOneOfEach(list);
    list.Add(CylinderPrimitive(Point3d(), Alpha(1), Point3d(0, 0, 1), Opaque(), 1.0, 1u, 2u, 3u));
    list.Add(LinePrimitive(Point3d(), Point3d(1, 0, 0), Opaque(), 1, 1u, 2u));
    list.Add(DashedLinePrimitive(Point3d(), Point3d(1, 0, 0), Opaque(), 1, 10, false, 1u));
    list.GetDashedLine(1).SetID2(77);
    list.GetLineArray(0).GetLineArray()[0].SetID2(55);
    // Object-identifier arrays: too short (untouched), covering the vertices,
    // and longer than both counts (entries past the larger count untouched).
    list.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {5, 5}, 1));
    list.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {5, 5, 5}, 1));
    list.Add(Mesh(3, {TriangleIndex(0, 1, 2), TriangleIndex(0, 1, 2), TriangleIndex(0, 1, 2), TriangleIndex(0, 1, 2)},
                  {5, 5, 5, 5, 5, 5}, 1));
    DisplayList3D child;
    child.Add(SpherePrimitive(Point3d(), 1.0, Opaque(), 3));
    list.Add(child);
    const unsigned int listId = list.GetID();

    list.SetOID(42);
    std::vector<unsigned int> all42(30, 42u);
    for (int i : {4, 6, 8, 14}) // the empty transparent arrays
        all42[static_cast<std::size_t>(i)] = 0;
    all42[10] = 42; // the transparent cylinder
    EXPECT_EQ(FirstIds(list), all42);
    EXPECT_EQ(list.GetID(), listId);
    EXPECT_EQ(list.GetDisplayList(0).GetOpaqueSphere(0).GetID(), 42u);

    const LinePrimitive& line = list.GetLine(1);
    EXPECT_EQ(line.GetID1(), 42u);
    EXPECT_EQ(line.GetID2(), 42u);
    EXPECT_EQ(list.GetDashedLine(1).GetID(), 42u);
    EXPECT_EQ(list.GetDashedLine(1).GetID2(), 77u);
    EXPECT_EQ(list.GetLineArray(0).GetLineArray()[0].GetID2(), 55u); // contained lines untouched
    const CylinderPrimitive& cylinder = list.GetTransparentCylinder(0);
    EXPECT_EQ(cylinder.GetID(), 42u);
    EXPECT_EQ(cylinder.GetEnd1ID(), 42u);
    EXPECT_EQ(cylinder.GetEnd2ID(), 42u);

    const TriangleMeshPrimitive& shortOids = list.GetOpaqueTriangleMesh(1);
    EXPECT_EQ(shortOids.GetID(), 42u);
    EXPECT_EQ(shortOids.GetOIDAt(0), 5u);
    EXPECT_EQ(shortOids.GetOIDAt(1), 5u);
    const TriangleMeshPrimitive& covering = list.GetOpaqueTriangleMesh(2);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(covering.GetOIDAt(k), 42u);
    const TriangleMeshPrimitive& longOids = list.GetOpaqueTriangleMesh(3);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(longOids.GetOIDAt(k), 42u);
    EXPECT_EQ(longOids.GetOIDAt(4), 5u);
    EXPECT_EQ(longOids.GetOIDAt(5), 5u);
}

TEST(DisplayList3D, TranslateOIDsTranslatesEachFieldOnceFromItsOwnValue)
{
    DisplayList3D list;
    for (unsigned int id : {5u, 9u, 7u})
        list.Add(SpherePrimitive(Point3d(), 1.0, Opaque(), id));
    list.Add(CylinderPrimitive(Point3d(), Opaque(), Point3d(0, 0, 1), Opaque(), 1.0, 1u, 2u, 3u));
    list.Add(LinePrimitive(Point3d(), Point3d(1, 0, 0), Opaque(), 1, 2u, 5u));
    list.Add(DashedLinePrimitive(Point3d(), Point3d(1, 0, 0), Opaque(), 1, 10, false, 1u));
    list.GetDashedLine(0).SetID2(2);
    list.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {5, 9, 7}, 9));
    list.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {5, 9}, 5, Alpha(1)));
    list.Add(ConePrimitive(Point3d(), Point3d(0, 0, 1), Opaque(), 1.0, 5));
    list.Add(TextCalloutPrimitive(9u));
    DisplayList3D child, grandchild;
    grandchild.Add(DotPrimitive(Point3d(), Opaque(), 1, 5));
    child.Add(grandchild);
    list.Add(child);

    DisplayList3D::OIDMap map;
    map[5] = 9;
    map[9] = 12;
    map[1] = 10;
    map[2] = 20;
    map[3] = 30;
    list.TranslateOIDs(map);

    EXPECT_EQ(list.GetOpaqueSphere(0).GetID(), 9u);
    EXPECT_EQ(list.GetOpaqueSphere(1).GetID(), 12u);
    EXPECT_EQ(list.GetOpaqueSphere(2).GetID(), 7u);
    const CylinderPrimitive& cylinder = list.GetOpaqueCylinder(0);
    EXPECT_EQ(cylinder.GetID(), 10u);
    EXPECT_EQ(cylinder.GetEnd1ID(), 20u);
    EXPECT_EQ(cylinder.GetEnd2ID(), 30u);
    EXPECT_EQ(list.GetLine(0).GetID1(), 20u);
    EXPECT_EQ(list.GetLine(0).GetID2(), 9u);
    EXPECT_EQ(list.GetDashedLine(0).GetID(), 10u);
    EXPECT_EQ(list.GetDashedLine(0).GetID2(), 2u);
    const TriangleMeshPrimitive& mesh = list.GetOpaqueTriangleMesh(0);
    EXPECT_EQ(mesh.GetID(), 12u);
    EXPECT_EQ(mesh.GetOIDAt(0), 9u);
    EXPECT_EQ(mesh.GetOIDAt(1), 12u);
    EXPECT_EQ(mesh.GetOIDAt(2), 7u);
    const TriangleMeshPrimitive& shortOids = list.GetTransparentTriangleMesh(0);
    EXPECT_EQ(shortOids.GetID(), 9u);
    EXPECT_EQ(shortOids.GetOIDAt(0), 5u);
    EXPECT_EQ(list.GetCone(0).GetID(), 9u);
    EXPECT_EQ(list.GetTextCallout(0).GetID(), 12u);
    EXPECT_EQ(list.GetDisplayList(0).GetDisplayList(0).GetDot(0).GetID(), 9u);
}

TEST(DisplayList3D, IdentifierWalksLeaveMeshesSharedWithOtherOwnersAlone)
{
    const TriangleMeshPrimitive mine = Mesh(3, {TriangleIndex(0, 1, 2)}, {5, 6, 7}, 1);
    DisplayList3D list;
    list.Add(mine);
    DisplayList3D copy(list);

    list.SetOID(42);
    EXPECT_EQ(list.GetOpaqueTriangleMesh(0).GetOIDAt(1), 42u);
    EXPECT_EQ(mine.GetOIDAt(1), 6u);
    EXPECT_EQ(copy.GetOpaqueTriangleMesh(0).GetOIDAt(1), 6u);

    DisplayList3D::OIDMap map;
    map[6] = 60;
    copy.TranslateOIDs(map);
    EXPECT_EQ(copy.GetOpaqueTriangleMesh(0).GetOIDAt(1), 60u);
    EXPECT_EQ(mine.GetOIDAt(1), 6u);
    EXPECT_EQ(list.GetOpaqueTriangleMesh(0).GetOIDAt(1), 42u);
}

TEST(DisplayList3D, LookupFindsTheFirstListWithTheIdentifier)
{
    DisplayList3D root, child, grandchild;
    grandchild.Add(DotPrimitive(Point3d(), Opaque(), 1, 1));
    child.Add(grandchild);
    root.Add(child);
    root.Add(child);

    EXPECT_EQ(root.LookupDisplayList(root.GetID()), &root);
    EXPECT_EQ(root.LookupDisplayList(child.GetID()), &root.GetDisplayList(0));
    EXPECT_EQ(root.LookupDisplayList(grandchild.GetID()), &root.GetDisplayList(0).GetDisplayList(0));
    DisplayList3D stranger;
    EXPECT_EQ(root.LookupDisplayList(stranger.GetID()), nullptr);
}

TEST(DisplayList3D, AggregateTransformationIsParentTimesLocalAndTheLastMatchWins)
{
    const Matrix4x4 r(Point3d(0, 0, 1), 90.0);
    const Matrix4x4 t = Translation(10, 0, 0);
    DisplayList3D root, child, grandchild;
    root.SetLocalTransformation(r);
    child.SetLocalTransformation(t);
    grandchild.SetLocalTransformation(Translation(0, 0, 5));
    child.Add(grandchild);
    root.Add(child);
    DisplayList3D second(child);
    second.SetLocalTransformation(Translation(0, 3, 0));
    root.Add(second); // same identifier as child

    Matrix4x4 m;
    root.GetAggregateTransformation(root, root.GetID(), m);
    ExpectMatrix(m, r);

    root.GetAggregateTransformation(root, grandchild.GetID(), m);
    Point3d p(1, 0, 0);
    m.Transform(p);
    // Root's rotation first: (1,0,0) -> (0,1,0); then (0,3,0) of the second
    // copy, then (0,0,5).
    ExpectPoint(p, 0, 4, 5);

    // The receiver is not consulted; an absent identifier leaves the result.
    Matrix4x4 untouched = Translation(7, 7, 7);
    DisplayList3D other;
    other.GetAggregateTransformation(root, DisplayList3D().GetID(), untouched);
    ExpectMatrix(untouched, Translation(7, 7, 7));
}

TEST(DisplayList3D, FlattenBakesThreeLevelsInTreeOrder)
{
    // Points are row vectors: the root's local transformation acts first.
    DisplayList3D root, a, b, c;
    root.SetLocalTransformation(Matrix4x4(Point3d(0, 0, 1), 90.0));
    a.SetLocalTransformation(Translation(10, 0, 0));
    b.SetLocalTransformation(Matrix4x4(Point3d(1, 0, 0), 90.0));
    c.SetLocalTransformation(Translation(0, 0, 100));
    root.Add(SpherePrimitive(Point3d(1, 0, 0), 1.0, Opaque(), 1));
    a.Add(SpherePrimitive(Point3d(1, 0, 0), 1.0, Opaque(), 2));
    a.Add(ConePrimitive(Point3d(1, 0, 0), Point3d(2, 0, 0), Opaque(), 1.0, 2));
    a.Add(RectanglePrimitive(Point2d(1, 1), Point2d(3, 4), true, Opaque(), 1, false, Opaque(), 2));
    b.Add(SpherePrimitive(Point3d(0, 1, 0), 1.0, Opaque(), 3));
    b.Add(Mesh(2, {}, {}, 3));
    c.Add(SpherePrimitive(Point3d(0, 0, 0), 1.0, Opaque(), 4));
    a.Add(b);
    root.Add(a);
    root.Add(c);
    root.SetClipPlaneEnabled(1, true);
    const unsigned int id = root.GetID();

    root.Flatten();
    EXPECT_EQ(root.GetNumDisplayLists(), 0);
    EXPECT_EQ(root.GetID(), id);
    EXPECT_TRUE(root.GetClipPlaneEnabled(1));
    ExpectIdentity(root.GetLocalTransformation());
    ASSERT_EQ(root.GetNumOpaqueSpheres(), 4);
    std::vector<unsigned int> order;
    for (int i = 0; i < 4; ++i)
        order.push_back(root.GetOpaqueSphere(i).GetID());
    EXPECT_EQ(order, (std::vector<unsigned int>{1, 2, 3, 4}));
    ExpectPoint(root.GetOpaqueSphere(0).GetCenter(), 0, 1, 0);       // R
    ExpectPoint(root.GetOpaqueSphere(1).GetCenter(), 10, 1, 0);      // R, then A
    ExpectPoint(root.GetOpaqueSphere(2).GetCenter(), 9, 0, 0);       // R, A, then B about x
    ExpectPoint(root.GetOpaqueSphere(3).GetCenter(), 0, 0, 100);     // R, then C
    ExpectPoint(root.GetCone(0).GetBase(), 10, 1, 0);
    ExpectPoint(root.GetCone(0).GetTip(), 10, 2, 0);
    ASSERT_EQ(root.GetNumOpaqueTriangleMeshes(), 1);
    ExpectPoint(root.GetOpaqueTriangleMesh(0).GetVertexAt(1).GetPoint(), 10, 0, 1); // (1,0,0) -> (0,1,0) -> (10,1,0) -> (10,0,1)
    ExpectPoint(root.GetOpaqueTriangleMesh(0).GetVertexAt(1).GetNormal(), 0, -1, 0); // normal (0,0,1) turned by B
    // Overlay shapes are in screen space.
    EXPECT_EQ(root.GetRectangle(0).GetOrigin().GetX(), 3.0);
    EXPECT_EQ(root.GetRectangle(0).GetOrigin().GetY(), 4.0);
}

TEST(DisplayList3D, ApplyLocalTransformationBakesEveryLevel)
{
    DisplayList3D root, child;
    root.SetLocalTransformation(Translation(1, 0, 0));
    child.SetLocalTransformation(Translation(0, 2, 0));
    child.Add(DotPrimitive(Point3d(0, 0, 3), Opaque(), 1, 1));
    root.Add(DotPrimitive(Point3d(0, 0, 0), Opaque(), 1, 1));
    root.Add(child);
    root.ApplyLocalTransformation();
    ExpectIdentity(root.GetLocalTransformation());
    ExpectIdentity(root.GetDisplayList(0).GetLocalTransformation());
    ExpectPoint(root.GetDot(0).GetCoord(), 1, 0, 0);
    ExpectPoint(root.GetDisplayList(0).GetDot(0).GetCoord(), 1, 2, 3);

    // A list without nested lists bakes its own transformation.
    DisplayList3D single;
    single.SetLocalTransformation(Translation(0, 0, 4));
    single.Add(SpherePrimitive(Point3d(1, 1, 1), 1.0, Opaque(), 1));
    single.Flatten();
    ExpectPoint(single.GetOpaqueSphere(0).GetCenter(), 1, 1, 5);
    ExpectIdentity(single.GetLocalTransformation());
}

TEST(DisplayList3D, ClipPlaneIndicesOutOfRange)
{
    DisplayList3D list;
    list.SetClipPlane(0, Plane(Point3d(0, 0, 0), Point3d(1, 0, 0)));
    list.SetClipPlane(5, Plane(Point3d(0, 0, 0), Point3d(0, 1, 0)));
    EXPECT_EQ(list.GetClipPlane(5).Apply(Point3d(0, 3, 0)), 3.0);
    EXPECT_EQ(&list.GetClipPlane(6), &list.GetClipPlane(0));
    EXPECT_EQ(&list.GetClipPlane(-1), &list.GetClipPlane(0));
    EXPECT_EQ(list.GetClipPlane(6).Apply(Point3d(2, 0, 0)), 2.0);
    EXPECT_FALSE(list.GetClipPlaneEnabled(-1));
    EXPECT_FALSE(list.GetClipPlaneEnabled(6));
    list.SetClipPlaneEnabled(7, true);
    list.SetClipPlaneEnabled(-1, true);
    list.SetClipPlane(6, Plane(Point3d(0, 0, 0), Point3d(0, 0, 1)));
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(list.GetClipPlaneEnabled(i));
    EXPECT_EQ(list.GetClipPlane(0).Apply(Point3d(2, 0, 0)), 2.0);
    list.SetClipPlaneEnabled(5, true);
    EXPECT_TRUE(list.GetClipPlaneEnabled(5));
}
