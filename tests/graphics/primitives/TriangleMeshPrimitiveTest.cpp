#include "orvcore/graphics/primitives/TriangleMeshPrimitive.h"
#include "orvcore/geometry/Matrix4x4.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

using namespace Orvane;
using namespace testing_bytes::chained;

namespace {

// A square of two triangles over four vertices, with two object identifiers.
TriangleMeshPrimitive Square(unsigned int id = 3)
{
    VertexNormalArray vertices;
    for (int i = 0; i < 4; ++i) {
        VertexNormal v(Point3d(i & 1, i >> 1, 0), Point3d(0, 0, 1), Color(10 * i, 0, 0, 0));
        vertices.Add(v);
    }
    TriangleIndexArray triangles;
    TriangleIndex a(0, 1, 2), b(1, 3, 2);
    triangles.Add(a);
    triangles.Add(b);
    OIDArray oids;
    oids.Add(100);
    oids.Add(200);
    TriangleMeshPrimitive mesh(vertices, triangles, oids);
    mesh.SetID(id);
    return mesh;
}

void ExpectSquare(const TriangleMeshPrimitive& m)
{
    ASSERT_EQ(m.GetNumVertices(), 4);
    ASSERT_EQ(m.GetNumTriangles(), 2);
    ASSERT_EQ(m.GetNumOIDs(), 2);
    EXPECT_EQ(m.GetVertexAt(3).GetPoint(), Point3d(1, 1, 0));
    EXPECT_EQ(m.GetVertexAt(3).GetNormal(), Point3d(0, 0, 1));
    EXPECT_EQ(m.GetTriangleAt(1), TriangleIndex(1, 3, 2));
    EXPECT_EQ(m.GetOIDAt(1), 200u);
}

} // namespace

TEST(TriangleMeshPrimitiveTest, CopiesShareUntilChanged)
{
    TriangleMeshPrimitive a = Square();
    EXPECT_EQ(a.GetShareCount(), 1);
    {
        TriangleMeshPrimitive b(a);
        TriangleMeshPrimitive c;
        c = a;
        EXPECT_TRUE(b.SharesDataWith(a));
        EXPECT_TRUE(c.SharesDataWith(a));
        EXPECT_EQ(a.GetShareCount(), 3);
        EXPECT_EQ(b.GetID(), 3u);

        VertexNormal moved(Point3d(5, 5, 5), Point3d(1, 0, 0), Color::Green());
        b.SetVertexAt(3, moved);
        EXPECT_FALSE(b.SharesDataWith(a));
        EXPECT_EQ(b.GetShareCount(), 1);
        EXPECT_EQ(a.GetShareCount(), 2);
        EXPECT_EQ(b.GetVertexAt(3), moved);
        EXPECT_EQ(b.GetNumOIDs(), 2); // a partial change keeps everything else
        ExpectSquare(a);
        ExpectSquare(c);

        c = c; // self-assignment changes nothing
        EXPECT_EQ(a.GetShareCount(), 2);
        c = b; // leaves a's record, joins b's
        EXPECT_EQ(a.GetShareCount(), 1);
        EXPECT_EQ(b.GetShareCount(), 2);
    }
    // b and c are gone: their record was freed, a's is untouched.
    EXPECT_EQ(a.GetShareCount(), 1);
    ExpectSquare(a);

    TriangleMeshPrimitive d(a);
    a = TriangleMeshPrimitive(); // the old record lives on in d
    EXPECT_EQ(d.GetShareCount(), 1);
    EXPECT_EQ(a.GetNumVertices(), 0);
    ExpectSquare(d);
}

TEST(TriangleMeshPrimitiveTest, EveryChangeDetaches)
{
    const Matrix4x4 turn(Point3d(0, 0, 1), 90.0);
    const std::vector<std::pair<std::string, std::function<void(TriangleMeshPrimitive&)>>> changes = {
        {"SetTriangleAt", [](TriangleMeshPrimitive& m) { m.SetTriangleAt(0, TriangleIndex(3, 3, 3)); }},
        {"SetVertexAt", [](TriangleMeshPrimitive& m) { m.SetVertexAt(0, VertexNormal()); }},
        {"SetOIDAt", [](TriangleMeshPrimitive& m) { m.SetOIDAt(1, 7); }},
        {"GetVertices", [](TriangleMeshPrimitive& m) { m.GetVertices()[3].SetPoint(Point3d(9, 9, 9)); }},
        {"GetVertexArray", [](TriangleMeshPrimitive& m) { m.GetVertexArray().SetSize(1); }},
        {"GetTriangleArray", [](TriangleMeshPrimitive& m) { m.GetTriangleArray().RemoveAll(); }},
        {"Set", [](TriangleMeshPrimitive& m) { m.Set(VertexNormalArray(), TriangleIndexArray()); }},
        {"Clear", [](TriangleMeshPrimitive& m) { m.Clear(); }},
        {"Transform", [&](TriangleMeshPrimitive& m) { m.Transform(turn); }},
        {"Rotate", [](TriangleMeshPrimitive& m) { m.Rotate(Point3d(1, 0, 0), 45.0); }},
        {"RotateAbout", [](TriangleMeshPrimitive& m) { m.Rotate(Point3d(1, 0, 0), Point3d(0, 1, 0), 45.0); }},
        {"Translate", [](TriangleMeshPrimitive& m) { m.Translate(Point3d(0, 0, 1e-30)); }},
        {"TransformAll", [&](TriangleMeshPrimitive& m) { m.TransformAll(turn); }},
        {"Load",
         [](TriangleMeshPrimitive& m) {
             Load(m, Bytes().U32(1).I32(0).I32(0).I32(0).I32(0).I32(0).v, 7);
         }},
    };
    for (const auto& change : changes) {
        TriangleMeshPrimitive original = Square();
        TriangleMeshPrimitive copy(original);
        change.second(copy);
        EXPECT_FALSE(copy.SharesDataWith(original)) << change.first;
        EXPECT_EQ(original.GetShareCount(), 1) << change.first;
        EXPECT_EQ(copy.GetShareCount(), 1) << change.first;
        ExpectSquare(original);
    }
}

TEST(TriangleMeshPrimitiveTest, NoChangeNoDetach)
{
    TriangleMeshPrimitive a = Square();
    TriangleMeshPrimitive b(a);
    b.Translate(Point3d(0, 0, 0));
    b.SetVertexAt(4, VertexNormal()); // one past the end: ignored
    b.SetVertexAt(-1, VertexNormal());
    b.SetTriangleAt(2, TriangleIndex());
    const TriangleMeshPrimitive& cb = b;
    EXPECT_EQ(cb.GetVertexArray().GetSize(), 4); // read access never copies
    EXPECT_NE(cb.GetVertices(), nullptr);
    EXPECT_TRUE(a.SharesDataWith(b));
    EXPECT_EQ(a.GetShareCount(), 2);

    // Setting an element from itself is harmless.
    TriangleMeshPrimitive solo = Square();
    solo.SetVertexAt(1, solo.GetVertexAt(1));
    ExpectSquare(solo);
    // A mesh with more vertices than triangles takes any vertex index in range.
    VertexNormalArray five;
    five.SetSize(5);
    TriangleMeshPrimitive loose(five, TriangleIndexArray());
    loose.SetVertexAt(4, VertexNormal(Point3d(1, 2, 3), Point3d(), Color()));
    EXPECT_EQ(loose.GetVertexAt(4).GetPoint(), Point3d(1, 2, 3));
}

TEST(TriangleMeshPrimitiveTest, SetAndLoadKeepObjectIdentifiers)
{
    VertexNormalArray one;
    one.SetSize(1);
    TriangleIndexArray none;
    for (bool shared : {false, true}) {
        TriangleMeshPrimitive m = Square();
        TriangleMeshPrimitive other(m);
        if (!shared)
            other.Clear();
        m.Set(one, none);
        EXPECT_EQ(m.GetNumVertices(), 1) << shared;
        EXPECT_EQ(m.GetNumTriangles(), 0) << shared;
        ASSERT_EQ(m.GetNumOIDs(), 2) << shared;
        EXPECT_EQ(m.GetOIDAt(0), 100u) << shared;

        TriangleMeshPrimitive n = Square();
        TriangleMeshPrimitive keep(n);
        if (!shared)
            keep.Clear();
        Load(n, Bytes().U32(1).I32(0).I32(0).I32(0).I32(0).I32(1).v, 7);
        EXPECT_EQ(n.GetNumVertices(), 0) << shared;
        EXPECT_EQ(n.GetNumOIDs(), 2) << shared;
        EXPECT_TRUE(n.GetTwoSided());
    }
    // Set with the mesh's own arrays.
    TriangleMeshPrimitive self = Square();
    TriangleMeshPrimitive twin(self);
    self.Set(self.GetVertexArray(), self.GetTriangleArray());
    ExpectSquare(self);
    ExpectSquare(twin);

    // Clear empties all three arrays.
    TriangleMeshPrimitive cleared = Square();
    cleared.Clear();
    EXPECT_EQ(cleared.GetNumOIDs(), 0);
    EXPECT_EQ(cleared.GetNumVertices(), 0);
}

TEST(TriangleMeshPrimitiveTest, Motions)
{
    Matrix4x4 shift(Matrix4x4::IdentityMatrix);
    shift.SetTranslation(1, 2, 3);
    TriangleMeshPrimitive m = Square();
    m.TransformAll(shift);
    EXPECT_EQ(m.GetVertexAt(3).GetPoint(), Point3d(2, 3, 3));
    EXPECT_EQ(m.GetVertexAt(3).GetNormal(), Point3d(0, 0, 1));

    // A quarter turn about x carries (0, 0, 1) to (0, -1, 0).
    TriangleMeshPrimitive r = Square();
    r.TransformAll(Matrix4x4(Point3d(1, 0, 0), 90.0));
    const Point3d n = r.GetVertexAt(2).GetNormal();
    EXPECT_NEAR(n.GetX(), 0, 1e-6);
    EXPECT_NEAR(n.GetY(), -1, 1e-6);
    EXPECT_NEAR(n.GetZ(), 0, 1e-6);
    const Point3d p = r.GetVertexAt(2).GetPoint(); // (0, 1, 0) -> (0, 0, 1)
    EXPECT_NEAR(p.GetY(), 0, 1e-6);
    EXPECT_NEAR(p.GetZ(), 1, 1e-6);

    // Transform and the rotations move points but not normals.
    TriangleMeshPrimitive t = Square();
    t.Rotate(Point3d(1, 0, 0), Point3d(0, 1, 0), 180.0);
    EXPECT_NEAR(t.GetVertexAt(0).GetPoint().GetY(), 2, 1e-6);
    EXPECT_EQ(t.GetVertexAt(0).GetNormal(), Point3d(0, 0, 1));
    t.Transform(shift);
    EXPECT_EQ(t.GetVertexAt(0).GetNormal(), Point3d(0, 0, 1));

    TriangleMeshPrimitive s = Square();
    s.Translate(Point3d(0.5, 0, -1));
    EXPECT_EQ(s.GetVertexAt(3).GetPoint(), Point3d(1.5, 1, -1));
}

TEST(TriangleMeshPrimitiveTest, ArchiveBytes)
{
    TriangleMeshPrimitive m = Square(0x0A0B0C0D);
    m.SetMaterial(LitPrimitive::Metallic);
    VertexNormal transparent = m.GetVertexAt(0);
    transparent.SetColor(Color(1, 2, 3, 44));
    m.SetVertexAt(0, transparent);
    m.SetTwoSided(true);
    m.SetLineWidth(3.0f);

    for (UINT schema : {6u, 7u}) {
        // Identifier, material, and from schema 7 on the representation.
        Bytes expected;
        expected.U32(0x0A0B0C0D).I32(2);
        if (schema > 6)
            expected.I32(0);
        expected.I32(2).I32(0).I32(1).I32(2).I32(1).I32(3).I32(2);
        expected.I32(4);
        for (int i = 0; i < 4; ++i) {
            if (i == 0)
                expected.Rgba(1, 2, 3, 0);
            else
                expected.Rgba(10 * static_cast<unsigned>(i), 0, 0, 0);
            expected.Pt(static_cast<float>(i & 1), static_cast<float>(i >> 1), 0, schema).Pt(0, 0, 1, schema);
        }
        if (schema > 6)
            expected.I32(1); // two-sided, as 4 bytes; schema 6 has no place for it
        EXPECT_EQ(Store(m, schema), expected.v) << schema;

        TriangleMeshPrimitive back;
        EXPECT_EQ(Load(back, expected.v, schema), 0u);
        EXPECT_EQ(back.GetID(), 0x0A0B0C0Du);
        EXPECT_EQ(back.GetMaterial(), LitPrimitive::Metallic);
        EXPECT_EQ(back.GetTwoSided(), schema > 6);
        EXPECT_EQ(back.GetLineWidth(), 1.0f); // not archived
        EXPECT_EQ(back.GetNumOIDs(), 0);
        EXPECT_EQ(back.GetNumTriangles(), 2);
        EXPECT_EQ(back.GetTriangleAt(1), TriangleIndex(1, 3, 2));
        EXPECT_EQ(back.GetVertexAt(0).GetColor(), Color(1, 2, 3, 0));
        EXPECT_EQ(back.GetVertexAt(3), m.GetVertexAt(3));
    }

    // An old document keeps the prior flag; any nonzero stored value is true.
    Bytes old;
    old.U32(1).I32(0).I32(0).I32(0);
    TriangleMeshPrimitive keep;
    keep.SetTwoSided(true);
    EXPECT_EQ(Load(keep, old.v, 6), 0u);
    EXPECT_TRUE(keep.GetTwoSided());
    // Without a schema the flag is there (compared unsigned) but the
    // representation is not (compared signed), in both directions.
    const std::vector<BYTE> unsetImage = Bytes().U32(1).I32(0).I32(0).I32(0).I32(1).v;
    TriangleMeshPrimitive unset;
    EXPECT_EQ(Load(unset, unsetImage, kUnset), 0u);
    EXPECT_TRUE(unset.GetTwoSided());
    unset.SetID(1);
    EXPECT_EQ(Store(unset, kUnset), unsetImage);
    TriangleMeshPrimitive two;
    EXPECT_EQ(Load(two, Bytes().U32(1).I32(0).I32(0).I32(0).I32(0).I32(2).v, 7), 0u);
    EXPECT_TRUE(two.GetTwoSided());
}

TEST(TriangleMeshPrimitiveTest, DamagedArchive)
{
    const std::vector<std::vector<BYTE>> damaged = {
        Bytes().U32(1).I32(0).I32(0).I32(-1).v,                             // negative triangle count
        Bytes().U32(1).I32(0).I32(0).I32(0x7FFFFFFF).I32(0).v,              // more triangles than bytes
        Bytes().U32(1).I32(0).I32(0).I32(1).I32(0).I32(0).I32(0).I32(-5).v, // negative vertex count
        Bytes().U32(1).I32(0).I32(0).I32(0).I32(2).Rgba(0, 0, 0, 0).Pt(0, 0, 0, 7).Pt(0, 0, 0, 7).v,
    };
    // Whole documents whose corners point past the two vertices, or before the first.
    auto withCorners = [](int a, int b, int c) {
        Bytes bytes;
        bytes.U32(1).I32(0).I32(0).I32(1).I32(a).I32(b).I32(c).I32(2);
        for (int i = 0; i < 2; ++i)
            bytes.Rgba(0, 0, 0, 0).Pt(0, 0, 0, 7).Pt(0, 0, 1, 7);
        return bytes.I32(0).v;
    };
    TriangleMeshPrimitive good;
    EXPECT_EQ(Load(good, withCorners(0, 1, 1), 7), 0u);
    EXPECT_EQ(good.GetNumTriangles(), 1);
    for (const auto& bad : {withCorners(0, 1, 2), withCorners(-1, 0, 1), withCorners(0, 0x7FFFFFFF, 1)}) {
        TriangleMeshPrimitive m = Square();
        try {
            Load(m, bad, 7);
            ADD_FAILURE() << "loaded corners past the vertices";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::badIndex);
        }
        EXPECT_EQ(m.GetNumTriangles(), 0);
    }
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        TriangleMeshPrimitive m = Square();
        TriangleMeshPrimitive copy(m);
        EXPECT_THROW(Load(m, damaged[i], 7), CArchiveException) << i;
        EXPECT_EQ(m.GetNumTriangles(), 0) << i;
        ExpectSquare(copy);
        EXPECT_EQ(copy.GetShareCount(), 1);
        // Still usable.
        m.Translate(Point3d(1, 0, 0));
        m.Set(copy.GetVertexArray(), copy.GetTriangleArray());
        ExpectSquare(m);
    }
}

TEST(TriangleMeshPrimitiveTest, Transparency)
{
    EXPECT_FALSE(TriangleMeshPrimitive().IsTransparent());
    TriangleMeshPrimitive m = Square();
    EXPECT_FALSE(m.IsTransparent());
    VertexNormal v = m.GetVertexAt(1);
    v.SetColor(Color(0, 0, 0, 1));
    m.SetVertexAt(1, v);
    EXPECT_FALSE(m.IsTransparent()); // only the first vertex decides
    m.SetVertexAt(0, v);
    EXPECT_TRUE(m.IsTransparent());
}
