// The 2D overlay shapes, the text primitives, fonts and the remaining flat
// primitives.

#include "Bindings.h"

#include "orvcore/graphics/primitives/ShapePrimitives.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"

using namespace Orvane;

namespace orvpy {

namespace {

// The repr and archive form of an overlay shape; overlays are never moved.
template <class T, class... Bases>
void DefShape(py::class_<T, Bases...>& c)
{
    c.def("__repr__", &ValueRepr);
    DefArchiveForm(c);
}

void BindFont(py::module_& m)
{
    py::class_<Font> f(m, "Font", "A typeface name and a type size.");
    f.def(py::init<>(), "The default font, Arial at 12.");
    f.def(py::init<CString, int>(), "face"_a, "size"_a, "A font.");
    ORVPY_ACCESSORS(f, Font, Face, "typeface name");
    f.def("GetSize", &Font::GetSize, "The type size.");
    f.def("SetSize", &Font::SetSize, "size"_a, "Sets the type size (a size of 0 or less is ignored).");
    f.def_static("DefaultFont", &Font::DefaultFont, "Arial at 12.");
    f.def_static("DefaultBigFont", &Font::DefaultBigFont, "The default big font.");
    f.def(py::self == py::self);
    f.def(py::self != py::self);
    f.def("__repr__", [](const Font& font) {
        return "Font(" + py::repr(py::cast(font.GetFace())).cast<std::string>() + ", " +
               std::to_string(font.GetSize()) + ")";
    });
    DefArchiveForm(f);
}

void BindOverlayShapes(py::module_& m)
{
    py::class_<UnlitShapePrimitive, UnlitPrimitive> s(m, "UnlitShapePrimitive",
                                                      "Base of the flat overlay shapes placed in 2D: an origin, an "
                                                      "outline, a fill and an optional stipple.");
    py::enum_<UnlitShapePrimitive::StipplePattern>(s, "StipplePattern", "A fill stipple.")
        .value("Horizontal", UnlitShapePrimitive::Horizontal)
        .value("Vertical", UnlitShapePrimitive::Vertical)
        .value("ForwardDiagonal", UnlitShapePrimitive::ForwardDiagonal)
        .value("BackwardDiagonal", UnlitShapePrimitive::BackwardDiagonal)
        .value("Cross", UnlitShapePrimitive::Cross)
        .value("DiagonalCross", UnlitShapePrimitive::DiagonalCross)
        .export_values();
    s.def(py::init<>(), "A white outlined shape at the origin.");
    ORVPY_ACCESSORS(s, UnlitShapePrimitive, Origin, "origin");
    ORVPY_ACCESSORS(s, UnlitShapePrimitive, IsOutlined, "outlined flag");
    ORVPY_ACCESSORS(s, UnlitShapePrimitive, ForegroundColor, "outline colour");
    ORVPY_ACCESSORS(s, UnlitShapePrimitive, OutlineWidth, "outline width");
    ORVPY_ACCESSORS(s, UnlitShapePrimitive, IsFilled, "filled flag");
    ORVPY_ACCESSORS(s, UnlitShapePrimitive, BackgroundColor, "fill colour");
    ORVPY_ACCESSORS(s, UnlitShapePrimitive, IsStippled, "stippled flag");
    ORVPY_ACCESSORS(s, UnlitShapePrimitive, StipplePattern, "stipple pattern");
    DefShape(s);

    py::class_<RectanglePrimitive, UnlitShapePrimitive> r(m, "RectanglePrimitive",
                                                          "An axis-aligned rectangle from the origin across its size.");
    r.def(py::init<>(), "An empty rectangle.");
    r.def(py::init<const Point2d&, const Point2d&, bool, const Color&, int, bool, const Color&, unsigned int>(),
          "size"_a, "origin"_a, "isOutlined"_a = true, "foreground"_a = Color::White(), "outlineWidth"_a = 1,
          "isFilled"_a = false, "background"_a = Color::White(), "id"_a = 0, "A rectangle.");
    ORVPY_ACCESSORS(r, RectanglePrimitive, Size, "size");
    DefShape(r);

    py::class_<EllipsePrimitive, RectanglePrimitive> e(m, "EllipsePrimitive",
                                                       "An ellipse centred on the origin with the size as half-axes.");
    e.def(py::init<>(), "An empty ellipse.");
    e.def(py::init<const Point2d&, const Point2d&, bool, const Color&, int, bool, const Color&, unsigned int>(),
          "size"_a, "origin"_a, "isOutlined"_a = true, "foreground"_a = Color::White(), "outlineWidth"_a = 1,
          "isFilled"_a = false, "background"_a = Color::White(), "id"_a = 0, "An ellipse.");
    DefShape(e);

    py::class_<TriangleShapePrimitive, UnlitShapePrimitive> t(m, "TriangleShapePrimitive", "A flat 2D triangle.");
    t.def(py::init<>(), "A degenerate triangle.");
    t.def(py::init<const Point2d&, const Point2d&, const Point2d&, bool, const Color&, int, bool, const Color&,
                   unsigned int>(),
          "point1"_a, "point2"_a, "point3"_a, "isOutlined"_a = true, "foreground"_a = Color::White(),
          "outlineWidth"_a = 1, "isFilled"_a = false, "background"_a = Color::White(), "id"_a = 0, "A triangle.");
    ORVPY_ACCESSORS(t, TriangleShapePrimitive, Point1, "first corner");
    ORVPY_ACCESSORS(t, TriangleShapePrimitive, Point2, "second corner");
    ORVPY_ACCESSORS(t, TriangleShapePrimitive, Point3, "third corner");
    DefShape(t);
}

void BindOverlayLines(py::module_& m)
{
    py::class_<UnlitLinePrimitive, UnlitPrimitive> l(m, "UnlitLinePrimitive", "A 2D polyline of one colour and width.");
    l.def(py::init<>(), "An empty polyline.");
    l.def(
        "GetPoints", [](const UnlitLinePrimitive& p) { return ToNumpy(Point2d::Array(p.GetPoints())); },
        "The points as a float64 (n, 2) array.");
    l.def(
        "SetPoints", [](UnlitLinePrimitive& p, const DoubleRows& rows) { p.SetPoints(ToPoint2dArray(rows, "points")); },
        "points"_a, "Replaces the points with an (n, 2) array.");
    ORVPY_ACCESSORS(l, UnlitLinePrimitive, Color, "colour");
    ORVPY_ACCESSORS(l, UnlitLinePrimitive, Width, "width");
    DefShape(l);

    py::class_<LineSegmentPrimitive, UnlitLinePrimitive> s(m, "LineSegmentPrimitive", "A single 2D segment.");
    s.def(py::init<>(), "An empty segment.");
    s.def(py::init<const Point2d&, const Point2d&, const Color&, int, unsigned int>(), "end1"_a, "end2"_a, "color"_a,
          "width"_a = 1, "id"_a = 0, "A segment.");
    DefShape(s);

    py::class_<PolylinePrimitive, UnlitLinePrimitive> p(m, "PolylinePrimitive", "A 2D polyline through any number of points.");
    p.def(py::init<>(), "An empty polyline.");
    p.def(py::init([](const DoubleRows& rows, const Color& color, int width, unsigned int id) {
              return PolylinePrimitive(ToPoint2dArray(rows, "points"), color, width, id);
          }),
          "points"_a, "color"_a, "width"_a = 1, "id"_a = 0, "A polyline through an (n, 2) array of points.");
    DefShape(p);
}

void BindTexts(py::module_& m)
{
    py::class_<Text3DPrimitive, UnlitPointPrimitive> t(m, "Text3DPrimitive",
                                                       "A text label anchored at a point in model space, in the "
                                                       "point's colour.");
    t.def(py::init<>(), "An empty label at the origin.");
    t.def(py::init<const char*, const Point3d&, double, const Color&, const Font&, unsigned int>(), "text"_a,
          "position"_a, "zOffset"_a, "color"_a, "font"_a, "id"_a = 0, "A label with a depth offset and a font.");
    t.def(py::init<const char*, const Point3d&, const Color&, unsigned int>(), "text"_a, "position"_a, "color"_a,
          "id"_a = 0, "A label in the default font.");
    t.def("GetText", [](const Text3DPrimitive& p) { return CString(p.GetText()); }, "The text.");
    t.def("SetText", [](Text3DPrimitive& p, const CString& text) { p.SetText(text); }, "text"_a, "Sets the text.");
    ORVPY_ACCESSORS(t, Text3DPrimitive, Font, "font");
    ORVPY_ACCESSORS(t, Text3DPrimitive, Position, "anchor point");
    ORVPY_ACCESSORS(t, Text3DPrimitive, ZOffset, "depth offset");
    ORVPY_ACCESSORS(t, Text3DPrimitive, IsAnnotation, "annotation flag");
    t.def(
        "Transform", [](Text3DPrimitive& p, const Matrix4x4& mat) { p.Transform(mat); }, "matrix"_a,
        "Moves the anchor point.");
    DefShape(t);

    py::class_<TextStringPrimitive, UnlitShapePrimitive> s(m, "TextStringPrimitive",
                                                           "A string in the 2D overlay at the origin, with an optional "
                                                           "cursor.");
    s.def(py::init<>(), "An empty string.");
    s.def(py::init<const CString&, const Font&, const Point2d&, bool, const Color&, int, bool, const Color&,
                   unsigned int>(),
          "text"_a, "font"_a, "origin"_a, "isOutlined"_a = false, "foreground"_a = Color::White(),
          "outlineWidth"_a = 1, "isFilled"_a = false, "background"_a = Color::White(), "id"_a = 0, "A string.");
    ORVPY_ACCESSORS(s, TextStringPrimitive, TextString, "text");
    ORVPY_ACCESSORS(s, TextStringPrimitive, Font, "font");
    ORVPY_ACCESSORS(s, TextStringPrimitive, CursorPosition, "cursor's character index");
    ORVPY_ACCESSORS(s, TextStringPrimitive, ShowCursor, "show-cursor flag");
    DefShape(s);

    py::class_<TextBoxPrimitive, TextStringPrimitive> b(m, "TextBoxPrimitive", "A string laid out in a box of a given width.");
    b.def(py::init<>(), "An empty box.");
    b.def(py::init<float, bool, const CString&, const Font&, const Point2d&, bool, const Color&, int, bool,
                   const Color&, unsigned int>(),
          "boxWidth"_a, "showHandles"_a, "text"_a, "font"_a, "origin"_a, "isOutlined"_a = false,
          "foreground"_a = Color::White(), "outlineWidth"_a = 1, "isFilled"_a = false,
          "background"_a = Color::White(), "id"_a = 0, "A text box.");
    ORVPY_ACCESSORS(b, TextBoxPrimitive, BoxWidth, "box width");
    ORVPY_ACCESSORS(b, TextBoxPrimitive, ShowHandles, "show-handles flag");
    DefShape(b);

    py::class_<TextCalloutPrimitive, TextBoxPrimitive> c(m, "TextCalloutPrimitive", "A text box tied to a point in model space.");
    c.def(py::init<>(), "An empty callout.");
    c.def(py::init<const Point3d&, float, bool, const CString&, const Font&, const Point2d&, bool, const Color&, int,
                   bool, const Color&, unsigned int>(),
          "location"_a, "boxWidth"_a, "showHandles"_a, "text"_a, "font"_a, "origin"_a, "isOutlined"_a = false,
          "foreground"_a = Color::White(), "outlineWidth"_a = 1, "isFilled"_a = false,
          "background"_a = Color::White(), "id"_a = 0, "A callout.");
    ORVPY_ACCESSORS(c, TextCalloutPrimitive, Location, "model-space location");
    ORVPY_ACCESSORS(c, TextCalloutPrimitive, Location2d, "2D location kept for the renderer");
    c.def(
        "Transform", [](TextCalloutPrimitive& p, const Matrix4x4& mat) { p.Transform(mat); }, "matrix"_a,
        "Moves the model-space location.");
    DefShape(c);
}

void BindFlatPrimitives(py::module_& m)
{
    py::class_<UnlitTrianglePrimitive, UnlitPrimitive> t(m, "UnlitTrianglePrimitive",
                                                         "A flat-coloured triangle in model space.");
    t.def(py::init<>(), "A degenerate triangle.");
    t.def(py::init<const Point3d&, const Point3d&, const Point3d&, const Color&, unsigned int>(), "end1"_a, "end2"_a,
          "end3"_a, "color"_a, "id"_a = 0, "A triangle.");
    ORVPY_ACCESSORS(t, UnlitTrianglePrimitive, End1, "first corner");
    ORVPY_ACCESSORS(t, UnlitTrianglePrimitive, End2, "second corner");
    ORVPY_ACCESSORS(t, UnlitTrianglePrimitive, End3, "third corner");
    ORVPY_ACCESSORS(t, UnlitTrianglePrimitive, Color, "colour");
    t.def(py::self == py::self);
    t.def(py::self != py::self);
    t.def("Transform", &UnlitTrianglePrimitive::Transform, "matrix"_a, "Moves the corners.");
    DefShape(t);

    // No archive form: the renderer's pixel rectangle is never stored.
    py::class_<Rect2DPrimitive, UnlitPrimitive> r(m, "Rect2DPrimitive",
                                                  "A rectangle of a pixel width and height anchored at a point in "
                                                  "model space. It has no archive form.");
    r.def(py::init<>(), "An empty rectangle.");
    r.def(py::init<const Point3d&, const Color&, int, int, unsigned int>(), "coord"_a, "color"_a, "width"_a,
          "height"_a, "id"_a = 0, "A rectangle.");
    ORVPY_ACCESSORS(r, Rect2DPrimitive, Coord, "anchor point");
    ORVPY_ACCESSORS(r, Rect2DPrimitive, Color, "colour");
    ORVPY_ACCESSORS(r, Rect2DPrimitive, Width, "width in pixels");
    ORVPY_ACCESSORS(r, Rect2DPrimitive, Height, "height in pixels");
    r.def("Transform", &Rect2DPrimitive::Transform, "matrix"_a, "Moves the anchor point.");
    r.def("__repr__", &ValueRepr);
}

} // namespace

void BindShapes(py::module_& m)
{
    BindFont(m);
    BindOverlayShapes(m);
    BindOverlayLines(m);
    BindTexts(m);
    BindFlatPrimitives(m);
}

} // namespace orvpy
