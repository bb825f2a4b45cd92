#pragma once

// Builders shared by the display-list tests.

#include "orvcore/graphics/scene/DisplayList3D.h"

#include <gtest/gtest.h>

namespace DisplayListTest
{

using namespace Orvane;

// Reaches the protected members the tests check.
struct Access : DisplayList3D
{
    static int NumPrim(const DisplayList3D& list) { return (list.*(&Access::GetNumPrim))(); }
    static int AppendArraysTo(DisplayList3D& list, const DisplayList3D& source)
    {
        return (list.*(&Access::AppendArrays))(source);
    }
};

inline Color Opaque() { return Color(10, 20, 30, 0); }
inline Color Alpha(int a) { return Color(10, 20, 30, a); }

inline void ExpectPoint(const Point3d& p, double x, double y, double z, double tolerance = 1e-5)
{
    EXPECT_NEAR(p.GetX(), x, tolerance);
    EXPECT_NEAR(p.GetY(), y, tolerance);
    EXPECT_NEAR(p.GetZ(), z, tolerance);
}

inline Matrix4x4 Translation(double x, double y, double z)
{
    Matrix4x4 m(Matrix4x4::IdentityMatrix);
    m.SetTranslation(x, y, z);
    return m;
}

inline TetrahedronPrimitive Tetrahedron(const Color& color, unsigned int id, const Point3d& offset = Point3d())
{
    TetrahedronPrimitive t(offset + Point3d(0, 0, 0), offset + Point3d(1, 0, 0), offset + Point3d(0, 1, 0),
                           offset + Point3d(0, 0, 1));
    t.SetColor(color);
    t.SetID(id);
    return t;
}

// A mesh of `vertices` vertices on the x axis (vertex k at (k, 0, 0)) with the
// given triangles and object identifiers; the first vertex carries `color`.
inline TriangleMeshPrimitive Mesh(int vertices, std::initializer_list<TriangleIndex> triangles,
                                  std::initializer_list<unsigned int> oids, unsigned int id,
                                  const Color& color = Color())
{
    VertexNormalArray v;
    for (int k = 0; k < vertices; ++k) {
        VertexNormal vertex(Point3d(k, 0, 0), Point3d(0, 0, 1), k == 0 ? color : Color());
        v.Add(vertex);
    }
    TriangleIndexArray t;
    for (TriangleIndex index : triangles)
        t.Add(index);
    OIDArray o;
    for (unsigned int oid : oids)
        o.Add(oid);
    TriangleMeshPrimitive mesh(v, t, o);
    mesh.SetID(id);
    return mesh;
}

inline std::vector<unsigned int> Ids(const std::vector<DotPrimitive>& dots)
{
    std::vector<unsigned int> ids;
    for (const DotPrimitive& dot : dots)
        ids.push_back(dot.GetID());
    return ids;
}

} // namespace DisplayListTest
