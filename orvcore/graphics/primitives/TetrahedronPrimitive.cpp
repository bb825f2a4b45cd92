#include "orvcore/graphics/primitives/TetrahedronPrimitive.h"

#include "orvcore/geometry/Measures.h"

#include <cmath>

namespace Orvane {

namespace {

// Corner indices of each face, in the order its normal is formed from.
constexpr int kFaceCorners[4][3] = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};

int OppositeVertex(int face)
{
    return 3 - face;
}

} // namespace

TetrahedronPrimitive::TetrahedronPrimitive() = default;

TetrahedronPrimitive::TetrahedronPrimitive(const Point3d& p0, const Point3d& p1, const Point3d& p2,
                                           const Point3d& p3)
{
    m_vertices[0] = p0;
    m_vertices[3] = p3;
    // Order the middle corners so that V0 V1 V2 winds away from V3.
    const Point3d n = CrossProduct(p1 - p0, p2 - p0);
    const bool swap = (p3 - p0).Dot(n) > 0.0;
    m_vertices[1] = swap ? p2 : p1;
    m_vertices[2] = swap ? p1 : p2;
    DefineAllFaces();
}

TetrahedronPrimitive::~TetrahedronPrimitive() = default;

void TetrahedronPrimitive::DefineAllFaces()
{
    for (int face = 0; face < 4; ++face)
        DefineFaceCentroidAndNormal(face);
}

void TetrahedronPrimitive::GetTetrahedronVertices(Point3d& v0, Point3d& v1, Point3d& v2, Point3d& v3) const
{
    v0 = m_vertices[0];
    v1 = m_vertices[1];
    v2 = m_vertices[2];
    v3 = m_vertices[3];
}

void TetrahedronPrimitive::GetFaceVertices(int face, Point3d& a, Point3d& b, Point3d& c) const
{
    if (!IsFace(face))
        return;
    a = m_vertices[kFaceCorners[face][0]];
    b = m_vertices[kFaceCorners[face][1]];
    c = m_vertices[kFaceCorners[face][2]];
}

const Point3d& TetrahedronPrimitive::GetFaceCentroid(int face) const
{
    return IsFace(face) ? m_centroids[face] : Point3d::origin;
}

const Point3d& TetrahedronPrimitive::GetFaceNormal(int face) const
{
    return IsFace(face) ? m_normals[face] : Point3d::origin;
}

bool TetrahedronPrimitive::GetHiddenFace(int face) const
{
    return IsFace(face) && m_hidden[face];
}

void TetrahedronPrimitive::SetHiddenFace(int face, bool hidden)
{
    if (IsFace(face))
        m_hidden[face] = hidden;
}

int TetrahedronPrimitive::GetNumFaces() const
{
    int shown = 0;
    for (bool hidden : m_hidden)
        shown += hidden ? 0 : 1;
    return shown;
}

bool TetrahedronPrimitive::DefineFaceCentroidAndNormal(int face)
{
    if (!IsFace(face))
        return false;
    Point3d a, b, c;
    GetFaceVertices(face, a, b, c);
    m_centroids[face] = (a + b + c) / 3.0;
    m_normals[face] = CrossProduct(c - b, a - b);
    m_normals[face].Normalize();
    const double d = m_normals[face].Dot(m_vertices[OppositeVertex(face)] - m_centroids[face]);
    if (std::fabs(d) < Tolerance)
        return true; // flat: the normal's sense cannot be told
    if (d > 0.0)
        m_normals[face] = -m_normals[face];
    return false;
}

bool TetrahedronPrimitive::PointIsExternal(int face, const Point3d& p) const
{
    if (!IsFace(face) || m_hidden[face])
        return false;
    return (p - m_centroids[face]).Dot(m_normals[face]) > Tolerance;
}

void TetrahedronPrimitive::Transform(const Matrix4x4& m)
{
    for (Point3d& v : m_vertices)
        m.Transform(v);
    DefineAllFaces();
}

void TetrahedronPrimitive::Serialize(CArchive& ar)
{
    LitPrimitive::Serialize(ar);
    for (int i = 0; i < 4; ++i) {
        Vertex corner(m_vertices[i], m_color);
        corner.Serialize(ar);
        if (ar.IsLoading()) {
            m_vertices[i] = corner.GetPoint();
            if (i == 0)
                m_color = corner.GetColor();
        }
        m_centroids[i].Serialize(ar);
        m_normals[i].Serialize(ar);
    }
    if (ar.IsLoading()) {
        for (bool& hidden : m_hidden)
            hidden = false;
    }
}

void TetrahedronPrimitive::AddNthPointTetrahedra(Array& tetrahedra, const Point3d& p)
{
    // Join p to every face it can see. The array grows while it is walked,
    // so elements are reached by index and faces copied out first.
    const int existing = tetrahedra.GetSize();
    for (int t = 0; t < existing; ++t) {
        for (int face = 0; face < 4; ++face) {
            if (!tetrahedra[t].PointIsExternal(face, p))
                continue;
            Point3d a, b, c;
            tetrahedra[t].GetFaceVertices(face, a, b, c);
            TetrahedronPrimitive added(a, b, c, p);
            added.SetHiddenFace(0, true); // the face shared with t
            tetrahedra.Add(added);
            tetrahedra[t].SetHiddenFace(face, true);
        }
    }

    // New tetrahedra that stand on neighbouring faces share a face through p.
    const int total = tetrahedra.GetSize();
    for (int i = existing; i < total; ++i) {
        for (int k = i + 1; k < total; ++k) {
            TetrahedronPrimitive& first = tetrahedra[i];
            TetrahedronPrimitive& second = tetrahedra[k];
            for (int f = 0; f < 4; ++f) {
                if (first.m_hidden[f])
                    continue;
                for (int g = 0; g < 4; ++g) {
                    if (first.m_centroids[f].Distance(second.m_centroids[g]) < Tolerance) {
                        first.m_hidden[f] = true;
                        second.m_hidden[g] = true;
                    }
                }
            }
        }
    }
}

void TetrahedronPrimitive::DecomposePolyhedron(Array& tetrahedra, const Point3d::Array& points)
{
    // Built up one point at a time from the first four, in the order the
    // points are given. A loop rather than recursion, so that a long point
    // list cannot exhaust the stack.
    const int count = points.GetSize();
    if (count < 4)
        return;
    tetrahedra.Add(TetrahedronPrimitive(points[0], points[1], points[2], points[3]));
    for (int i = 4; i < count; ++i)
        AddNthPointTetrahedra(tetrahedra, points[i]);
}

} // namespace Orvane
