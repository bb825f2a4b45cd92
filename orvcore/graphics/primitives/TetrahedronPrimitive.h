#pragma once

/// \file
/// TetrahedronPrimitive, a lit tetrahedron with hideable faces.
#include "orvcore/Export.h"
#include "orvcore/color/Color.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CArray.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/geometry/Point3d.h"
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"

namespace Orvane {

/// A lit solid with four triangular faces, each of which can be hidden.
///
/// Face i lies opposite vertex V(3 - i); its corners, in the order in which
/// they are returned and in which its normal is formed, are
///   face 0: V0 V1 V2    face 1: V0 V3 V1    face 2: V0 V2 V3    face 3: V1 V3 V2
/// and its normal is the unit normal pointing away from the opposite vertex.
///
/// DecomposePolyhedron fills the convex hull of a point set with tetrahedra,
/// hiding the faces where two of them touch, so that the visible faces are
/// the hull's surface.
///
/// \valuethreads
class ORVCORE_API TetrahedronPrimitive : public LitPrimitive
{
public:
    /// A growable array of tetrahedra.
    typedef CArray<TetrahedronPrimitive, const TetrahedronPrimitive&> Array;

    /// Distance, in model units, below which a point counts as lying in a
    /// face's plane and two face centroids as coinciding.
    static constexpr double Tolerance = 0.001;

    /// A black tetrahedron with all four corners at the origin and no face hidden.
    TetrahedronPrimitive();
    /// The corners are reordered, if need be, so that every face's normal
    /// formed from its corners in order points outward.
    TetrahedronPrimitive(const Point3d& p0, const Point3d& p1, const Point3d& p2, const Point3d& p3);
    /// Copies.
    ///@{
    TetrahedronPrimitive(const TetrahedronPrimitive&) = default;
    TetrahedronPrimitive& operator=(const TetrahedronPrimitive&) = default;
    ///@}
    ~TetrahedronPrimitive() override;

    /// The four corners V0 to V3.
    void GetTetrahedronVertices(Point3d& v0, Point3d& v1, Point3d& v2, Point3d& v3) const;
    /// The corners of a face; a face number outside 0..3 leaves the outputs unchanged.
    void GetFaceVertices(int face, Point3d& a, Point3d& b, Point3d& c) const;
    /// The centroid of a face; the origin for a face number outside 0..3.
    const Point3d& GetFaceCentroid(int face) const;
    /// The unit outward normal of a face; the origin for a face number outside 0..3.
    const Point3d& GetFaceNormal(int face) const;
    /// Whether a face is hidden; a face number outside 0..3 reads as not hidden.
    bool GetHiddenFace(int face) const;
    /// Hides or shows a face; a face number outside 0..3 is ignored.
    void SetHiddenFace(int face, bool hidden);
    /// The number of faces not hidden.
    int GetNumFaces() const;

    /// The colour of all four faces.
    ///@{
    Color GetColor() const { return m_color; }
    void SetColor(const Color& color) { m_color = color; }
    ///@}

    /// Moves the corners and recomputes the face centroids and normals.
    virtual void Transform(const Matrix4x4& m);

    /// The lit form, then per corner: the corner with the colour (alpha
    /// cleared), its face's centroid and normal. Loading takes the colour of
    /// the first corner and the centroids and normals as stored. The hidden
    /// flags are not stored: loading shows all four faces. Before schema 7
    /// (and without a schema) the lit form has no representation word, so
    /// none is stored or loaded there.
    void Serialize(CArchive& ar);

    /// Appends tetrahedra that fill the convex hull of the points, adding the
    /// points one at a time from the tetrahedron of the first four. Tetrahedra
    /// already in the array take part. Fewer than four points add nothing.
    static void DecomposePolyhedron(Array& tetrahedra, const Point3d::Array& points);

protected:
    /// Sets the face's centroid and outward normal. Returns true when the
    /// opposite vertex lies in the face's plane (within the tolerance); the
    /// normal is then left as formed from the corners.
    bool DefineFaceCentroidAndNormal(int face);
    /// Whether the point lies more than the tolerance beyond a face that is
    /// not hidden.
    bool PointIsExternal(int face, const Point3d& p) const;
    /// Joins the point to every face it lies beyond, hiding the faces that
    /// the new tetrahedra share with the old ones and among themselves.
    static void AddNthPointTetrahedra(Array& tetrahedra, const Point3d& p);

private:
    static bool IsFace(int face) { return face >= 0 && face < 4; }
    void DefineAllFaces();

    Point3d m_vertices[4];
    bool m_hidden[4] = {false, false, false, false};
    Point3d m_centroids[4];
    Color m_color;
    Point3d m_normals[4];
};

} // namespace Orvane
