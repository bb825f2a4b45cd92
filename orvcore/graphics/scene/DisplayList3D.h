#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/CMap.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/geometry/Plane.h"
#include "orvcore/geometry/Point3d.h"
#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/ShapePrimitives.h"
#include "orvcore/graphics/primitives/TetrahedronPrimitive.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"
#include "orvcore/graphics/primitives/TriangleMeshPrimitive.h"
#include "orvcore/graphics/primitives/VolumePrimitive.h"

#include <array>
#include <cstdint>
#include <vector>

/// \file
/// DisplayList3D, the hierarchical scene description, and the table of its primitive kinds.

/// The primitive arrays of a display list, in declaration order. Every walk over
/// the arrays (copy, append, clear, count, transform, identifiers) and every
/// per-kind accessor is generated from this one table, so a new kind is added
/// here and nowhere else among the walks.
///
/// ONE(Type, member, Plural, Singular) declares an array with GetNum<Plural>,
/// Get<Singular>, Remove<Singular> and Add(const Type&).
/// SPLIT(Type, opaqueMember, transparentMember, Plural, Singular) declares an
/// opaque and a transparent array with GetNumOpaque<Plural>,
/// GetNumTransparent<Plural>, GetOpaque<Singular>, ..., and one Add that routes
/// by the primitive's deciding colour.
#define ORVCORE_DISPLAYLIST_KINDS(ONE, SPLIT)                                                        \
    ONE(LinePrimitive, m_lines, Lines, Line)                                                         \
    ONE(DashedLinePrimitive, m_dashedLines, DashedLines, DashedLine)                                 \
    ONE(LineArrayPrimitive, m_lineArrays, LineArrays, LineArray)                                     \
    SPLIT(TetrahedronPrimitive, m_opaqueTetrahedra, m_transparentTetrahedra, Tetrahedrons,          \
          Tetrahedron)                                                                               \
    SPLIT(SpherePrimitive, m_opaqueSpheres, m_transparentSpheres, Spheres, Sphere)                  \
    SPLIT(EllipsoidPrimitive, m_opaqueEllipsoids, m_transparentEllipsoids, Ellipsoids, Ellipsoid)   \
    SPLIT(CylinderPrimitive, m_opaqueCylinders, m_transparentCylinders, Cylinders, Cylinder)        \
    ONE(ConePrimitive, m_cones, Cones, Cone)                                                         \
    ONE(TrianglePrimitive, m_triangles, Triangles, Triangle)                                         \
    SPLIT(TriangleMeshPrimitive, m_opaqueTriangleMeshes, m_transparentTriangleMeshes,               \
          TriangleMeshes, TriangleMesh)                                                              \
    ONE(DotPrimitive, m_dots, Dots, Dot)                                                             \
    ONE(ArcPrimitive, m_arcs, Arcs, Arc)                                                             \
    ONE(Text3DPrimitive, m_texts3D, Text3D, Text3D)                                                  \
    ONE(UnlitTrianglePrimitive, m_unlitTriangles, UnlitTriangles, UnlitTriangle)                     \
    ONE(Rect2DPrimitive, m_rects2D, Rect2D, Rect2D)                                                  \
    ONE(VolumePrimitive, m_volumes, Volume, Volume)                                                  \
    ONE(IconPrimitive, m_icons, Icon, Icon)                                                          \
    ONE(LineSegmentPrimitive, m_lineSegments, LineSegments, LineSegment)                             \
    ONE(PolylinePrimitive, m_polylines, Polylines, Polyline)                                         \
    ONE(RectanglePrimitive, m_rectangles, Rectangles, Rectangle)                                     \
    ONE(EllipsePrimitive, m_ellipses, Ellipses, Ellipse)                                             \
    ONE(TriangleShapePrimitive, m_triangleShapes, TriangleShapes, TriangleShape)                     \
    ONE(TextStringPrimitive, m_textStrings, TextStrings, TextString)                                 \
    ONE(TextBoxPrimitive, m_textBoxes, TextBoxes, TextBox)                                           \
    ONE(TextCalloutPrimitive, m_textCallouts, TextCallouts, TextCallout)

namespace Orvane
{

/// A scene description handed to the renderer: primitives held by value in one
/// array per kind (five kinds split into opaque and transparent arrays), nested
/// display lists with their own local transformations, six clip planes, a render
/// mode and an icon scale. Every list carries an identifier drawn from the
/// process-wide counter m_lastID; copies keep their source's identifier.
///
/// Coordinates: each list has a local transformation (identity by default).
/// The aggregate transformation of a list is the product L_root * ... * L_list
/// of the local transformations from the root down to that list, and a point p
/// of the list is placed in the frame of the root's parent at p * aggregate
/// (row vectors; so the root's transformation is applied first).
///
/// Picking: a pick dot is a DotPrimitive at a pickable spot of a primitive,
/// carrying the object identifier of what the spot depicts; GetPickDots and
/// GetPickDots2D gather them so that a click can be mapped back to a model object.
///
/// <b>Per-kind access.</b> For every primitive kind the class has a family of
/// members generated from one table (ORVCORE_DISPLAYLIST_KINDS):
/// - `int Add(const Type& primitive)` appends a copy and returns its index in its
///   array. For the kinds with split arrays the primitive goes to the
///   transparent array when its deciding colour has a non-zero alpha byte (a
///   sphere's, ellipsoid's or tetrahedron's colour, a cylinder's first colour, a
///   mesh's first vertex colour; a mesh without vertices is opaque), else to the
///   opaque one.
/// - `int GetNum<Plural>() const`: the number of primitives of the kind.
/// - `Type& Get<Singular>(int index)` (and a const form): the primitive at index,
///   which must lie in range (not checked).
/// - `void Remove<Singular>(int first, int count)`: removes count primitives from
///   first; a range that does not lie within the array leaves it unchanged.
///
/// | Kind | Members |
/// |------|---------|
/// | LinePrimitive | GetNumLines, GetLine, RemoveLine |
/// | DashedLinePrimitive | GetNumDashedLines, GetDashedLine, RemoveDashedLine |
/// | LineArrayPrimitive | GetNumLineArrays, GetLineArray, RemoveLineArray |
/// | TetrahedronPrimitive | GetNumOpaqueTetrahedrons, GetOpaqueTetrahedron, RemoveOpaqueTetrahedron, GetNumTransparentTetrahedrons, GetTransparentTetrahedron, RemoveTransparentTetrahedron |
/// | SpherePrimitive | GetNumOpaqueSpheres, GetOpaqueSphere, RemoveOpaqueSphere, GetNumTransparentSpheres, GetTransparentSphere, RemoveTransparentSphere |
/// | EllipsoidPrimitive | GetNumOpaqueEllipsoids, GetOpaqueEllipsoid, RemoveOpaqueEllipsoid, GetNumTransparentEllipsoids, GetTransparentEllipsoid, RemoveTransparentEllipsoid |
/// | CylinderPrimitive | GetNumOpaqueCylinders, GetOpaqueCylinder, RemoveOpaqueCylinder, GetNumTransparentCylinders, GetTransparentCylinder, RemoveTransparentCylinder |
/// | ConePrimitive | GetNumCones, GetCone, RemoveCone |
/// | TrianglePrimitive | GetNumTriangles, GetTriangle, RemoveTriangle |
/// | TriangleMeshPrimitive | GetNumOpaqueTriangleMeshes, GetOpaqueTriangleMesh, RemoveOpaqueTriangleMesh, GetNumTransparentTriangleMeshes, GetTransparentTriangleMesh, RemoveTransparentTriangleMesh |
/// | DotPrimitive | GetNumDots, GetDot, RemoveDot |
/// | ArcPrimitive | GetNumArcs, GetArc, RemoveArc |
/// | Text3DPrimitive | GetNumText3D, GetText3D, RemoveText3D |
/// | UnlitTrianglePrimitive | GetNumUnlitTriangles, GetUnlitTriangle, RemoveUnlitTriangle |
/// | Rect2DPrimitive | GetNumRect2D, GetRect2D, RemoveRect2D |
/// | VolumePrimitive | GetNumVolume, GetVolume, RemoveVolume |
/// | IconPrimitive | GetNumIcon, GetIcon, RemoveIcon |
/// | LineSegmentPrimitive | GetNumLineSegments, GetLineSegment, RemoveLineSegment |
/// | PolylinePrimitive | GetNumPolylines, GetPolyline, RemovePolyline |
/// | RectanglePrimitive | GetNumRectangles, GetRectangle, RemoveRectangle |
/// | EllipsePrimitive | GetNumEllipses, GetEllipse, RemoveEllipse |
/// | TriangleShapePrimitive | GetNumTriangleShapes, GetTriangleShape, RemoveTriangleShape |
/// | TextStringPrimitive | GetNumTextStrings, GetTextString, RemoveTextString |
/// | TextBoxPrimitive | GetNumTextBoxes, GetTextBox, RemoveTextBox |
/// | TextCalloutPrimitive | GetNumTextCallouts, GetTextCallout, RemoveTextCallout |
///
/// \threadsafety{const calls on one tree (GetPickDots, the counters and accessors) may run on
/// several threads at once while none changes it. Making a new list takes ++m_lastID from a plain
/// process-wide counter, not atomic: lists are made on one thread at a time. Copies of trees that
/// hold triangle meshes share their data (see TriangleMeshPrimitive).}
class ORVCORE_API DisplayList3D
{
public:
    /// Stored and handed back for the renderer; the library attaches no meaning
    /// to it beyond the default value.
    enum RenderMode : std::int32_t
    {
        DefaultRenderMode = 1 ///< The render mode of a new list.
    };

    /// A map from old to new object identifiers (see TranslateOIDs).
    typedef CMap<unsigned int, unsigned int, unsigned int, unsigned int> OIDMap;

    /// The last identifier handed out; 0 when the library is loaded.
    static unsigned int m_lastID;

    /// An empty list with a new identifier (++m_lastID), the default render mode, icon
    /// scale (1, 1, 1), the identity as local transformation and no clip plane enabled.
    DisplayList3D();
    /// Copies or moves the whole subtree; the result keeps the source's identifier.
    /// Assigning a list nested in this one is safe.
    ///@{
    DisplayList3D(const DisplayList3D& source);
    DisplayList3D(DisplayList3D&& source) noexcept;
    DisplayList3D& operator=(const DisplayList3D& source);
    DisplayList3D& operator=(DisplayList3D&& source) noexcept;
    ///@}
    /// Destroys the primitives and the nested lists.
    ~DisplayList3D();

    /// The list's identifier.
    unsigned int GetID() const { return m_id; }

    /// The render mode, stored for the renderer.
    ///@{
    RenderMode GetRenderMode() const { return m_renderMode; }
    void SetRenderMode(RenderMode mode) { m_renderMode = mode; }
    ///@}

    /// The scale of the icons, per axis ((1, 1, 1) by default).
    ///@{
    const Point3d& GetIconScale() const { return m_iconScale; }
    void SetIconScale(const Point3d& scale) { m_iconScale = scale; }
    ///@}

    /// The local transformation (see the class description for the order of composition).
    ///@{
    const Matrix4x4& GetLocalTransformation() const { return m_localTransformation; }
    void SetLocalTransformation(const Matrix4x4& matrix) { m_localTransformation = matrix; }
    ///@}

    // --- per-kind access, generated from the table above
    // (The comments inside the generators document each generated member in
    // the reference, where the generators are expanded with their arguments.)
#define ORVCORE_DL_ACCESS(Type, member, Plural, Singular)                                            \
    /** The number of Type objects in the list's Plural array. */                                    \
    int GetNum##Plural() const { return static_cast<int>(member.size()); }                          \
    /** The Type at index in the Plural array, which must lie in range (not checked). */             \
    Type& Get##Singular(int index) { return member[static_cast<std::size_t>(index)]; }              \
    /** The Type at index in the Plural array, which must lie in range (not checked). */             \
    const Type& Get##Singular(int index) const { return member[static_cast<std::size_t>(index)]; }  \
    /** Removes count Type objects from first; a range outside the Plural array changes nothing. */  \
    void Remove##Singular(int first, int count) { EraseRange(member, first, count); }
#define ORVCORE_DL_ONE(Type, member, Plural, Singular)                                               \
    ORVCORE_DL_ACCESS(Type, member, Plural, Singular)                                                \
    /** Appends a copy of the Type to the Plural array and returns its index there. */               \
    int Add(const Type& primitive) { return AppendOne(member, primitive); }
#define ORVCORE_DL_SPLIT(Type, opaque, transparent, Plural, Singular)                                \
    ORVCORE_DL_ACCESS(Type, opaque, Opaque##Plural, Opaque##Singular)                                \
    ORVCORE_DL_ACCESS(Type, transparent, Transparent##Plural, Transparent##Singular)                 \
    /** Appends a copy of the Type (to the transparent array when its deciding colour's alpha byte   \
        is non-zero, else to the opaque one) and returns its index there. */                         \
    int Add(const Type& primitive)                                                                   \
    {                                                                                                \
        return AppendOne(IsTransparent(primitive) ? transparent : opaque, primitive);               \
    }
    ORVCORE_DISPLAYLIST_KINDS(ORVCORE_DL_ONE, ORVCORE_DL_SPLIT)
#undef ORVCORE_DL_SPLIT
#undef ORVCORE_DL_ONE
#undef ORVCORE_DL_ACCESS

    // --- nested display lists
    /// Number of nested lists.
    int GetNumDisplayLists() const { return static_cast<int>(m_displayLists.size()); }
    /// Nested list at index, which must lie in range (not checked).
    ///@{
    DisplayList3D& GetDisplayList(int index) { return m_displayLists[static_cast<std::size_t>(index)]; }
    const DisplayList3D& GetDisplayList(int index) const
    {
        return m_displayLists[static_cast<std::size_t>(index)];
    }
    ///@}
    /// Removes count nested lists from first; a range that does not lie within the
    /// nested lists leaves them unchanged.
    void RemoveDisplayList(int first, int count) { EraseRange(m_displayLists, first, count); }
    /// Stores a copy of the list (same identifier, whole subtree) and returns
    /// that identifier.
    unsigned int Add(const DisplayList3D& list);
    /// The list with this identifier in this subtree (this list first, then the
    /// nested lists depth first), or null.
    DisplayList3D* LookupDisplayList(unsigned int id);

    // --- content
    /// Makes the content equal to the source's, keeping this list's identifier.
    void Copy(const DisplayList3D& source);
    /// Empties every primitive array and every nested list (the nested lists
    /// stay), resets the icon scale, the local transformation and the clip
    /// planes. Identifier and render mode stay.
    void Clear();
    /// True when neither this list nor any list below it holds a primitive.
    bool IsEmpty() const;

    // --- object identifiers of the primitives, through the whole subtree
    /// Sets the object identifier of every primitive of the subtree (both identifiers
    /// of a line) to oid.
    void SetOID(unsigned int oid);
    /// Replaces every identifier field v by map[v] where v is a key; each field
    /// is translated once from its own previous value.
    void TranslateOIDs(const OIDMap& map);

    // --- merging and transformations
    /// Appends the source's primitives and nested lists; returns how many.
    int Append(const DisplayList3D& source);
    /// Moves every primitive into the coordinate frame of this list's parent
    /// and resets every local transformation of the subtree to the identity.
    void ApplyLocalTransformation();
    /// Bakes the subtree's transformations into the primitives and gathers them
    /// into this list, which ends without nested lists.
    void Flatten();
    /// The aggregate transformation of the last list carrying id in root's tree
    /// (depth first); result is untouched when no list carries it.
    /// The aggregate is L_root * ... * L_list, the root's local transformation first.
    void GetAggregateTransformation(const DisplayList3D& root, unsigned int id, Matrix4x4& result) const;

    // --- clip planes
    /// The number of clip planes: 6.
    int GetMaxClipPlanes() const { return kMaxClipPlanes; }
    /// Clip plane index; an index outside 0..5 reads plane 0.
    const Plane& GetClipPlane(int index) const;
    /// Sets clip plane index; an index outside 0..5 is ignored. A pick dot is kept
    /// when Plane::Apply gives 0 or more for every enabled plane of its list (in the
    /// list's own frame).
    void SetClipPlane(int index, const Plane& plane);
    /// Whether clip plane index is enabled; false outside 0..5.
    bool GetClipPlaneEnabled(int index) const;
    /// Enables or disables clip plane index; an index outside 0..5 is ignored.
    void SetClipPlaneEnabled(int index, bool enabled);

    // --- pick dots
    /// Appends the pick dots of the tree's 3D content, in the frame of the
    /// root's parent, honouring every list's enabled clip planes; returns the
    /// vector's size.
    ///
    /// A primitive with identifier 0 gives no dot; a cylinder is judged by its
    /// own identifier and then gives its end dots with the end identifiers as
    /// they are, 0 included (after loading they are 0: they are not archived).
    /// The order is fixed, which decides between equally near dots for a host
    /// that keeps the first one: this list's own dots first, then each nested
    /// list's, depth first in index order; within a list kind by kind (lines,
    /// dashed lines, line arrays, tetrahedra, spheres, ellipsoids, cylinders,
    /// cones, dots, triangles, triangle meshes, arcs, 3D texts, unlit triangles,
    /// 2D rectangles, volumes, icons; the opaque array of a split kind before
    /// its transparent one), and within a kind in the order added.
    int GetPickDots(std::vector<DotPrimitive>& dots) const;
    /// Appends the pick dots of the tree's 2D overlay content, untransformed;
    /// returns the vector's size.
    int GetPickDots2D(std::vector<DotPrimitive>& dots) const;

protected:
    /// Primitives of the subtree, a triangle mesh counting its vertices.
    int GetNumPrim() const;
    /// Appends the source's primitives only; returns how many (a mesh counts one).
    int AppendArrays(const DisplayList3D& source);
    /// Transforms this list's own primitives by the matrix and resets the local
    /// transformation to the identity.
    void TransformPrimitives(const Matrix4x4& matrix);
    /// ApplyLocalTransformation below a parent whose aggregate is parent.
    void ApplyLocalTransformationTree(const Matrix4x4& parent);
    /// GetAggregateTransformation below a parent whose aggregate is parent.
    void GetAggregateTransformationTree(const DisplayList3D& list, unsigned int id, Matrix4x4 parent,
                                        Matrix4x4& result) const;
    /// GetPickDots below a parent whose aggregate is parent.
    int GetPickDotsTree(const Matrix4x4& parent, std::vector<DotPrimitive>& dots) const;
    /// Appends the pick dots of this list's own 3D primitives, untransformed.
    int GetPickDotsPrimitives(std::vector<DotPrimitive>& dots) const;

private:
    static constexpr int kMaxClipPlanes = 6;

    // A private type, left out of the reference:
    /// \cond
    struct ClipPlaneEntry
    {
        bool enabled = false;
        Plane plane;
    };
    /// \endcond

    template <class T>
    static int AppendOne(std::vector<T>& array, const T& primitive)
    {
        array.push_back(primitive);
        return static_cast<int>(array.size()) - 1;
    }
    /// A range that does not lie within the array leaves it unchanged.
    template <class T>
    static void EraseRange(std::vector<T>& array, int first, int count)
    {
        const long size = static_cast<long>(array.size());
        if (first < 0 || count < 0 || first > size || count > size - first)
            return;
        array.erase(array.begin() + first, array.begin() + first + count);
    }

    /// The colour that sends a primitive of a split kind to its transparent
    /// array when its alpha byte is not 0.
    static bool IsTransparent(const SpherePrimitive& p) { return p.GetColor().GetA() != 0; }
    static bool IsTransparent(const EllipsoidPrimitive& p) { return p.GetColor().GetA() != 0; }
    static bool IsTransparent(const CylinderPrimitive& p) { return p.GetColor1().GetA() != 0; }
    static bool IsTransparent(const TetrahedronPrimitive& p) { return p.GetColor().GetA() != 0; }
    static bool IsTransparent(const TriangleMeshPrimitive& p)
    {
        return p.GetNumVertices() > 0 && p.GetVertexAt(0).GetColor().GetA() != 0;
    }

    /// Walks over the primitive arrays in table order; the list type may be
    /// const or not. Defined where they are used.
    template <class List, class F>
    static void ForEachArray(List& list, F&& f);
    template <class Target, class Source, class F>
    static void ForEachArrayPair(Target& target, Source& source, F&& f);

    void ResetPlacement();
    /// Moves the primitives of every list below this one into this list, in
    /// depth-first order; the lists below are left without primitives.
    void GatherSubtree(DisplayList3D& list);
    /// Adds the sizes of the subtree's primitive arrays to totals, one entry
    /// per array in table order.
    void AddArraySizes(std::size_t* totals) const;
    bool HasOwnPrimitives() const;

    RenderMode m_renderMode;
    unsigned int m_id;

#define ORVCORE_DL_MEMBER_ONE(Type, member, Plural, Singular) std::vector<Type> member;
#define ORVCORE_DL_MEMBER_SPLIT(Type, opaque, transparent, Plural, Singular)                         \
    std::vector<Type> opaque;                                                                        \
    std::vector<Type> transparent;
    ORVCORE_DISPLAYLIST_KINDS(ORVCORE_DL_MEMBER_ONE, ORVCORE_DL_MEMBER_SPLIT)
#undef ORVCORE_DL_MEMBER_SPLIT
#undef ORVCORE_DL_MEMBER_ONE

    Point3d m_iconScale;
    std::vector<DisplayList3D> m_displayLists;
    Matrix4x4 m_localTransformation;
    std::array<ClipPlaneEntry, kMaxClipPlanes> m_clipPlanes;
};

} // namespace Orvane
