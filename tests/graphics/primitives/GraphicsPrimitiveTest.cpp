#include "orvcore/graphics/primitives/GraphicsPrimitive.h"
#include "orvcore/core/ArchiveFields.h"
#include "orvcore/geometry/Matrix4x4.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

using namespace Orvane;
using namespace testing_bytes::chained;

TEST(GraphicsPrimitiveTest, LitPrimitiveDefaultsAndCopies)
{
    LitPrimitive lit;
    EXPECT_EQ(lit.GetID(), 0u);
    EXPECT_EQ(lit.GetMaterial(), 0);
    EXPECT_EQ(lit.GetRepresentation(), 0);

    LitPrimitive a(42);
    a.SetMaterial(static_cast<LitPrimitive::Material>(9));
    a.SetRepresentation(LitPrimitive::Wireframe);
    LitPrimitive b;
    b = a;
    EXPECT_EQ(b.GetID(), 42u);
    EXPECT_EQ(b.GetMaterial(), 9); // values outside the named ones pass through
    EXPECT_EQ(b.GetRepresentation(), LitPrimitive::Wireframe);
}

TEST(GraphicsPrimitiveTest, LitPrimitiveArchiveBySchema)
{
    LitPrimitive lit(0x01020304);
    lit.SetMaterial(static_cast<LitPrimitive::Material>(5));
    lit.SetRepresentation(static_cast<LitPrimitive::Representation>(-2));
    const std::vector<BYTE> all = Bytes().U32(0x01020304).I32(5).I32(-2).v;
    const std::vector<BYTE> older = Bytes().U32(0x01020304).I32(5).v;
    // The representation exists above schema 6, compared signed, in both
    // directions: an archive without a schema counts as older.
    for (UINT schema : {7u, 13u, 0x7FFFFFFFu})
        EXPECT_EQ(Store(lit, schema), all) << schema;
    for (UINT schema : {0u, 6u, kUnset, 0x80000000u})
        EXPECT_EQ(Store(lit, schema), older) << schema;

    // An older layout keeps the representation the primitive had.
    for (UINT schema : {6u, kUnset}) {
        LitPrimitive back;
        back.SetRepresentation(LitPrimitive::PointCloud);
        EXPECT_EQ(Load(back, older, schema), 0u) << schema;
        EXPECT_EQ(back.GetID(), 0x01020304u);
        EXPECT_EQ(back.GetMaterial(), 5);
        EXPECT_EQ(back.GetRepresentation(), LitPrimitive::PointCloud);
    }
    LitPrimitive back;
    EXPECT_EQ(Load(back, all, 7), 0u);
    EXPECT_EQ(back.GetRepresentation(), -2);

    GraphicsPrimitive g(0xFFFFFFFEu);
    EXPECT_EQ(Store(g, 7), Bytes().U32(0xFFFFFFFEu).v);
}

TEST(GraphicsPrimitiveTest, VertexEqualityAndTransform)
{
    Vertex a(Point3d(1, 2, 3), Color(10, 20, 30, 0));
    Vertex b(Point3d(1, 2, 3), Color(10, 20, 30, 200));
    EXPECT_TRUE(a == b); // alpha is not compared
    EXPECT_FALSE(a != b);
    b.SetColor(Color(10, 20, 31, 0));
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(a != Vertex(Point3d(1, 2, 3.001), Color(10, 20, 30)));

    Matrix4x4 shift(Matrix4x4::IdentityMatrix);
    shift.SetTranslation(1, -1, 0.5);
    a.Transform(shift);
    EXPECT_EQ(a.GetPoint(), Point3d(2, 1, 3.5));
    EXPECT_EQ(a.GetColor(), Color(10, 20, 30, 0));

    VertexNormal n(Point3d(0, 0, 0), Point3d(3, 0, 4), Color::Red());
    VertexNormal m = n;
    EXPECT_TRUE(n == m);
    m.Normalize();
    EXPECT_EQ(m.GetNormal(), Point3d(0.6, 0, 0.8));
    EXPECT_TRUE(n != m);
    VertexNormal zero;
    zero.Normalize();
    EXPECT_EQ(zero.GetNormal(), Point3d(0, 0, 0));
}

TEST(GraphicsPrimitiveTest, VertexArchiveClearsAlpha)
{
    Vertex v(Point3d(1.5f, -2, 0.25f), Color(10, 20, 30, 128));
    for (UINT schema : {6u, 7u, kUnset}) {
        const std::vector<BYTE> expected = Bytes().Rgba(10, 20, 30, 0).Pt(1.5f, -2, 0.25f, schema).v;
        EXPECT_EQ(Store(v, schema), expected) << schema;
        Vertex back;
        EXPECT_EQ(Load(back, expected, schema), 0u);
        EXPECT_EQ(back.GetColor(), Color(10, 20, 30, 0));
        EXPECT_EQ(back.GetPoint(), v.GetPoint());
    }
    // Loading takes the stored word whole, top byte included.
    Vertex loaded;
    Load(loaded, Bytes().Rgba(1, 2, 3, 99).Pt(0, 0, 0, 7).v, 7);
    EXPECT_EQ(loaded.GetColor(), Color(1, 2, 3, 99));

    VertexNormal vn(Point3d(1, 2, 3), Point3d(0, 0, -1), Color(4, 5, 6, 7));
    const std::vector<BYTE> expected = Bytes().Rgba(4, 5, 6, 0).Pt(1, 2, 3, 7).Pt(0, 0, -1, 7).v;
    EXPECT_EQ(Store(vn, 7), expected);
    VertexNormal back;
    EXPECT_EQ(Load(back, expected, 7), 0u);
    EXPECT_EQ(back, vn);
    EXPECT_EQ(back.GetColor().GetA(), 0);
}

TEST(GraphicsPrimitiveTest, TriangleIndexAccessAndArchive)
{
    TriangleIndex t;
    EXPECT_EQ(t.GetIndex(0), 0);
    EXPECT_EQ(t.GetIndex(2), 0);
    TriangleIndex u(7, -1, 0x12345678);
    EXPECT_EQ(u.GetIndex(0), 7);
    EXPECT_EQ(u.GetIndex(1), -1);
    EXPECT_EQ(u.GetIndex(2), 0x12345678);
    EXPECT_EQ(u.GetIndex(3), 0);
    u.SetIndex(3, 99);
    u.SetIndex(-1, 99);
    u.SetIndex(1, 4);
    int a, b, c;
    u.Get(a, b, c);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 4);
    EXPECT_EQ(c, 0x12345678);

    const std::vector<BYTE> expected = Bytes().I32(7).I32(4).I32(0x12345678).v;
    EXPECT_EQ(Store(u, 7), expected);
    TriangleIndex back;
    EXPECT_EQ(Load(back, expected, 7), 0u);
    EXPECT_EQ(back, u);
}

TEST(GraphicsPrimitiveTest, SignedCountRejectsDamage)
{
    auto read = [](const std::vector<BYTE>& bytes, std::size_t elementBytes) {
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
        CArchive ar(&file, CArchive::load);
        return ReadSignedCount(ar, elementBytes);
    };
    EXPECT_EQ(read(Bytes().I32(2).U32(0).U32(0).v, 4), 2);
    EXPECT_EQ(read(Bytes().I32(0).v, 1000), 0);
    EXPECT_THROW(read(Bytes().I32(3).U32(0).U32(0).v, 4), CArchiveException);
    EXPECT_THROW(read(Bytes().I32(-1).v, 4), CArchiveException);
    EXPECT_THROW(read(Bytes().I32(0x7FFFFFFF).v, 12), CArchiveException);
}
