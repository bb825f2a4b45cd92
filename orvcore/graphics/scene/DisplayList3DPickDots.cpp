// Pick dots: one DotPrimitive per pickable spot of a primitive, carrying the
// object identifier of what the spot depicts.

#include "orvcore/graphics/scene/DisplayList3D.h"
#include "orvcore/graphics/scene/detail/DisplayList3DWalks.h"

#include <algorithm>

namespace Orvane
{

namespace
{

typedef std::vector<DotPrimitive> Dots;

inline void Push(Dots& dots, const Point3d& point, unsigned int id)
{
    dots.emplace_back(point, Color(), 1, id);
}

inline void Push(Dots& dots, const Point2d& point, unsigned int id)
{
    Push(dots, Point3d(point.GetX(), point.GetY(), 0.0), id);
}

// --- 3D kinds

void AddDots(Dots& dots, const LinePrimitive& p)
{
    if (p.GetID1() != 0)
        Push(dots, p.GetEnd1(), p.GetID1());
    if (p.GetID2() != 0)
        Push(dots, p.GetEnd2(), p.GetID2());
}

void AddDots(Dots& dots, const DashedLinePrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        Push(dots, p.GetEnd1(), id);
        Push(dots, p.GetEnd2(), id);
        Push(dots, p.GetEnd1().MidPoint(p.GetEnd2()), id);
    }
}

void AddDots(Dots& dots, const LineArrayPrimitive& p)
{
    if (p.GetID() == 0)
        return;
    const auto& lines = p.GetLineArray();
    for (int i = 0; i < lines.GetSize(); ++i)
        AddDots(dots, lines[i]);
}

void AddDots(Dots& dots, const TetrahedronPrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        Point3d v[4];
        p.GetTetrahedronVertices(v[0], v[1], v[2], v[3]);
        for (const Point3d& corner : v)
            Push(dots, corner, id);
    }
}

void AddDots(Dots& dots, const SpherePrimitive& p)
{
    if (p.GetID() != 0)
        Push(dots, p.GetCenter(), p.GetID());
}

void AddDots(Dots& dots, const EllipsoidPrimitive& p)
{
    if (p.GetID() != 0)
        Push(dots, p.GetCenter(), p.GetID());
}

void AddDots(Dots& dots, const CylinderPrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        Push(dots, p.GetEnd1(), p.GetEnd1ID());
        Push(dots, p.GetEnd1().MidPoint(p.GetEnd2()), id);
        Push(dots, p.GetEnd2(), p.GetEnd2ID());
    }
}

// Cones are picked at their base and their tip.
void AddDots(Dots& dots, const ConePrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        Push(dots, p.GetBase(), id);
        Push(dots, p.GetTip(), id);
    }
}

void AddDots(Dots& dots, const DotPrimitive& p)
{
    if (p.GetID() != 0)
        Push(dots, p.GetCoord(), p.GetID());
}

void AddDots(Dots& dots, const TrianglePrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        Push(dots, p.GetEnd1(), id);
        Push(dots, p.GetEnd2(), id);
        Push(dots, p.GetEnd3(), id);
    }
}

void AddDots(Dots& dots, const ArcPrimitive& p)
{
    if (const unsigned int id = p.GetID())
        for (int i = 0; i < p.GetNumPoints(); ++i)
            Push(dots, p.GetPointAt(i), id);
}

void AddDots(Dots& dots, const Text3DPrimitive& p)
{
    if (!p.GetIsAnnotation() && p.GetID() != 0)
        Push(dots, p.GetPosition(), p.GetID());
}

void AddDots(Dots& dots, const UnlitTrianglePrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        Push(dots, p.GetEnd1(), id);
        Push(dots, p.GetEnd2(), id);
        Push(dots, p.GetEnd3(), id);
    }
}

void AddDots(Dots& dots, const Rect2DPrimitive& p)
{
    if (p.GetID() != 0)
        Push(dots, p.GetCoord(), p.GetID());
}

// The eight corners of the volume's box, in the order of the unit-cube
// corners (0,0,0), (1,0,0), (1,1,0), (0,1,0), (0,0,1), (1,0,1), (1,1,1), (0,1,1).
// A primitive without a volume object has no box and no dots.
void AddDots(Dots& dots, const VolumePrimitive& p)
{
    const unsigned int id = p.GetID();
    const NComponentVolume<float>* volume = p.GetVolume();
    if (id == 0 || volume == nullptr)
        return;
    Point3d corners[8];
    volume->GetBoxCorners(corners);
    for (const Point3d& corner : corners)
        Push(dots, corner, id);
}

void AddDots(Dots& dots, const IconPrimitive& p)
{
    if (p.GetID() != 0)
        Push(dots, p.GetCoord(), p.GetID());
}

// --- triangle meshes

// The identifier of each vertex: entry k of the object-identifier array when
// it covers every vertex, else the mesh's own identifier.
struct MeshIds
{
    const TriangleMeshPrimitive& mesh;
    bool perVertex;

    explicit MeshIds(const TriangleMeshPrimitive& m) : mesh(m), perVertex(m.GetNumOIDs() >= m.GetNumVertices()) {}
    unsigned int operator()(int k) const { return perVertex ? mesh.GetOIDAt(k) : mesh.GetID(); }
};

// The corner indices of triangle t, or false when one lies outside the vertex
// array (such a triangle has no position to pick).
bool TriangleCorners(const TriangleMeshPrimitive& mesh, int t, int (&index)[3])
{
    const TriangleIndex& triangle = mesh.GetTriangleAt(t);
    index[0] = triangle.GetIndex(0);
    index[1] = triangle.GetIndex(1);
    index[2] = triangle.GetIndex(2);
    const int n = mesh.GetNumVertices();
    return std::all_of(index, index + 3, [n](int i) { return i >= 0 && i < n; });
}

inline const Point3d& VertexPoint(const TriangleMeshPrimitive& mesh, int k)
{
    return mesh.GetVertexAt(k).GetPoint();
}

Point3d Centroid(const TriangleMeshPrimitive& mesh, const int (&index)[3])
{
    return (VertexPoint(mesh, index[0]) + VertexPoint(mesh, index[1]) + VertexPoint(mesh, index[2])) / 3.0;
}

void AddOpaqueMeshDots(Dots& dots, const TriangleMeshPrimitive& mesh)
{
    const MeshIds ids(mesh);
    int index[3];
    for (int t = 0; t < mesh.GetNumTriangles(); ++t) {
        if (!TriangleCorners(mesh, t, index))
            continue;
        const unsigned int d[3] = {ids(index[0]), ids(index[1]), ids(index[2])};
        if (d[0] == 0 && d[1] == 0 && d[2] == 0)
            continue;
        for (int c = 0; c < 3; ++c)
            Push(dots, VertexPoint(mesh, index[c]), d[c]);
        Push(dots, Centroid(mesh, index), d[0]);
    }
}

void AddTransparentMeshDots(Dots& dots, const TriangleMeshPrimitive& mesh)
{
    const MeshIds ids(mesh);
    for (int k = 0; k < mesh.GetNumVertices(); ++k)
        if (const unsigned int id = ids(k))
            Push(dots, VertexPoint(mesh, k), id);
    int index[3];
    for (int t = 0; t < mesh.GetNumTriangles(); ++t)
        if (TriangleCorners(mesh, t, index))
            Push(dots, Centroid(mesh, index), ids(index[0]));
}

// --- 2D overlay kinds

void Add2DDots(Dots& dots, const Text3DPrimitive& p)
{
    if (p.GetIsAnnotation() && p.GetID() != 0)
        Push(dots, p.GetPosition(), p.GetID());
}

// A line segment is picked at its two ends (fewer when it holds fewer points).
void Add2DDots(Dots& dots, const LineSegmentPrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        const Point2d::Array& points = p.GetPoints();
        for (int i = 0; i < points.GetSize() && i < 2; ++i)
            Push(dots, points[i], id);
    }
}

void Add2DDots(Dots& dots, const PolylinePrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        const Point2d::Array& points = p.GetPoints();
        for (int i = 0; i < points.GetSize(); ++i)
            Push(dots, points[i], id);
    }
}

void Add2DDots(Dots& dots, const RectanglePrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        const double x = p.GetOrigin().GetX(), y = p.GetOrigin().GetY();
        const double w = p.GetSize().GetX(), h = p.GetSize().GetY();
        Push(dots, Point2d(x, y), id);
        Push(dots, Point2d(x + w, y), id);
        Push(dots, Point2d(x + w, y + h), id);
        Push(dots, Point2d(x, y + h), id);
    }
}

// An ellipse's origin is its centre and its size the half axes.
void Add2DDots(Dots& dots, const EllipsePrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        const double x = p.GetOrigin().GetX(), y = p.GetOrigin().GetY();
        const double w = p.GetSize().GetX(), h = p.GetSize().GetY();
        Push(dots, Point2d(x + w, y + h), id);
        Push(dots, Point2d(x - w, y + h), id);
        Push(dots, Point2d(x - w, y - h), id);
        Push(dots, Point2d(x + w, y - h), id);
    }
}

void Add2DDots(Dots& dots, const TriangleShapePrimitive& p)
{
    if (const unsigned int id = p.GetID()) {
        Push(dots, p.GetPoint1(), id);
        Push(dots, p.GetPoint2(), id);
        Push(dots, p.GetPoint3(), id);
    }
}

void Add2DDots(Dots& dots, const TextStringPrimitive& p)
{
    if (p.GetID() != 0)
        Push(dots, p.GetOrigin(), p.GetID());
}

template <class T, class Rule>
void AddAll(Dots& dots, const std::vector<T>& array, Rule rule)
{
    for (const T& primitive : array)
        rule(dots, primitive);
}

template <class T>
void AddAll(Dots& dots, const std::vector<T>& array)
{
    for (const T& primitive : array)
        AddDots(dots, primitive);
}

template <class T>
void AddAll2D(Dots& dots, const std::vector<T>& array)
{
    for (const T& primitive : array)
        Add2DDots(dots, primitive);
}

} // namespace

int DisplayList3D::GetPickDotsPrimitives(std::vector<DotPrimitive>& dots) const
{
    AddAll(dots, m_lines);
    AddAll(dots, m_dashedLines);
    AddAll(dots, m_lineArrays);
    AddAll(dots, m_opaqueTetrahedra);
    AddAll(dots, m_transparentTetrahedra);
    AddAll(dots, m_opaqueSpheres);
    AddAll(dots, m_transparentSpheres);
    AddAll(dots, m_opaqueEllipsoids);
    AddAll(dots, m_transparentEllipsoids);
    AddAll(dots, m_opaqueCylinders);
    AddAll(dots, m_transparentCylinders);
    AddAll(dots, m_cones);
    AddAll(dots, m_dots);
    AddAll(dots, m_triangles);
    AddAll(dots, m_opaqueTriangleMeshes, AddOpaqueMeshDots);
    AddAll(dots, m_transparentTriangleMeshes, AddTransparentMeshDots);
    AddAll(dots, m_arcs);
    AddAll(dots, m_texts3D);
    AddAll(dots, m_unlitTriangles);
    AddAll(dots, m_rects2D);
    AddAll(dots, m_volumes);
    AddAll(dots, m_icons);
    return static_cast<int>(dots.size());
}

int DisplayList3D::GetPickDots(std::vector<DotPrimitive>& dots) const
{
    dots.reserve(dots.size() + static_cast<std::size_t>(GetNumPrim()));
    return GetPickDotsTree(Matrix4x4(Matrix4x4::IdentityMatrix), dots);
}

int DisplayList3D::GetPickDotsTree(const Matrix4x4& parent, std::vector<DotPrimitive>& dots) const
{
    // This list's dots are gathered at the end of the result, filtered in
    // place when clip planes are enabled and then transformed in place.
    const std::size_t first = dots.size();
    GetPickDotsPrimitives(dots);

    // The clip planes are given in this list's own frame, where the dots still
    // are before they are transformed: tested there, a plane holds under any
    // transformation (scaled or sheared ones included), and a dot that lies on
    // a plane stays.
    const Plane* planes[kMaxClipPlanes];
    int numPlanes = 0;
    for (const ClipPlaneEntry& entry : m_clipPlanes)
        if (entry.enabled)
            planes[numPlanes++] = &entry.plane;
    if (numPlanes > 0) {
        // A dot stays when every plane gives at least 0; an undefined value
        // (not a number) drops it.
        auto clipped = [&](const DotPrimitive& dot) {
            for (int k = 0; k < numPlanes; ++k)
                if (!(planes[k]->Apply(dot.GetCoord()) >= 0.0))
                    return true;
            return false;
        };
        dots.erase(std::remove_if(dots.begin() + static_cast<std::ptrdiff_t>(first), dots.end(), clipped),
                   dots.end());
    }

    const Matrix4x4 aggregate = parent * m_localTransformation;
    for (std::size_t i = first; i < dots.size(); ++i)
        dots[i].UnlitPointPrimitive::Transform(aggregate);

    for (const DisplayList3D& list : m_displayLists)
        list.GetPickDotsTree(aggregate, dots);
    return static_cast<int>(dots.size());
}

int DisplayList3D::GetPickDots2D(std::vector<DotPrimitive>& dots) const
{
    const std::size_t own = m_texts3D.size() + m_lineSegments.size() + m_polylines.size() + m_rectangles.size() +
                            m_ellipses.size() + m_triangleShapes.size() + m_textStrings.size() +
                            m_textBoxes.size() + m_textCallouts.size();
    dots.reserve(dots.size() + own);
    AddAll2D(dots, m_texts3D);
    AddAll2D(dots, m_lineSegments);
    AddAll2D(dots, m_polylines);
    AddAll2D(dots, m_rectangles);
    AddAll2D(dots, m_ellipses);
    AddAll2D(dots, m_triangleShapes);
    AddAll2D(dots, m_textStrings);
    AddAll2D(dots, m_textBoxes);
    AddAll2D(dots, m_textCallouts);
    for (const DisplayList3D& list : m_displayLists)
        list.GetPickDots2D(dots);
    return static_cast<int>(dots.size());
}

} // namespace Orvane
