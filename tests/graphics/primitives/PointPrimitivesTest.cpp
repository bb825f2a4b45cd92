#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/geometry/Matrix4x4.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

using namespace Orvane;
using namespace testing_bytes::chained;

TEST(PointPrimitivesTest, UnlitPointAndDot)
{
    UnlitPointPrimitive p(Point3d(1, 2, 3), Color(5, 6, 7, 8), 9);
    const std::vector<BYTE> expected = Bytes().U32(9).Rgba(5, 6, 7, 0).Pt(1, 2, 3, 7).v;
    EXPECT_EQ(Store(p, 7), expected);
    UnlitPointPrimitive back;
    EXPECT_EQ(Load(back, expected, 7), 0u);
    EXPECT_EQ(back.GetCoord(), Point3d(1, 2, 3));
    EXPECT_EQ(back.GetColor(), Color(5, 6, 7, 0));

    EXPECT_EQ(DotPrimitive().GetWidth(), 1);
    DotPrimitive dot(Point3d(1, 2, 3), Color(5, 6, 7), 4, 9);
    const std::vector<BYTE> dotBytes = Bytes().U32(9).Rgba(5, 6, 7, 0).Pt(1, 2, 3, kUnset).I32(4).v;
    EXPECT_EQ(Store(dot, kUnset), dotBytes);
    DotPrimitive dotBack;
    EXPECT_EQ(Load(dotBack, dotBytes, kUnset), 0u);
    EXPECT_EQ(dotBack.GetWidth(), 4);
    EXPECT_EQ(dotBack.GetID(), 9u);

    Matrix4x4 m(Matrix4x4::IdentityMatrix);
    m.SetTranslation(-1, -2, -3);
    dot.Transform(m);
    EXPECT_EQ(dot.GetCoord(), Point3d(0, 0, 0));
    EXPECT_EQ(dot.GetWidth(), 4);
}

TEST(PointPrimitivesTest, IconConstructionAndArchive)
{
    IconPrimitive def;
    EXPECT_EQ(def.GetIconID(), 0u);
    EXPECT_FALSE(def.GetUseColor());
    EXPECT_EQ(def.GetIconScale(), 1.0);

    IconPrimitive colored(Point3d(1, 2, 3), 17, true, false, Color(1, 2, 3, 4), 6);
    EXPECT_TRUE(colored.GetUseColor());
    EXPECT_TRUE(colored.GetRotationInvariant());
    EXPECT_FALSE(colored.GetScaleInvariant());
    EXPECT_EQ(colored.GetIconScale(), 1.0);
    EXPECT_EQ(colored.GetColor(), Color(1, 2, 3, 4));

    IconPrimitive plain(Point3d(1, 2, 3), 17, false, true, 6);
    EXPECT_FALSE(plain.GetUseColor());
    EXPECT_TRUE(plain.GetScaleInvariant());
    EXPECT_EQ(plain.GetColor(), Color());

    colored.SetIconScale(0.75);
    // Rotation before scale, whatever the schema.
    for (UINT schema : {0u, 7u, kUnset}) {
        const std::vector<BYTE> expected =
            Bytes().U32(6).Rgba(1, 2, 3, 0).Pt(1, 2, 3, schema).U32(17).I32(1).I32(0).I32(1).F64(0.75).v;
        EXPECT_EQ(Store(colored, schema), expected) << schema;
    }
    // Flags read true when nonzero.
    IconPrimitive back;
    const std::vector<BYTE> image = Bytes().U32(6).Rgba(1, 2, 3, 0).Pt(1, 2, 3, 7).U32(18).I32(0).I32(-7).I32(2).F64(2.0).v;
    EXPECT_EQ(Load(back, image, 7), 0u);
    EXPECT_EQ(back.GetIconID(), 18u);
    EXPECT_FALSE(back.GetRotationInvariant());
    EXPECT_TRUE(back.GetScaleInvariant());
    EXPECT_TRUE(back.GetUseColor());
    EXPECT_EQ(back.GetIconScale(), 2.0);

    // The copy is whole; Transform moves the position only.
    IconPrimitive copy;
    copy = back;
    Matrix4x4 m(Matrix4x4::IdentityMatrix);
    m.SetTranslation(1, 0, 0);
    copy.Transform(m);
    EXPECT_EQ(copy.GetCoord(), Point3d(2, 2, 3));
    EXPECT_EQ(copy.GetIconID(), 18u);
    EXPECT_EQ(copy.GetIconScale(), 2.0);
}
