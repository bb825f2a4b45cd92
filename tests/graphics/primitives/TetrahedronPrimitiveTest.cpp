#include "orvcore/graphics/primitives/TetrahedronPrimitive.h"

#include "orvcore/core/CArchiveException.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/ExpectPoint.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

using namespace Orvane;
using namespace testing_bytes;

namespace {

// Reaches the protected face test.
struct Probe : TetrahedronPrimitive
{
    using TetrahedronPrimitive::TetrahedronPrimitive;
    using TetrahedronPrimitive::PointIsExternal;
};

struct V
{
    double x, y, z;
};

V Of(const Point3d& p)
{
    return {p.GetX(), p.GetY(), p.GetZ()};
}
V Sub(V a, V b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V Cross(V a, V b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(V a, V b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
double Norm(V a)
{
    return std::sqrt(Dot(a, a));
}

double Volume(const TetrahedronPrimitive& t)
{
    Point3d v0, v1, v2, v3;
    t.GetTetrahedronVertices(v0, v1, v2, v3);
    return std::fabs(Dot(Sub(Of(v1), Of(v0)), Cross(Sub(Of(v2), Of(v0)), Sub(Of(v3), Of(v0))))) / 6.0;
}

Point3d::Array Points(const std::vector<V>& vs)
{
    Point3d::Array a;
    for (const V& v : vs)
        a.Add(Point3d(v.x, v.y, v.z));
    return a;
}

// The facets of the convex hull of points in general position, found by
// brute force: a triple is a facet when every other point lies on one side
// of its plane. Each facet is returned with its outward normal.
struct Facet
{
    std::size_t i, j, k;
    V normal; // unit, outward
    double offset; // normal . x on the facet
};

std::vector<Facet> HullFacets(const std::vector<V>& p)
{
    std::vector<Facet> facets;
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            for (std::size_t k = j + 1; k < n; ++k) {
                V nrm = Cross(Sub(p[j], p[i]), Sub(p[k], p[i]));
                double len = Norm(nrm);
                if (len < 1e-12)
                    continue;
                nrm = {nrm.x / len, nrm.y / len, nrm.z / len};
                double off = Dot(nrm, p[i]);
                int above = 0, below = 0;
                for (std::size_t m = 0; m < n; ++m) {
                    double d = Dot(nrm, p[m]) - off;
                    above += d > 1e-9;
                    below += d < -1e-9;
                }
                if (above && below)
                    continue;
                if (above)
                    nrm = {-nrm.x, -nrm.y, -nrm.z}, off = -off;
                facets.push_back({i, j, k, nrm, off});
            }
    return facets;
}

// Volume of the hull as the sum of cones from an inner point to each facet.
double HullVolume(const std::vector<V>& p, const std::vector<Facet>& facets)
{
    V c{0, 0, 0};
    for (const V& q : p)
        c = {c.x + q.x / static_cast<double>(p.size()), c.y + q.y / static_cast<double>(p.size()),
             c.z + q.z / static_cast<double>(p.size())};
    double vol = 0;
    for (const Facet& f : facets)
        vol += std::fabs(Dot(Sub(p[f.i], c), Cross(Sub(p[f.j], c), Sub(p[f.k], c)))) / 6.0;
    return vol;
}

// Checks the decomposition of `pts` against the brute-force hull: the
// volumes agree, every visible face lies in a hull facet's plane with its
// normal pointing outward, and the visible faces cover the hull's area.
void ExpectFillsHull(const std::vector<V>& pts, double expectedVolume = -1.0)
{
    TetrahedronPrimitive::Array tets;
    TetrahedronPrimitive::DecomposePolyhedron(tets, Points(pts));
    ASSERT_GT(tets.GetSize(), 0);

    // With coplanar hull points the brute force finds overlapping facet
    // triples; the caller then gives the volume, and the facets serve only
    // as planes.
    const std::vector<Facet> facets = HullFacets(pts);
    const bool known = expectedVolume > 0;
    const double hullVolume = known ? expectedVolume : HullVolume(pts, facets);

    double sum = 0, visibleArea = 0;
    for (const TetrahedronPrimitive& t : tets) {
        sum += Volume(t);
        for (int f = 0; f < 4; ++f) {
            if (t.GetHiddenFace(f))
                continue;
            Point3d a, b, c;
            t.GetFaceVertices(f, a, b, c);
            visibleArea += Norm(Cross(Sub(Of(b), Of(a)), Sub(Of(c), Of(a)))) / 2.0;
            V centroid = Of(t.GetFaceCentroid(f));
            V normal = Of(t.GetFaceNormal(f));
            // No input point lies beyond a visible face.
            for (const V& q : pts)
                EXPECT_LE(Dot(Sub(q, centroid), normal), 2e-3);
            // The face lies in the plane of a hull facet facing the same way.
            bool onHull = false;
            for (const Facet& h : facets) {
                if (Dot(normal, h.normal) > 1 - 1e-4 && std::fabs(Dot(h.normal, Of(a)) - h.offset) < 1e-3 &&
                    std::fabs(Dot(h.normal, Of(b)) - h.offset) < 1e-3 &&
                    std::fabs(Dot(h.normal, Of(c)) - h.offset) < 1e-3)
                    onHull = true;
            }
            EXPECT_TRUE(onHull) << "visible face off the hull";
        }
    }
    EXPECT_NEAR(sum, hullVolume, 1e-5 * hullVolume);

    if (!known) {
        double hullArea = 0;
        for (const Facet& h : facets)
            hullArea += Norm(Cross(Sub(pts[h.j], pts[h.i]), Sub(pts[h.k], pts[h.i]))) / 2.0;
        EXPECT_NEAR(visibleArea, hullArea, 1e-5 * hullArea);
    }
}

} // namespace

TEST(TetrahedronPrimitiveTest, ConstructionOrdersCornersSoNormalsPointOutward)
{
    const Point3d o(0, 0, 0), x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    TetrahedronPrimitive t(o, x, y, z);
    Point3d v0, v1, v2, v3;
    t.GetTetrahedronVertices(v0, v1, v2, v3);
    // (x - o) x (y - o) points towards z, so the middle corners swap.
    ExpectPoint(v0, 0, 0, 0);
    ExpectPoint(v1, 0, 1, 0);
    ExpectPoint(v2, 1, 0, 0);
    ExpectPoint(v3, 0, 0, 1);

    ExpectPoint(t.GetFaceNormal(0), 0, 0, -1);
    ExpectPoint(t.GetFaceCentroid(0), 1.0 / 3, 1.0 / 3, 0);
    ExpectPoint(t.GetFaceNormal(1), -1, 0, 0);
    ExpectPoint(t.GetFaceNormal(2), 0, -1, 0);
    const double s = 1 / std::sqrt(3.0);
    ExpectPoint(t.GetFaceNormal(3), s, s, s);
    ExpectPoint(t.GetFaceCentroid(3), 1.0 / 3, 1.0 / 3, 1.0 / 3);

    // Face i is opposite V(3 - i): its corners by the face table.
    const Point3d corners[4] = {v0, v1, v2, v3};
    const int table[4][3] = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};
    for (int f = 0; f < 4; ++f) {
        Point3d a, b, c;
        t.GetFaceVertices(f, a, b, c);
        EXPECT_TRUE(a == corners[table[f][0]] && b == corners[table[f][1]] && c == corners[table[f][2]]);
        V away = Sub(Of(corners[3 - f]), Of(t.GetFaceCentroid(f)));
        EXPECT_LT(Dot(Of(t.GetFaceNormal(f)), away), 0.0) << "face " << f;
    }

    // Already in order: no swap.
    TetrahedronPrimitive u(o, y, x, z);
    u.GetTetrahedronVertices(v0, v1, v2, v3);
    ExpectPoint(v1, 0, 1, 0);
    ExpectPoint(v2, 1, 0, 0);
    EXPECT_EQ(u.GetID(), 0u);
    EXPECT_EQ(u.GetColor(), Color());
}

TEST(TetrahedronPrimitiveTest, HiddenFacesAndFaceNumbersOutOfRange)
{
    TetrahedronPrimitive t(Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(0, 0, 1));
    EXPECT_EQ(t.GetNumFaces(), 4);
    t.SetHiddenFace(2, true);
    EXPECT_EQ(t.GetNumFaces(), 3);
    EXPECT_TRUE(t.GetHiddenFace(2));
    t.SetHiddenFace(4, true);
    t.SetHiddenFace(-1, true);
    EXPECT_EQ(t.GetNumFaces(), 3);
    EXPECT_FALSE(t.GetHiddenFace(4));

    Point3d a(7, 7, 7), b(8, 8, 8), c(9, 9, 9);
    t.GetFaceVertices(4, a, b, c);
    ExpectPoint(a, 7, 7, 7);
    ExpectPoint(c, 9, 9, 9);
    ExpectPoint(t.GetFaceNormal(-1), 0, 0, 0);
    ExpectPoint(t.GetFaceCentroid(9), 0, 0, 0);

    TetrahedronPrimitive copy(t);
    EXPECT_TRUE(copy.GetHiddenFace(2));
    TetrahedronPrimitive assigned;
    assigned = t;
    EXPECT_EQ(assigned.GetNumFaces(), 3);
}

TEST(TetrahedronPrimitiveTest, PointIsExternalOnlyBeyondTheTolerance)
{
    Probe t(Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(0, 0, 1));
    // Face 0 is the plane z = 0 with outward normal (0, 0, -1).
    EXPECT_FALSE(t.PointIsExternal(0, Point3d(0.2, 0.2, 0)));
    EXPECT_FALSE(t.PointIsExternal(0, Point3d(5, 5, 0))); // in the plane, outside the triangle
    EXPECT_FALSE(t.PointIsExternal(0, Point3d(0.2, 0.2, -0.0009)));
    EXPECT_TRUE(t.PointIsExternal(0, Point3d(0.2, 0.2, -0.0011)));
    EXPECT_FALSE(t.PointIsExternal(0, Point3d(0.2, 0.2, 0.5))); // inside
    t.SetHiddenFace(0, true);
    EXPECT_FALSE(t.PointIsExternal(0, Point3d(0.2, 0.2, -5)));
    EXPECT_FALSE(t.PointIsExternal(4, Point3d(0.2, 0.2, -5)));
}

TEST(TetrahedronPrimitiveTest, AddingPointsJoinsThemToTheFacesTheySee)
{
    Point3d::Array pts = Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
    TetrahedronPrimitive::Array tets;
    TetrahedronPrimitive::DecomposePolyhedron(tets, pts);
    ASSERT_EQ(tets.GetSize(), 1);
    EXPECT_EQ(tets[0].GetNumFaces(), 4);

    // Below face 0 (z = 0) only.
    pts.Add(Point3d(0.25, 0.25, -1));
    tets.RemoveAll();
    TetrahedronPrimitive::DecomposePolyhedron(tets, pts);
    ASSERT_EQ(tets.GetSize(), 2);
    EXPECT_TRUE(tets[0].GetHiddenFace(0));
    EXPECT_EQ(tets[0].GetNumFaces(), 3);
    EXPECT_TRUE(tets[1].GetHiddenFace(0));
    EXPECT_EQ(tets[1].GetNumFaces(), 3);
    ExpectPoint(tets[1].GetFaceCentroid(0), 1.0 / 3, 1.0 / 3, 0);

    // Beyond faces 0 (z = 0) and 2 (y = 0), which share the edge from the
    // origin to (1, 0, 0): two new tetrahedra sharing the face through that
    // edge and the new point.
    Point3d::Array two = Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.3, -1, -1}});
    tets.RemoveAll();
    TetrahedronPrimitive::DecomposePolyhedron(tets, two);
    ASSERT_EQ(tets.GetSize(), 3);
    EXPECT_EQ(tets[0].GetNumFaces(), 2);
    const Point3d shared = (Point3d(0, 0, 0) + Point3d(1, 0, 0) + Point3d(0.3, -1, -1)) / 3.0;
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(tets[i].GetNumFaces(), 2) << i;
        bool sharedHidden = false;
        for (int f = 0; f < 4; ++f)
            if (tets[i].GetFaceCentroid(f).Distance(shared) < 1e-6)
                sharedHidden = tets[i].GetHiddenFace(f);
        EXPECT_TRUE(sharedHidden) << i;
    }

    // A long list of points inside adds nothing, however long it is (the
    // points are added in a loop, not one nested call per point).
    Point3d::Array many = Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
    many.SetSize(300004);
    for (int i = 4; i < many.GetSize(); ++i)
        many[i] = Point3d(0.1 + 1e-7 * (i % 1000), 0.1, 0.1);
    tets.RemoveAll();
    TetrahedronPrimitive::DecomposePolyhedron(tets, many);
    EXPECT_EQ(tets.GetSize(), 1);

    // A point inside adds nothing.
    Point3d::Array inner = Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.1, 0.1, 0.1}});
    tets.RemoveAll();
    TetrahedronPrimitive::DecomposePolyhedron(tets, inner);
    EXPECT_EQ(tets.GetSize(), 1);
    EXPECT_EQ(tets[0].GetNumFaces(), 4);
}

TEST(TetrahedronPrimitiveTest, FewerThanFourPointsAddNothingAndExistingTetrahedraTakePart)
{
    TetrahedronPrimitive::Array tets;
    tets.Add(TetrahedronPrimitive(Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(0, 0, 1)));
    for (int n = 0; n < 4; ++n) {
        Point3d::Array few;
        for (int i = 0; i < n; ++i)
            few.Add(Point3d(i, -1, -1));
        TetrahedronPrimitive::DecomposePolyhedron(tets, few);
        ASSERT_EQ(tets.GetSize(), 1);
        EXPECT_EQ(tets[0].GetNumFaces(), 4);
    }

    // The tetrahedron already present sees the fifth point as well: it adds
    // one tetrahedron on its face 0; the new corner tetrahedron at (10, 10, 10)
    // adds three on the faces x = 10, y = 10 and z = 10.
    TetrahedronPrimitive::DecomposePolyhedron(
        tets, Points({{10, 10, 10}, {11, 10, 10}, {10, 11, 10}, {10, 10, 11}, {0.25, 0.25, -1}}));
    ASSERT_EQ(tets.GetSize(), 6);
    EXPECT_TRUE(tets[0].GetHiddenFace(0));
    EXPECT_EQ(tets[0].GetNumFaces(), 3);
    EXPECT_EQ(tets[1].GetNumFaces(), 1);
}

TEST(TetrahedronPrimitiveTest, DecompositionFillsTheHullOfAnOctahedron)
{
    ExpectFillsHull({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}, 4.0 / 3.0);
    // Interior points first, then the corners, then more interior points.
    ExpectFillsHull({{0.1, 0.05, 0.02},
                     {-0.1, 0.1, 0.1},
                     {0.05, -0.2, 0.1},
                     {0.02, 0.03, -0.2},
                     {0, 0, 1},
                     {-1, 0, 0},
                     {1, 0, 0},
                     {0, -1, 0},
                     {0, 1, 0},
                     {0, 0, -1},
                     {0.2, 0.2, 0.2},
                     {0, 0, 0}},
                    4.0 / 3.0);
}

TEST(TetrahedronPrimitiveTest, DecompositionFillsTheHullOfAJitteredCubeWithInnerPoints)
{
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> jitter(-0.03, 0.03), inside(0.2, 0.8);
    std::vector<V> pts;
    for (int i = 0; i < 8; ++i)
        pts.push_back({(i & 1) + jitter(gen), ((i >> 1) & 1) + jitter(gen), ((i >> 2) & 1) + jitter(gen)});
    for (int i = 0; i < 12; ++i)
        pts.push_back({inside(gen), inside(gen), inside(gen)});
    ExpectFillsHull(pts);
    ASSERT_EQ(HullFacets(pts).size(), 12u); // eight extreme corners in general position

    // The same points with the inner ones first.
    std::vector<V> innerFirst(pts.begin() + 8, pts.end());
    innerFirst.insert(innerFirst.end(), pts.begin(), pts.begin() + 8);
    ExpectFillsHull(innerFirst);

    // The exact unit cube, started from a corner and its three neighbours:
    // coplanar corners must not leave holes or overlaps.
    ExpectFillsHull({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1},
                     {0.5, 0.5, 0.5}},
                    1.0);
}

TEST(TetrahedronPrimitiveTest, DecompositionFillsTheHullOfRandomPointsInABall)
{
    std::mt19937 gen(11);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<V> pts;
    for (int i = 0; i < 40; ++i) {
        V d{normal(gen), normal(gen), normal(gen)};
        double r = 10 * std::cbrt(unit(gen)) / Norm(d);
        pts.push_back({d.x * r, d.y * r, d.z * r});
    }
    ExpectFillsHull(pts);
}

TEST(TetrahedronPrimitiveTest, TransformMovesCornersAndRecomputesFaces)
{
    TetrahedronPrimitive t(Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(0, 0, 1));
    t.SetHiddenFace(1, true);
    Matrix4x4 rotate(Point3d(0, 0, 1), 90.0);
    Matrix4x4 move;
    move.SetTranslation(1, 2, 3);
    t.Transform(rotate * move);

    Point3d v0, v1, v2, v3;
    t.GetTetrahedronVertices(v0, v1, v2, v3);
    ExpectPoint(v0, 1, 2, 3);
    ExpectPoint(v1, 0, 2, 3); // (0, 1, 0) turned to (-1, 0, 0), then moved
    ExpectPoint(v2, 1, 3, 3);
    ExpectPoint(v3, 1, 2, 4);
    ExpectPoint(t.GetFaceCentroid(0), 2.0 / 3, 7.0 / 3, 3);
    ExpectPoint(t.GetFaceNormal(0), 0, 0, -1);
    const double s = 1 / std::sqrt(3.0);
    ExpectPoint(t.GetFaceNormal(3), -s, s, s);
    ExpectPoint(t.GetFaceNormal(1), 0, -1, 0); // was (-1, 0, 0)
    EXPECT_TRUE(t.GetHiddenFace(1));
    EXPECT_EQ(t.GetNumFaces(), 3);
}

TEST(TetrahedronPrimitiveTest, ArchiveBytesAtBothPointWidths)
{
    TetrahedronPrimitive t(Point3d(0, 0, 0), Point3d(2, 0, 0), Point3d(0, 2, 0), Point3d(0, 0, 2));
    t.SetID(9);
    t.SetMaterial(static_cast<LitPrimitive::Material>(2));
    t.SetRepresentation(static_cast<LitPrimitive::Representation>(1));
    t.SetColor(Color(10, 20, 30, 40));
    t.SetHiddenFace(3, true);

    // Corners after ordering: (0,0,0), (0,2,0), (2,0,0), (0,0,2).
    const float corners[4][3] = {{0, 0, 0}, {0, 2, 0}, {2, 0, 0}, {0, 0, 2}};
    // Centroids and normals are checked by value elsewhere; here only where
    // they go in the archive.
    auto f3 = [](const Point3d& p) {
        return std::array<float, 3>{static_cast<float>(p.GetX()), static_cast<float>(p.GetY()),
                                    static_cast<float>(p.GetZ())};
    };

    // Without a schema the lit form has no representation word.
    Bytes floats = Concat({UInt32(9), Int32(2), Int32(1)});
    Bytes doubles = Concat({UInt32(9), Int32(2)});
    for (int i = 0; i < 4; ++i) {
        Bytes colour = Rgba(10, 20, 30, 0);
        const std::array<float, 3> c = f3(t.GetFaceCentroid(i)), n = f3(t.GetFaceNormal(i));
        floats = Concat({floats, colour, Floats({corners[i][0], corners[i][1], corners[i][2]}),
                         Floats({c[0], c[1], c[2]}), Floats({n[0], n[1], n[2]})});
        doubles = Concat({doubles, colour, Doubles({corners[i][0], corners[i][1], corners[i][2]}),
                          Doubles({c[0], c[1], c[2]}), Doubles({n[0], n[1], n[2]})});
    }
    EXPECT_EQ(Store(7, [&](CArchive& ar) { t.Serialize(ar); }), floats);
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { t.Serialize(ar); }), doubles);

    // Loading takes the first corner's colour whole, keeps the stored
    // centroids and normals as they are, and shows every face.
    Bytes crafted = Concat({UInt32(4), Int32(1), Int32(1)});
    for (int i = 0; i < 4; ++i)
        crafted = Concat({crafted, Rgba(static_cast<BYTE>(i + 1), 2, 3, static_cast<BYTE>(i == 0 ? 77 : 0)),
                          Floats({float(i), 0, 0}), Floats({9, 9, float(i)}), Floats({0, 0, 5})});
    TetrahedronPrimitive loaded = t;
    EXPECT_EQ(Load(crafted, 7, [&](CArchive& ar) { loaded.Serialize(ar); }), 0u);
    EXPECT_EQ(loaded.GetID(), 4u);
    EXPECT_EQ(loaded.GetColor(), Color(1, 2, 3, 77));
    Point3d v0, v1, v2, v3;
    loaded.GetTetrahedronVertices(v0, v1, v2, v3);
    ExpectPoint(v3, 3, 0, 0);
    ExpectPoint(loaded.GetFaceCentroid(2), 9, 9, 2);
    ExpectPoint(loaded.GetFaceNormal(1), 0, 0, 5);
    EXPECT_EQ(loaded.GetNumFaces(), 4);

    // Damage: the archive ends inside the third corner.
    Bytes cut(crafted.begin(), crafted.begin() + 12 + 2 * 40 + 6);
    EXPECT_THROW(Load(cut, 7, [&](CArchive& ar) { loaded.Serialize(ar); }), CArchiveException);
}
