// The 3D graphics primitives: their roots, vertices, lines, points, icons,
// lit solids, tetrahedra, triangle meshes and volumes.

#include "Bindings.h"

#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/TetrahedronPrimitive.h"
#include "orvcore/graphics/primitives/TriangleMeshPrimitive.h"
#include "orvcore/graphics/primitives/VolumePrimitive.h"

using namespace Orvane;

namespace orvpy {

namespace {

// The repr and the transformation that every 3D primitive of kind T has.
template <class T, class... Bases>
void DefPrimitive(py::class_<T, Bases...>& c)
{
    c.def("__repr__", &ValueRepr);
    c.def(
        "Transform", [](T& p, const Matrix4x4& m) { p.T::Transform(m); }, "matrix"_a,
        "Moves the primitive by the transformation.");
    DefArchiveForm(c);
}

void BindRoots(py::module_& m)
{
    py::class_<GraphicsPrimitive> g(m, "GraphicsPrimitive",
                                    "Root of every primitive: the identifier of the model object it depicts (0 "
                                    "for content that is not picked).");
    ORVPY_ACCESSORS(g, GraphicsPrimitive, ID, "object identifier");

    py::class_<LitPrimitive, GraphicsPrimitive> lit(m, "LitPrimitive",
                                                    "A primitive lit by the renderer, with a material and a drawing "
                                                    "style that the library keeps without interpreting them.");
    py::enum_<LitPrimitive::Material>(lit, "Material", "The material of a lit primitive.")
        .value("Matte", LitPrimitive::Matte)
        .value("Shiny", LitPrimitive::Shiny)
        .value("Metallic", LitPrimitive::Metallic)
        .value("Glossy", LitPrimitive::Glossy)
        .export_values();
    py::enum_<LitPrimitive::Representation>(lit, "Representation", "The drawing style of a lit primitive.")
        .value("Solid", LitPrimitive::Solid)
        .value("Wireframe", LitPrimitive::Wireframe)
        .value("PointCloud", LitPrimitive::PointCloud)
        .export_values();
    ORVPY_ACCESSORS(lit, LitPrimitive, Material, "material");
    ORVPY_ACCESSORS(lit, LitPrimitive, Representation, "drawing style");

    py::class_<UnlitPrimitive, GraphicsPrimitive>(m, "UnlitPrimitive", "A primitive drawn with its colours only.");

    py::class_<Vertex> v(m, "Vertex", "A point with a colour.");
    v.def(py::init<>(), "The origin, black.");
    v.def(py::init<const Point3d&, const Color&>(), "point"_a, "color"_a, "A coloured point.");
    ORVPY_ACCESSORS(v, Vertex, Point, "point");
    ORVPY_ACCESSORS(v, Vertex, Color, "colour");
    v.def(py::self == py::self);
    v.def(py::self != py::self);
    v.def("Transform", &Vertex::Transform, "matrix"_a, "Moves the point; the colour stays.");
    DefArchiveForm(v);

    py::class_<VertexNormal, Vertex> vn(m, "VertexNormal", "A coloured point with a normal (kept as given).");
    vn.def(py::init<>(), "The origin, black, zero normal.");
    vn.def(py::init<const Point3d&, const Point3d&, const Color&>(), "point"_a, "normal"_a, "color"_a,
           "A coloured point with a normal.");
    ORVPY_ACCESSORS(vn, VertexNormal, Normal, "normal");
    vn.def("Normalize", &VertexNormal::Normalize, "Scales the normal to unit length.");
    vn.def(py::self == py::self);
    vn.def(py::self != py::self);
    DefArchiveForm(vn);

    py::class_<TriangleIndex> t(m, "TriangleIndex", "The three corner indices of a triangle in its mesh.");
    t.def(py::init<>(), "Corners 0, 0, 0.");
    t.def(py::init<int, int, int>(), "a"_a, "b"_a, "c"_a, "The corners a, b, c.");
    t.def(
        "GetIndex", [](const TriangleIndex& ti, py::ssize_t corner) { return ti.GetIndex(CheckIndex(corner, 3)); },
        "corner"_a, "The index of corner 0, 1 or 2; IndexError for another corner.");
    t.def(
        "SetIndex",
        [](TriangleIndex& ti, py::ssize_t corner, int index) { ti.SetIndex(CheckIndex(corner, 3), index); },
        "corner"_a, "index"_a, "Sets the index of corner 0, 1 or 2.");
    t.def(
        "Get",
        [](const TriangleIndex& ti) {
            int a, b, c;
            ti.Get(a, b, c);
            return py::make_tuple(a, b, c);
        },
        "The three indices as a tuple.");
    t.def("Set", &TriangleIndex::Set, "a"_a, "b"_a, "c"_a, "Sets the three indices.");
    t.def("__len__", [](const TriangleIndex&) { return 3; });
    t.def("__getitem__", [](const TriangleIndex& ti, py::ssize_t i) { return ti.GetIndex(CheckIndex(i, 3)); });
    t.def(py::self == py::self);
    t.def(py::self != py::self);
    DefArchiveForm(t);
}

void BindLines(py::module_& m)
{
    py::class_<LinePrimitive, UnlitPrimitive> l(m, "LinePrimitive",
                                                "A straight line between two coloured ends; the identifier is that "
                                                "of end 1, a second identifier names the object at end 2.");
    l.def(py::init<>(), "A line of width 1 at the origin.");
    l.def(py::init<const Point3d&, const Point3d&, const Color&, int, unsigned int, unsigned int>(), "end1"_a,
          "end2"_a, "color"_a, "width"_a = 1, "id1"_a = 0, "id2"_a = 0, "A line of one colour.");
    l.def(py::init<const Point3d&, const Color&, const Point3d&, const Color&, int, unsigned int>(), "end1"_a,
          "color1"_a, "end2"_a, "color2"_a, "width"_a = 1, "id"_a = 0,
          "A line with a colour per end; the identifier names both ends.");
    ORVPY_ACCESSORS(l, LinePrimitive, End1, "first end");
    ORVPY_ACCESSORS(l, LinePrimitive, End2, "second end");
    ORVPY_ACCESSORS(l, LinePrimitive, Color1, "colour of the first end");
    ORVPY_ACCESSORS(l, LinePrimitive, Color2, "colour of the second end");
    ORVPY_ACCESSORS(l, LinePrimitive, Width, "width");
    ORVPY_ACCESSORS(l, LinePrimitive, ID1, "identifier of the first end");
    ORVPY_ACCESSORS(l, LinePrimitive, ID2, "identifier of the second end");
    DefPrimitive(l);

    py::class_<DashedLinePrimitive, LinePrimitive> d(m, "DashedLinePrimitive",
                                                     "A line drawn as dashes, beginning with a dash or a gap.");
    d.def(py::init<>(), "A dashed line of 10 dashes at the origin.");
    d.def(py::init<const Point3d&, const Point3d&, const Color&, int, int, bool, unsigned int>(), "end1"_a, "end2"_a,
          "color"_a, "width"_a = 1, "numDashes"_a = 10, "startBlank"_a = false, "id"_a = 0,
          "A dashed line of one colour.");
    d.def(py::init<const Point3d&, const Color&, const Point3d&, const Color&, int, int, bool, unsigned int>(),
          "end1"_a, "color1"_a, "end2"_a, "color2"_a, "width"_a = 1, "numDashes"_a = 10, "startBlank"_a = false,
          "id"_a = 0, "A dashed line with a colour per end.");
    ORVPY_ACCESSORS(d, DashedLinePrimitive, NumDashes, "number of dashes");
    ORVPY_ACCESSORS(d, DashedLinePrimitive, StartBlank, "flag of a line that begins with a gap");
    DefPrimitive(d);

    py::class_<LineArrayPrimitive, UnlitPrimitive> a(m, "LineArrayPrimitive", "Many lines drawn with one style.");
    a.def(py::init<>(), "No lines.");
    a.def(py::init([](float width, const std::vector<LinePrimitive>& lines, bool dashed, unsigned short pattern) {
              LinePrimitiveArray array;
              for (const LinePrimitive& line : lines)
                  array.Add(line);
              return LineArrayPrimitive(width, array, dashed, pattern);
          }),
          "lineWidth"_a, "lines"_a, "dashed"_a = false, "dashPattern"_a = 0xFF00, "Lines of one style.");
    a.def(
        "GetLineArray",
        [](const LineArrayPrimitive& p) {
            std::vector<LinePrimitive> out(p.GetLineArray().begin(), p.GetLineArray().end());
            return out;
        },
        "Copies of the lines, as a list.");
    a.def(
        "SetLineArray",
        [](LineArrayPrimitive& p, const std::vector<LinePrimitive>& lines) {
            LinePrimitiveArray array;
            for (const LinePrimitive& line : lines)
                array.Add(line);
            p.SetLineArray(array);
        },
        "lines"_a, "Replaces the lines.");
    ORVPY_ACCESSORS(a, LineArrayPrimitive, LineWidth, "line width");
    ORVPY_ACCESSORS(a, LineArrayPrimitive, Dashed, "dashed flag");
    ORVPY_ACCESSORS(a, LineArrayPrimitive, DashPattern, "16-bit dash pattern");
    DefPrimitive(a);

    py::class_<ArcPrimitive, UnlitPrimitive> arc(m, "ArcPrimitive",
                                                 "A circular arc: its parameters and the polyline made from them.");
    arc.def(py::init<>(), "An empty arc.");
    arc.def(py::init<const Point3d&, const Point3d&, const Point3d&, double, int, const Color&, int, unsigned int>(),
            "center"_a, "normal"_a, "start"_a, "degrees"_a, "numSegments"_a, "color"_a, "width"_a = 1, "id"_a = 0,
            "The arc from start turning by `degrees` about the normal through the centre, in segments.");
    ORVPY_ACCESSORS(arc, ArcPrimitive, Center, "centre");
    ORVPY_ACCESSORS(arc, ArcPrimitive, Normal, "normal");
    ORVPY_ACCESSORS(arc, ArcPrimitive, Start, "start point");
    ORVPY_ACCESSORS(arc, ArcPrimitive, Angle, "angle in degrees");
    ORVPY_ACCESSORS(arc, ArcPrimitive, NumSegments, "number of segments");
    ORVPY_ACCESSORS(arc, ArcPrimitive, Color, "colour");
    ORVPY_ACCESSORS(arc, ArcPrimitive, Width, "width");
    arc.def("GetNumPoints", &ArcPrimitive::GetNumPoints, "The number of points of the polyline.");
    arc.def(
        "GetPointAt",
        [](const ArcPrimitive& p, py::ssize_t i) { return p.GetPointAt(CheckIndex(i, p.GetNumPoints())); }, "i"_a,
        "Point i of the polyline; IndexError outside.");
    arc.def(
        "GetPoints",
        [](const ArcPrimitive& p) {
            Point3d::Array points;
            points.SetSize(p.GetNumPoints());
            for (int i = 0; i < p.GetNumPoints(); ++i)
                points[i] = p.GetPointAt(i);
            return ToNumpy(std::move(points));
        },
        "The polyline as a float32 (n, 3) array.");
    DefPrimitive(arc);
}

void BindPoints(py::module_& m)
{
    py::class_<UnlitPointPrimitive, UnlitPrimitive> p(m, "UnlitPointPrimitive", "A coloured point without lighting.");
    p.def(py::init<>(), "A black point at the origin.");
    p.def(py::init<const Point3d&, const Color&, unsigned int>(), "point"_a, "color"_a, "id"_a = 0, "A coloured point.");
    ORVPY_ACCESSORS(p, UnlitPointPrimitive, Coord, "point");
    ORVPY_ACCESSORS(p, UnlitPointPrimitive, Color, "colour");
    DefPrimitive(p);

    py::class_<DotPrimitive, UnlitPointPrimitive> d(m, "DotPrimitive", "A point with a width; pick dots are dots.");
    d.def(py::init<>(), "A dot of width 1 at the origin.");
    d.def(py::init<const Point3d&, const Color&, int, unsigned int>(), "point"_a, "color"_a, "width"_a = 1,
          "id"_a = 0, "A dot.");
    ORVPY_ACCESSORS(d, DotPrimitive, Width, "width");
    DefPrimitive(d);

    py::class_<IconPrimitive, UnlitPointPrimitive> i(m, "IconPrimitive",
                                                     "A marker drawn with the shape registered under its icon "
                                                     "identifier (see IconLibrary).");
    i.def(py::init<>(), "Icon 0 at the origin.");
    i.def(py::init<const Point3d&, unsigned int, bool, bool, const Color&, unsigned int>(), "position"_a,
          "iconID"_a, "rotationInvariant"_a, "scaleInvariant"_a, "color"_a, "id"_a = 0,
          "An icon drawn in its own colour (sets the use-colour flag).");
    i.def(py::init<const Point3d&, unsigned int, bool, bool, unsigned int>(), "position"_a, "iconID"_a,
          "rotationInvariant"_a = false, "scaleInvariant"_a = false, "id"_a = 0, "An icon in the shape's colours.");
    ORVPY_ACCESSORS(i, IconPrimitive, IconID, "icon identifier");
    ORVPY_ACCESSORS(i, IconPrimitive, RotationInvariant, "rotation-invariant flag");
    ORVPY_ACCESSORS(i, IconPrimitive, ScaleInvariant, "scale-invariant flag");
    ORVPY_ACCESSORS(i, IconPrimitive, UseColor, "use-colour flag");
    ORVPY_ACCESSORS(i, IconPrimitive, IconScale, "icon scale");
    DefPrimitive(i);
}

void BindSolids(py::module_& m)
{
    py::class_<SpherePrimitive, LitPrimitive> s(m, "SpherePrimitive", "A sphere: a coloured centre and a radius.");
    s.def(py::init<>(), "A sphere of radius 0 at the origin.");
    s.def(py::init([](const Point3d& center, double radius, const Color& color, unsigned int id) {
              CheckFinite(radius, "radius");
              return SpherePrimitive(center, radius, color, id);
          }),
          "center"_a, "radius"_a, "color"_a, "id"_a = 0, "A sphere (the radius must be finite).");
    ORVPY_ACCESSORS(s, SpherePrimitive, Center, "centre");
    ORVPY_ACCESSORS(s, SpherePrimitive, Radius, "radius");
    ORVPY_ACCESSORS(s, SpherePrimitive, Color, "colour");
    s.def("IsTransparent", &SpherePrimitive::IsTransparent, "True when the colour's alpha is not 0.");
    DefPrimitive(s);

    py::class_<EllipsoidPrimitive, LitPrimitive> e(m, "EllipsoidPrimitive",
                                                   "An ellipsoid: a coloured centre, three extents and the shape "
                                                   "matrix the renderer applies.");
    e.def(py::init<>(), "An ellipsoid at the origin.");
    e.def(py::init<const Point3d&, const Point3d&, const Matrix4x4&, const Color&, unsigned int>(), "center"_a,
          "size"_a, "matrix"_a, "color"_a, "id"_a = 0, "An ellipsoid.");
    ORVPY_ACCESSORS(e, EllipsoidPrimitive, Center, "centre");
    ORVPY_ACCESSORS(e, EllipsoidPrimitive, Size, "three extents");
    ORVPY_ACCESSORS(e, EllipsoidPrimitive, Matrix, "shape matrix");
    ORVPY_ACCESSORS(e, EllipsoidPrimitive, Color, "colour");
    e.def("IsTransparent", &EllipsoidPrimitive::IsTransparent, "True when the colour's alpha is not 0.");
    DefPrimitive(e);

    py::class_<CylinderPrimitive, LitPrimitive> c(m, "CylinderPrimitive",
                                                  "A cylinder between two coloured ends, with the identifiers of "
                                                  "the objects at its ends (not archived).");
    c.def(py::init<>(), "A cylinder of radius 0 at the origin.");
    c.def(py::init<const Point3d&, const Color&, const Point3d&, const Color&, double, unsigned int, unsigned int,
                   unsigned int>(),
          "end1"_a, "color1"_a, "end2"_a, "color2"_a, "radius"_a, "id"_a, "end1ID"_a, "end2ID"_a,
          "A cylinder with its own and its ends' identifiers.");
    c.def(py::init<const Point3d&, const Color&, const Point3d&, const Color&, double, unsigned int>(), "end1"_a,
          "color1"_a, "end2"_a, "color2"_a, "radius"_a, "id"_a = 0,
          "A cylinder; the identifier also names both ends.");
    ORVPY_ACCESSORS(c, CylinderPrimitive, End1, "first end");
    ORVPY_ACCESSORS(c, CylinderPrimitive, End2, "second end");
    ORVPY_ACCESSORS(c, CylinderPrimitive, Color1, "colour of the first end");
    ORVPY_ACCESSORS(c, CylinderPrimitive, Color2, "colour of the second end");
    ORVPY_ACCESSORS(c, CylinderPrimitive, Radius, "radius");
    ORVPY_ACCESSORS(c, CylinderPrimitive, End1ID, "identifier of the first end");
    ORVPY_ACCESSORS(c, CylinderPrimitive, End2ID, "identifier of the second end");
    ORVPY_ACCESSORS(c, CylinderPrimitive, IsCapped, "capped flag");
    c.def("SetID", &CylinderPrimitive::SetID, "id"_a, "Sets the identifier and both end identifiers.");
    c.def("Rotate", py::overload_cast<const Point3d&, const Point3d&, double>(&CylinderPrimitive::Rotate), "axis"_a,
          "point"_a, "degrees"_a, "Rotation about the axis through the point.");
    c.def("Translate", &CylinderPrimitive::Translate, "offset"_a, "Moves both ends.");
    c.def("IsTransparent", &CylinderPrimitive::IsTransparent, "True when the first end's alpha is not 0.");
    DefPrimitive(c);

    py::class_<ConePrimitive, LitPrimitive> k(m, "ConePrimitive", "A cone from its base (with a radius) to its tip.");
    k.def(py::init<>(), "A cone at the origin.");
    k.def(py::init<const Point3d&, const Point3d&, const Color&, double, unsigned int>(), "base"_a, "tip"_a,
          "color"_a, "radius"_a, "id"_a = 0, "A cone.");
    ORVPY_ACCESSORS(k, ConePrimitive, Base, "base centre");
    ORVPY_ACCESSORS(k, ConePrimitive, Tip, "tip");
    ORVPY_ACCESSORS(k, ConePrimitive, Color, "colour");
    ORVPY_ACCESSORS(k, ConePrimitive, Radius, "base radius");
    DefPrimitive(k);

    py::class_<TrianglePrimitive, LitPrimitive> t(m, "TrianglePrimitive",
                                                  "One flat triangle with a caller-given facet normal.");
    t.def(py::init<>(), "A degenerate triangle at the origin.");
    t.def(py::init<const Point3d&, const Point3d&, const Point3d&, const Point3d&, const Color&, unsigned int>(),
          "end1"_a, "end2"_a, "end3"_a, "normal"_a, "color"_a, "id"_a = 0, "A triangle.");
    ORVPY_ACCESSORS(t, TrianglePrimitive, End1, "first corner");
    ORVPY_ACCESSORS(t, TrianglePrimitive, End2, "second corner");
    ORVPY_ACCESSORS(t, TrianglePrimitive, End3, "third corner");
    ORVPY_ACCESSORS(t, TrianglePrimitive, Normal, "facet normal");
    ORVPY_ACCESSORS(t, TrianglePrimitive, Color, "colour");
    t.def(py::self == py::self);
    t.def(py::self != py::self);
    DefPrimitive(t);
}

void BindTetrahedron(py::module_& m)
{
    py::class_<TetrahedronPrimitive, LitPrimitive> t(m, "TetrahedronPrimitive",
                                                     "A lit solid of four triangular faces, each of which can be "
                                                     "hidden; face i lies opposite vertex 3 - i.");
    t.def(py::init<>(), "A degenerate tetrahedron at the origin.");
    t.def(py::init<const Point3d&, const Point3d&, const Point3d&, const Point3d&>(), "p0"_a, "p1"_a, "p2"_a, "p3"_a,
          "A tetrahedron, its corners ordered so that every face normal points outward.");
    t.def(
        "GetTetrahedronVertices",
        [](const TetrahedronPrimitive& p) {
            Point3d v0, v1, v2, v3;
            p.GetTetrahedronVertices(v0, v1, v2, v3);
            return py::make_tuple(v0, v1, v2, v3);
        },
        "The four corners.");
    t.def(
        "GetFaceVertices",
        [](const TetrahedronPrimitive& p, py::ssize_t face) {
            Point3d a, b, c;
            p.GetFaceVertices(CheckIndex(face, 4), a, b, c);
            return py::make_tuple(a, b, c);
        },
        "face"_a, "The corners of a face (0..3; IndexError outside).");
    t.def(
        "GetFaceCentroid", [](const TetrahedronPrimitive& p, py::ssize_t f) { return p.GetFaceCentroid(CheckIndex(f, 4)); },
        "face"_a, "The centroid of a face.");
    t.def(
        "GetFaceNormal", [](const TetrahedronPrimitive& p, py::ssize_t f) { return p.GetFaceNormal(CheckIndex(f, 4)); },
        "face"_a, "The outward unit normal of a face.");
    t.def(
        "GetHiddenFace", [](const TetrahedronPrimitive& p, py::ssize_t f) { return p.GetHiddenFace(CheckIndex(f, 4)); },
        "face"_a, "Whether a face is hidden.");
    t.def(
        "SetHiddenFace",
        [](TetrahedronPrimitive& p, py::ssize_t f, bool hidden) { p.SetHiddenFace(CheckIndex(f, 4), hidden); },
        "face"_a, "hidden"_a, "Hides or shows a face.");
    t.def("GetNumFaces", &TetrahedronPrimitive::GetNumFaces, "The number of faces not hidden.");
    ORVPY_ACCESSORS(t, TetrahedronPrimitive, Color, "colour");
    t.def_static(
        "DecomposePolyhedron",
        [](const FloatRows& rows) {
            const Point3d::Array points = ToPointArray(rows, "points");
            TetrahedronPrimitive::Array tetrahedra;
            {
                py::gil_scoped_release released;
                TetrahedronPrimitive::DecomposePolyhedron(tetrahedra, points);
            }
            return std::vector<TetrahedronPrimitive>(tetrahedra.begin(), tetrahedra.end());
        },
        "points"_a,
        "Tetrahedra that fill the convex hull of an (n, 3) array of points, faces where two touch hidden; fewer "
        "than four points give none.");
    DefPrimitive(t);
}

// Columns of a mesh's vertices as float32 (n, 3) arrays.
template <class Get>
py::array_t<float> VertexColumn(const TriangleMeshPrimitive& mesh, Get get)
{
    Point3d::Array out;
    out.SetSize(mesh.GetNumVertices());
    for (int i = 0; i < mesh.GetNumVertices(); ++i)
        out[i] = get(mesh.GetVertexAt(i));
    return ToNumpy(std::move(out));
}

void BindTriangleMesh(py::module_& m)
{
    py::class_<TriangleMeshPrimitive, LitPrimitive> t(
        m, "TriangleMeshPrimitive",
        "An indexed triangle mesh of vertices with normals and colours. Copies share their data until one "
        "changes.");
    t.def(py::init<>(), "An empty mesh.");
    t.def(py::init([](const FloatRows& pointRows, const FloatRows& normalRows,
                      const py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>& triangles,
                      const Color& color, unsigned int id) {
              const Point3d::Array points = ToPointArray(pointRows, "points");
              const Point3d::Array normals = ToPointArray(normalRows, "normals");
              CheckRows(triangles, 3, "triangles");
              if (normals.GetSize() != points.GetSize())
                  throw py::value_error("points and normals must have the same number of rows");
              VertexNormalArray vertices;
              vertices.SetSize(points.GetSize());
              for (int i = 0; i < points.GetSize(); ++i)
                  vertices[i] = VertexNormal(points[i], normals[i], color);
              TriangleIndexArray tri;
              tri.SetSize(static_cast<int>(triangles.shape(0)));
              for (int i = 0; i < tri.GetSize(); ++i) {
                  for (int k = 0; k < 3; ++k) {
                      const int index = triangles.at(i, k);
                      if (index < 0 || index >= points.GetSize())
                          throw py::index_error("triangle corner " + std::to_string(index) + " is not a vertex");
                      tri[i].SetIndex(k, index);
                  }
              }
              return TriangleMeshPrimitive(vertices, tri, id);
          }),
          "points"_a, "normals"_a, "triangles"_a, "color"_a = Color(), "id"_a = 0,
          "A mesh of (n, 3) points and normals in one colour and (m, 3) vertex indices of its triangles.");
    t.def("GetNumTriangles", &TriangleMeshPrimitive::GetNumTriangles, "The number of triangles.");
    t.def("GetNumVertices", &TriangleMeshPrimitive::GetNumVertices, "The number of vertices.");
    t.def("GetNumOIDs", &TriangleMeshPrimitive::GetNumOIDs, "The number of object identifiers.");
    t.def(
        "GetTriangleAt",
        [](const TriangleMeshPrimitive& p, py::ssize_t i) { return p.GetTriangleAt(CheckIndex(i, p.GetNumTriangles())); },
        "i"_a, "Triangle i; IndexError outside.");
    t.def(
        "GetVertexAt",
        [](const TriangleMeshPrimitive& p, py::ssize_t i) { return p.GetVertexAt(CheckIndex(i, p.GetNumVertices())); },
        "i"_a, "A copy of vertex i; IndexError outside.");
    t.def(
        "SetVertexAt",
        [](TriangleMeshPrimitive& p, py::ssize_t i, const VertexNormal& v) {
            p.SetVertexAt(CheckIndex(i, p.GetNumVertices()), v);
        },
        "i"_a, "vertex"_a, "Replaces vertex i; IndexError outside.");
    t.def(
        "GetOIDAt", [](const TriangleMeshPrimitive& p, py::ssize_t i) { return p.GetOIDAt(CheckIndex(i, p.GetNumOIDs())); },
        "i"_a, "Object identifier i; IndexError outside.");
    t.def(
        "SetOIDAt",
        [](TriangleMeshPrimitive& p, py::ssize_t i, unsigned int oid) { p.SetOIDAt(CheckIndex(i, p.GetNumOIDs()), oid); },
        "i"_a, "oid"_a, "Sets object identifier i; IndexError outside.");
    t.def(
        "GetPoints", [](const TriangleMeshPrimitive& p) { return VertexColumn(p, [](const VertexNormal& v) { return v.GetPoint(); }); },
        "The vertex points as a float32 (n, 3) array.");
    t.def(
        "GetNormals", [](const TriangleMeshPrimitive& p) { return VertexColumn(p, [](const VertexNormal& v) { return v.GetNormal(); }); },
        "The vertex normals as a float32 (n, 3) array.");
    t.def(
        "GetTriangles",
        [](const TriangleMeshPrimitive& p) {
            py::array_t<std::int32_t> out(std::vector<py::ssize_t>{p.GetNumTriangles(), 3});
            auto view = out.mutable_unchecked<2>();
            for (int i = 0; i < p.GetNumTriangles(); ++i)
                for (int k = 0; k < 3; ++k)
                    view(i, k) = p.GetTriangleAt(i).GetIndex(k);
            return out;
        },
        "The triangles' vertex indices as an int32 (m, 3) array.");
    t.def("Clear", &TriangleMeshPrimitive::Clear, "Empties the mesh.");
    ORVPY_ACCESSORS(t, TriangleMeshPrimitive, TwoSided, "two-sided flag");
    ORVPY_ACCESSORS(t, TriangleMeshPrimitive, LineWidth, "line width");
    t.def("IsTransparent", &TriangleMeshPrimitive::IsTransparent, "Decided by the first vertex's colour.");
    t.def("GetShareCount", &TriangleMeshPrimitive::GetShareCount, "Meshes sharing this mesh's data, this one included.");
    t.def("SharesDataWith", &TriangleMeshPrimitive::SharesDataWith, "other"_a, "True when both hold the same data.");
    t.def("Rotate", py::overload_cast<const Point3d&, const Point3d&, double>(&TriangleMeshPrimitive::Rotate),
          "axis"_a, "point"_a, "degrees"_a, "Rotation of the points about the axis through the point.");
    t.def("Translate", &TriangleMeshPrimitive::Translate, "offset"_a, "Moves every vertex point.");
    t.def("TransformAll", &TriangleMeshPrimitive::TransformAll, "matrix"_a, "Moves the points and carries the normals.");
    DefPrimitive(t);
}

void BindVolume(py::module_& m)
{
    py::class_<VolumePrimitive, UnlitPrimitive> v(
        m, "VolumePrimitive",
        "How a host's volume grid is shown: data and display ranges, clipping, colours, an on/off transfer "
        "function and a transparency. The grid itself belongs to the host and is not reachable from Python.");
    v.def(py::init<>(), "No grid; colours blue then red; transfer function (True, True); transparency 0.3.");
    ORVPY_ACCESSORS(v, VolumePrimitive, DataMin, "lowest data value");
    ORVPY_ACCESSORS(v, VolumePrimitive, DataMax, "highest data value");
    ORVPY_ACCESSORS(v, VolumePrimitive, DisplayMin, "lowest displayed value");
    ORVPY_ACCESSORS(v, VolumePrimitive, DisplayMax, "highest displayed value");
    ORVPY_ACCESSORS(v, VolumePrimitive, Transparency, "overall transparency");
    ORVPY_ACCESSORS(v, VolumePrimitive, ClipOutsideRange, "flag clipping values outside the displayed range");
    v.def("GetColors", py::overload_cast<>(&VolumePrimitive::GetColors, py::const_), "A copy of the colour list.");
    v.def("SetColors", &VolumePrimitive::SetColors, "colors"_a, "Replaces the colour list and its name.");
    v.def(
        "GetTransferFunction",
        [](const VolumePrimitive& p) {
            std::vector<bool> out;
            for (const BoolArrayElement& e : p.GetTransferFunction())
                out.push_back(e);
            return out;
        },
        "The transfer function's switches, as a list of bools.");
    v.def(
        "SetTransferFunction",
        [](VolumePrimitive& p, const std::vector<bool>& flags) {
            BoolArray array;
            for (bool f : flags)
                array.Add(f);
            p.SetTransferFunction(array);
        },
        "flags"_a, "Replaces the transfer function's switches.");
    DefPrimitive(v);
}

} // namespace

void BindPrimitives(py::module_& m)
{
    BindRoots(m);
    BindLines(m);
    BindPoints(m);
    BindSolids(m);
    BindTetrahedron(m);
    BindTriangleMesh(m);
    BindVolume(m);
}

} // namespace orvpy
