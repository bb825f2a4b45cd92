#pragma once

#include "orvcore/graphics/scene/DisplayList3D.h"

namespace orvscene {

// Calls visit(Type{}, name, count, get) for each primitive array of a display
// list, in the list's own field order. `count(list)` gives the array's size,
// `get(list, i)` its element i. The document and the report walk the arrays
// through this one table.
template <class Visitor>
void ForEachPrimitiveArray(Visitor&& visit)
{
    using namespace Orvane;
#define ORVSCENE_ARRAY(Type, label, Count, Get)                                                                \
    visit(Type(), label, [](const DisplayList3D& l) { return l.Count(); },                                     \
          [](const DisplayList3D& l, int i) -> const Type& { return l.Get(i); })
    ORVSCENE_ARRAY(LinePrimitive, "lines", GetNumLines, GetLine);
    ORVSCENE_ARRAY(DashedLinePrimitive, "dashed lines", GetNumDashedLines, GetDashedLine);
    ORVSCENE_ARRAY(LineArrayPrimitive, "line arrays", GetNumLineArrays, GetLineArray);
    ORVSCENE_ARRAY(TetrahedronPrimitive, "opaque tetrahedra", GetNumOpaqueTetrahedrons, GetOpaqueTetrahedron);
    ORVSCENE_ARRAY(TetrahedronPrimitive, "transparent tetrahedra", GetNumTransparentTetrahedrons,
                   GetTransparentTetrahedron);
    ORVSCENE_ARRAY(SpherePrimitive, "opaque spheres", GetNumOpaqueSpheres, GetOpaqueSphere);
    ORVSCENE_ARRAY(SpherePrimitive, "transparent spheres", GetNumTransparentSpheres, GetTransparentSphere);
    ORVSCENE_ARRAY(EllipsoidPrimitive, "opaque ellipsoids", GetNumOpaqueEllipsoids, GetOpaqueEllipsoid);
    ORVSCENE_ARRAY(EllipsoidPrimitive, "transparent ellipsoids", GetNumTransparentEllipsoids,
                   GetTransparentEllipsoid);
    ORVSCENE_ARRAY(CylinderPrimitive, "opaque cylinders", GetNumOpaqueCylinders, GetOpaqueCylinder);
    ORVSCENE_ARRAY(CylinderPrimitive, "transparent cylinders", GetNumTransparentCylinders,
                   GetTransparentCylinder);
    ORVSCENE_ARRAY(ConePrimitive, "cones", GetNumCones, GetCone);
    ORVSCENE_ARRAY(TrianglePrimitive, "triangles", GetNumTriangles, GetTriangle);
    ORVSCENE_ARRAY(TriangleMeshPrimitive, "opaque triangle meshes", GetNumOpaqueTriangleMeshes,
                   GetOpaqueTriangleMesh);
    ORVSCENE_ARRAY(TriangleMeshPrimitive, "transparent triangle meshes", GetNumTransparentTriangleMeshes,
                   GetTransparentTriangleMesh);
    ORVSCENE_ARRAY(DotPrimitive, "dots", GetNumDots, GetDot);
    ORVSCENE_ARRAY(ArcPrimitive, "arcs", GetNumArcs, GetArc);
    ORVSCENE_ARRAY(Text3DPrimitive, "3D texts", GetNumText3D, GetText3D);
    ORVSCENE_ARRAY(UnlitTrianglePrimitive, "unlit triangles", GetNumUnlitTriangles, GetUnlitTriangle);
    ORVSCENE_ARRAY(Rect2DPrimitive, "2D rectangles", GetNumRect2D, GetRect2D);
    ORVSCENE_ARRAY(IconPrimitive, "icons", GetNumIcon, GetIcon);
    ORVSCENE_ARRAY(LineSegmentPrimitive, "line segments", GetNumLineSegments, GetLineSegment);
    ORVSCENE_ARRAY(PolylinePrimitive, "polylines", GetNumPolylines, GetPolyline);
    ORVSCENE_ARRAY(RectanglePrimitive, "rectangles", GetNumRectangles, GetRectangle);
    ORVSCENE_ARRAY(EllipsePrimitive, "ellipses", GetNumEllipses, GetEllipse);
    ORVSCENE_ARRAY(TriangleShapePrimitive, "triangle shapes", GetNumTriangleShapes, GetTriangleShape);
    ORVSCENE_ARRAY(TextStringPrimitive, "text strings", GetNumTextStrings, GetTextString);
    ORVSCENE_ARRAY(TextBoxPrimitive, "text boxes", GetNumTextBoxes, GetTextBox);
    ORVSCENE_ARRAY(TextCalloutPrimitive, "text callouts", GetNumTextCallouts, GetTextCallout);
#undef ORVSCENE_ARRAY
}

} // namespace orvscene
