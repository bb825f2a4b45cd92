#include "orvcore/graphics/primitives/ShapePrimitives.h"

#include "orvcore/core/CArchiveException.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

using namespace Orvane;
using namespace testing_bytes;

namespace {

void ExpectPoint2(const Point2d& p, double x, double y)
{
    EXPECT_EQ(p.GetX(), x);
    EXPECT_EQ(p.GetY(), y);
}

Point2d::Array Points2(std::initializer_list<Point2d> points)
{
    Point2d::Array a;
    for (const Point2d& p : points)
        a.Add(p);
    return a;
}

// The image of the shape part: identifier, origin, colours, then the
// outline, fill and stipple fields.
Bytes ShapeBytes(std::uint32_t id, double x, double y, Bytes fg, Bytes bg, std::int32_t outlined,
                 std::int32_t width, std::int32_t filled, std::int32_t stippled, std::int32_t pattern)
{
    return Concat({UInt32(id), Doubles({x, y}), fg, bg, Int32(outlined), Int32(width), Int32(filled),
                   Int32(stippled), Int32(pattern)});
}

} // namespace

TEST(ShapePrimitivesTest, DefaultsAndConstructors)
{
    UnlitShapePrimitive shape;
    EXPECT_TRUE(shape.GetIsOutlined());
    EXPECT_EQ(shape.GetForegroundColor(), Color::White());
    EXPECT_EQ(shape.GetOutlineWidth(), 1);
    EXPECT_FALSE(shape.GetIsFilled());
    EXPECT_EQ(shape.GetBackgroundColor(), Color::White());
    EXPECT_FALSE(shape.GetIsStippled());
    EXPECT_EQ(shape.GetStipplePattern(), 4);
    EXPECT_EQ(UnlitShapePrimitive(6).GetID(), 6u);

    RectanglePrimitive rect(Point2d(10, 5), Point2d(1, 2), false, Color::Red(), 3, true, Color::Blue(), 9);
    ExpectPoint2(rect.GetSize(), 10, 5);
    ExpectPoint2(rect.GetOrigin(), 1, 2);
    EXPECT_FALSE(rect.GetIsOutlined());
    EXPECT_EQ(rect.GetForegroundColor(), Color::Red());
    EXPECT_EQ(rect.GetOutlineWidth(), 3);
    EXPECT_TRUE(rect.GetIsFilled());
    EXPECT_EQ(rect.GetBackgroundColor(), Color::Blue());
    EXPECT_EQ(rect.GetStipplePattern(), UnlitShapePrimitive::Cross);
    EXPECT_EQ(rect.GetID(), 9u);
    RectanglePrimitive noSize(Point2d(1, 2), true, Color::Red(), 1, false, Color::Blue(), 0);
    ExpectPoint2(noSize.GetSize(), 0, 0);

    EllipsePrimitive ellipse(Point2d(3, 4), Point2d(5, 6), true, Color::Green(), 2, false, Color::Red(), 1);
    ExpectPoint2(ellipse.GetSize(), 3, 4);
    ExpectPoint2(ellipse.GetOrigin(), 5, 6);

    TriangleShapePrimitive tri(Point2d(1, 1), Point2d(4, 1), Point2d(1, 5), true, Color::Red(), 2, true,
                               Color::Green(), 3);
    ExpectPoint2(tri.GetOrigin(), 1, 1);
    ExpectPoint2(tri.GetPoint2(), 4, 1);
    ExpectPoint2(tri.GetPoint3(), 1, 5);
    EXPECT_EQ(tri.GetBackgroundColor(), Color::Green());

    Rect2DPrimitive r2;
    EXPECT_EQ(r2.GetWidth(), 0);
    EXPECT_EQ(r2.GetColor(), Color());
    Rect2DPrimitive r(Point3d(1, 2, 3), Color::Red(), 20, 10, 4);
    Matrix4x4 move;
    move.SetTranslation(1, 1, 1);
    r.Transform(move);
    EXPECT_TRUE(r.GetCoord() == Point3d(2, 3, 4));
    EXPECT_EQ(r.GetHeight(), 10);
}

TEST(ShapePrimitivesTest, ShapeArchiveBytesAndFieldsReadInStep)
{
    RectanglePrimitive rect(Point2d(10, 5), Point2d(1, 2), true, Color(1, 2, 3, 4), 7, false, Color(5, 6, 7, 8), 9);
    rect.SetIsStippled(true);
    rect.SetStipplePattern(UnlitShapePrimitive::ForwardDiagonal);
    const Bytes rectBytes =
        Concat({ShapeBytes(9, 1, 2, Rgba(1, 2, 3, 4), Rgba(5, 6, 7, 8), 1, 7, 0, 1, 2), Doubles({10, 5})});
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { rect.Serialize(ar); }), rectBytes);
    EXPECT_EQ(Store(7, [&](CArchive& ar) { rect.Serialize(ar); }), rectBytes);

    // Through the base: the ellipse stores as the rectangle does.
    EllipsePrimitive ellipse(Point2d(10, 5), Point2d(1, 2), true, Color(1, 2, 3, 4), 7, false, Color(5, 6, 7, 8),
                             9);
    ellipse.SetIsStippled(true);
    ellipse.SetStipplePattern(UnlitShapePrimitive::ForwardDiagonal);
    UnlitShapePrimitive& base = ellipse;
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { base.Serialize(ar); }), rectBytes);

    // Distinct values in every field after the outline width land in their
    // own fields; flags read as set when non-zero.
    const Bytes stored =
        Concat({ShapeBytes(3, -1.5, 8, Rgba(9, 9, 9, 9), Rgba(0, 1, 0, 1), 0, 11, 5, -2, 77), Doubles({4, 2})});
    RectanglePrimitive loaded;
    EXPECT_EQ(Load(stored, 12, [&](CArchive& ar) { loaded.Serialize(ar); }), 0u);
    EXPECT_EQ(loaded.GetID(), 3u);
    ExpectPoint2(loaded.GetOrigin(), -1.5, 8);
    EXPECT_EQ(loaded.GetForegroundColor(), Color(9, 9, 9, 9));
    EXPECT_EQ(loaded.GetBackgroundColor(), Color(0, 1, 0, 1));
    EXPECT_FALSE(loaded.GetIsOutlined());
    EXPECT_EQ(loaded.GetOutlineWidth(), 11);
    EXPECT_TRUE(loaded.GetIsFilled());
    EXPECT_TRUE(loaded.GetIsStippled());
    EXPECT_EQ(static_cast<int>(loaded.GetStipplePattern()), 77);
    ExpectPoint2(loaded.GetSize(), 4, 2);

    TriangleShapePrimitive tri(Point2d(1, 1), Point2d(4, 1), Point2d(1, 5), false, Color(1, 1, 1, 0), 2, true,
                               Color(2, 2, 2, 0), 6);
    const Bytes triBytes = Concat({ShapeBytes(6, 1, 1, Rgba(1, 1, 1, 0), Rgba(2, 2, 2, 0), 0, 2, 1, 0, 4),
                                   Doubles({1, 1, 4, 1, 1, 5})});
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { tri.Serialize(ar); }), triBytes);
    TriangleShapePrimitive triBack;
    EXPECT_EQ(Load(triBytes, kUnset, [&](CArchive& ar) { triBack.Serialize(ar); }), 0u);
    ExpectPoint2(triBack.GetPoint3(), 1, 5);
    EXPECT_EQ(triBack.GetOutlineWidth(), 2);
}

TEST(ShapePrimitivesTest, LineSegmentsKeepTwoPointsAndPolylinesAll)
{
    const Point2d::Array four = Points2({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
    LineSegmentPrimitive segment;
    EXPECT_EQ(segment.GetPoints().GetSize(), 0);
    EXPECT_EQ(segment.GetColor(), Color::White());
    EXPECT_EQ(segment.GetWidth(), 1);
    segment.SetPoints(four);
    ASSERT_EQ(segment.GetPoints().GetSize(), 2);
    ExpectPoint2(segment.GetPoints()[1], 3, 4);

    // Fewer than two points make no segment: it stays as it was.
    segment.SetPoints(Points2({{9, 9}}));
    segment.SetPoints(Point2d::Array());
    ASSERT_EQ(segment.GetPoints().GetSize(), 2);
    ExpectPoint2(segment.GetPoints()[0], 1, 2);
    // Through the base class too, and with its own array.
    UnlitLinePrimitive& base = segment;
    base.SetPoints(four);
    EXPECT_EQ(segment.GetPoints().GetSize(), 2);
    segment.SetPoints(segment.GetPoints());
    ExpectPoint2(segment.GetPoints()[1], 3, 4);

    LineSegmentPrimitive built(Point2d(1, 1), Point2d(2, 2), Color::Red(), 3, 5);
    ASSERT_EQ(built.GetPoints().GetSize(), 2);
    ExpectPoint2(built.GetPoints()[1], 2, 2);
    EXPECT_EQ(built.GetID(), 5u);

    PolylinePrimitive poly(four, Color::Red(), 2, 1);
    EXPECT_EQ(poly.GetPoints().GetSize(), 4);
    poly.SetPoints(Points2({{0, 0}}));
    EXPECT_EQ(poly.GetPoints().GetSize(), 1);
    poly.SetPoints(poly.GetPoints());
    EXPECT_EQ(poly.GetPoints().GetSize(), 1);
    UnlitLinePrimitive line(four, Color::Blue(), 4, 2);
    UnlitLinePrimitive copy(line);
    line.SetPoints(Point2d::Array());
    EXPECT_EQ(copy.GetPoints().GetSize(), 4);
}

TEST(ShapePrimitivesTest, LineArchiveBytes)
{
    PolylinePrimitive poly(Points2({{1, 2}, {3, 4}, {5, 6}}), Color(1, 2, 3, 4), 2, 8);
    const Bytes polyBytes = Concat({UInt32(8), Count(3), Doubles({1, 2, 3, 4, 5, 6}), Rgba(1, 2, 3, 4), Int32(2)});
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { poly.Serialize(ar); }), polyBytes);
    EXPECT_EQ(Store(7, [&](CArchive& ar) { poly.Serialize(ar); }), polyBytes);

    LineSegmentPrimitive empty(Color::Red(), 3, 1);
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { empty.Serialize(ar); }),
              Concat({UInt32(1), Count(0), Rgba(255, 0, 0, 0), Int32(3)}));

    UnlitLinePrimitive loaded(Points2({{9, 9}}), Color(), 0, 0);
    EXPECT_EQ(Load(polyBytes, kUnset, [&](CArchive& ar) { loaded.Serialize(ar); }), 0u);
    ASSERT_EQ(loaded.GetPoints().GetSize(), 3);
    ExpectPoint2(loaded.GetPoints()[2], 5, 6);
    EXPECT_EQ(loaded.GetColor(), Color(1, 2, 3, 4));
    EXPECT_EQ(loaded.GetWidth(), 2);

    // A count the archive cannot back is rejected before the array grows.
    const Bytes damaged = Concat({UInt32(8), Count(500), Doubles({1, 2})});
    EXPECT_THROW(Load(damaged, kUnset, [&](CArchive& ar) { loaded.Serialize(ar); }), CArchiveException);
    EXPECT_EQ(loaded.GetPoints().GetSize(), 3);
}

TEST(ShapePrimitivesTest, UnlitTriangle)
{
    UnlitTrianglePrimitive t(Point3d(1, 0, 0), Point3d(0, 2, 0), Point3d(0, 0, 3), Color(1, 2, 3, 4), 5);
    UnlitTrianglePrimitive other(Point3d(1, 0, 0), Point3d(0, 2, 0), Point3d(0, 0, 3), Color::Red(), 6);
    EXPECT_TRUE(t == other); // colour and identifier are not compared
    other.SetEnd3(Point3d(0, 0, 4));
    EXPECT_TRUE(t != other);

    EXPECT_EQ(Store(7, [&](CArchive& ar) { t.Serialize(ar); }),
              Concat({UInt32(5), Floats({1, 0, 0, 0, 2, 0, 0, 0, 3}), Rgba(1, 2, 3, 4)}));
    const Bytes wide = Concat({UInt32(5), Doubles({1, 0, 0, 0, 2, 0, 0, 0, 3}), Rgba(1, 2, 3, 4)});
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { t.Serialize(ar); }), wide);
    UnlitTrianglePrimitive back;
    EXPECT_EQ(Load(wide, 6, [&](CArchive& ar) { back.Serialize(ar); }), 0u);
    EXPECT_TRUE(back == t);
    EXPECT_EQ(back.GetColor(), Color(1, 2, 3, 4));
    EXPECT_EQ(back.GetID(), 5u);

    Matrix4x4 move;
    move.SetTranslation(0, 0, 1);
    t.Transform(move);
    EXPECT_TRUE(t.GetEnd1() == Point3d(1, 0, 1));
    EXPECT_TRUE(t.GetEnd3() == Point3d(0, 0, 4));
    EXPECT_EQ(t.GetColor(), Color(1, 2, 3, 4));
}
