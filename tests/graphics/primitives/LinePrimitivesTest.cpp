#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/geometry/Matrix4x4.h"

#include "tests/support/ArchiveBytes.h"
#include "tests/support/ExpectPoint.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Orvane;
using namespace testing_bytes::chained;

namespace {

// A line's image: identifier, both ends as vertices, width, second identifier.
Bytes LineBytes(std::uint32_t id, const Point3d& a, const Point3d& b, Color c, int width, std::uint32_t id2,
                UINT schema)
{
    return Bytes()
        .U32(id)
        .Rgba(c.GetR(), c.GetG(), c.GetB(), 0)
        .Pt(a[0], a[1], a[2], schema)
        .Rgba(c.GetR(), c.GetG(), c.GetB(), 0)
        .Pt(b[0], b[1], b[2], schema)
        .I32(width)
        .U32(id2);
}

Matrix4x4 Shift(double x, double y, double z)
{
    Matrix4x4 m(Matrix4x4::IdentityMatrix);
    m.SetTranslation(x, y, z);
    return m;
}

} // namespace

TEST(LinePrimitivesTest, LineIdentifiersAndArchive)
{
    LinePrimitive line(Point3d(1, 2, 3), Point3d(4, 5, 6), Color(9, 9, 9, 9), 2, 5);
    EXPECT_EQ(line.GetID1(), 5u);
    EXPECT_EQ(line.GetID2(), 5u);
    EXPECT_EQ(LinePrimitive(Point3d(), Point3d(), Color(), 1, 5, 6).GetID2(), 6u);
    LinePrimitive two(Point3d(), Color::Red(), Point3d(), Color::Blue(), 3, 8);
    EXPECT_EQ(two.GetColor2(), Color::Blue());
    EXPECT_EQ(two.GetID2(), 8u);
    EXPECT_EQ(LinePrimitive().GetWidth(), 1);

    line.SetID2(0xABCDEF01u);
    const std::vector<BYTE> expected =
        LineBytes(5, Point3d(1, 2, 3), Point3d(4, 5, 6), Color(9, 9, 9), 2, 0xABCDEF01u, 7).v;
    EXPECT_EQ(Store(line, 7), expected);
    LinePrimitive back;
    EXPECT_EQ(Load(back, expected, 7), 0u);
    EXPECT_EQ(back.GetID2(), 0xABCDEF01u);
    EXPECT_EQ(back.GetEnd2(), Point3d(4, 5, 6));
    EXPECT_EQ(back.GetColor1(), Color(9, 9, 9, 0));
    EXPECT_EQ(back.GetWidth(), 2);

    line.Transform(Shift(1, 0, 0));
    EXPECT_EQ(line.GetEnd1(), Point3d(2, 2, 3));
    EXPECT_EQ(line.GetEnd2(), Point3d(5, 5, 6));
    EXPECT_EQ(line.GetWidth(), 2);
}

TEST(LinePrimitivesTest, DashedLineOneByteFlag)
{
    DashedLinePrimitive def;
    EXPECT_EQ(def.GetNumDashes(), 10);
    EXPECT_FALSE(def.GetStartBlank());

    DashedLinePrimitive d(Point3d(0, 0, 0), Point3d(1, 1, 1), Color::White(), 1, 4, true, 3);
    EXPECT_EQ(d.GetID2(), 3u);
    Bytes expected = LineBytes(3, Point3d(0, 0, 0), Point3d(1, 1, 1), Color::White(), 1, 3, kUnset);
    expected.I32(4).U8(1);
    EXPECT_EQ(Store(d, kUnset), expected.v);

    // Any nonzero byte reads true.
    expected.v.back() = 2;
    DashedLinePrimitive back;
    EXPECT_EQ(Load(back, expected.v, kUnset), 0u);
    EXPECT_TRUE(back.GetStartBlank());
    EXPECT_EQ(back.GetNumDashes(), 4);
    expected.v.back() = 0;
    Load(back, expected.v, kUnset);
    EXPECT_FALSE(back.GetStartBlank());
}

TEST(LinePrimitivesTest, LineArrayStyleOnlyAboveTwelve)
{
    LineArrayPrimitive def;
    EXPECT_EQ(def.GetLineWidth(), 1.0f);
    EXPECT_EQ(def.GetDashPattern(), 0xFF00);
    EXPECT_FALSE(def.GetDashed());

    LinePrimitiveArray lines;
    lines.Add(LinePrimitive(Point3d(0, 0, 0), Point3d(1, 0, 0), Color(1, 2, 3), 1, 10, 11));
    lines.Add(LinePrimitive(Point3d(0, 1, 0), Point3d(1, 1, 0), Color(4, 5, 6), 2, 12, 13));
    LineArrayPrimitive array(2.5f, lines, true, 0x0F0F);
    EXPECT_EQ(array.GetID(), 0u);

    auto image = [](UINT schema) {
        return Bytes()
            .U32(0)
            .I32(2)
            .Add(LineBytes(10, Point3d(0, 0, 0), Point3d(1, 0, 0), Color(1, 2, 3), 1, 11, schema))
            .Add(LineBytes(12, Point3d(0, 1, 0), Point3d(1, 1, 0), Color(4, 5, 6), 2, 13, schema))
            .F32(2.5f);
    };
    EXPECT_EQ(Store(array, 12), image(12).v);
    EXPECT_EQ(Store(array, 13), image(13).I32(1).U16(0x0F0F).v);
    EXPECT_EQ(Store(array, kUnset), image(kUnset).I32(1).U16(0x0F0F).v); // unset counts as newest

    LineArrayPrimitive old;
    old.SetDashed(true);
    EXPECT_EQ(Load(old, image(12).v, 12), 0u);
    EXPECT_TRUE(old.GetDashed()); // not in the document: kept
    EXPECT_EQ(old.GetDashPattern(), 0xFF00);
    ASSERT_EQ(old.GetLineArray().GetSize(), 2);
    EXPECT_EQ(old.GetLineArray()[1].GetID2(), 13u);
    EXPECT_EQ(old.GetLineWidth(), 2.5f);

    // The dashed flag reads true only when the stored value is exactly 1.
    for (int stored : {0, 1, 2, -1}) {
        LineArrayPrimitive back;
        EXPECT_EQ(Load(back, image(13).I32(stored).U16(0x1234).v, 13), 0u);
        EXPECT_EQ(back.GetDashed(), stored == 1) << stored;
        EXPECT_EQ(back.GetDashPattern(), 0x1234);
    }

    array.Transform(Shift(0, 0, 1));
    EXPECT_EQ(array.GetLineArray()[0].GetEnd2(), Point3d(1, 0, 1));
    EXPECT_EQ(array.GetLineArray()[1].GetEnd1(), Point3d(0, 1, 1));

    LineArrayPrimitive copy(array);
    copy.GetLineArray()[0].SetWidth(9);
    EXPECT_EQ(array.GetLineArray()[0].GetWidth(), 1); // copies are deep
}

TEST(LinePrimitivesTest, LineArrayDamagedCounts)
{
    for (std::int32_t count : {-1, 3, 0x7FFFFFFF}) {
        LineArrayPrimitive a;
        a.GetLineArray().Add(LinePrimitive());
        std::vector<BYTE> bytes = Bytes().U32(0).I32(count).Add(LineBytes(0, Point3d(), Point3d(), Color(), 1, 0, 13)).v;
        EXPECT_THROW(Load(a, bytes, 13), CArchiveException) << count;
        a.GetLineArray().Add(LinePrimitive());
        a.Transform(Shift(1, 1, 1));
    }
}

TEST(LinePrimitivesTest, ArcGeneration)
{
    ArcPrimitive arc(Point3d(0, 0, 0), Point3d(0, 0, 1), Point3d(1, 0, 0), 90, 3, Color::Green(), 2, 4);
    ASSERT_EQ(arc.GetNumPoints(), 4);
    EXPECT_EQ(arc.GetPointAt(0), Point3d(1, 0, 0));
    const double pi = std::acos(-1.0);
    for (int i = 1; i < 4; ++i)
        ExpectPoint(arc.GetPointAt(i), std::cos(i * pi / 6), std::sin(i * pi / 6), 0);

    // Off the origin: the circle is about the normal through the centre.
    ArcPrimitive off(Point3d(1, 1, 1), Point3d(0, 0, 2), Point3d(2, 1, 1), 180, 2, Color(), 1);
    ASSERT_EQ(off.GetNumPoints(), 3);
    ExpectPoint(off.GetPointAt(1), 1, 2, 1);
    ExpectPoint(off.GetPointAt(2), 0, 1, 1);

    for (int segments : {0, -3}) {
        ArcPrimitive none(Point3d(), Point3d(0, 0, 1), Point3d(1, 2, 3), 90, segments, Color(), 1);
        ASSERT_EQ(none.GetNumPoints(), 1);
        EXPECT_EQ(none.GetPointAt(0), Point3d(1, 2, 3));
    }

    arc.SetAngle(180);
    arc.SetNumSegments(10);
    EXPECT_EQ(arc.GetNumPoints(), 4); // the setters do not regenerate
    EXPECT_EQ(ArcPrimitive().GetNumPoints(), 0);
}

TEST(LinePrimitivesTest, ArcTransformMovesEverything)
{
    ArcPrimitive arc(Point3d(0, 0, 0), Point3d(0, 0, 3), Point3d(1, 0, 0), 90, 2, Color(), 1);
    arc.Transform(Shift(5, 0, 0));
    EXPECT_EQ(arc.GetCenter(), Point3d(5, 0, 0));
    EXPECT_EQ(arc.GetStart(), Point3d(6, 0, 0));
    ExpectPoint(arc.GetNormal(), 0, 0, 1); // a direction: not shifted, unit length
    ExpectPoint(arc.GetPointAt(2), 5, 1, 0);
    EXPECT_EQ(arc.GetPointAt(0), arc.GetStart());

    // A quarter turn about x: the arc's plane turns with it.
    arc.Transform(Matrix4x4(Point3d(1, 0, 0), 90.0));
    ExpectPoint(arc.GetNormal(), 0, -1, 0);
    ExpectPoint(arc.GetPointAt(2), 5, 0, 1);
    ExpectPoint(arc.GetCenter(), 5, 0, 0);
}

TEST(LinePrimitivesTest, ArcArchive)
{
    ArcPrimitive arc(Point3d(0, 0, 0), Point3d(0, 0, 1), Point3d(1, 0, 0), 180, 2, Color(1, 2, 3, 4), 3, 0x55);
    Bytes expected;
    expected.U32(0x55).Pt(0, 0, 0, 6).Pt(0, 0, 1, 6).Pt(1, 0, 0, 6).Rgba(1, 2, 3, 4);
    expected.U16(3); // point count, then one block of floats whatever the schema
    for (int i = 0; i < 3; ++i)
        expected.F32(arc.GetPointAt(i)[0]).F32(arc.GetPointAt(i)[1]).F32(arc.GetPointAt(i)[2]);
    expected.F32(180).I32(2).I32(3);
    EXPECT_EQ(Store(arc, 6), expected.v);

    ArcPrimitive back;
    EXPECT_EQ(Load(back, expected.v, 6), 0u);
    EXPECT_EQ(back.GetID(), 0x55u);
    EXPECT_EQ(back.GetColor(), Color(1, 2, 3, 4));
    ASSERT_EQ(back.GetNumPoints(), 3);
    EXPECT_EQ(back.GetPointAt(1), arc.GetPointAt(1));
    EXPECT_EQ(back.GetAngle(), 180.0);
    EXPECT_EQ(back.GetNumSegments(), 2);
    EXPECT_EQ(back.GetWidth(), 3);

    // A point count beyond the data is refused before anything is allocated.
    std::vector<BYTE> damaged(expected.v.begin(), expected.v.begin() + 4 + 3 * 24 + 4);
    const std::vector<BYTE> hugeCount = Bytes().U16(0xFFFF).U32(0x10000000).v;
    damaged.insert(damaged.end(), hugeCount.begin(), hugeCount.end());
    ArcPrimitive hurt;
    EXPECT_THROW(Load(hurt, damaged, 6), CArchiveException);
}
