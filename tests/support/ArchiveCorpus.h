#pragma once

// The archive cases shared by the golden-corpus test and the program that
// regenerates the corpus: for every class with an archive form, a populated
// object (values that are not round in binary) and the list of its fields,
// each marked with whether the layout of a given schema carries it.
//
// A load under schema S is checked field by field: a field the layout
// carries must come back as stored; one it does not carry keeps the value of
// a freshly constructed object, into which every case loads.
//
// Nothing here depends on the width of the platform's integers, so the same
// table serves 32-bit and 64-bit builds.

#include "tests/support/ArchiveBytes.h"

#include "orvcore/color/Color.h"
#include "orvcore/color/ColorArray.h"
#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/geometry/Point2d.h"
#include "orvcore/geometry/Point3d.h"
#include "orvcore/graphics/primitives/BoolArray.h"
#include "orvcore/graphics/primitives/Font.h"
#include "orvcore/graphics/primitives/GraphicsPrimitive.h"
#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/ShapePrimitives.h"
#include "orvcore/graphics/primitives/TetrahedronPrimitive.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"
#include "orvcore/graphics/primitives/TriangleMeshPrimitive.h"
#include "orvcore/graphics/primitives/VolumePrimitive.h"
#include "orvcore/graphics/scene/GraphicsAttributes.h"
#include "orvcore/graphics/scene/LightSource.h"
#include "orvcore/numerics/Rational.h"
#include "orvcore/text/UniqueString.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace archive_corpus {

using namespace Orvane;
using testing_bytes::Bytes;
using testing_bytes::kUnset;

// The schemas whose layouts differ somewhere in the library: 0, each side of
// every threshold the classes test (6/7, 9/10/11, 12/13), and unset.
struct Schema
{
    UINT value;
    const char* tag; // as in the corpus file names
};

inline const std::vector<Schema>& Schemas()
{
    static const std::vector<Schema> schemas = {{0, "s0"},   {6, "s6"},   {7, "s7"},   {9, "s9"},       {10, "s10"},
                                                {11, "s11"}, {12, "s12"}, {13, "s13"}, {kUnset, "unset"}};
    return schemas;
}

// --- exact text of a value: floating-point values in hexadecimal, so two
// values compare equal only when their bits do.

inline std::string Exact(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%a", v);
    return text;
}
inline std::string Exact(float v) { return Exact(static_cast<double>(v)); }
inline std::string Exact(std::int32_t v) { return std::to_string(v); }
inline std::string Exact(std::uint32_t v) { return std::to_string(v); }
inline std::string Exact(bool v) { return v ? "true" : "false"; }
inline std::string Exact(const CString& s) { return "\"" + std::string(static_cast<const char*>(s)) + "\""; }
inline std::string Exact(const Point3d& p) { return Exact(p[0]) + " " + Exact(p[1]) + " " + Exact(p[2]); }
inline std::string Exact(const Point2d& p) { return Exact(p.GetX()) + " " + Exact(p.GetY()); }
inline std::string Exact(const Color& c)
{
    return Exact(std::int32_t{c.GetR()}) + " " + Exact(std::int32_t{c.GetG()}) + " " + Exact(std::int32_t{c.GetB()}) +
           " " + Exact(std::int32_t{c.GetA()});
}

// The fields of one object as the layout of one schema sees them.
class Fields
{
public:
    struct Entry
    {
        std::string name;
        std::string value;
        std::string reloaded; // the value a load gives back when the layout carries it
        bool carried;
    };

    explicit Fields(UINT schema) : m_schema(schema) {}

    // The two ways the classes compare the schema: signed, where an unset
    // schema counts as -1, and unsigned, where it counts as the largest.
    bool AboveSigned(int version) const { return static_cast<std::int32_t>(m_schema) > version; }
    bool AboveUnsigned(UINT version) const { return m_schema > version; }
    UINT Schema() const { return m_schema; }

    template <typename T>
    Fields& Add(const std::string& name, const T& value, bool carried = true)
    {
        const std::string text = Exact(value);
        m_entries.push_back({m_prefix + name, text, text, carried});
        return *this;
    }
    // A colour stored with its alpha cleared: it comes back opaque.
    Fields& AddRgb(const std::string& name, const Color& c)
    {
        m_entries.push_back({m_prefix + name, Exact(c), Exact(Color(c.GetR(), c.GetG(), c.GetB(), 0)), true});
        return *this;
    }

    // Runs `describe` with `prefix` put before every field name it adds.
    template <typename Describe>
    void In(const std::string& prefix, Describe describe)
    {
        const std::string outer = m_prefix;
        m_prefix += prefix + ".";
        describe();
        m_prefix = outer;
    }

    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    UINT m_schema;
    std::string m_prefix;
    std::vector<Entry> m_entries;
};

inline std::string Index(const char* name, int i)
{
    return std::string(name) + "[" + std::to_string(i) + "]";
}

// What a load gave back.
struct LoadOutcome
{
    bool threw = false;                  // the archive raised its exception
    ULONGLONG unread = 0;                // bytes the load left unread
    std::vector<std::string> mismatches; // fields that differ from what was expected
    Bytes restored;                      // the loaded object stored again under the same schema
};

// One class with an archive form.
class ArchiveCase
{
public:
    virtual ~ArchiveCase() = default;
    virtual const std::string& Name() const = 0;
    // The populated object stored under the schema.
    virtual Bytes Store(UINT schema) const = 0;
    // Loads the bytes into a fresh object under the schema and compares it
    // with the populated object as the schema's layout carries it.
    virtual LoadOutcome Load(const Bytes& bytes, UINT schema) const = 0;
};

// Compares the fields of a loaded object with what the populated object
// gives for the fields the layout carries and a fresh object for the others
// (a field the fresh object does not have, such as an element of an array
// that is not archived, must be absent).
inline std::vector<std::string> Compare(const Fields& populated, const Fields& fresh, const Fields& loaded)
{
    std::vector<Fields::Entry> expected;
    for (const Fields::Entry& e : populated.Entries()) {
        if (e.carried) {
            expected.push_back(e);
            expected.back().value = e.reloaded;
            continue;
        }
        for (const Fields::Entry& f : fresh.Entries()) {
            if (f.name == e.name)
                expected.push_back(f);
        }
    }
    std::vector<std::string> mismatches;
    const std::vector<Fields::Entry>& got = loaded.Entries();
    for (std::size_t i = 0; i < expected.size() || i < got.size(); ++i) {
        if (i >= got.size())
            mismatches.push_back(expected[i].name + ": missing, expected " + expected[i].value);
        else if (i >= expected.size())
            mismatches.push_back(got[i].name + ": not expected, got " + got[i].value);
        else if (got[i].name != expected[i].name || got[i].value != expected[i].value)
            mismatches.push_back(expected[i].name + ": expected " + expected[i].value + ", got " + got[i].name +
                                 " " + got[i].value);
    }
    return mismatches;
}

template <class T>
class CaseOf : public ArchiveCase
{
public:
    using Make = T (*)();
    // Functions, or a base class's: a subclass that adds no field shares
    // its base's description.
    using Describe = std::function<void(Fields&, const T&)>;
    using Serialize = std::function<void(T&, CArchive&)>;

    CaseOf(std::string name, Make make, Describe describe, Serialize serialize)
        : m_name(std::move(name)), m_make(make), m_describe(std::move(describe)), m_serialize(std::move(serialize))
    {
    }

    const std::string& Name() const override { return m_name; }

    Bytes Store(UINT schema) const override
    {
        T object = m_make();
        return StoreObject(object, schema);
    }

    LoadOutcome Load(const Bytes& bytes, UINT schema) const override
    {
        LoadOutcome outcome;
        T loaded;
        try {
            outcome.unread = testing_bytes::Load(bytes, schema, [&](CArchive& ar) { m_serialize(loaded, ar); });
        } catch (const CArchiveException&) {
            outcome.threw = true;
        }
        outcome.mismatches = Compare(FieldsOf(m_make(), schema), FieldsOf(T(), schema), FieldsOf(loaded, schema));
        outcome.restored = StoreObject(loaded, schema);
        return outcome;
    }

private:
    Bytes StoreObject(T& object, UINT schema) const
    {
        return testing_bytes::Store(schema, [&](CArchive& ar) { m_serialize(object, ar); });
    }
    Fields FieldsOf(const T& object, UINT schema) const
    {
        Fields fields(schema);
        m_describe(fields, object);
        return fields;
    }

    std::string m_name;
    Make m_make;
    Describe m_describe;
    Serialize m_serialize;
};

template <class T>
void SerializeMember(T& object, CArchive& ar)
{
    object.Serialize(ar);
}

// The class is the type that `make` returns.
template <class T>
std::unique_ptr<ArchiveCase> Case(const char* name, T (*make)(), typename CaseOf<T>::Describe describe,
                                  typename CaseOf<T>::Serialize serialize = &SerializeMember<T>)
{
    return std::unique_ptr<ArchiveCase>(new CaseOf<T>(name, make, std::move(describe), std::move(serialize)));
}

// ---------------------------------------------------------------- shared descriptions

inline void DescribeId(Fields& f, const GraphicsPrimitive& p)
{
    f.Add("id", std::uint32_t{p.GetID()});
}

// The representation exists from schema 7 on, compared signed.
inline void DescribeLit(Fields& f, const LitPrimitive& p)
{
    DescribeId(f, p);
    f.Add("material", std::int32_t{p.GetMaterial()});
    f.Add("representation", std::int32_t{p.GetRepresentation()}, f.AboveSigned(6));
}

inline void DescribeVertex(Fields& f, const Vertex& v)
{
    f.Add("point", v.GetPoint());
    f.AddRgb("colour", v.GetColor());
}

inline void DescribeVertexNormal(Fields& f, const VertexNormal& v)
{
    DescribeVertex(f, v);
    f.Add("normal", v.GetNormal());
}

inline void DescribeTriangleIndex(Fields& f, const TriangleIndex& t)
{
    for (int corner = 0; corner < 3; ++corner)
        f.Add(Index("index", corner), std::int32_t{t.GetIndex(corner)});
}

inline void DescribeMatrix(Fields& f, const Matrix4x4& m)
{
    for (int i = 0; i < 16; ++i)
        f.Add(Index("m", i), m.Get(i / 4, i % 4));
}

inline void DescribeLine(Fields& f, const LinePrimitive& l)
{
    DescribeId(f, l);
    f.Add("end1", l.GetEnd1());
    f.AddRgb("colour1", l.GetColor1());
    f.Add("end2", l.GetEnd2());
    f.AddRgb("colour2", l.GetColor2());
    f.Add("width", std::int32_t{l.GetWidth()});
    f.Add("id2", std::uint32_t{l.GetID2()});
}

inline void DescribeUnlitPoint(Fields& f, const UnlitPointPrimitive& p)
{
    DescribeId(f, p);
    f.Add("coord", p.GetCoord());
    f.AddRgb("colour", p.GetColor());
}

inline void DescribeShape(Fields& f, const UnlitShapePrimitive& s)
{
    DescribeId(f, s);
    f.Add("origin", s.GetOrigin());
    f.Add("outlined", s.GetIsOutlined());
    f.Add("foreground", s.GetForegroundColor());
    f.Add("outlineWidth", std::int32_t{s.GetOutlineWidth()});
    f.Add("filled", s.GetIsFilled());
    f.Add("background", s.GetBackgroundColor());
    f.Add("stippled", s.GetIsStippled());
    f.Add("stipplePattern", std::int32_t{s.GetStipplePattern()});
}

inline void DescribeRectangle(Fields& f, const RectanglePrimitive& r)
{
    DescribeShape(f, r);
    f.Add("size", r.GetSize());
}

inline void DescribeUnlitLine(Fields& f, const UnlitLinePrimitive& l)
{
    DescribeId(f, l);
    f.Add("points", std::int32_t{l.GetPoints().GetSize()});
    for (int i = 0; i < l.GetPoints().GetSize(); ++i)
        f.Add(Index("point", i), l.GetPoints()[i]);
    f.Add("colour", l.GetColor());
    f.Add("width", std::int32_t{l.GetWidth()});
}

// Documents before schema 10 name the face by a code; a face without one is
// not carried there.
inline void DescribeFont(Fields& f, const Font& font)
{
    f.Add("face", font.GetFace(), f.AboveUnsigned(9) || font.GetFaceCode() != 0);
    f.Add("size", std::int32_t{font.GetSize()});
}

inline void DescribeTextString(Fields& f, const TextStringPrimitive& s)
{
    DescribeShape(f, s);
    f.Add("text", s.GetTextString());
    f.In("font", [&] { DescribeFont(f, s.GetFont()); });
    f.Add("cursorPosition", std::int32_t{s.GetCursorPosition()});
    f.Add("showCursor", s.GetShowCursor());
}

inline void DescribeTextBox(Fields& f, const TextBoxPrimitive& b)
{
    DescribeTextString(f, b);
    f.Add("boxWidth", b.GetBoxWidth());
    f.Add("showHandles", b.GetShowHandles());
}

// A light exists from schema 7 on, compared unsigned.
inline void DescribeLight(Fields& f, const LightSource& l)
{
    const bool carried = f.AboveUnsigned(6);
    f.Add("position", l.GetPosition(), carried);
    f.Add("colour", l.GetColor(), carried);
    f.Add("enabled", l.GetEnabled(), carried);
}

template <class Array, class Element>
void DescribeArray(Fields& f, const char* name, const Array& array, void (*describe)(Fields&, const Element&))
{
    f.Add(std::string(name) + ".count", std::int32_t{array.GetSize()});
    for (int i = 0; i < array.GetSize(); ++i)
        f.In(Index(name, i), [&] { describe(f, array[i]); });
}

// ---------------------------------------------------------------- geometry, colour, numbers, text

inline Point3d MakePoint3d() { return Point3d(1.1, -2.3, 0.1); }
inline void DescribePoint3d(Fields& f, const Point3d& p) { f.Add("xyz", p); }

inline Point3d::Array MakePoint3dArray()
{
    Point3d::Array a;
    a.Add(Point3d(0.1, 0.2, 0.3));
    a.Add(Point3d(-1.7, 2.9, 1e-3));
    a.Add(Point3d(3.3, -4.4, 5.5e5));
    return a;
}
inline void DescribePoint3dArray(Fields& f, const Point3d::Array& a) { DescribeArray(f, "points", a, &DescribePoint3d); }

inline Point2d MakePoint2d() { return Point2d(0.1, -7.7); }
inline void DescribePoint2d(Fields& f, const Point2d& p) { f.Add("xy", p); }

inline Point2d::Array MakePoint2dArray()
{
    Point2d::Array a;
    a.Add(Point2d(1.0 / 3, 2.2));
    a.Add(Point2d(-0.3, 1e-7));
    return a;
}
inline void DescribePoint2dArray(Fields& f, const Point2d::Array& a) { DescribeArray(f, "points", a, &DescribePoint2d); }

inline Matrix3x3 MakeMatrix3x3()
{
    double m[9];
    for (int i = 0; i < 9; ++i)
        m[i] = (i + 1) / 3.0 - 1.1;
    return Matrix3x3(m);
}
inline void DescribeMatrix3x3(Fields& f, const Matrix3x3& m)
{
    for (int i = 0; i < 9; ++i)
        f.Add(Index("m", i), m.Get(i / 3, i % 3));
}

inline Matrix4x4 MakeMatrix4x4()
{
    double m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = (i - 5) / 7.0 + 0.01;
    return Matrix4x4(m);
}

inline Color MakeColor() { return Color(12, 34, 156, 78); }
inline void DescribeColor(Fields& f, const Color& c) { f.Add("rgba", c); }

inline ColorArray MakeColorArray()
{
    ColorArray a;
    a.Add(Color(255, 0, 10, 1));
    a.Add(Color(9, 128, 77, 254));
    a.Add(Color(1, 2, 3, 4));
    a.SetName("Thermal ramp");
    return a;
}
inline void DescribeColorArray(Fields& f, const ColorArray& a)
{
    DescribeArray(f, "colours", a, &DescribeColor);
    f.Add("name", a.GetName());
}

inline Rational MakeRational() { return Rational(-7, 12); }
inline void DescribeRational(Fields& f, const Rational& r)
{
    f.Add("numerator", std::int32_t{r.GetNumerator()});
    f.Add("denominator", std::int32_t{r.GetDenominator()});
}
inline void SerializeRational(Rational& r, CArchive& ar)
{
    if (ar.IsStoring())
        ar << r;
    else
        ar >> r;
}

inline UniqueString MakeUniqueString() { return UniqueString("HETATM ZN 0.1"); }
inline void DescribeUniqueString(Fields& f, const UniqueString& s) { f.Add("text", s.String()); }

inline Font MakeFont() { return Font("Times New Roman", 11); }
inline void DescribeFontCase(Fields& f, const Font& font)
{
    f.Add("face", font.GetFace());
    f.Add("size", std::int32_t{font.GetSize()});
}

inline BoolArray MakeBoolArray()
{
    BoolArray a;
    for (bool v : {true, false, true, true, false})
        a.Add(v);
    return a;
}
inline void DescribeBoolArray(Fields& f, const BoolArray& a)
{
    f.Add("count", std::int32_t{a.GetSize()});
    for (int i = 0; i < a.GetSize(); ++i)
        f.Add(Index("flag", i), static_cast<bool>(a[i]));
}

// ---------------------------------------------------------------- primitive parts

inline Vertex MakeVertex() { return Vertex(Point3d(0.1, 0.2, 0.3), Color(200, 100, 50, 25)); }
inline VertexNormal MakeVertexNormal()
{
    return VertexNormal(Point3d(-0.7, 1.3, 2.1), Point3d(0.6, -0.64, 0.48), Color(5, 6, 7, 8));
}
inline TriangleIndex MakeTriangleIndex() { return TriangleIndex(3, -1, 70000); }

inline GraphicsPrimitive MakeGraphicsPrimitive() { return GraphicsPrimitive(3000000001u); }

inline LitPrimitive MakeLitPrimitive()
{
    LitPrimitive p(77);
    p.SetMaterial(LitPrimitive::Glossy);
    p.SetRepresentation(LitPrimitive::Wireframe);
    return p;
}

// ---------------------------------------------------------------- lit solids

template <class T>
T WithStyle(T p, LitPrimitive::Material material, LitPrimitive::Representation representation)
{
    p.SetMaterial(material);
    p.SetRepresentation(representation);
    return p;
}

inline SpherePrimitive MakeSphere()
{
    return WithStyle(SpherePrimitive(Point3d(1.1, -2.25, 3.33), 1.7, Color(10, 20, 30, 40), 101),
                     LitPrimitive::Shiny, LitPrimitive::PointCloud);
}
inline void DescribeSphere(Fields& f, const SpherePrimitive& s)
{
    DescribeLit(f, s);
    f.Add("center", s.GetCenter());
    f.AddRgb("colour", s.GetColor());
    f.Add("radius", s.GetRadius());
}

inline EllipsoidPrimitive MakeEllipsoid()
{
    const Matrix4x4 shape(0.9, 0.1, -0.3, 0, -0.1, 0.95, 0.2, 0, 0.3, -0.2, 0.7, 0, 0.4, 0.5, 0.6, 1);
    return WithStyle(EllipsoidPrimitive(Point3d(-0.5, 0.25, 9.9), Point3d(1.2, 0.8, 0.3), shape,
                                        Color(90, 80, 70, 60), 102),
                     LitPrimitive::Metallic, LitPrimitive::Wireframe);
}
inline void DescribeEllipsoid(Fields& f, const EllipsoidPrimitive& e)
{
    DescribeLit(f, e);
    f.Add("center", e.GetCenter());
    f.AddRgb("colour", e.GetColor());
    f.Add("size", e.GetSize());
    f.In("matrix", [&] { DescribeMatrix(f, e.GetMatrix()); });
}

inline CylinderPrimitive MakeCylinder()
{
    CylinderPrimitive c(Point3d(0.1, 0.2, 0.3), Color(1, 2, 3, 4), Point3d(4.4, 5.5, -6.6), Color(250, 251, 252, 253),
                        0.35, 103, 1031, 1032);
    c.SetIsCapped(false);
    return WithStyle(c, LitPrimitive::Glossy, LitPrimitive::Wireframe);
}
// The end identifiers and the capped flag are not archived.
inline void DescribeCylinder(Fields& f, const CylinderPrimitive& c)
{
    DescribeLit(f, c);
    f.Add("end1", c.GetEnd1());
    f.AddRgb("colour1", c.GetColor1());
    f.Add("end2", c.GetEnd2());
    f.AddRgb("colour2", c.GetColor2());
    f.Add("radius", c.GetRadius());
    f.Add("end1ID", std::uint32_t{c.GetEnd1ID()}, false);
    f.Add("end2ID", std::uint32_t{c.GetEnd2ID()}, false);
    f.Add("capped", c.GetIsCapped(), false);
}

inline ConePrimitive MakeCone()
{
    return WithStyle(ConePrimitive(Point3d(-1.1, 0, 2.2), Point3d(0.3, 0.7, -0.9), Color(11, 22, 33, 200), 0.45, 104),
                     LitPrimitive::Shiny, LitPrimitive::Wireframe);
}
inline void DescribeCone(Fields& f, const ConePrimitive& c)
{
    DescribeLit(f, c);
    f.Add("base", c.GetBase());
    f.Add("tip", c.GetTip());
    f.Add("colour", c.GetColor());
    f.Add("radius", c.GetRadius());
}

inline TrianglePrimitive MakeTriangle()
{
    return WithStyle(TrianglePrimitive(Point3d(0.1, 0.1, 0.1), Point3d(1.3, 0.2, -0.4), Point3d(0.6, 2.7, 0.05),
                                       Point3d(0.2, 0.3, 0.93), Color(100, 150, 200, 250), 105),
                     LitPrimitive::Matte, LitPrimitive::PointCloud);
}
inline void DescribeTriangle(Fields& f, const TrianglePrimitive& t)
{
    DescribeLit(f, t);
    f.Add("end1", t.GetEnd1());
    f.Add("end2", t.GetEnd2());
    f.Add("end3", t.GetEnd3());
    f.Add("normal", t.GetNormal());
    f.AddRgb("colour", t.GetColor());
}

inline TriangleMeshPrimitive MakeTriangleMesh()
{
    VertexNormalArray vertices;
    for (int i = 0; i < 4; ++i) {
        VertexNormal v(Point3d(0.1 * i, 1.0 / (i + 3), -0.7 + i), Point3d(0, 0.6, 0.8),
                       Color(10 * i, 255 - i, 3, 40 + i));
        vertices.Add(v);
    }
    TriangleIndexArray triangles;
    TriangleIndex a(0, 1, 2), b(2, 1, 3);
    triangles.Add(a);
    triangles.Add(b);
    OIDArray oids;
    oids.Add(500001);
    oids.Add(500002);
    TriangleMeshPrimitive m(vertices, triangles, oids);
    m.SetID(106);
    m.SetTwoSided(true);
    m.SetLineWidth(2.5f);
    return WithStyle(m, LitPrimitive::Metallic, LitPrimitive::Wireframe);
}
// The two-sided flag exists from schema 7 on, compared unsigned; line width
// and object identifiers are not archived.
inline void DescribeTriangleMesh(Fields& f, const TriangleMeshPrimitive& m)
{
    DescribeLit(f, m);
    DescribeArray(f, "triangles", m.GetTriangleArray(), &DescribeTriangleIndex);
    DescribeArray(f, "vertices", m.GetVertexArray(), &DescribeVertexNormal);
    f.Add("twoSided", m.GetTwoSided(), f.AboveUnsigned(6));
    f.Add("lineWidth", m.GetLineWidth(), false);
    f.Add("oids.count", std::int32_t{m.GetNumOIDs()}, false);
    for (int i = 0; i < m.GetNumOIDs(); ++i)
        f.Add(Index("oid", i), std::uint32_t{m.GetOIDAt(i)}, false);
}

inline TetrahedronPrimitive MakeTetrahedron()
{
    TetrahedronPrimitive t(Point3d(0.1, 0.2, 0.3), Point3d(1.7, 0.1, 0.2), Point3d(0.3, 1.9, -0.1),
                           Point3d(0.2, 0.4, 2.3));
    t.SetID(107);
    t.SetColor(Color(60, 70, 80, 90));
    t.SetHiddenFace(2, true);
    return WithStyle(t, LitPrimitive::Glossy, LitPrimitive::PointCloud);
}
// The centroids and normals are stored as computed; the hidden flags are not
// archived.
inline void DescribeTetrahedron(Fields& f, const TetrahedronPrimitive& t)
{
    DescribeLit(f, t);
    Point3d v[4];
    t.GetTetrahedronVertices(v[0], v[1], v[2], v[3]);
    for (int i = 0; i < 4; ++i) {
        f.Add(Index("vertex", i), v[i]);
        f.Add(Index("centroid", i), t.GetFaceCentroid(i));
        f.Add(Index("normal", i), t.GetFaceNormal(i));
        f.Add(Index("hidden", i), t.GetHiddenFace(i), false);
    }
    f.AddRgb("colour", t.GetColor());
}

// ---------------------------------------------------------------- lines and points

inline LinePrimitive MakeLine()
{
    LinePrimitive l(Point3d(0.1, -0.2, 0.3), Color(1, 1, 2, 3), Point3d(5.8, 13.21, -34.55), Color(5, 8, 13, 21), 3,
                    201);
    l.SetID2(2012);
    return l;
}

inline DashedLinePrimitive MakeDashedLine()
{
    DashedLinePrimitive d(Point3d(-0.9, 0.8, -0.7), Color(90, 91, 92, 93), Point3d(0.6, -0.5, 0.4),
                          Color(94, 95, 96, 97), 2, 7, true, 202);
    d.SetID2(2022);
    return d;
}
inline void DescribeDashedLine(Fields& f, const DashedLinePrimitive& d)
{
    DescribeLine(f, d);
    f.Add("numDashes", std::int32_t{d.GetNumDashes()});
    f.Add("startBlank", d.GetStartBlank());
}

inline LineArrayPrimitive MakeLineArray()
{
    LinePrimitiveArray lines;
    lines.Add(MakeLine());
    lines.Add(LinePrimitive(Point3d(1.5, 2.5, 3.5), Point3d(-0.1, -0.3, -0.5), Color(7, 7, 7, 7), 1, 203, 2032));
    LineArrayPrimitive a(1.3f, lines, true, 0x0F0F);
    a.SetID(204);
    return a;
}
// The dashed flag and the pattern exist after schema 12, compared unsigned.
inline void DescribeLineArray(Fields& f, const LineArrayPrimitive& a)
{
    DescribeId(f, a);
    DescribeArray(f, "lines", a.GetLineArray(), &DescribeLine);
    f.Add("lineWidth", a.GetLineWidth());
    f.Add("dashed", a.GetDashed(), f.AboveUnsigned(12));
    f.Add("dashPattern", std::int32_t{a.GetDashPattern()}, f.AboveUnsigned(12));
}

inline UnlitPointPrimitive MakeUnlitPoint()
{
    return UnlitPointPrimitive(Point3d(2.2, -3.3, 4.4), Color(33, 44, 55, 66), 205);
}

inline DotPrimitive MakeDot() { return DotPrimitive(Point3d(-0.01, 0.02, -0.03), Color(9, 19, 29, 39), 5, 206); }
inline void DescribeDot(Fields& f, const DotPrimitive& d)
{
    DescribeUnlitPoint(f, d);
    f.Add("width", std::int32_t{d.GetWidth()});
}

// The points are set explicitly, so the image does not depend on the
// platform's sine and cosine.
inline ArcPrimitive MakeArc()
{
    ArcPrimitive a(Point3d(0.5, 0.5, 0.1), Point3d(0, 0, 1), Point3d(1.5, 0.5, 0.1), 67.5, 3, Color(3, 1, 4, 1), 2,
                   207);
    for (int i = 0; i < a.GetNumPoints(); ++i)
        a.GetPointAt(i) = Point3d(0.5 + 1.0 / (i + 1), 0.5 + 0.3 * i, 0.1);
    return a;
}
inline void DescribeArc(Fields& f, const ArcPrimitive& a)
{
    DescribeId(f, a);
    f.Add("center", a.GetCenter());
    f.Add("normal", a.GetNormal());
    f.Add("start", a.GetStart());
    f.Add("colour", a.GetColor());
    f.Add("points", std::int32_t{a.GetNumPoints()});
    for (int i = 0; i < a.GetNumPoints(); ++i)
        f.Add(Index("point", i), a.GetPointAt(i));
    f.Add("angle", a.GetAngle());
    f.Add("numSegments", std::int32_t{a.GetNumSegments()});
    f.Add("width", std::int32_t{a.GetWidth()});
}

inline IconPrimitive MakeIcon()
{
    IconPrimitive icon(Point3d(7.1, -8.2, 9.3), 17, true, false, Color(120, 130, 140, 150), 208);
    icon.SetIconScale(0.85);
    return icon;
}
inline void DescribeIcon(Fields& f, const IconPrimitive& i)
{
    DescribeUnlitPoint(f, i);
    f.Add("iconID", std::uint32_t{i.GetIconID()});
    f.Add("rotationInvariant", i.GetRotationInvariant());
    f.Add("scaleInvariant", i.GetScaleInvariant());
    f.Add("useColor", i.GetUseColor());
    f.Add("iconScale", i.GetIconScale());
}

// ---------------------------------------------------------------- text

inline Text3DPrimitive MakeText3D()
{
    Text3DPrimitive t("CA 42.1", Point3d(1.25, -0.35, 8.8), 0.15, Color(240, 230, 220, 210), Font("Courier New", 10),
                      301);
    t.SetIsAnnotation(true);
    return t;
}
inline void DescribeText3D(Fields& f, const Text3DPrimitive& t)
{
    DescribeUnlitPoint(f, t);
    f.Add("text", CString(t.GetText()));
    f.In("font", [&] { DescribeFont(f, t.GetFont()); });
    f.Add("zOffset", t.GetZOffset());
    f.Add("annotation", t.GetIsAnnotation());
}

template <class T>
T WithShapeStyle(T s)
{
    s.SetIsStippled(true);
    s.SetStipplePattern(static_cast<UnlitShapePrimitive::StipplePattern>(2));
    return s;
}

inline TextStringPrimitive MakeTextString()
{
    TextStringPrimitive s("Residue 42", Font("Times New Roman", 9), Point2d(0.1, 20.7), false, Color(1, 2, 3, 4), 2,
                          true, Color(5, 6, 7, 8), 302);
    s.SetCursorPosition(3);
    s.SetShowCursor(true);
    return WithShapeStyle(s);
}

inline TextBoxPrimitive MakeTextBox()
{
    TextBoxPrimitive b(120.3f, true, "Box of 0.1 units", Font("Courier New", 14), Point2d(-3.3, 4.4), true,
                       Color(9, 8, 7, 6), 3, false, Color(60, 70, 80, 90), 303);
    b.SetCursorPosition(-1);
    return WithShapeStyle(b);
}

inline TextCalloutPrimitive MakeTextCallout()
{
    TextCalloutPrimitive c(Point3d(0.7, 0.8, 0.9), 64.1f, false, "Callout", Font("Arial", 13), Point2d(10.1, 10.2),
                           true, Color(255, 254, 253, 252), 1, true, Color(0, 1, 0, 1), 304);
    c.SetLocation2d(Point2d(-0.25, 1.0 / 7));
    c.SetShowCursor(true);
    return WithShapeStyle(c);
}
inline void DescribeTextCallout(Fields& f, const TextCalloutPrimitive& c)
{
    DescribeTextBox(f, c);
    f.Add("location", c.GetLocation());
    f.Add("location2d", c.GetLocation2d());
}

// ---------------------------------------------------------------- 2D shapes

inline UnlitShapePrimitive MakeUnlitShape()
{
    return WithShapeStyle(
        UnlitShapePrimitive(Point2d(1.1, 2.2), false, Color(11, 12, 13, 14), 4, true, Color(21, 22, 23, 24), 401));
}

inline RectanglePrimitive MakeRectangle()
{
    return WithShapeStyle(RectanglePrimitive(Point2d(10.5, 5.1), Point2d(-1.9, 2.8), true, Color(31, 32, 33, 34), 2,
                                             true, Color(41, 42, 43, 44), 402));
}

inline EllipsePrimitive MakeEllipse()
{
    return WithShapeStyle(EllipsePrimitive(Point2d(0.3, 0.6), Point2d(100.1, -0.01), false, Color(51, 52, 53, 54), 6,
                                           false, Color(61, 62, 63, 64), 403));
}

inline TriangleShapePrimitive MakeTriangleShape()
{
    return WithShapeStyle(TriangleShapePrimitive(Point2d(0.1, 0.2), Point2d(3.3, 0.4), Point2d(1.7, 2.9), true,
                                                 Color(71, 72, 73, 74), 1, true, Color(81, 82, 83, 84), 404));
}
inline void DescribeTriangleShape(Fields& f, const TriangleShapePrimitive& t)
{
    DescribeShape(f, t);
    f.Add("point1", t.GetPoint1());
    f.Add("point2", t.GetPoint2());
    f.Add("point3", t.GetPoint3());
}

inline UnlitLinePrimitive MakeUnlitLine()
{
    return UnlitLinePrimitive(MakePoint2dArray(), Color(91, 92, 93, 94), 3, 405);
}

inline LineSegmentPrimitive MakeLineSegment()
{
    return LineSegmentPrimitive(Point2d(0.1, 0.9), Point2d(-2.6, 1.3), Color(101, 102, 103, 104), 2, 406);
}

inline PolylinePrimitive MakePolyline()
{
    Point2d::Array points = MakePoint2dArray();
    points.Add(Point2d(7.7, -0.07));
    points.Add(Point2d(1e-3, 3e3));
    return PolylinePrimitive(points, Color(111, 112, 113, 114), 4, 407);
}

inline UnlitTrianglePrimitive MakeUnlitTriangle()
{
    return UnlitTrianglePrimitive(Point3d(0.3, 0.2, 0.1), Point3d(-4.1, 5.9, 2.6), Point3d(5.3, -5.8, 9.7),
                                  Color(121, 122, 123, 124), 408);
}
inline void DescribeUnlitTriangle(Fields& f, const UnlitTrianglePrimitive& t)
{
    DescribeId(f, t);
    f.Add("end1", t.GetEnd1());
    f.Add("end2", t.GetEnd2());
    f.Add("end3", t.GetEnd3());
    f.Add("colour", t.GetColor());
}

// ---------------------------------------------------------------- volumes

inline VolumePrimitive MakeVolume()
{
    BoolArray transfer;
    for (bool v : {true, false, true})
        transfer.Add(v);
    return VolumePrimitive(nullptr, -0.1f, 2.7f, 0.3f, 1.9f, true, MakeColorArray(), 0.45f, transfer, 501);
}
// The colour list's name is not part of the volume's form.
inline void DescribeVolume(Fields& f, const VolumePrimitive& v)
{
    DescribeId(f, v);
    f.Add("dataMin", v.GetDataMin());
    f.Add("dataMax", v.GetDataMax());
    f.Add("displayMin", v.GetDisplayMin());
    f.Add("displayMax", v.GetDisplayMax());
    f.Add("clipOutsideRange", v.GetClipOutsideRange());
    DescribeArray(f, "colours", v.GetColors(), &DescribeColor);
    f.Add("colours.name", v.GetColors().GetName(), false);
    f.Add("transparency", v.GetTransparency());
    f.In("transfer", [&] { DescribeBoolArray(f, v.GetTransferFunction()); });
}

// ---------------------------------------------------------------- view attributes

inline LightSource MakeLight() { return LightSource(Point3d(0.3, -0.6, 0.9), Color(250, 240, 230, 17), true); }

inline GraphicsAttributes MakeGraphicsAttributes()
{
    GraphicsAttributes a;
    a.SetViewSize(22.7);
    a.SetQuality(3);
    a.SetProjection(-2);
    for (int i = 0; i < GraphicsAttributes::NumLights; ++i)
        a.SetLight(i, LightSource(Point3d(0.1 * i, -0.2, 1.0 / (i + 3)), Color(10 * i, 20 + i, 30, i), i % 2 == 0));
    a.SetFog(true);
    a.SetStereo(true);
    a.SetStereoAngle(4.1);
    a.SetStereoSeparationFactor(0.7);
    a.SetStereoSkewFactor(0.3);
    a.SetPerspectiveAngle(33.3);
    a.SetBkColor(Color(1, 2, 3, 4));
    a.SetLineWidth(2.2);
    a.SetFontScale(1.1);
    a.SetFastRender(false);
    a.SetZFarAdj(-1.9f);
    a.SetZNearAdj(0.01f);
    a.SetMatrix(MakeMatrix4x4());
    return a;
}
// The background colour always; the lights and settings from schema 7 on,
// compared unsigned.
inline void DescribeGraphicsAttributes(Fields& f, const GraphicsAttributes& a)
{
    const bool carried = f.AboveUnsigned(6);
    f.Add("bkColor", a.GetBkColor());
    for (int i = 0; i < GraphicsAttributes::NumLights; ++i)
        f.In(Index("light", i), [&] { DescribeLight(f, a.GetLight(i)); });
    f.Add("viewSize", a.GetViewSize(), carried);
    f.Add("quality", std::int32_t{a.GetQuality()}, carried);
    f.Add("projection", std::int32_t{a.GetProjection()}, carried);
    f.Add("fog", a.GetFog(), carried);
    f.Add("stereo", a.GetStereo(), carried);
    f.Add("stereoAngle", a.GetStereoAngle(), carried);
    f.Add("perspectiveAngle", a.GetPerspectiveAngle(), carried);
    f.Add("lineWidth", a.GetLineWidth(), carried);
    f.Add("fontScale", a.GetFontScale(), carried);
    f.Add("fastRender", a.GetFastRender(), carried);
    f.Add("stereoSeparationFactor", a.GetStereoSeparationFactor(), carried);
    f.Add("stereoSkewFactor", a.GetStereoSkewFactor(), carried);
    for (int i = 0; i < 16; ++i)
        f.Add(Index("matrix", i), a.GetMatrix().Get(i / 4, i % 4), carried);
    f.Add("zFarAdj", a.GetZFarAdj(), carried);
    f.Add("zNearAdj", a.GetZNearAdj(), carried);
}

// ---------------------------------------------------------------- the table

// Every class with an archive form, named as in the corpus file names.
inline const std::vector<std::unique_ptr<ArchiveCase>>& Cases()
{
    static const std::vector<std::unique_ptr<ArchiveCase>> cases = [] {
        std::vector<std::unique_ptr<ArchiveCase>> c;
        c.push_back(Case("Point3d", &MakePoint3d, &DescribePoint3d));
        c.push_back(Case("Point3dArray", &MakePoint3dArray, &DescribePoint3dArray));
        c.push_back(Case("Point2d", &MakePoint2d, &DescribePoint2d));
        c.push_back(Case("Point2dArray", &MakePoint2dArray, &DescribePoint2dArray));
        c.push_back(Case("Matrix3x3", &MakeMatrix3x3, &DescribeMatrix3x3));
        c.push_back(Case("Matrix4x4", &MakeMatrix4x4, &DescribeMatrix));
        c.push_back(Case("Color", &MakeColor, &DescribeColor));
        c.push_back(Case("ColorArray", &MakeColorArray, &DescribeColorArray));
        c.push_back(Case("Rational", &MakeRational, &DescribeRational, &SerializeRational));
        c.push_back(Case("UniqueString", &MakeUniqueString, &DescribeUniqueString));
        c.push_back(Case("Font", &MakeFont, &DescribeFontCase));
        c.push_back(Case("BoolArray", &MakeBoolArray, &DescribeBoolArray));
        c.push_back(Case("Vertex", &MakeVertex, &DescribeVertex));
        c.push_back(Case("VertexNormal", &MakeVertexNormal, &DescribeVertexNormal));
        c.push_back(Case("TriangleIndex", &MakeTriangleIndex, &DescribeTriangleIndex));
        c.push_back(Case("GraphicsPrimitive", &MakeGraphicsPrimitive, &DescribeId));
        c.push_back(Case("LitPrimitive", &MakeLitPrimitive, &DescribeLit));
        c.push_back(Case("SpherePrimitive", &MakeSphere, &DescribeSphere));
        c.push_back(Case("EllipsoidPrimitive", &MakeEllipsoid, &DescribeEllipsoid));
        c.push_back(Case("CylinderPrimitive", &MakeCylinder, &DescribeCylinder));
        c.push_back(Case("ConePrimitive", &MakeCone, &DescribeCone));
        c.push_back(Case("TrianglePrimitive", &MakeTriangle, &DescribeTriangle));
        c.push_back(Case("TriangleMeshPrimitive", &MakeTriangleMesh, &DescribeTriangleMesh));
        c.push_back(Case("TetrahedronPrimitive", &MakeTetrahedron, &DescribeTetrahedron));
        c.push_back(Case("LinePrimitive", &MakeLine, &DescribeLine));
        c.push_back(Case("DashedLinePrimitive", &MakeDashedLine, &DescribeDashedLine));
        c.push_back(Case("LineArrayPrimitive", &MakeLineArray, &DescribeLineArray));
        c.push_back(Case("UnlitPointPrimitive", &MakeUnlitPoint, &DescribeUnlitPoint));
        c.push_back(Case("DotPrimitive", &MakeDot, &DescribeDot));
        c.push_back(Case("ArcPrimitive", &MakeArc, &DescribeArc));
        c.push_back(Case("IconPrimitive", &MakeIcon, &DescribeIcon));
        c.push_back(Case("Text3DPrimitive", &MakeText3D, &DescribeText3D));
        c.push_back(Case("TextStringPrimitive", &MakeTextString, &DescribeTextString));
        c.push_back(Case("TextBoxPrimitive", &MakeTextBox, &DescribeTextBox));
        c.push_back(Case("TextCalloutPrimitive", &MakeTextCallout, &DescribeTextCallout));
        c.push_back(Case("UnlitShapePrimitive", &MakeUnlitShape, &DescribeShape));
        c.push_back(Case("RectanglePrimitive", &MakeRectangle, &DescribeRectangle));
        c.push_back(Case("EllipsePrimitive", &MakeEllipse, &DescribeRectangle));
        c.push_back(Case("TriangleShapePrimitive", &MakeTriangleShape, &DescribeTriangleShape));
        c.push_back(Case("UnlitLinePrimitive", &MakeUnlitLine, &DescribeUnlitLine));
        c.push_back(Case("LineSegmentPrimitive", &MakeLineSegment, &DescribeUnlitLine));
        c.push_back(Case("PolylinePrimitive", &MakePolyline, &DescribeUnlitLine));
        c.push_back(Case("UnlitTrianglePrimitive", &MakeUnlitTriangle, &DescribeUnlitTriangle));
        c.push_back(Case("VolumePrimitive", &MakeVolume, &DescribeVolume));
        c.push_back(Case("LightSource", &MakeLight, &DescribeLight));
        c.push_back(Case("GraphicsAttributes", &MakeGraphicsAttributes, &DescribeGraphicsAttributes));
        return c;
    }();
    return cases;
}

// The corpus file of a case: <class>.<schema tag>.bin
inline std::string FileName(const ArchiveCase& c, const Schema& schema)
{
    return c.Name() + "." + schema.tag + ".bin";
}

} // namespace archive_corpus
