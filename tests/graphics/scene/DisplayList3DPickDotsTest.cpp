#include "DisplayListTestSupport.h"

#include <cmath>
#include <limits>

using namespace Orvane;
using namespace DisplayListTest;

namespace
{

typedef std::vector<DotPrimitive> Dots;

Dots PickDots(const DisplayList3D& list)
{
    Dots dots;
    const int size = list.GetPickDots(dots);
    EXPECT_EQ(size, static_cast<int>(dots.size()));
    return dots;
}

Dots PickDots2D(const DisplayList3D& list)
{
    Dots dots;
    const int size = list.GetPickDots2D(dots);
    EXPECT_EQ(size, static_cast<int>(dots.size()));
    return dots;
}

void ExpectDot(const DotPrimitive& dot, double x, double y, double z, unsigned int id)
{
    ExpectPoint(dot.GetCoord(), x, y, z);
    EXPECT_EQ(dot.GetID(), id);
}

} // namespace

TEST(DisplayList3DPickDots, SphereDotIsTransformedPlainAndAppended)
{
    DisplayList3D list;
    list.Add(SpherePrimitive(Point3d(1, 2, 3), 1.0, Opaque(), 7));
    list.Add(SpherePrimitive(Point3d(9, 9, 9), 1.0, Alpha(4), 0)); // not picked
    list.SetLocalTransformation(Translation(10, 0, 0));

    Dots dots = PickDots(list);
    ASSERT_EQ(dots.size(), 1u);
    ExpectDot(dots[0], 11, 2, 3, 7);
    const Color colour = dots[0].GetColor();
    EXPECT_EQ(colour.GetR() + colour.GetG() + colour.GetB() + colour.GetA(), 0);
    EXPECT_EQ(dots[0].GetWidth(), 1);

    // A second call appends behind what the vector holds.
    EXPECT_EQ(list.GetPickDots(dots), 2);
    ExpectDot(dots[1], 11, 2, 3, 7);
}

TEST(DisplayList3DPickDots, LineKinds)
{
    DisplayList3D list;
    list.Add(LinePrimitive(Point3d(0, 0, 0), Point3d(2, 0, 0), Opaque(), 1, 5u, 0u));
    list.Add(LinePrimitive(Point3d(0, 0, 0), Point3d(2, 0, 0), Opaque(), 1, 0u, 6u));
    list.Add(DashedLinePrimitive(Point3d(0, 0, 0), Point3d(4, 2, 0), Opaque(), 1, 10, false, 8u));
    list.GetDashedLine(0).SetID2(0);
    list.Add(DashedLinePrimitive(Point3d(0, 0, 0), Point3d(4, 2, 0), Opaque(), 1, 10, false, 0u));
    list.GetDashedLine(1).SetID2(99); // the second identifier plays no part
    LineArrayPrimitive lines;
    lines.GetLineArray().Add(LinePrimitive(Point3d(1, 1, 1), Point3d(2, 2, 2), Opaque(), 1, 11u, 0u));
    lines.GetLineArray().Add(LinePrimitive(Point3d(3, 3, 3), Point3d(4, 4, 4), Opaque(), 1, 12u, 13u));
    list.Add(lines); // identifier 0: no dots
    lines.SetID(1);
    list.Add(lines);

    Dots dots = PickDots(list);
    ASSERT_EQ(dots.size(), 1u + 1u + 3u + 3u);
    ExpectDot(dots[0], 0, 0, 0, 5);
    ExpectDot(dots[1], 2, 0, 0, 6);
    ExpectDot(dots[2], 0, 0, 0, 8);
    ExpectDot(dots[3], 4, 2, 0, 8);
    ExpectDot(dots[4], 2, 1, 0, 8);
    ExpectDot(dots[5], 1, 1, 1, 11);
    ExpectDot(dots[6], 3, 3, 3, 12);
    ExpectDot(dots[7], 4, 4, 4, 13);
}

TEST(DisplayList3DPickDots, SolidKinds)
{
    DisplayList3D list;
    list.Add(CylinderPrimitive(Point3d(0, 0, 0), Opaque(), Point3d(0, 0, 4), Opaque(), 1.0, 3u, 0u, 4u));
    list.Add(CylinderPrimitive(Point3d(0, 0, 0), Opaque(), Point3d(0, 0, 4), Opaque(), 1.0, 0u, 5u, 6u));
    list.Add(Tetrahedron(Alpha(1), 9, Point3d(10, 0, 0)));
    list.Add(EllipsoidPrimitive(Point3d(5, 6, 7), Point3d(1, 1, 1), Matrix4x4(Matrix4x4::IdentityMatrix), Opaque(),
                                2));
    list.Add(TrianglePrimitive(Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(0, 0, 1), Point3d(1, 1, 1), Opaque(), 4));
    list.Add(ConePrimitive(Point3d(0, 0, 0), Point3d(0, 3, 0), Opaque(), 1.0, 12));

    Dots dots = PickDots(list);
    ASSERT_EQ(dots.size(), 4u + 1u + 3u + 2u + 3u);
    std::size_t i = 0;
    Point3d v[4];
    list.GetTransparentTetrahedron(0).GetTetrahedronVertices(v[0], v[1], v[2], v[3]);
    for (const Point3d& corner : v)
        ExpectDot(dots[i++], corner.GetX(), corner.GetY(), corner.GetZ(), 9);
    ExpectDot(dots[i++], 5, 6, 7, 2);
    // Cylinder ends carry their own identifiers, even 0.
    ExpectDot(dots[i++], 0, 0, 0, 0);
    ExpectDot(dots[i++], 0, 0, 2, 3);
    ExpectDot(dots[i++], 0, 0, 4, 4);
    // Cones are picked at base and tip.
    ExpectDot(dots[i++], 0, 0, 0, 12);
    ExpectDot(dots[i++], 0, 3, 0, 12);
    ExpectDot(dots[i++], 1, 0, 0, 4);
    ExpectDot(dots[i++], 0, 1, 0, 4);
    ExpectDot(dots[i++], 0, 0, 1, 4);
}

TEST(DisplayList3DPickDots, KindsComeInTheirOrder)
{
    DisplayList3D list;
    // Added in reverse of the pick order; identifiers name the expected rank.
    list.Add(IconPrimitive(Point3d(1, 0, 0), 3, false, false, 21));
    list.Add(Rect2DPrimitive(Point3d(2, 0, 0), Opaque(), 4, 4, 19));
    list.Add(UnlitTrianglePrimitive(Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(0, 1, 0), Opaque(), 18));
    Text3DPrimitive text("t", Point3d(3, 0, 0), Opaque(), 17);
    list.Add(text);
    text.SetIsAnnotation(true); // 2D only
    list.Add(text);
    list.Add(ArcPrimitive(Point3d(0, 0, 0), Point3d(0, 0, 1), Point3d(1, 0, 0), 90.0, 1, Opaque(), 1, 16));
    list.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {}, 15, Alpha(2)));
    list.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {}, 14));
    list.Add(TrianglePrimitive(Point3d(), Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(), Opaque(), 13));
    list.Add(DotPrimitive(Point3d(4, 0, 0), Opaque(), 2, 12));
    list.Add(ConePrimitive(Point3d(), Point3d(0, 0, 1), Opaque(), 1.0, 11));
    list.Add(CylinderPrimitive(Point3d(), Alpha(3), Point3d(0, 0, 1), Opaque(), 1.0, 10u, 10u, 10u));
    list.Add(CylinderPrimitive(Point3d(), Opaque(), Point3d(0, 0, 1), Opaque(), 1.0, 9u, 9u, 9u));
    list.Add(EllipsoidPrimitive(Point3d(), Point3d(1, 1, 1), Matrix4x4(Matrix4x4::IdentityMatrix), Alpha(3), 8));
    list.Add(EllipsoidPrimitive(Point3d(), Point3d(1, 1, 1), Matrix4x4(Matrix4x4::IdentityMatrix), Opaque(), 7));
    list.Add(SpherePrimitive(Point3d(), 1.0, Alpha(3), 6));
    list.Add(SpherePrimitive(Point3d(), 1.0, Opaque(), 5));
    list.Add(Tetrahedron(Alpha(3), 4));
    list.Add(Tetrahedron(Opaque(), 3));
    LineArrayPrimitive lines;
    lines.GetLineArray().Add(LinePrimitive(Point3d(), Point3d(1, 0, 0), Opaque(), 1, 2u, 2u));
    lines.SetID(2);
    list.Add(lines);
    list.Add(DashedLinePrimitive(Point3d(), Point3d(1, 0, 0), Opaque(), 1, 10, false, 1u));
    list.Add(LinePrimitive(Point3d(), Point3d(1, 0, 0), Opaque(), 1, 0u, 0u)); // no dots
    // 2D kinds give no 3D dots.
    list.Add(TextStringPrimitive(50u));
    list.Add(LineSegmentPrimitive(Point2d(0, 0), Point2d(1, 1), Opaque(), 1, 51));

    std::vector<unsigned int> ranks;
    for (unsigned int id : Ids(PickDots(list)))
        if (ranks.empty() || ranks.back() != id)
            ranks.push_back(id);
    EXPECT_EQ(ranks, (std::vector<unsigned int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
                                                19, 21}));
}

TEST(DisplayList3DPickDots, MeshRulesForBothArrays)
{
    // Per-vertex identifiers 0, 5, 6, 0 over triangles (0,1,2), (0,3,0), (1,2,3).
    const std::initializer_list<TriangleIndex> triangles = {TriangleIndex(0, 1, 2), TriangleIndex(0, 3, 0),
                                                            TriangleIndex(1, 2, 3)};
    DisplayList3D opaque;
    opaque.Add(Mesh(4, triangles, {0, 5, 6, 0}, 77));
    Dots dots = PickDots(opaque);
    ASSERT_EQ(dots.size(), 8u);
    ExpectDot(dots[0], 0, 0, 0, 0);
    ExpectDot(dots[1], 1, 0, 0, 5);
    ExpectDot(dots[2], 2, 0, 0, 6);
    ExpectDot(dots[3], 1, 0, 0, 0); // centroid, first vertex's identifier
    ExpectDot(dots[4], 1, 0, 0, 5);
    ExpectDot(dots[5], 2, 0, 0, 6);
    ExpectDot(dots[6], 3, 0, 0, 0);
    ExpectDot(dots[7], 2, 0, 0, 5);

    DisplayList3D transparent;
    transparent.Add(Mesh(4, triangles, {0, 5, 6, 0}, 77, Alpha(8)));
    dots = PickDots(transparent);
    ASSERT_EQ(dots.size(), 2u + 3u);
    ExpectDot(dots[0], 1, 0, 0, 5);
    ExpectDot(dots[1], 2, 0, 0, 6);
    ExpectDot(dots[2], 1, 0, 0, 0); // every centroid, whatever its identifier
    ExpectDot(dots[3], 1, 0, 0, 0);
    ExpectDot(dots[4], 2, 0, 0, 5);

    // Identifiers all 0: one centroid from the transparent array, none from
    // the opaque one.
    DisplayList3D zeros;
    zeros.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {}, 0, Alpha(8)));
    zeros.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {}, 0));
    dots = PickDots(zeros);
    ASSERT_EQ(dots.size(), 1u);
    ExpectDot(dots[0], 1, 0, 0, 0);

    // An identifier array shorter than the vertices: the mesh's own identifier.
    DisplayList3D own;
    own.Add(Mesh(3, {TriangleIndex(0, 1, 2)}, {4, 4}, 9));
    EXPECT_EQ(Ids(PickDots(own)), (std::vector<unsigned int>{9, 9, 9, 9}));

    // A triangle whose corner lies outside the vertex array has no dots.
    DisplayList3D broken;
    broken.Add(Mesh(3, {TriangleIndex(0, 1, 7), TriangleIndex(-1, 0, 1)}, {}, 9));
    broken.Add(Mesh(3, {TriangleIndex(0, 1, 3), TriangleIndex(0, 1, 2)}, {}, 9, Alpha(1)));
    EXPECT_EQ(Ids(PickDots(broken)), (std::vector<unsigned int>{9, 9, 9, 9}));
}

TEST(DisplayList3DPickDots, PointLikeKindsArcsAndVolumes)
{
    DisplayList3D list;
    list.Add(DotPrimitive(Point3d(1, 2, 3), Opaque(), 4, 1));
    list.Add(ArcPrimitive(Point3d(0, 0, 0), Point3d(0, 0, 1), Point3d(1, 0, 0), 180.0, 2, Opaque(), 1, 2));
    list.Add(Text3DPrimitive("x", Point3d(4, 5, 6), Opaque(), 3));
    list.Add(UnlitTrianglePrimitive(Point3d(1, 0, 0), Point3d(0, 2, 0), Point3d(0, 0, 3), Opaque(), 4));
    list.Add(Rect2DPrimitive(Point3d(7, 8, 9), Opaque(), 2, 2, 5));
    list.Add(IconPrimitive(Point3d(-1, -2, -3), 1, true, false, 7));
    VolumePrimitive empty; // no volume object: no box to pick
    empty.SetID(8);
    list.Add(empty);
    NComponentVolume<float> grid;
    grid.SetBox(Point3d(1, 2, 3), Point3d(4, 5, 6));
    VolumePrimitive volume;
    volume.SetVolume(&grid);
    list.Add(volume); // identifier 0: no dots
    volume.SetID(6);
    list.Add(volume);

    Dots dots = PickDots(list);
    ASSERT_EQ(dots.size(), 1u + 3u + 1u + 3u + 1u + 8u + 1u);
    ExpectDot(dots[0], 1, 2, 3, 1);
    ExpectDot(dots[1], 1, 0, 0, 2);
    ExpectDot(dots[2], 0, 1, 0, 2);
    ExpectDot(dots[3], -1, 0, 0, 2);
    ExpectDot(dots[4], 4, 5, 6, 3);
    ExpectDot(dots[5], 1, 0, 0, 4);
    ExpectDot(dots[6], 0, 2, 0, 4);
    ExpectDot(dots[7], 0, 0, 3, 4);
    ExpectDot(dots[8], 7, 8, 9, 5);
    // The box corners in unit-cube order.
    const double box[8][3] = {{1, 2, 3}, {4, 2, 3}, {4, 5, 3}, {1, 5, 3}, {1, 2, 6}, {4, 2, 6}, {4, 5, 6}, {1, 5, 6}};
    for (int k = 0; k < 8; ++k)
        ExpectDot(dots[9 + static_cast<std::size_t>(k)], box[k][0], box[k][1], box[k][2], 6);
    ExpectDot(dots[17], -1, -2, -3, 7);
}

TEST(DisplayList3DPickDots, ClipPlanesFilterOnlyTheirOwnListInItsOwnFrame)
{
    DisplayList3D root;
    for (double x : {2.0, 0.0, -1.0})
        root.Add(DotPrimitive(Point3d(x, 0, 0), Opaque(), 1, 1));
    root.SetClipPlane(0, Plane(Point3d(0, 0, 0), Point3d(1, 0, 0)));
    root.SetClipPlaneEnabled(0, true);
    root.SetClipPlane(1, Plane(Point3d(0, 0, 0), Point3d(0, 1, 0))); // not enabled

    DisplayList3D free;
    free.Add(DotPrimitive(Point3d(-1, 0, 0), Opaque(), 1, 2));
    root.Add(free);

    // Turned a quarter about z, then shifted by 5 along y: its plane x >= 0
    // (given with a normal of length 2) is y >= 5 in the root's frame.
    DisplayList3D clipped;
    Matrix4x4 local(Point3d(0, 0, 1), 90.0);
    local.Set(3, 0, 0.0);
    local.Set(3, 1, 5.0);
    clipped.SetLocalTransformation(local);
    clipped.Add(DotPrimitive(Point3d(-1, -3, 0), Opaque(), 1, 3)); // -> (3, 4, 0): dropped
    clipped.Add(DotPrimitive(Point3d(1, 3, 0), Opaque(), 1, 4));   // -> (-3, 6, 0): kept
    clipped.SetClipPlane(3, Plane(Point3d(0, 0, 0), Point3d(2, 0, 0)));
    clipped.SetClipPlaneEnabled(3, true);
    DisplayList3D inner; // below the clipped list: not clipped by it
    inner.Add(DotPrimitive(Point3d(-1, 0, 0), Opaque(), 1, 5));
    clipped.Add(inner);
    root.Add(clipped);

    Dots dots = PickDots(root);
    ASSERT_EQ(dots.size(), 5u);
    ExpectDot(dots[0], 2, 0, 0, 1);
    ExpectDot(dots[1], 0, 0, 0, 1);
    ExpectDot(dots[2], -1, 0, 0, 2);
    ExpectDot(dots[3], -3, 6, 0, 4);
    ExpectDot(dots[4], 0, 4, 0, 5);

    // A coordinate that gives no plane value (not a number) is dropped.
    DisplayList3D nan;
    const double q = std::numeric_limits<double>::quiet_NaN();
    nan.Add(DotPrimitive(Point3d(q, 0, 0), Opaque(), 1, 1));
    nan.Add(DotPrimitive(Point3d(1, 0, 0), Opaque(), 1, 2));
    nan.SetClipPlane(5, Plane(Point3d(0, 0, 0), Point3d(1, 0, 0)));
    nan.SetClipPlaneEnabled(5, true);
    EXPECT_EQ(Ids(PickDots(nan)), (std::vector<unsigned int>{2}));
}

// The planes hold in the list's own frame whatever its transformation: a
// stretched frame keeps and drops what the plane says there, and dots lying
// on a plane stay after any turn.
TEST(DisplayList3DPickDots, ClipPlanesHoldInTheOwnFrameUnderAnyTransformation)
{
    // x stretched by 2, then shifted by 5 along y. The list's plane x + y >= 0
    // keeps (1, -0.9) and (-0.5, 0.6) and drops (0.5, -0.9); in the root's
    // frame the kept ones lie at (2, 4.1) and (-1, 5.6).
    DisplayList3D stretched;
    Matrix4x4 local(Matrix4x4::IdentityMatrix);
    local.Set(0, 0, 2.0);
    local.Set(3, 1, 5.0);
    stretched.SetLocalTransformation(local);
    stretched.Add(DotPrimitive(Point3d(1, -0.9, 0), Opaque(), 1, 1));
    stretched.Add(DotPrimitive(Point3d(0.5, -0.9, 0), Opaque(), 1, 2));
    stretched.Add(DotPrimitive(Point3d(-0.5, 0.6, 0), Opaque(), 1, 3));
    stretched.SetClipPlane(2, Plane(Point3d(0, 0, 0), Point3d(1, 1, 0)));
    stretched.SetClipPlaneEnabled(2, true);
    Dots dots = PickDots(stretched);
    ASSERT_EQ(Ids(dots), (std::vector<unsigned int>{1, 3}));
    ExpectDot(dots[0], 2, 4.1, 0, 1);
    ExpectDot(dots[1], -1, 5.6, 0, 3);

    // One nested list per whole degree, turned about z, each holding a dot on
    // its own plane x = 0.
    DisplayList3D root;
    std::vector<unsigned int> expected;
    for (unsigned int degrees = 1; degrees < 360; ++degrees) {
        DisplayList3D turned;
        turned.SetLocalTransformation(Matrix4x4(Point3d(0, 0, 1), static_cast<double>(degrees)));
        turned.Add(DotPrimitive(Point3d(0, 0.7, 0), Opaque(), 1, degrees));
        turned.SetClipPlane(0, Plane(Point3d(0, 0, 0), Point3d(1, 0, 0)));
        turned.SetClipPlaneEnabled(0, true);
        root.Add(turned);
        expected.push_back(degrees);
    }
    dots = PickDots(root);
    EXPECT_EQ(Ids(dots), expected);
    ASSERT_EQ(dots.size(), 359u);
    ExpectDot(dots[89], -0.7, 0, 0, 90); // a quarter turn
}

TEST(DisplayList3DPickDots, NestedListsUseTheAggregateTransformation)
{
    DisplayList3D root, child, grandchild;
    root.SetLocalTransformation(Matrix4x4(Point3d(0, 0, 1), 90.0));
    child.SetLocalTransformation(Translation(10, 0, 0));
    grandchild.SetLocalTransformation(Translation(0, 0, 1));
    grandchild.Add(SpherePrimitive(Point3d(1, 0, 0), 1.0, Opaque(), 3));
    child.Add(grandchild);
    child.Add(SpherePrimitive(Point3d(1, 0, 0), 1.0, Opaque(), 2));
    root.Add(child);
    root.Add(SpherePrimitive(Point3d(1, 0, 0), 1.0, Opaque(), 1));

    Dots dots(1, DotPrimitive(Point3d(), Opaque(), 1, 99)); // kept in front
    EXPECT_EQ(root.GetPickDots(dots), 4);
    EXPECT_EQ(Ids(dots), (std::vector<unsigned int>{99, 1, 2, 3}));
    ExpectPoint(dots[1].GetCoord(), 0, 1, 0);
    ExpectPoint(dots[2].GetCoord(), 10, 1, 0);
    ExpectPoint(dots[3].GetCoord(), 10, 1, 1);
}

TEST(DisplayList3DPickDots, OverlayDotsAreUntransformed)
{
    DisplayList3D list;
    list.SetLocalTransformation(Translation(100, 100, 100));
    Text3DPrimitive note("n", Point3d(1, 2, 3), Opaque(), 1);
    note.SetIsAnnotation(true);
    list.Add(note);
    list.Add(Text3DPrimitive("m", Point3d(1, 2, 3), Opaque(), 99)); // 3D only
    list.Add(LineSegmentPrimitive(Point2d(1, 1), Point2d(2, 3), Opaque(), 1, 2));
    Point2d::Array points;
    for (int i = 0; i < 3; ++i)
        points.Add(Point2d(i, 2 * i));
    list.Add(PolylinePrimitive(points, Opaque(), 1, 3));
    list.Add(RectanglePrimitive(Point2d(4, 2), Point2d(10, 20), true, Opaque(), 1, false, Opaque(), 4));
    list.Add(EllipsePrimitive(Point2d(4, 2), Point2d(10, 20), true, Opaque(), 1, false, Opaque(), 5));
    list.Add(TriangleShapePrimitive(Point2d(0, 0), Point2d(3, 0), Point2d(0, 4), true, Opaque(), 1, false, Opaque(),
                                    6));
    TextStringPrimitive string(7u);
    string.SetOrigin(Point2d(5, 6));
    list.Add(string);
    TextBoxPrimitive box(8u);
    box.SetOrigin(Point2d(7, 8));
    list.Add(box);
    TextCalloutPrimitive callout(9u);
    callout.SetOrigin(Point2d(9, 10));
    list.Add(callout);
    list.Add(RectanglePrimitive(Point2d(4, 2), Point2d(10, 20), true, Opaque(), 1, false, Opaque(), 0));
    DisplayList3D child;
    child.SetLocalTransformation(Translation(5, 5, 5));
    child.Add(TextStringPrimitive(10u));
    list.Add(child);

    Dots dots = PickDots2D(list);
    ASSERT_EQ(dots.size(), 1u + 2u + 3u + 4u + 4u + 3u + 3u + 1u);
    std::size_t i = 0;
    ExpectDot(dots[i++], 1, 2, 3, 1);
    ExpectDot(dots[i++], 1, 1, 0, 2);
    ExpectDot(dots[i++], 2, 3, 0, 2);
    for (int k = 0; k < 3; ++k)
        ExpectDot(dots[i++], k, 2 * k, 0, 3);
    ExpectDot(dots[i++], 10, 20, 0, 4);
    ExpectDot(dots[i++], 14, 20, 0, 4);
    ExpectDot(dots[i++], 14, 22, 0, 4);
    ExpectDot(dots[i++], 10, 22, 0, 4);
    ExpectDot(dots[i++], 14, 22, 0, 5);
    ExpectDot(dots[i++], 6, 22, 0, 5);
    ExpectDot(dots[i++], 6, 18, 0, 5);
    ExpectDot(dots[i++], 14, 18, 0, 5);
    ExpectDot(dots[i++], 0, 0, 0, 6);
    ExpectDot(dots[i++], 3, 0, 0, 6);
    ExpectDot(dots[i++], 0, 4, 0, 6);
    ExpectDot(dots[i++], 5, 6, 0, 7);
    ExpectDot(dots[i++], 7, 8, 0, 8);
    ExpectDot(dots[i++], 9, 10, 0, 9);
    ExpectDot(dots[i++], 0, 0, 0, 10);

    // The annotation gives no 3D dot; the plain text gives only a 3D one.
    EXPECT_EQ(Ids(PickDots(list)), (std::vector<unsigned int>{99}));
}
