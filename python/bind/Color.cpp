// Color, ColorArray and ColorMap.

#include "Bindings.h"

#include "orvcore/color/ColorArray.h"
#include "orvcore/color/ColorMap.h"

using namespace Orvane;

namespace orvpy {

namespace {

// Channels are bytes: a value outside 0..255 is refused rather than wrapped.
unsigned char Channel(int v, const char* name)
{
    if (v < 0 || v > 255)
        throw py::value_error(std::string(name) + " must lie in 0..255");
    return static_cast<unsigned char>(v);
}

void BindColorClass(py::module_& m)
{
    py::class_<Color> c(m, "Color",
                        "An RGBA colour of four 8-bit channels. An alpha of 0 is opaque, any other value "
                        "transparent. The packed word reads 0xAABBGGRR.");
    c.def(py::init<>(), "Black, opaque.");
    c.def(py::init([](int r, int g, int b, int a) {
              return Color(Channel(r, "r"), Channel(g, "g"), Channel(b, "b"), Channel(a, "a"));
          }),
          "r"_a, "g"_a, "b"_a, "a"_a = 0, "A colour of channel values 0..255.");
    c.def(py::init([](float r, float g, float b, float a) {
              for (float v : {r, g, b, a})
                  CheckFinite(v, "a channel");
              return Color(r, g, b, a);
          }),
          "r"_a, "g"_a, "b"_a, "a"_a = 0.0f,
          "A colour of channel fractions (1.0 is 255; out-of-range values wrap as the library does).");
    c.def(py::init([](std::uint32_t rgba) { return Color(static_cast<unsigned long>(rgba)); }), "rgba"_a,
          "The colour of a packed word 0xAABBGGRR.");
    c.def("GetR", &Color::GetR, "The red byte.");
    c.def("GetG", &Color::GetG, "The green byte.");
    c.def("GetB", &Color::GetB, "The blue byte.");
    c.def("GetA", &Color::GetA, "The alpha byte (0 opaque).");
    c.def("GetRFloat", &Color::GetRFloat, "Red as a fraction.");
    c.def("GetGFloat", &Color::GetGFloat, "Green as a fraction.");
    c.def("GetBFloat", &Color::GetBFloat, "Blue as a fraction.");
    c.def("GetAFloat", &Color::GetAFloat, "Alpha as a fraction.");
    c.def("SetR", [](Color& col, int v) { col.SetR(Channel(v, "r")); }, "r"_a, "Sets the red byte.");
    c.def("SetG", [](Color& col, int v) { col.SetG(Channel(v, "g")); }, "g"_a, "Sets the green byte.");
    c.def("SetB", [](Color& col, int v) { col.SetB(Channel(v, "b")); }, "b"_a, "Sets the blue byte.");
    c.def("SetA", [](Color& col, int v) { col.SetA(Channel(v, "a")); }, "a"_a, "Sets the alpha byte.");
    c.def("GetRGB", [](const Color& col) { return static_cast<std::uint32_t>(col.GetRGB()); },
          "The packed word 0xAABBGGRR, alpha included.");
    c.def("SetRGB", [](Color& col, std::uint32_t rgba) { col.SetRGB(static_cast<unsigned long>(rgba)); }, "rgba"_a,
          "Sets the packed word 0xAABBGGRR.");
    c.def("SetRGB", [](Color& col, const CString& text) { col.SetRGB(text); }, "text"_a,
          "Parses a colour name (any case) or three integers \"r g b\"; text that does not parse leaves the colour "
          "unchanged.");
    c.def("GetRGBString", &Color::GetRGBString, "\"r g b\" in decimal.");
    c.def("IsTransparent", [](const Color& col) { return col.GetA() != 0; }, "True when the alpha is not 0.");
    c.def(py::self == py::self);
    c.def(py::self != py::self);
    c.def("__hash__", [](const Color& col) { return static_cast<std::uint32_t>(col.GetRGB()); });
    c.def("__repr__", [](const Color& col) {
        return "Color(" + std::to_string(col.GetR()) + ", " + std::to_string(col.GetG()) + ", " +
               std::to_string(col.GetB()) + ", " + std::to_string(col.GetA()) + ")";
    });
    c.def("__iter__", [](const Color& col) { return py::iter(py::make_tuple(col.GetR(), col.GetG(), col.GetB(), col.GetA())); },
          "Iterates over r, g, b, a.");
    c.def("__mul__", [](const Color& col, double f) { return col * f; }, py::is_operator(),
          "R, G and B scaled (wrapping); alpha 0.");
    c.def("__truediv__", [](const Color& col, double f) { return col / f; }, py::is_operator(),
          "R, G and B divided (nothing for 0); alpha 0.");
#define ORVPY_NAMED(Name) c.def_static(#Name, &Color::Name, "The named colour " #Name ".");
    ORVPY_NAMED(Black) ORVPY_NAMED(Red) ORVPY_NAMED(Green) ORVPY_NAMED(Blue) ORVPY_NAMED(Magenta)
    ORVPY_NAMED(Cyan) ORVPY_NAMED(White) ORVPY_NAMED(Grey) ORVPY_NAMED(Yellow) ORVPY_NAMED(Selected)
    ORVPY_NAMED(ReadOnly) ORVPY_NAMED(Hidden)
#undef ORVPY_NAMED
    DefArchiveForm(c);
}

void BindColorArray(py::module_& m)
{
    py::class_<ColorArray> a(m, "ColorArray", "A growable, named list of colours (\"Undefined\" until named).");
    a.def(py::init<>(), "An empty list.");
    a.def(py::init([](const std::vector<Color>& colors) {
              ColorArray out;
              for (const Color& col : colors)
                  out.Add(col);
              return out;
          }),
          "colors"_a, "A list of the colours.");
    DefSequence<ColorArray, Color>(a, true);
    a.def("GetName", &ColorArray::GetName, "The list's name.");
    a.def("SetName", &ColorArray::SetName, "name"_a, "Sets the list's name.");
    a.def("__repr__", [](const ColorArray& arr) {
        return "ColorArray(" + std::to_string(arr.GetSize()) + " colours, name=" + ReprText(arr.GetName()) + ")";
    });
    DefArchiveForm(a);
}

void BindColorMap(py::module_& m)
{
    py::class_<ColorMap> c(m, "ColorMap",
                           "A colour lookup table built from control colours, as gradients or flat bands, with a "
                           "value range [begin, end] mapped onto its indices. Lookups clamp into range.");
    c.def(py::init<>(), "A map of one entry.");
    c.def(py::init<int>(), "size"_a, "A map of `size` entries (at least one).");
    c.def(
        "SetBeginEnd",
        [](ColorMap& map, double b, double e) {
            CheckFinite(b, "begin");
            CheckFinite(e, "end");
            map.SetBeginEnd(b, e);
        },
        "begin"_a, "end"_a, "The value range (finite).");
    c.def("Begin", &ColorMap::Begin, "The value mapped to the first entry.");
    c.def("End", &ColorMap::End, "The value mapped to the last entry.");
    c.def("IndexOfValue", &ColorMap::IndexOfValue, "x"_a, "The table index of a value, clamped into the table.");
    c.def("ColorAtIndex", &ColorMap::ColorAtIndex, "i"_a, "The colour of entry i (clamped).");
    c.def("ColorAtValue", &ColorMap::ColorAtValue, "x"_a, "The colour of a value.");
    c.def("ColorAtEntry", &ColorMap::ColorAtEntry, "i"_a, "Control colour i (clamped).");
    c.def("SetColorAtIndex", &ColorMap::SetColorAtIndex, "i"_a, "color"_a, "Sets entry i (ignored outside).");
    c.def("SetColorForValue", &ColorMap::SetColorForValue, "x"_a, "color"_a, "Sets the entry of a value.");
    c.def("SetColorForRange", &ColorMap::SetColorForRange, "x1"_a, "x2"_a, "color"_a,
          "Sets every entry between the entries of two values.");
    c.def("Ramp", py::overload_cast<bool>(&ColorMap::Ramp), "blended"_a, "The default ramp: blue, green, red.");
    c.def("Ramp", py::overload_cast<Color, Color, bool>(&ColorMap::Ramp), "c1"_a, "c2"_a, "blended"_a,
          "A ramp of two colours.");
    c.def("Ramp", py::overload_cast<Color, Color, Color, bool>(&ColorMap::Ramp), "c1"_a, "c2"_a, "c3"_a,
          "blended"_a, "A ramp of three colours.");
    c.def("Ramp", py::overload_cast<const ColorArray&, bool>(&ColorMap::Ramp), "colors"_a, "blended"_a,
          "A ramp of the colours of a ColorArray.");
    c.def(
        "Ramp",
        [](ColorMap& map, const std::vector<Color>& colors, bool blended) {
            map.Ramp(static_cast<int>(colors.size()), colors.data(), blended);
        },
        "colors"_a, "blended"_a, "A ramp of a list of colours.");
    c.def("Resize", &ColorMap::Resize, "size"_a, "A new table size, rebuilt from the control colours.");
    c.def("Invert", &ColorMap::Invert, "Reverses the control colours and the table.");
    c.def("SizeColors", &ColorMap::SizeColors, "The number of control colours.");
    c.def("GetSizeMap", &ColorMap::GetSizeMap, "The number of table entries.");
    c.def("IsBlended", &ColorMap::IsBlended, "True for gradients, false for flat bands.");
    c.def("__len__", &ColorMap::GetSizeMap, "The number of table entries.");
    c.def(
        "__getitem__", [](const ColorMap& map, py::ssize_t i) { return map.ColorAtIndex(CheckIndex(i, map.GetSizeMap())); },
        "index"_a, "Entry `index`; IndexError outside.");
    c.def("__repr__", [](const ColorMap& map) {
        return "ColorMap(" + std::to_string(map.GetSizeMap()) + " entries)";
    });
}

} // namespace

void BindColor(py::module_& m)
{
    BindColorClass(m);
    BindColorArray(m);
    BindColorMap(m);
}

} // namespace orvpy
