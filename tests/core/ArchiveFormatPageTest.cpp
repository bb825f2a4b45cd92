// Checks docs/archive-format.md against the archive forms themselves. The page
// is read as data: its encoding examples are written and read through the
// archive, and for every class table and every schema it applies to, the bytes
// the table describes are built from made-up field values, loaded through the
// class (every byte must be consumed), the loaded object is asked for each
// named field (it must hold the value written at that field's place), and the
// object is stored again (the bytes must come back unchanged). The offsets and
// widths the table prints are compared with the bytes built under the newest
// schema the table applies to.

#include "orvcore/OrvCore.h"
#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace Orvane;
using testing_bytes::Bytes;
using testing_bytes::kUnset;

namespace {

// The schemas every class is written under: each side of every threshold the
// layouts know, and unset.
const UINT kSchemas[] = {0, 6, 7, 9, 10, 11, 12, 13, kUnset};

const std::string kTimes = "\xC3\x97"; // the multiplication sign of "T × n"

// --- reading the page

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> Split(const std::string& s, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = s.find(separator, start)) != std::string::npos; start = at + separator.size())
        parts.push_back(Trim(s.substr(start, at - start)));
    parts.push_back(Trim(s.substr(start)));
    return parts;
}

// The cells of a table line "| a | b |".
std::vector<std::string> Cells(const std::string& line)
{
    std::vector<std::string> cells = Split(line, "|");
    if (cells.size() >= 2) {
        cells.erase(cells.begin());
        cells.pop_back();
    }
    return cells;
}

struct Row
{
    int line;
    std::string offset, field, type, width, present;
};

struct Table
{
    int line = 0;
    std::vector<std::string> classes;
    std::string schemas;
    std::vector<Row> rows;
};

struct Page
{
    std::vector<Table> tables;
    std::vector<std::vector<std::string>> examples; // rows of the encoding examples

    // True when the condition ("all", "", or a list of "N and above",
    // "N and below", "A to B", "N", "unset") holds for the schema.
    static bool Applies(const std::string& condition, UINT schema)
    {
        if (condition.empty() || condition == "all")
            return true;
        for (const std::string& item : Split(condition, ",")) {
            if (item == "unset") {
                if (schema == kUnset)
                    return true;
                continue;
            }
            if (schema == kUnset)
                continue;
            std::istringstream in(item);
            long long a = -1, b = -1;
            std::string word1, word2;
            in >> a >> word1 >> word2;
            if (word1.empty())
                b = a;
            else if (word1 == "and" && word2 == "above")
                b = 0xFFFFFFFELL;
            else if (word1 == "and" && word2 == "below")
                b = a, a = 0;
            else if (word1 == "to")
                b = std::stoll(word2);
            else
                ADD_FAILURE() << "unreadable schema condition: " << item;
            if (static_cast<long long>(schema) >= a && static_cast<long long>(schema) <= b)
                return true;
        }
        return false;
    }

    // The table of a class that applies to the schema, or null.
    const Table* Find(const std::string& name, UINT schema) const
    {
        for (const Table& t : tables)
            for (const std::string& c : t.classes)
                if (c == name && Applies(t.schemas, schema))
                    return &t;
        return nullptr;
    }

    bool HasClass(const std::string& name) const
    {
        for (const Table& t : tables)
            for (const std::string& c : t.classes)
                if (c == name)
                    return true;
        return false;
    }
};

Page ReadPage()
{
    const char* docs = std::getenv("ORVCORE_DOCS");
    const std::string path = std::string(docs ? docs : "docs") + "/archive-format.md";
    std::ifstream in(path);
    EXPECT_TRUE(in) << "cannot read " << path;
    Page page;
    std::string line;
    int number = 0;
    enum { None, ClassRows, ExampleRows } reading = None;
    while (std::getline(in, line)) {
        ++number;
        if (line.rfind("### ", 0) == 0) {
            page.tables.emplace_back();
            page.tables.back().line = number;
            page.tables.back().classes = Split(line.substr(4), ",");
            reading = None;
        } else if (line.rfind("Schemas: ", 0) == 0 && !page.tables.empty()) {
            page.tables.back().schemas = Trim(line.substr(9));
        } else if (line.rfind("| Offset |", 0) == 0 && !page.tables.empty()) {
            reading = ClassRows;
        } else if (line.rfind("| Encoding |", 0) == 0) {
            reading = ExampleRows;
        } else if (line.rfind("|---", 0) == 0) {
        } else if (line.rfind("|", 0) != 0) {
            reading = None;
        } else if (reading == ClassRows) {
            const std::vector<std::string> c = Cells(line);
            EXPECT_EQ(c.size(), 5u) << "page line " << number;
            if (c.size() == 5)
                page.tables.back().rows.push_back(Row{number, c[0], c[1], c[2], c[3], c[4]});
        } else if (reading == ExampleRows) {
            page.examples.push_back(Cells(line));
        }
    }
    return page;
}

// --- the types of the page

struct Type
{
    std::string base;
    std::string count; // "" for one value, "count", or a number of elements
    bool fixed = false;
    long long fixedValue = 0;
};

Type ParseType(const std::string& text)
{
    Type t;
    std::vector<std::string> parts = Split(text, "=");
    if (parts.size() == 2) {
        t.fixed = true;
        t.fixedValue = std::stoll(parts[1]);
    }
    parts = Split(parts[0], kTimes);
    t.base = parts[0];
    if (parts.size() == 2)
        t.count = parts[1];
    return t;
}

bool PointsAreFloats(UINT schema)
{
    return schema != kUnset && schema >= 7;
}

// Width of one value of a scalar type, or 0 for a type of variable width or a class.
std::size_t ScalarWidth(const std::string& base, UINT schema)
{
    static const std::map<std::string, std::size_t> widths = {
        {"u8", 1},     {"bool8", 1},  {"u16", 2},      {"i16", 2},     {"i32", 4},      {"u32", 4},
        {"bool32", 4}, {"f32", 4},    {"f64", 8},      {"rgba", 4},    {"rgb0", 4},     {"point2", 16},
        {"float3", 12}, {"double2", 16}, {"fontcode", 4}, {"count32", 4}};
    if (base == "point3")
        return PointsAreFloats(schema) ? 12 : 24;
    const auto it = widths.find(base);
    return it == widths.end() ? 0 : it->second;
}

// Numbers per element: three for points, two for 2D points, else one.
std::size_t NumsPerElement(const std::string& base)
{
    if (base == "point3" || base == "float3")
        return 3;
    if (base == "point2" || base == "double2")
        return 2;
    return 1;
}

// --- values and their bytes

struct Value
{
    std::vector<double> nums;
    std::string text;
};

double Packed(unsigned r, unsigned g, unsigned b, unsigned a)
{
    return static_cast<double>((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16 | (a & 0xFFu) << 24);
}

// A value of the type, different for each seed, that every class keeps as it
// is: small exact binary fractions, flags of 1, the font code of "Times New
// Roman", coprime positive 16-bit numbers.
Value Generate(const std::string& base, int seed)
{
    static const int primes[] = {2, 3, 5, 7, 11, 13, 17, 19};
    Value v;
    if (base == "string") {
        v.text = "field " + std::to_string(seed);
    } else if (base == "bool8" || base == "bool32") {
        v.nums = {1};
    } else if (base == "u8") {
        v.nums = {static_cast<double>((seed * 7 + 3) % 256)};
    } else if (base == "u16") {
        v.nums = {static_cast<double>(0x1000 + seed * 3)};
    } else if (base == "i16") {
        v.nums = {static_cast<double>(primes[seed % 8])};
    } else if (base == "i32") {
        v.nums = {1000.0 + 11 * seed};
    } else if (base == "u32") {
        v.nums = {static_cast<double>(0x01020300u + static_cast<unsigned>(seed))};
    } else if (base == "fontcode") {
        v.nums = {2};
    } else if (base == "f32") {
        v.nums = {seed + 0.25};
    } else if (base == "f64") {
        v.nums = {seed + 0.125};
    } else if (base == "rgba") {
        const unsigned s = static_cast<unsigned>(seed);
        v.nums = {Packed(4 * s + 1, 4 * s + 2, 4 * s + 3, 4 * s + 4 == 256 ? 1 : 4 * s + 4)};
    } else if (base == "rgb0") {
        const unsigned s = static_cast<unsigned>(seed);
        v.nums = {Packed(4 * s + 1, 4 * s + 2, 4 * s + 3, 0)};
    } else if (base == "point3" || base == "float3") {
        v.nums = {seed + 0.5, seed + 1.5, -(seed + 2.5)};
    } else if (base == "point2" || base == "double2") {
        v.nums = {seed + 0.75, -(seed + 1.25)};
    } else {
        ADD_FAILURE() << "no values for the type " << base;
    }
    return v;
}

void AppendString(Bytes& out, const std::string& s)
{
    const std::size_t n = s.size();
    if (n < 0xFF) {
        testing_bytes::Append(out, static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        testing_bytes::Append(out, static_cast<std::uint8_t>(0xFF));
        testing_bytes::Append(out, static_cast<std::uint16_t>(n));
    } else {
        testing_bytes::Append(out, static_cast<std::uint8_t>(0xFF));
        testing_bytes::Append(out, static_cast<std::uint16_t>(0xFFFF));
        testing_bytes::Append(out, static_cast<std::uint32_t>(n));
    }
    out.insert(out.end(), s.begin(), s.end());
}

void AppendCount(Bytes& out, std::uint32_t n)
{
    if (n < 0xFFFF) {
        testing_bytes::Append(out, static_cast<std::uint16_t>(n));
    } else {
        testing_bytes::Append(out, static_cast<std::uint16_t>(0xFFFF));
        testing_bytes::Append(out, n);
    }
}

int FontCode(const std::string& face)
{
    return face == "Arial" ? 1 : face == "Times New Roman" ? 2 : face == "Courier New" ? 3 : 0;
}

// One element of a scalar type from nums[0..NumsPerElement).
void AppendScalar(Bytes& out, const std::string& base, const double* nums, const std::string& text, UINT schema)
{
    using testing_bytes::Append;
    if (base == "string") {
        AppendString(out, text);
    } else if (base == "count") {
        AppendCount(out, static_cast<std::uint32_t>(nums[0]));
    } else if (base == "fontcode") {
        Append(out, static_cast<std::int32_t>(text.empty() ? nums[0] : FontCode(text)));
    } else if (base == "u8" || base == "bool8") {
        Append(out, static_cast<std::uint8_t>(nums[0]));
    } else if (base == "u16" || base == "i16") {
        Append(out, static_cast<std::uint16_t>(static_cast<std::int32_t>(nums[0])));
    } else if (base == "f32" || base == "float3") {
        for (std::size_t i = 0; i < NumsPerElement(base); ++i)
            Append(out, static_cast<float>(nums[i]));
    } else if (base == "f64" || base == "point2" || base == "double2") {
        for (std::size_t i = 0; i < NumsPerElement(base); ++i)
            Append(out, nums[i]);
    } else if (base == "point3") {
        for (int i = 0; i < 3; ++i) {
            if (PointsAreFloats(schema))
                Append(out, static_cast<float>(nums[i]));
            else
                Append(out, nums[i]);
        }
    } else if (ScalarWidth(base, schema) == 4) {
        Append(out, static_cast<std::uint32_t>(static_cast<long long>(nums[0])));
    } else {
        ADD_FAILURE() << "no encoding for the type " << base;
    }
}

// All elements of a value of a scalar type.
Bytes Encode(const std::string& base, const Value& v, UINT schema)
{
    Bytes out;
    const std::size_t per = NumsPerElement(base);
    if (v.nums.empty())
        AppendScalar(out, base, nullptr, v.text, schema);
    for (std::size_t i = 0; i + per <= v.nums.size(); i += per)
        AppendScalar(out, base, &v.nums[i], v.text, schema);
    return out;
}

// --- the bytes a table describes

struct Layout
{
    std::string offset, width; // as the table should print them
};

struct Image
{
    Bytes bytes;
    std::map<std::string, Value> values; // by field name
    std::map<int, Layout> layout;        // by row index, present rows only
};

bool IsVariable(const Type& t)
{
    return t.base == "string" || t.base == "count" || t.count == "count";
}

// The bytes of the table under the schema, with values generated from
// seedBase and, for each field, the index of its name's first row.
Image Build(const Page& page, const Table& table, UINT schema, int seedBase)
{
    Image image;
    std::uint32_t lastCount = 0;
    bool variableSeen = false;
    std::size_t variableEnd = 0;
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        const Row& row = table.rows[i];
        if (!Page::Applies(row.present, schema))
            continue;
        std::size_t first = 0;
        while (table.rows[first].field != row.field)
            ++first;
        const int seed = seedBase + static_cast<int>(first);
        const Type t = ParseType(row.type);
        const std::size_t start = image.bytes.size();
        std::string width;
        if (t.base == "count" || t.base == "count32") {
            lastCount = t.fixed ? static_cast<std::uint32_t>(t.fixedValue) : 2;
            if (t.base == "count")
                AppendCount(image.bytes, lastCount);
            else
                testing_bytes::Append(image.bytes, static_cast<std::int32_t>(lastCount));
            image.values[row.field].nums = {static_cast<double>(lastCount)};
            width = t.base == "count" ? "2 or 6" : "4";
        } else if (!t.count.empty()) {
            const std::uint32_t n = t.count == "count" ? lastCount : static_cast<std::uint32_t>(std::stoul(t.count));
            std::size_t elementWidth = ScalarWidth(t.base, schema);
            if (const Table* element = page.Find(t.base, schema)) {
                for (std::uint32_t k = 0; k < n; ++k) {
                    const Bytes e = Build(page, *element, schema, (seed + 1) * 1000 + static_cast<int>(k) * 100).bytes;
                    image.bytes.insert(image.bytes.end(), e.begin(), e.end());
                    elementWidth = e.size();
                }
            } else {
                Value v;
                for (std::uint32_t k = 0; k < n; ++k) {
                    const Value e = Generate(t.base, seed * 16 + static_cast<int>(k));
                    v.nums.insert(v.nums.end(), e.nums.begin(), e.nums.end());
                }
                const Bytes e = Encode(t.base, v, schema);
                image.bytes.insert(image.bytes.end(), e.begin(), e.end());
                image.values[row.field] = v;
            }
            width = t.count == "count" ? "count " + kTimes + " " + std::to_string(elementWidth)
                                       : std::to_string(n * elementWidth);
        } else {
            Value v = Generate(t.base, seed);
            // A mesh refuses corners outside its vertices, and generated meshes have two.
            if (std::find(table.classes.begin(), table.classes.end(), "TriangleIndex") != table.classes.end())
                v.nums = {static_cast<double>(seed % 2)};
            const Bytes e = Encode(t.base, v, schema);
            image.bytes.insert(image.bytes.end(), e.begin(), e.end());
            image.values[row.field] = v;
            width = t.base == "string" ? "1 + n" : std::to_string(e.size());
        }
        const std::string offset =
            variableSeen ? "+" + std::to_string(start - variableEnd) : std::to_string(start);
        image.layout[static_cast<int>(i)] = Layout{offset, width};
        if (IsVariable(t)) {
            variableSeen = true;
            variableEnd = image.bytes.size();
        }
    }
    return image;
}

// --- the classes: how each is archived, and what a loaded object holds

typedef std::map<std::string, Value> Probe;

void Num(Probe& p, const std::string& field, double value) { p[field].nums = {value}; }
void Text(Probe& p, const std::string& field, const CString& text) { p[field].text = text.GetString(); }
void Pt(Probe& p, const std::string& field, const Point3d& v) { p[field].nums = {v.GetX(), v.GetY(), v.GetZ()}; }
void Pt(Probe& p, const std::string& field, const Point2d& v) { p[field].nums = {v.GetX(), v.GetY()}; }
void Col(Probe& p, const std::string& field, const Color& c)
{
    Num(p, field, Packed(c.GetR(), c.GetG(), c.GetB(), c.GetA()));
}
void Mat(Probe& p, const std::string& field, const double* m, int n) { p[field].nums.assign(m, m + n); }
template <class Array>
void Pts(Probe& p, const std::string& field, const Array& a)
{
    p[field].nums.clear();
    for (int i = 0; i < a.GetSize(); ++i) {
        Probe one;
        Pt(one, field, a[i]);
        p[field].nums.insert(p[field].nums.end(), one[field].nums.begin(), one[field].nums.end());
    }
}
template <class Array>
void Nums(Probe& p, const std::string& field, const Array& a)
{
    p[field].nums.clear();
    for (int i = 0; i < a.GetSize(); ++i)
        p[field].nums.push_back(static_cast<double>(a[i]));
}

// The parts that several classes share.
void Lit(Probe& p, const LitPrimitive& o)
{
    Num(p, "identifier", o.GetID());
    Num(p, "material", o.GetMaterial());
    Num(p, "representation", o.GetRepresentation());
}
void Shape(Probe& p, const UnlitShapePrimitive& o)
{
    Num(p, "identifier", o.GetID());
    Pt(p, "origin", o.GetOrigin());
    Col(p, "foreground colour", o.GetForegroundColor());
    Col(p, "background colour", o.GetBackgroundColor());
    Num(p, "is outlined", o.GetIsOutlined());
    Num(p, "outline width", o.GetOutlineWidth());
    Num(p, "is filled", o.GetIsFilled());
    Num(p, "is stippled", o.GetIsStippled());
    Num(p, "stipple pattern", o.GetStipplePattern());
}
void TextString(Probe& p, const TextStringPrimitive& o)
{
    Shape(p, o);
    Text(p, "text", o.GetTextString());
    Text(p, "font face", o.GetFont().GetFace());
    Num(p, "font size", o.GetFont().GetSize());
    Num(p, "cursor position", o.GetCursorPosition());
    Num(p, "show cursor", o.GetShowCursor());
}
void TextBox(Probe& p, const TextBoxPrimitive& o)
{
    TextString(p, o);
    Num(p, "box width", o.GetBoxWidth());
    Num(p, "show handles", o.GetShowHandles());
}
void Line(Probe& p, const LinePrimitive& o)
{
    Num(p, "identifier", o.GetID());
    Col(p, "colour 1", o.GetColor1());
    Pt(p, "end 1", o.GetEnd1());
    Col(p, "colour 2", o.GetColor2());
    Pt(p, "end 2", o.GetEnd2());
    Num(p, "width", o.GetWidth());
    Num(p, "second identifier", o.GetID2());
}
void UnlitLine(Probe& p, const UnlitLinePrimitive& o)
{
    Num(p, "identifier", o.GetID());
    Pts(p, "points", o.GetPoints());
    Col(p, "colour", o.GetColor());
    Num(p, "width", o.GetWidth());
}
void Rectangle(Probe& p, const RectanglePrimitive& o)
{
    Shape(p, o);
    Pt(p, "size", o.GetSize());
}

struct Form
{
    // Loads a fresh object from the bytes under the schema, reports its
    // fields, and stores it again; returns the bytes left unread.
    std::function<ULONGLONG(const Bytes&, UINT, Probe&, Bytes&)> roundTrip;
};

template <class T, class Serialize, class Report>
Form MakeForm(Serialize serialize, Report report)
{
    return Form{[serialize, report](const Bytes& bytes, UINT schema, Probe& probe, Bytes& stored) {
        T object;
        const ULONGLONG unread = testing_bytes::Load(bytes, schema, [&](CArchive& ar) { serialize(object, ar); });
        report(probe, static_cast<const T&>(object));
        stored = testing_bytes::Store(schema, [&](CArchive& ar) { serialize(object, ar); });
        return unread;
    }};
}

template <class T, class Report>
Form Serialized(Report report)
{
    return MakeForm<T>([](T& o, CArchive& ar) { o.Serialize(ar); }, report);
}

std::map<std::string, Form> Forms()
{
    std::map<std::string, Form> f;
    f["Point3d"] = Serialized<Point3d>([](Probe& p, const Point3d& o) {
        Num(p, "x", o.GetX());
        Num(p, "y", o.GetY());
        Num(p, "z", o.GetZ());
    });
    f["Point2d"] = Serialized<Point2d>([](Probe& p, const Point2d& o) {
        Num(p, "x", o.GetX());
        Num(p, "y", o.GetY());
    });
    f["Point3d::Array"] = Serialized<Point3d::Array>([](Probe& p, const Point3d::Array& o) { Pts(p, "points", o); });
    f["Point2d::Array"] = Serialized<Point2d::Array>([](Probe& p, const Point2d::Array& o) { Pts(p, "points", o); });
    f["IntArray"] = Serialized<IntArray>([](Probe& p, const IntArray& o) { Nums(p, "values", o); });
    f["DoubleArray"] = Serialized<DoubleArray>([](Probe& p, const DoubleArray& o) { Nums(p, "values", o); });
    f["Matrix3x3"] = Serialized<Matrix3x3>(
        [](Probe& p, const Matrix3x3& o) { Mat(p, "elements, row by row", static_cast<const double*>(o), 9); });
    f["Matrix4x4"] = Serialized<Matrix4x4>(
        [](Probe& p, const Matrix4x4& o) { Mat(p, "elements, row by row", static_cast<const double*>(o), 16); });
    f["Color"] = Serialized<Color>([](Probe& p, const Color& o) { Col(p, "colour", o); });
    f["ColorArray"] = Serialized<ColorArray>([](Probe& p, const ColorArray& o) {
        p["colours"].nums.clear();
        for (int i = 0; i < o.GetSize(); ++i)
            p["colours"].nums.push_back(Packed(o[i].GetR(), o[i].GetG(), o[i].GetB(), o[i].GetA()));
        Text(p, "name", o.GetName());
    });
    f["BoolArray"] = Serialized<BoolArray>([](Probe& p, const BoolArray& o) { Nums(p, "values", o); });
    f["Rational"] = MakeForm<Rational>(
        [](Rational& o, CArchive& ar) {
            if (ar.IsStoring())
                ar << o;
            else
                ar >> o;
        },
        [](Probe& p, const Rational& o) {
            Num(p, "numerator", o.GetNumerator());
            Num(p, "denominator", o.GetDenominator());
        });
    f["UniqueString"] = Serialized<UniqueString>([](Probe& p, const UniqueString& o) { Text(p, "text", o.String()); });
    f["Font"] = MakeForm<Font>([](Font& o, CArchive& ar) { o.Serialize(ar); },
                               [](Probe& p, const Font& o) {
                                   Text(p, "face", o.GetFace());
                                   Num(p, "size", o.GetSize());
                               });
    f["GraphicsPrimitive"] = Serialized<GraphicsPrimitive>(
        [](Probe& p, const GraphicsPrimitive& o) { Num(p, "identifier", o.GetID()); });
    f["LitPrimitive"] = Serialized<LitPrimitive>(Lit);
    f["Vertex"] = Serialized<Vertex>([](Probe& p, const Vertex& o) {
        Col(p, "colour", o.GetColor());
        Pt(p, "point", o.GetPoint());
    });
    f["VertexNormal"] = Serialized<VertexNormal>([](Probe& p, const VertexNormal& o) {
        Col(p, "colour", o.GetColor());
        Pt(p, "point", o.GetPoint());
        Pt(p, "normal", o.GetNormal());
    });
    f["TriangleIndex"] = Serialized<TriangleIndex>([](Probe& p, const TriangleIndex& o) {
        for (int i = 0; i < 3; ++i)
            Num(p, "corner " + std::to_string(i + 1), o.GetIndex(i));
    });
    f["SpherePrimitive"] = Serialized<SpherePrimitive>([](Probe& p, const SpherePrimitive& o) {
        Lit(p, o);
        Col(p, "colour", o.GetColor());
        Pt(p, "centre", o.GetCenter());
        Num(p, "radius", o.GetRadius());
    });
    f["EllipsoidPrimitive"] = Serialized<EllipsoidPrimitive>([](Probe& p, const EllipsoidPrimitive& o) {
        Lit(p, o);
        Col(p, "colour", o.GetColor());
        Pt(p, "centre", o.GetCenter());
        Pt(p, "size", o.GetSize());
        Mat(p, "matrix", static_cast<const double*>(o.GetMatrix()), 16);
    });
    f["CylinderPrimitive"] = Serialized<CylinderPrimitive>([](Probe& p, const CylinderPrimitive& o) {
        Lit(p, o);
        Col(p, "colour 1", o.GetColor1());
        Pt(p, "end 1", o.GetEnd1());
        Col(p, "colour 2", o.GetColor2());
        Pt(p, "end 2", o.GetEnd2());
        Num(p, "radius", o.GetRadius());
    });
    f["ConePrimitive"] = Serialized<ConePrimitive>([](Probe& p, const ConePrimitive& o) {
        Lit(p, o);
        Pt(p, "base", o.GetBase());
        Pt(p, "tip", o.GetTip());
        Col(p, "colour", o.GetColor());
        Num(p, "radius", o.GetRadius());
    });
    f["TrianglePrimitive"] = Serialized<TrianglePrimitive>([](Probe& p, const TrianglePrimitive& o) {
        Lit(p, o);
        Col(p, "colour", o.GetColor());
        Pt(p, "corner 1", o.GetEnd1());
        Pt(p, "corner 2", o.GetEnd2());
        Pt(p, "corner 3", o.GetEnd3());
        Pt(p, "normal", o.GetNormal());
    });
    f["TriangleMeshPrimitive"] = Serialized<TriangleMeshPrimitive>([](Probe& p, const TriangleMeshPrimitive& o) {
        Lit(p, o);
        Num(p, "triangle count", o.GetNumTriangles());
        Num(p, "vertex count", o.GetNumVertices());
        Num(p, "two-sided", o.GetTwoSided());
    });
    f["TetrahedronPrimitive"] = Serialized<TetrahedronPrimitive>([](Probe& p, const TetrahedronPrimitive& o) {
        Lit(p, o);
        Col(p, "colour", o.GetColor());
        Point3d v[4];
        o.GetTetrahedronVertices(v[0], v[1], v[2], v[3]);
        for (int i = 0; i < 4; ++i) {
            const std::string n = std::to_string(i + 1);
            Pt(p, "corner " + n, v[i]);
            Pt(p, "centroid of face " + n, o.GetFaceCentroid(i));
            Pt(p, "normal of face " + n, o.GetFaceNormal(i));
        }
    });
    f["LinePrimitive"] = Serialized<LinePrimitive>(Line);
    f["DashedLinePrimitive"] = Serialized<DashedLinePrimitive>([](Probe& p, const DashedLinePrimitive& o) {
        Line(p, o);
        Num(p, "number of dashes", o.GetNumDashes());
        Num(p, "start blank", o.GetStartBlank());
    });
    f["LineArrayPrimitive"] = Serialized<LineArrayPrimitive>([](Probe& p, const LineArrayPrimitive& o) {
        Num(p, "identifier", o.GetID());
        Num(p, "line count", o.GetLineArray().GetSize());
        Num(p, "line width", o.GetLineWidth());
        Num(p, "dashed", o.GetDashed());
        Num(p, "dash pattern", o.GetDashPattern());
    });
    f["UnlitPointPrimitive"] = Serialized<UnlitPointPrimitive>([](Probe& p, const UnlitPointPrimitive& o) {
        Num(p, "identifier", o.GetID());
        Col(p, "colour", o.GetColor());
        Pt(p, "point", o.GetCoord());
    });
    f["DotPrimitive"] = Serialized<DotPrimitive>([](Probe& p, const DotPrimitive& o) {
        Num(p, "identifier", o.GetID());
        Col(p, "colour", o.GetColor());
        Pt(p, "point", o.GetCoord());
        Num(p, "width", o.GetWidth());
    });
    f["ArcPrimitive"] = Serialized<ArcPrimitive>([](Probe& p, const ArcPrimitive& o) {
        Num(p, "identifier", o.GetID());
        Pt(p, "centre", o.GetCenter());
        Pt(p, "normal", o.GetNormal());
        Pt(p, "start", o.GetStart());
        Col(p, "colour", o.GetColor());
        Num(p, "point count", o.GetNumPoints());
        p["points"].nums.clear();
        for (int i = 0; i < o.GetNumPoints(); ++i) {
            const Point3d& q = const_cast<ArcPrimitive&>(o).GetPointAt(i);
            p["points"].nums.insert(p["points"].nums.end(), {q.GetX(), q.GetY(), q.GetZ()});
        }
        Num(p, "angle", o.GetAngle());
        Num(p, "number of segments", o.GetNumSegments());
        Num(p, "width", o.GetWidth());
    });
    f["IconPrimitive"] = Serialized<IconPrimitive>([](Probe& p, const IconPrimitive& o) {
        Num(p, "identifier", o.GetID());
        Col(p, "colour", o.GetColor());
        Pt(p, "position", o.GetCoord());
        Num(p, "icon identifier", o.GetIconID());
        Num(p, "rotation invariant", o.GetRotationInvariant());
        Num(p, "scale invariant", o.GetScaleInvariant());
        Num(p, "use colour", o.GetUseColor());
        Num(p, "icon scale", o.GetIconScale());
    });
    f["Text3DPrimitive"] = Serialized<Text3DPrimitive>([](Probe& p, const Text3DPrimitive& o) {
        Num(p, "identifier", o.GetID());
        Col(p, "colour", o.GetColor());
        Pt(p, "position", o.GetPosition());
        Text(p, "text", o.GetText());
        Text(p, "font face", o.GetFont().GetFace());
        Num(p, "font size", o.GetFont().GetSize());
        Num(p, "z offset", o.GetZOffset());
        Num(p, "is annotation", o.GetIsAnnotation());
    });
    f["UnlitShapePrimitive"] = Serialized<UnlitShapePrimitive>(Shape);
    f["TextStringPrimitive"] = Serialized<TextStringPrimitive>(TextString);
    f["TextBoxPrimitive"] = Serialized<TextBoxPrimitive>(TextBox);
    f["TextCalloutPrimitive"] = Serialized<TextCalloutPrimitive>([](Probe& p, const TextCalloutPrimitive& o) {
        TextBox(p, o);
        Pt(p, "location", o.GetLocation());
        Pt(p, "location 2d", o.GetLocation2d());
    });
    f["RectanglePrimitive"] = Serialized<RectanglePrimitive>(Rectangle);
    f["EllipsePrimitive"] = Serialized<EllipsePrimitive>(Rectangle);
    f["TriangleShapePrimitive"] = Serialized<TriangleShapePrimitive>([](Probe& p, const TriangleShapePrimitive& o) {
        Shape(p, o);
        Pt(p, "point 1", o.GetPoint1());
        Pt(p, "point 2", o.GetPoint2());
        Pt(p, "point 3", o.GetPoint3());
    });
    f["UnlitLinePrimitive"] = Serialized<UnlitLinePrimitive>(UnlitLine);
    f["LineSegmentPrimitive"] = Serialized<LineSegmentPrimitive>(UnlitLine);
    f["PolylinePrimitive"] = Serialized<PolylinePrimitive>(UnlitLine);
    f["UnlitTrianglePrimitive"] = Serialized<UnlitTrianglePrimitive>([](Probe& p, const UnlitTrianglePrimitive& o) {
        Num(p, "identifier", o.GetID());
        Pt(p, "end 1", o.GetEnd1());
        Pt(p, "end 2", o.GetEnd2());
        Pt(p, "end 3", o.GetEnd3());
        Col(p, "colour", o.GetColor());
    });
    f["VolumePrimitive"] = Serialized<VolumePrimitive>([](Probe& p, const VolumePrimitive& o) {
        Num(p, "identifier", o.GetID());
        Num(p, "data min", o.GetDataMin());
        Num(p, "data max", o.GetDataMax());
        Num(p, "display min", o.GetDisplayMin());
        Num(p, "display max", o.GetDisplayMax());
        Num(p, "clip outside range", o.GetClipOutsideRange());
        Num(p, "colour count", o.GetColors().GetSize());
        p["colours"].nums.clear();
        for (int i = 0; i < o.GetColors().GetSize(); ++i) {
            const Color& c = o.GetColors()[i];
            p["colours"].nums.push_back(Packed(c.GetR(), c.GetG(), c.GetB(), c.GetA()));
        }
        Num(p, "transparency", o.GetTransparency());
        Num(p, "transfer function count", o.GetTransferFunction().GetSize());
        Nums(p, "transfer function", o.GetTransferFunction());
    });
    f["LightSource"] = Serialized<LightSource>([](Probe& p, const LightSource& o) {
        Col(p, "colour", o.GetColor());
        Pt(p, "position", o.GetPosition());
        Num(p, "enabled", o.GetEnabled());
    });
    f["GraphicsAttributes"] = Serialized<GraphicsAttributes>([](Probe& p, const GraphicsAttributes& o) {
        Col(p, "background colour", o.GetBkColor());
        Num(p, "view size", o.GetViewSize());
        Num(p, "quality", o.GetQuality());
        Num(p, "projection", o.GetProjection());
        Num(p, "fog", o.GetFog());
        Num(p, "stereo", o.GetStereo());
        Num(p, "stereo angle", o.GetStereoAngle());
        Num(p, "perspective angle", o.GetPerspectiveAngle());
        Num(p, "line width", o.GetLineWidth());
        Num(p, "font scale", o.GetFontScale());
        Num(p, "fast render", o.GetFastRender());
        Num(p, "stereo separation factor", o.GetStereoSeparationFactor());
        Num(p, "stereo skew factor", o.GetStereoSkewFactor());
        Mat(p, "matrix", static_cast<const double*>(o.GetMatrix()), 16);
        Num(p, "z far adjustment", o.GetZFarAdj());
        Num(p, "z near adjustment", o.GetZNearAdj());
    });
    return f;
}

std::string Hex(const Bytes& b)
{
    std::string s;
    char buffer[4];
    for (BYTE x : b) {
        std::snprintf(buffer, sizeof buffer, "%02X ", x);
        s += buffer;
    }
    return s;
}

std::string SchemaName(UINT schema)
{
    return schema == kUnset ? "unset" : std::to_string(schema);
}

class ArchiveFormatPageTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { page = new Page(ReadPage()); }
    static void TearDownTestSuite()
    {
        delete page;
        page = nullptr;
    }
    static Page* page;
};

Page* ArchiveFormatPageTest::page = nullptr;

// The examples of the count and string encodings, written (where the
// library writes them) and read back.
TEST_F(ArchiveFormatPageTest, EncodingExamplesMatchTheArchive)
{
    ASSERT_GE(page->examples.size(), 8u);
    for (const std::vector<std::string>& row : page->examples) {
        ASSERT_EQ(row.size(), 3u);
        SCOPED_TRACE(row[0] + " " + row[1]);
        // Bytes: hex pairs, optionally followed by ", then N bytes" of text.
        std::vector<std::string> parts = Split(row[2], ",");
        Bytes expected;
        std::istringstream hex(parts[0]);
        for (std::string pair; hex >> pair;)
            expected.push_back(static_cast<BYTE>(std::stoul(pair, nullptr, 16)));
        std::string value;
        if (row[1].front() == '"') {
            value = row[1].substr(1, row[1].size() - 2);
        } else if (row[1].find(kTimes) != std::string::npos) {
            const std::vector<std::string> repeat = Split(row[1], kTimes);
            value.assign(std::stoul(repeat[0]), repeat[1][1]);
            ASSERT_EQ(parts.size(), 2u);
            EXPECT_EQ(parts[1], "then " + repeat[0] + " bytes");
            expected.insert(expected.end(), value.begin(), value.end());
        }
        if (row[0] == "count") {
            const DWORD n = static_cast<DWORD>(std::stoul(row[1]));
            EXPECT_EQ(testing_bytes::Store(kUnset, [&](CArchive& ar) { ar.WriteCount(n); }), expected);
            DWORD read = 0;
            EXPECT_EQ(testing_bytes::Load(expected, kUnset, [&](CArchive& ar) { read = ar.ReadCount(); }), 0u);
            EXPECT_EQ(read, n);
        } else {
            ASSERT_TRUE(row[0] == "string" || row[0] == "wide string");
            if (row[0] == "string") {
                EXPECT_EQ(testing_bytes::Store(kUnset, [&](CArchive& ar) { ar << CString(value.c_str()); }),
                          expected);
            }
            CString read;
            EXPECT_EQ(testing_bytes::Load(expected, kUnset, [&](CArchive& ar) { ar >> read; }), 0u);
            EXPECT_EQ(std::string(read.GetString(), static_cast<std::size_t>(read.GetLength())), value);
        }
    }
}

// Every class with an archive form has a table, and every table is a class.
TEST_F(ArchiveFormatPageTest, EveryArchiveFormHasATable)
{
    const std::map<std::string, Form> forms = Forms();
    for (const auto& form : forms)
        EXPECT_TRUE(page->HasClass(form.first)) << form.first << " has no table";
    for (const Table& table : page->tables)
        for (const std::string& name : table.classes)
            EXPECT_EQ(forms.count(name), 1u) << "page line " << table.line << ": no archive form " << name;
    EXPECT_GE(page->tables.size(), 40u);
}

// The bytes each table describes load into the class field by field, leave
// nothing unread and are stored again unchanged; the printed offsets and
// widths are those of the bytes.
TEST_F(ArchiveFormatPageTest, TablesMatchTheBytes)
{
    const std::map<std::string, Form> forms = Forms();
    for (const Table& table : page->tables) {
        UINT reference = kUnset;
        for (UINT schema : kSchemas)
            if (schema != kUnset && Page::Applies(table.schemas, schema))
                reference = schema;
        for (const std::string& name : table.classes) {
            const auto form = forms.find(name);
            if (form == forms.end())
                continue;
            for (UINT schema : kSchemas) {
                if (!Page::Applies(table.schemas, schema))
                    continue;
                SCOPED_TRACE("page line " + std::to_string(table.line) + ": " + name + " at schema " +
                             SchemaName(schema));
                const Image image = Build(*page, table, schema, 0);
                Probe probe;
                Bytes stored;
                ULONGLONG unread = 0;
                try {
                    unread = form->second.roundTrip(image.bytes, schema, probe, stored);
                } catch (const CArchiveException& e) {
                    ADD_FAILURE() << "loading the table's " << image.bytes.size() << " bytes failed: " << e.what();
                    continue;
                }
                EXPECT_EQ(unread, 0u) << "bytes the class did not read";
                EXPECT_EQ(Hex(stored), Hex(image.bytes)) << "stored again";
                for (std::size_t i = 0; i < table.rows.size(); ++i) {
                    const Row& row = table.rows[i];
                    const auto reported = probe.find(row.field);
                    if (!image.layout.count(static_cast<int>(i)) || reported == probe.end() ||
                        !image.values.count(row.field))
                        continue;
                    const std::string base = ParseType(row.type).base;
                    EXPECT_EQ(Hex(Encode(base, reported->second, schema)),
                              Hex(Encode(base, image.values.at(row.field), schema)))
                        << "page line " << row.line << ": the field " << row.field;
                }
                for (const auto& reported : probe) {
                    bool named = false;
                    for (const Row& row : table.rows)
                        named = named || row.field == reported.first;
                    EXPECT_TRUE(named) << "the table has no field " << reported.first;
                }
                if (schema != reference)
                    continue;
                bool fixed = true;
                std::size_t sum = 0;
                for (std::size_t i = 0; i < table.rows.size(); ++i) {
                    const Row& row = table.rows[i];
                    const auto layout = image.layout.find(static_cast<int>(i));
                    if (layout == image.layout.end()) {
                        EXPECT_EQ(row.offset, "\xE2\x80\x94") << "page line " << row.line << ": absent field";
                        continue;
                    }
                    EXPECT_EQ(row.offset, layout->second.offset) << "page line " << row.line << ": offset";
                    EXPECT_EQ(row.width, layout->second.width) << "page line " << row.line << ": width";
                    fixed = fixed && !IsVariable(ParseType(row.type));
                    if (fixed)
                        sum += std::stoul(row.width);
                }
                if (fixed) {
                    EXPECT_EQ(stored.size(), sum) << "a fixed layout is as long as its widths";
                }
            }
        }
    }
}

} // namespace
