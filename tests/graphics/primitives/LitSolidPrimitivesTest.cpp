#include "orvcore/graphics/primitives/LitSolidPrimitives.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Orvane;
using namespace testing_bytes::chained;

namespace {

// LitPrimitive part: identifier, material, representation.
Bytes LitPart(std::uint32_t id, std::int32_t material = 0, std::int32_t representation = 0)
{
    return Bytes().U32(id).I32(material).I32(representation);
}

void ExpectNear(const Point3d& p, double x, double y, double z)
{
    EXPECT_NEAR(p.GetX(), x, 1e-5);
    EXPECT_NEAR(p.GetY(), y, 1e-5);
    EXPECT_NEAR(p.GetZ(), z, 1e-5);
}

} // namespace

TEST(LitSolidPrimitivesTest, SphereAndTransparency)
{
    SpherePrimitive s(Point3d(1, 2, 3), 0.1, Color(9, 8, 7, 1), 11);
    EXPECT_EQ(s.GetRadius(), static_cast<double>(0.1f)); // held as a float
    EXPECT_TRUE(s.IsTransparent());
    s.SetColor(Color(9, 8, 7, 0));
    EXPECT_FALSE(s.IsTransparent());

    s.SetColor(Color(9, 8, 7, 200));
    s.SetMaterial(LitPrimitive::Shiny);
    const std::vector<BYTE> expected =
        LitPart(11, 1).Rgba(9, 8, 7, 0).Pt(1, 2, 3, 7).F32(0.1f).v;
    EXPECT_EQ(Store(s, 7), expected);
    SpherePrimitive back;
    EXPECT_EQ(Load(back, expected, 7), 0u);
    EXPECT_EQ(back.GetID(), 11u);
    EXPECT_EQ(back.GetMaterial(), LitPrimitive::Shiny);
    EXPECT_EQ(back.GetCenter(), Point3d(1, 2, 3));
    EXPECT_EQ(back.GetColor(), Color(9, 8, 7, 0)); // a transparent sphere reloads opaque
    EXPECT_EQ(back.GetRadius(), s.GetRadius());

    Matrix4x4 m(Matrix4x4::IdentityMatrix);
    m.SetTranslation(1, 1, 1);
    s.Transform(m);
    EXPECT_EQ(s.GetCenter(), Point3d(2, 3, 4));
    EXPECT_EQ(s.GetRadius(), static_cast<double>(0.1f));
}

TEST(LitSolidPrimitivesTest, EllipsoidArchiveAndTransform)
{
    EllipsoidPrimitive def;
    EXPECT_EQ(def.GetMatrix().Get(0, 0), 1.0);
    EXPECT_EQ(def.GetMatrix().Get(3, 3), 1.0);
    EXPECT_EQ(def.GetMatrix().Get(0, 1), 0.0);

    Matrix4x4 shape(Matrix4x4::IdentityMatrix);
    shape.Set(0, 1, 0.5);
    EllipsoidPrimitive e(Point3d(1, 0, 0), Point3d(2, 3, 4), shape, Color(1, 2, 3, 4), 5);
    e.SetRepresentation(LitPrimitive::Wireframe);
    // Schema 6 has no representation word.
    Bytes expected = Bytes().U32(5).I32(0).Rgba(1, 2, 3, 0).Pt(1, 0, 0, 6).Pt(2, 3, 4, 6);
    for (int i = 0; i < 16; ++i)
        expected.F64(shape.Get(i / 4, i % 4));
    EXPECT_EQ(Store(e, 6), expected.v);
    EllipsoidPrimitive back;
    EXPECT_EQ(Load(back, expected.v, 6), 0u);
    EXPECT_EQ(back.GetRepresentation(), LitPrimitive::Solid);
    EXPECT_EQ(back.GetSize(), Point3d(2, 3, 4));
    EXPECT_EQ(back.GetMatrix().Get(0, 1), 0.5);

    Matrix4x4 m(Matrix4x4::IdentityMatrix);
    m.SetTranslation(0, 0, 5);
    e.Transform(m);
    EXPECT_EQ(e.GetCenter(), Point3d(1, 0, 5));
    EXPECT_EQ(e.GetSize(), Point3d(2, 3, 4));
    EXPECT_EQ(e.GetMatrix().Get(0, 1), 0.5);
}

TEST(LitSolidPrimitivesTest, CylinderIdentifiersAndCapping)
{
    CylinderPrimitive one(Point3d(0, 0, 0), Color::Red(), Point3d(0, 0, 2), Color::Blue(), 0.5, 7);
    EXPECT_EQ(one.GetID(), 7u);
    EXPECT_EQ(one.GetEnd1ID(), 7u);
    EXPECT_EQ(one.GetEnd2ID(), 7u);
    EXPECT_TRUE(one.GetIsCapped());
    EXPECT_TRUE(CylinderPrimitive().GetIsCapped());

    CylinderPrimitive three(Point3d(0, 0, 0), Color::Red(), Point3d(0, 0, 2), Color::Blue(), 0.5, 1, 2, 3);
    EXPECT_EQ(three.GetID(), 1u);
    EXPECT_EQ(three.GetEnd1ID(), 2u);
    EXPECT_EQ(three.GetEnd2ID(), 3u);
    EXPECT_TRUE(three.GetIsCapped());

    three.SetIsCapped(false);
    CylinderPrimitive copy(three);
    EXPECT_FALSE(copy.GetIsCapped());
    CylinderPrimitive assigned;
    assigned = three;
    EXPECT_FALSE(assigned.GetIsCapped());
    EXPECT_EQ(assigned.GetEnd2ID(), 3u);

    copy.SetID(9);
    EXPECT_EQ(copy.GetID(), 9u);
    EXPECT_EQ(copy.GetEnd1ID(), 9u);
    EXPECT_EQ(copy.GetEnd2ID(), 9u);
    // Through the base only the primitive's own identifier changes.
    static_cast<GraphicsPrimitive&>(copy).SetID(4);
    EXPECT_EQ(copy.GetID(), 4u);
    EXPECT_EQ(copy.GetEnd1ID(), 9u);

    // Transparency follows the first end only.
    CylinderPrimitive half(Point3d(0, 0, 0), Color(1, 1, 1, 0), Point3d(1, 0, 0), Color(1, 1, 1, 5), 1.0);
    EXPECT_FALSE(half.IsTransparent());
    half.SetColor1(Color(1, 1, 1, 5));
    EXPECT_TRUE(half.IsTransparent());
}

TEST(LitSolidPrimitivesTest, CylinderArchiveLeavesOutIdentifiersAndCap)
{
    CylinderPrimitive c(Point3d(1, 2, 3), Color(1, 2, 3, 4), Point3d(4, 5, 6), Color(5, 6, 7, 8), 0.25, 1, 2, 3);
    c.SetIsCapped(false);
    const std::vector<BYTE> expected =
        LitPart(1).Rgba(1, 2, 3, 0).Pt(1, 2, 3, 7).Rgba(5, 6, 7, 0).Pt(4, 5, 6, 7).F32(0.25f).v;
    EXPECT_EQ(Store(c, 7), expected);
    CylinderPrimitive back;
    back.SetEnd1ID(77);
    EXPECT_EQ(Load(back, expected, 7), 0u);
    EXPECT_EQ(back.GetID(), 1u);
    EXPECT_EQ(back.GetEnd1ID(), 77u);
    EXPECT_TRUE(back.GetIsCapped());
    EXPECT_EQ(back.GetEnd2(), Point3d(4, 5, 6));
    EXPECT_EQ(back.GetColor2(), Color(5, 6, 7, 0));
}

TEST(LitSolidPrimitivesTest, CylinderMotions)
{
    CylinderPrimitive c(Point3d(1, 0, 0), Color::Red(), Point3d(2, 0, 0), Color::Red(), 0.5);
    c.Rotate(Point3d(0, 0, 1), 90);
    ExpectNear(c.GetEnd1(), 0, 1, 0);
    ExpectNear(c.GetEnd2(), 0, 2, 0);
    // About the vertical axis through (0, 1, 0): end 1 sits on it.
    c.Rotate(Point3d(0, 0, 1), Point3d(0, 1, 0), 180);
    ExpectNear(c.GetEnd1(), 0, 1, 0);
    ExpectNear(c.GetEnd2(), 0, 0, 0);
    c.Translate(Point3d(1, 2, 3));
    ExpectNear(c.GetEnd1(), 1, 3, 3);
    ExpectNear(c.GetEnd2(), 1, 2, 3);
    EXPECT_EQ(c.GetRadius(), 0.5);
}

TEST(LitSolidPrimitivesTest, ConeKeepsAlpha)
{
    ConePrimitive cone(Point3d(0, 0, 0), Point3d(0, 0, 1), Color(1, 2, 3, 4), 0.5, 3);
    // Without a schema: doubles, and no representation word.
    const std::vector<BYTE> expected =
        Bytes().U32(3).I32(0).Pt(0, 0, 0, kUnset).Pt(0, 0, 1, kUnset).Rgba(1, 2, 3, 4).F32(0.5f).v;
    EXPECT_EQ(Store(cone, kUnset), expected);
    const std::vector<BYTE> floats =
        LitPart(3).Pt(0, 0, 0, 7).Pt(0, 0, 1, 7).Rgba(1, 2, 3, 4).F32(0.5f).v;
    EXPECT_EQ(Store(cone, 7), floats);
    ConePrimitive back;
    EXPECT_EQ(Load(back, floats, 7), 0u);
    EXPECT_EQ(back.GetColor(), Color(1, 2, 3, 4));
    EXPECT_EQ(back.GetTip(), Point3d(0, 0, 1));

    Matrix4x4 scale(Matrix4x4::IdentityMatrix);
    scale.SetScale(2.0);
    cone.Transform(scale);
    EXPECT_EQ(cone.GetTip(), Point3d(0, 0, 2));
    EXPECT_EQ(cone.GetRadius(), 0.5);
}

TEST(LitSolidPrimitivesTest, TriangleEqualityAndArchive)
{
    TrianglePrimitive t(Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(0, 0, 1), Color(7, 8, 9, 10), 2);
    TrianglePrimitive u(t);
    u.SetColor(Color::Blue());
    u.SetID(99);
    EXPECT_TRUE(t == u);
    u.SetNormal(Point3d(0, 0, -1));
    EXPECT_TRUE(t != u);

    const std::vector<BYTE> expected = LitPart(2)
                                           .Rgba(7, 8, 9, 0).Pt(0, 0, 0, 7)
                                           .Rgba(7, 8, 9, 0).Pt(1, 0, 0, 7)
                                           .Rgba(7, 8, 9, 0).Pt(0, 1, 0, 7)
                                           .Pt(0, 0, 1, 7).v;
    EXPECT_EQ(Store(t, 7), expected);

    // The colour comes from the first vertex.
    std::vector<BYTE> mixed = LitPart(2)
                                  .Rgba(1, 1, 1, 0).Pt(0, 0, 0, 7)
                                  .Rgba(2, 2, 2, 0).Pt(1, 0, 0, 7)
                                  .Rgba(3, 3, 3, 0).Pt(0, 1, 0, 7)
                                  .Pt(0, 0, 1, 7).v;
    TrianglePrimitive back;
    EXPECT_EQ(Load(back, mixed, 7), 0u);
    EXPECT_TRUE(back == t);
    EXPECT_EQ(back.GetColor(), Color(1, 1, 1));

    Matrix4x4 m(Matrix4x4::IdentityMatrix);
    m.SetTranslation(0, 0, 1);
    t.Transform(m);
    EXPECT_EQ(t.GetEnd3(), Point3d(0, 1, 1));
    EXPECT_EQ(t.GetNormal(), Point3d(0, 0, 1));
}
