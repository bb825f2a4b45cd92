#include "HtmlPage.h"

#include "Elements.h"
#include "Jobs.h"
#include "Json.h"
#include "SceneWalk.h"
#include "WebAssets.h"

#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"

#if ORVSCENE_HAVE_ZLIB
#include <zlib.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <ostream>
#include <unordered_set>
#include <sstream>
#include <stdexcept>
#include <tuple>
#include <functional>
#include <vector>

using namespace Orvane;

namespace orvscene {

namespace {

std::string Number(double v)
{
    return JsonNumber(v, 6);
}

// Indices of distinct values in first-seen order.
template <class Key>
class Palette
{
public:
    std::uint32_t operator()(const Key& key)
    {
        auto hit = m_index.emplace(key, static_cast<std::uint32_t>(m_values.size()));
        if (hit.second)
            m_values.push_back(key);
        return hit.first->second;
    }
    const std::vector<Key>& Values() const { return m_values; }

private:
    std::map<Key, std::uint32_t> m_index;
    std::vector<Key> m_values;
};

std::uint32_t Packed(const Color& c)
{
    return static_cast<std::uint32_t>(c.GetR()) << 16 | static_cast<std::uint32_t>(c.GetG()) << 8 | c.GetB();
}

// A typed array of the payload: name, element type and elements.
struct Section {
    std::string name;
    bool wide; // 32-bit elements, else 16-bit
    std::vector<std::uint32_t> values;
    bool real = false; // 32-bit elements that hold the bits of floats
};

// Floats as a section's 32-bit elements.
Section FloatSection(const std::string& name, const std::vector<float>& values)
{
    Section s{name, true, std::vector<std::uint32_t>(values.size()), true};
    if (!values.empty())
        std::memcpy(s.values.data(), values.data(), values.size() * sizeof(float));
    return s;
}

// Gathers what the page draws, in the root's frame: the walk hands each
// primitive with its list's aggregate transformation.
class PageScene : public SceneVisitor
{
public:
    // Identifiers 1 .. atomIds name atoms that the page draws from its own
    // atom table: what depicts only them is left out.
    explicit PageScene(unsigned atomIds = 0) : m_atomIds(atomIds) {}
    bool Atom(unsigned id) const { return id != 0 && id <= m_atomIds; }

    using SceneVisitor::Primitive;
    void Primitive(const SpherePrimitive& s, const char*, const SceneListVisit& at)
    {
        if (Atom(s.GetID()))
            return;
        sphereCentres.push_back(at.aggregate.Transform(s.GetCenter()));
        sphereColours.push_back(colours(Packed(s.GetColor())));
        sphereRadii.push_back(radii(static_cast<float>(s.GetRadius())));
        sphereIds.push_back(s.GetID());
    }
    void Primitive(const CylinderPrimitive& c, const char*, const SceneListVisit& at)
    {
        if (Atom(c.GetID()) && Atom(c.GetEnd1ID()) && Atom(c.GetEnd2ID()))
            return;
        AddSegment(cylinders, at, c.GetEnd1(), c.GetEnd2(), c.GetColor1(), c.GetColor2());
        cylinderRadii.push_back(radii(static_cast<float>(c.GetRadius())));
        // The atoms of the halves, as the pick targets name them.
        const unsigned id = c.GetID();
        cylinders.ids1.push_back(id ? (c.GetEnd1ID() ? c.GetEnd1ID() : id) : 0);
        cylinders.ids2.push_back(id ? (c.GetEnd2ID() ? c.GetEnd2ID() : id) : 0);
    }
    void Primitive(const LinePrimitive& l, const char*, const SceneListVisit& at)
    {
        if (Atom(l.GetID1()) && Atom(l.GetID2()))
            return;
        AddSegment(lines, at, l.GetEnd1(), l.GetEnd2(), l.GetColor1(), l.GetColor2());
        lines.ids1.push_back(l.GetID1());
        lines.ids2.push_back(l.GetID2());
    }
    void Primitive(const DotPrimitive& d, const char*, const SceneListVisit& at)
    {
        if (Atom(d.GetID()))
            return;
        dotPositions.push_back(at.aggregate.Transform(d.GetCoord()));
        dotColours.push_back(colours(Packed(d.GetColor())));
        dotIds.push_back(d.GetID());
    }
    void Primitive(const Text3DPrimitive& t, const char*, const SceneListVisit& at)
    {
        Point3d p = at.aggregate.Transform(t.GetPosition());
        labels += std::string(labels.empty() ? "" : ",") + "[" + JsonString(t.GetText()) + "," + Number(p.GetX()) +
                  "," + Number(p.GetY()) + "," + Number(p.GetZ()) + "," + std::to_string(t.GetID()) + "]";
    }
    void Primitive(const IconPrimitive& icon, const char*, const SceneListVisit& at)
    {
        Point3d p = at.aggregate.Transform(icon.GetCoord());
        icons += std::string(icons.empty() ? "" : ",") + "[" + Number(p.GetX()) + "," + Number(p.GetY()) + "," +
                 Number(p.GetZ()) + "," + std::to_string(colours(Packed(icon.GetColor()))) + "]";
    }

    struct Segments {
        std::vector<Point3d> ends1, ends2;
        std::vector<std::uint32_t> colours1, colours2, ids1, ids2;
    };
    Palette<std::uint32_t> colours;
    Palette<float> radii;
    std::vector<Point3d> sphereCentres;
    std::vector<std::uint32_t> sphereColours, sphereRadii, sphereIds;
    Segments cylinders;
    std::vector<std::uint32_t> cylinderRadii;
    Segments lines;
    std::vector<Point3d> dotPositions;
    std::vector<std::uint32_t> dotColours, dotIds;
    std::string labels, icons; // JSON array elements

private:
    unsigned m_atomIds;
    void AddSegment(Segments& s, const SceneListVisit& at, const Point3d& a, const Point3d& b, const Color& ca,
                    const Color& cb)
    {
        s.ends1.push_back(at.aggregate.Transform(a));
        s.ends2.push_back(at.aggregate.Transform(b));
        s.colours1.push_back(colours(Packed(ca)));
        s.colours2.push_back(colours(Packed(cb)));
    }
};

// Positions as 16-bit steps over the box of every finite point given.
class Quantiser
{
public:
    void Include(const Point3d& p)
    {
        const double v[3] = {p.GetX(), p.GetY(), p.GetZ()};
        if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2]))
            return;
        for (int k = 0; k < 3; ++k) {
            m_lo[k] = std::min(m_lo[k], v[k]);
            m_hi[k] = std::max(m_hi[k], v[k]);
        }
    }
    // Every point the other took in.
    void Include(const Quantiser& other)
    {
        for (int k = 0; k < 3; ++k) {
            m_lo[k] = std::min(m_lo[k], other.m_lo[k]);
            m_hi[k] = std::max(m_hi[k], other.m_hi[k]);
        }
    }
    void Include(const std::vector<Point3d>& points)
    {
        for (const Point3d& p : points)
            Include(p);
    }
    void Finish()
    {
        double extent = 0;
        for (int k = 0; k < 3; ++k) {
            if (m_lo[k] > m_hi[k])
                m_lo[k] = m_hi[k] = 0;
            extent = std::max(extent, m_hi[k] - m_lo[k]);
        }
        m_step = std::max(extent / 65535.0, 1e-6);
    }
    // Non-finite coordinates fall to the box's corner.
    void Add(const Point3d& p, std::vector<std::uint32_t>& out) const
    {
        const double v[3] = {p.GetX(), p.GetY(), p.GetZ()};
        for (int k = 0; k < 3; ++k) {
            double q = std::isfinite(v[k]) ? std::round((v[k] - m_lo[k]) / m_step) : 0.0;
            out.push_back(static_cast<std::uint32_t>(std::min(65535.0, std::max(0.0, q))));
        }
    }
    std::vector<std::uint32_t> All(const std::vector<Point3d>& points) const
    {
        std::vector<std::uint32_t> out;
        out.reserve(points.size() * 3);
        for (const Point3d& p : points)
            Add(p, out);
        return out;
    }
    double Origin(int k) const { return m_lo[k]; }
    std::string Json() const
    {
        return "\"origin\":[" + Number(m_lo[0]) + "," + Number(m_lo[1]) + "," + Number(m_lo[2]) +
               "],\"step\":" + Number(m_step);
    }

private:
    double m_lo[3] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                      std::numeric_limits<double>::max()};
    double m_hi[3] = {-std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                      -std::numeric_limits<double>::max()};
    double m_step = 1;
};

// The pick dots (those that depict no atom the page draws itself), one per
// distinct position step and identifier, in the scene's order; returns their
// number.
int AddPickDots(const std::vector<std::pair<Point3d, unsigned>>& dots, const Quantiser& q, std::vector<Section>& sections)
{
    struct Key {
        std::uint64_t steps; // three 16-bit steps
        unsigned id;
        bool operator==(const Key& o) const { return steps == o.steps && id == o.id; }
    };
    struct Hash {
        std::size_t operator()(const Key& k) const
        {
            return std::hash<std::uint64_t>()(k.steps * 0x9E3779B97F4A7C15ull ^ k.id);
        }
    };
    std::vector<std::uint32_t> positions, ids;
    std::unordered_set<Key, Hash> seen;
    seen.reserve(dots.size());
    for (const auto& dot : dots) {
        const std::size_t at = positions.size();
        q.Add(dot.first, positions);
        const Key key{positions[at] | std::uint64_t(positions[at + 1]) << 16 | std::uint64_t(positions[at + 2]) << 32,
                      dot.second};
        if (!seen.insert(key).second) {
            positions.resize(at);
            continue;
        }
        ids.push_back(dot.second);
    }
    const int count = static_cast<int>(ids.size());
    sections.push_back({"pick.pos", false, std::move(positions)});
    sections.push_back({"pick.id", true, std::move(ids)});
    return count;
}

// An atom as the info box shows it, from the tool's atom label
// "serial name residue chain+number" (the chain letter only when there is one).
struct AtomFields {
    std::string name, residue, chain, number;
};

AtomFields SplitAtomLabel(const std::string& label)
{
    std::vector<std::string> parts;
    std::istringstream in(label);
    for (std::string part; std::getline(in, part, ' ');)
        parts.push_back(part);
    AtomFields f;
    if (parts.size() >= 2)
        f.name = parts[1];
    if (parts.size() >= 3)
        f.residue = parts[2];
    if (parts.size() >= 4) {
        const std::string& last = parts.back();
        std::size_t digits = last.find_first_of("-0123456789");
        f.chain = last.substr(0, std::min(digits, last.size()));
        f.number = digits == std::string::npos ? "" : last.substr(digits);
    }
    return f;
}

void AddAtoms(const SceneDocument& doc, const SceneAtoms* atoms, std::vector<Section>& sections,
              std::string& names, std::string& residues, std::string& fields)
{
    Palette<std::string> nameIndex, elementIndex, altIndex;
    Palette<std::tuple<std::string, std::string, std::string, std::string>> residueIndex;
    std::vector<std::uint32_t> serials, nameOf, residueOf, elementOf, altOf, occupancy, bFactor;
    const bool structured = atoms && atoms->atoms.size() == static_cast<std::size_t>(doc.serials.GetSize());
    for (int i = 0; i < doc.serials.GetSize(); ++i) {
        serials.push_back(static_cast<std::uint32_t>(doc.serials[i]));
        if (structured) {
            const Atom& a = *atoms->atoms[static_cast<std::size_t>(i)];
            std::string number = std::to_string(a.residueNumber);
            if (a.insertion != ' ')
                number += a.insertion;
            nameOf.push_back(nameIndex(a.name));
            residueOf.push_back(residueIndex(std::make_tuple(a.chain, a.residue, number, a.segment)));
            elementOf.push_back(elementIndex(a.element));
            altOf.push_back(altIndex(a.altLocation == ' ' ? std::string() : std::string(1, a.altLocation)));
            occupancy.push_back(static_cast<std::uint32_t>(std::lround(std::min(std::max(a.occupancy, 0.0), 600.0) * 100)));
            bFactor.push_back(static_cast<std::uint32_t>(std::lround(std::min(std::max(a.bFactor, 0.0), 1e6) * 100)));
        } else {
            // A loaded document holds each atom's label only.
            AtomFields f = SplitAtomLabel(doc.labels[i].GetString());
            nameOf.push_back(nameIndex(f.name));
            residueOf.push_back(residueIndex(std::make_tuple(f.chain, f.residue, f.number, std::string())));
        }
    }
    for (const std::string& n : nameIndex.Values())
        names += (names.empty() ? "" : ",") + JsonString(n);
    for (const auto& r : residueIndex.Values())
        residues += std::string(residues.empty() ? "" : ",") + "[" + JsonString(std::get<0>(r)) + "," +
                    JsonString(std::get<1>(r)) + "," + JsonString(std::get<2>(r)) + "," + JsonString(std::get<3>(r)) +
                    "]";
    bool wideNames = nameIndex.Values().size() > 65535;
    sections.push_back({"atom.serial", true, std::move(serials)});
    sections.push_back({"atom.residue", true, std::move(residueOf)});
    sections.push_back({"atom.name", wideNames, std::move(nameOf)});
    if (structured) {
        auto list = [](const std::vector<std::string>& values) {
            std::string out;
            for (const std::string& v : values)
                out += (out.empty() ? "" : ",") + JsonString(v);
            return out;
        };
        fields = ",\"elements\":[" + list(elementIndex.Values()) + "],\"altlocs\":[" + list(altIndex.Values()) + "]";
        sections.push_back({"atom.element", false, std::move(elementOf)});
        sections.push_back({"atom.altloc", false, std::move(altOf)});
        sections.push_back({"atom.occupancy", true, std::move(occupancy)}); // hundredths
        sections.push_back({"atom.bfactor", true, std::move(bFactor)});     // hundredths
    }
}

// Every atom of the structure with its fields, and the bonds between all of
// them (hydrogens' too, found by the scene's own bond rule), so that the page
// can draw the molecule in any style, colouring and selection of atoms.
// Atoms keep the scene's object identifiers; atoms the scene leaves out get
// identifiers after all of the scene's (`sceneIds` of them).
// Flags: 1 water, 2 hydrogen, 4 HETATM, 8 shown in the scene as built.
// The atoms' positions, exact enough to measure: offsets from the box's corner.
Section AtomPositions(const Molecule& m, const Quantiser& q)
{
    std::vector<float> positions;
    positions.reserve(3 * m.atoms.size());
    for (const Atom& atom : m.atoms)
        for (int k = 0; k < 3; ++k) {
            const double v = (k == 0 ? atom.x : k == 1 ? atom.y : atom.z) - q.Origin(k);
            positions.push_back(std::isfinite(v) ? static_cast<float>(v) : 0.0f);
        }
    return FloatSection("atom.pos", positions);
}

// The sections after the atoms' positions (see AtomPositions).
void AddMolecule(const Molecule& m, const SceneOptions& options, const StructureFacts& shown, unsigned sceneIds,
                 std::vector<Section>& sections, std::string& json)
{
    const bool hidden = shown.shown.size() < m.atoms.size();
    SceneOptions all = options;
    all.hydrogens = true;
    const StructureFacts facts = hidden ? AnalyseStructure(m, all) : shown;
    Palette<std::string> nameIndex, elementIndex;
    Palette<std::tuple<std::string, std::string, std::string>> residueIndex;
    std::vector<float> occupancies, bFactors;
    std::vector<std::uint32_t> ids, serials, names, residues, elements, altlocs, flags, bondA, bondB;
    unsigned next = sceneIds;
    ids.reserve(m.atoms.size());
    serials.reserve(m.atoms.size());
    names.reserve(m.atoms.size());
    residues.reserve(m.atoms.size());
    elements.reserve(m.atoms.size());
    altlocs.reserve(m.atoms.size());
    occupancies.reserve(m.atoms.size());
    bFactors.reserve(m.atoms.size());
    flags.reserve(m.atoms.size());
    const Atom* before = nullptr; // the atoms of a residue follow each other: its entry is looked up once
    for (std::size_t i = 0; i < m.atoms.size(); ++i) {
        const Atom& atom = m.atoms[i];
        const unsigned id = shown.ids[i];
        ids.push_back(id != 0 ? id : ++next);
        serials.push_back(static_cast<std::uint32_t>(atom.serial));
        names.push_back(nameIndex(atom.name));
        if (before && atom.residueNumber == before->residueNumber && atom.insertion == before->insertion &&
            atom.chain == before->chain && atom.residue == before->residue) {
            residues.push_back(residues.back());
        } else {
            std::string number = std::to_string(atom.residueNumber);
            if (atom.insertion != ' ')
                number += atom.insertion;
            residues.push_back(residueIndex(std::make_tuple(atom.chain, atom.residue, number)));
        }
        before = &atom;
        elements.push_back(elementIndex(LookupElement(atom.element).symbol));
        altlocs.push_back(static_cast<unsigned char>(atom.altLocation == ' ' ? 0 : atom.altLocation));
        occupancies.push_back(static_cast<float>(atom.occupancy));
        bFactors.push_back(static_cast<float>(atom.bFactor));
        flags.push_back((IsWater(atom.residue) ? 1u : 0u) | (atom.element == "H" ? 2u : 0u) | (atom.hetero ? 4u : 0u) |
                        (id != 0 ? 8u : 0u));
    }
    for (const Bond& b : facts.bonds) {
        bondA.push_back(static_cast<std::uint32_t>(b.a));
        bondB.push_back(static_cast<std::uint32_t>(b.b));
    }
    const bool wideNames = nameIndex.Values().size() > 65535;
    sections.push_back({"atom.id", true, std::move(ids)});
    sections.push_back({"atom.serial", true, std::move(serials)});
    sections.push_back({"atom.residue", true, std::move(residues)});
    sections.push_back({"atom.name", wideNames, std::move(names)});
    sections.push_back({"atom.element", false, std::move(elements)});
    sections.push_back({"atom.altloc", false, std::move(altlocs)});
    sections.push_back(FloatSection("atom.occupancy", occupancies));
    sections.push_back(FloatSection("atom.bfactor", bFactors));
    sections.push_back({"atom.flags", false, std::move(flags)});
    sections.push_back({"bond.a", true, std::move(bondA)});
    sections.push_back({"bond.b", true, std::move(bondB)});

    std::string list;
    for (const std::string& n : nameIndex.Values())
        list += (list.empty() ? "" : ",") + JsonString(n);
    json += ",\"names\":[" + list + "]";
    list.clear();
    for (const auto& r : residueIndex.Values())
        list += std::string(list.empty() ? "" : ",") + "[" + JsonString(std::get<0>(r)) + "," +
                JsonString(std::get<1>(r)) + "," + JsonString(std::get<2>(r)) + "]";
    json += ",\"residues\":[" + list + "]";
    // Per element: symbol, colour, van der Waals radius.
    list.clear();
    for (const std::string& symbol : elementIndex.Values()) {
        const ElementInfo& e = LookupElement(symbol);
        char colour[16];
        std::snprintf(colour, sizeof colour, "#%02x%02x%02x", e.r, e.g, e.b);
        list += std::string(list.empty() ? "" : ",") + "[" + JsonString(symbol) + ",\"" + colour + "\"," +
                Number(e.vdwRadius) + "]";
    }
    json += ",\"elements\":[" + list + "],\"style\":" + JsonString(StyleName(options.style)) +
            ",\"ballScale\":" + Number(kBallScale) + ",\"stickRadius\":" + Number(kStickRadius);
}

// Palette indices are 16-bit unless a palette outgrows that.
Section IndexSection(const std::string& name, std::vector<std::uint32_t> values, std::size_t paletteSize)
{
    return {name, paletteSize > 65535, std::move(values)};
}

void AddSegments(const std::string& kind, const PageScene::Segments& s, const Quantiser& q, std::size_t palette,
                 std::vector<Section>& sections)
{
    sections.push_back({kind + ".end1", false, q.All(s.ends1)});
    sections.push_back({kind + ".end2", false, q.All(s.ends2)});
    sections.push_back(IndexSection(kind + ".colour1", s.colours1, palette));
    sections.push_back(IndexSection(kind + ".colour2", s.colours2, palette));
    sections.push_back({kind + ".id1", true, s.ids1});
    sections.push_back({kind + ".id2", true, s.ids2});
}

// Little-endian bytes of every section, each padded to 4 bytes, and the
// JSON list that tells the page how to cut them.
void Serialise(const std::vector<Section>& sections, std::string& bytes, std::string& json)
{
    std::size_t size = bytes.size();
    for (const Section& s : sections)
        size += (s.values.size() * (s.wide ? 4 : 2) + 3) / 4 * 4;
    std::size_t at = bytes.size();
    bytes.resize(size, '\0');
    for (const Section& s : sections) {
        json += std::string(json.empty() ? "" : ",") + "[" + JsonString(s.name) + ",\"" + (s.real ? "f32" : s.wide ? "u32" : "u16") +
                "\"," + std::to_string(s.values.size()) + "]";
        const std::size_t width = s.wide ? 4 : 2;
        char* out = &bytes[0] + at;
        for (std::uint32_t v : s.values) {
            for (std::size_t k = 0; k < width; ++k)
                out[k] = static_cast<char>(v >> (8 * k) & 0xff);
            out += width;
        }
        at += (s.values.size() * width + 3) / 4 * 4;
    }
}

std::string ColoursJson(const std::vector<std::uint32_t>& colours)
{
    std::string out;
    for (std::uint32_t c : colours) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%s\"#%06x\"", out.empty() ? "" : ",", c);
        out += buffer;
    }
    return out;
}

std::string RadiiJson(const std::vector<float>& radii)
{
    std::string out;
    for (float r : radii)
        out += (out.empty() ? "" : ",") + Number(r);
    return out;
}

// `<` escaped, so that no text of the JSON can close the script element.
std::string ScriptSafe(const std::string& json)
{
    std::string out;
    out.reserve(json.size());
    for (char c : json)
        if (c == '<')
            out += "\\u003c";
        else
            out += c;
    return out;
}

std::string DataUrl(const std::string& script)
{
    return "data:text/javascript;base64," + Base64(script);
}

// Writes the template with each {{MARKER}} replaced by its value, markers
// taken in the template's order (values are never searched).
void Fill(std::ostream& out, const std::string& page, const std::map<std::string, std::string>& values)
{
    std::size_t done = 0;
    for (std::size_t at = page.find("{{"); at != std::string::npos; at = page.find("{{", done)) {
        std::size_t end = page.find("}}", at);
        auto value = end == std::string::npos ? values.end() : values.find(page.substr(at + 2, end - at - 2));
        if (value == values.end())
            throw std::logic_error("page template: unknown marker at " + std::to_string(at));
        out.write(page.data() + done, static_cast<std::streamsize>(at - done));
        out << value->second;
        done = end + 2;
    }
    out.write(page.data() + done, static_cast<std::streamsize>(page.size() - done));
}

} // namespace

#if ORVSCENE_HAVE_ZLIB
bool Deflate(const std::string& bytes, std::string& out)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    // Room for the worst case, left as it comes: only what is written is touched.
    std::unique_ptr<Bytef[]> room(new Bytef[size]);
    if (compress2(room.get(), &size, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                  Z_BEST_SPEED) != Z_OK)
        throw std::bad_alloc();
    out.assign(reinterpret_cast<const char*>(room.get()), size);
    return true;
}
#else
bool Deflate(const std::string&, std::string&)
{
    return false;
}
#endif

std::string Base64(const std::string& bytes)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out((bytes.size() + 2) / 3 * 4, '=');
    char* to = &out[0];
    for (std::size_t i = 0; i < bytes.size(); i += 3, to += 4) {
        std::uint32_t v = std::uint32_t{static_cast<unsigned char>(bytes[i])} << 16;
        if (i + 1 < bytes.size())
            v |= std::uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8;
        if (i + 2 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 2]);
        to[0] = digits[v >> 18 & 63];
        to[1] = digits[v >> 12 & 63];
        if (i + 1 < bytes.size())
            to[2] = digits[v >> 6 & 63];
        if (i + 2 < bytes.size())
            to[3] = digits[v & 63];
    }
    return out;
}

std::string SceneTitle(const SceneDocument& doc, const Molecule* molecule)
{
    if (molecule && (!molecule->entryId.empty() || !molecule->title.empty())) {
        const std::string& id = molecule->entryId;
        return ToUtf8(id.empty() ? molecule->title : molecule->title.empty() ? id : id + " · " + molecule->title);
    }
    const std::size_t slash = doc.source.find_last_of('/');
    std::string base = slash == std::string::npos ? doc.source : doc.source.substr(slash + 1);
    return ToUtf8(base.empty() ? doc.source : base);
}

bool HtmlPage::Available()
{
    return WebAssets::HaveThree();
}

// What the page's steps share.
struct HtmlPage::Parts {
    StructureFacts analysed; // the structure's facts when not given
    const StructureFacts* shown = nullptr;
    std::unique_ptr<PageScene> scene;
    Quantiser pickBox;                                // every pick dot
    std::vector<std::pair<Point3d, unsigned>> pickDots; // those the page keeps
    std::vector<Section> atomSections; // after the atoms' positions, when the page has the structure
    std::string atomJson;
};

HtmlPage::HtmlPage(const SceneDocument& doc, const View& view, const SceneAtoms* atoms, const Molecule* molecule,
                   const SceneOptions* options, const StructureFacts* facts)
{
    RunInTurn([&]() { return Make(doc, view, atoms, molecule, options, facts); });
}

HtmlPage::HtmlPage() = default;
HtmlPage::~HtmlPage() = default;

Work HtmlPage::Make(const SceneDocument& doc, const View& view, const SceneAtoms* atoms, const Molecule* molecule,
                    const SceneOptions* options, const StructureFacts* facts)
{
    // With the structure, the page draws its atoms itself (in whatever style
    // is asked), so the scene's primitives of those atoms stay out.
    const SceneOptions sceneOptions = options ? *options : SceneOptions();
    m_parts.reset(new Parts);
    Parts& parts = *m_parts;
    if (molecule && !facts)
        parts.analysed = AnalyseStructure(*molecule, sceneOptions);
    parts.shown = facts ? facts : &parts.analysed;
    parts.scene.reset(new PageScene(molecule ? static_cast<unsigned>(parts.shown->shown.size()) : 0));

    // The scene's primitives and pick targets, and the atoms' fields, side by side.
    Work work;
    work.pieces.push_back([&doc, &parts]() { WalkScene(doc.scene, *parts.scene); });
    work.pieces.push_back([this, &doc, &parts]() {
        const PageScene& scene = *parts.scene; // only its atoms' identifiers, which the walk leaves alone
        VisitPickDots(
            doc.scene,
            [&parts, &scene](const Point3d& at, unsigned id) {
                parts.pickBox.Include(at);
                if (!scene.Atom(id))
                    parts.pickDots.emplace_back(at, id);
            },
            &m_libraryPickDots);
    });
    work.pieces.push_back([&doc, atoms, molecule, sceneOptions, &parts]() {
        if (molecule) {
            AddMolecule(*molecule, sceneOptions, *parts.shown, static_cast<unsigned>(doc.serials.GetSize()),
                        parts.atomSections, parts.atomJson);
        } else {
            std::string names, residues, fields;
            AddAtoms(doc, atoms, parts.atomSections, names, residues, fields);
            parts.atomJson = ",\"names\":[" + names + "],\"residues\":[" + residues + "]" + fields;
        }
    });
    work.next = [this, &doc, &view, atoms, molecule]() {
        Finish(doc, view, atoms, molecule);
        return Done();
    };
    return work;
}

void HtmlPage::Finish(const SceneDocument& doc, const View& view, const SceneAtoms* atoms, const Molecule* molecule)
{
    Parts& parts = *m_parts;
    const PageScene& scene = *parts.scene;
    Quantiser q;
    q.Include(scene.sphereCentres);
    q.Include(scene.cylinders.ends1);
    q.Include(scene.cylinders.ends2);
    q.Include(scene.lines.ends1);
    q.Include(scene.lines.ends2);
    q.Include(scene.dotPositions);
    q.Include(parts.pickBox);
    if (molecule)
        for (const Atom& atom : molecule->atoms)
            q.Include(Point3d(atom.x, atom.y, atom.z));
    q.Finish();

    const std::size_t palette = scene.colours.Values().size(), radii = scene.radii.Values().size();
    std::vector<Section> sections;
    sections.push_back({"sphere.pos", false, q.All(scene.sphereCentres)});
    sections.push_back(IndexSection("sphere.colour", scene.sphereColours, palette));
    sections.push_back(IndexSection("sphere.radius", scene.sphereRadii, radii));
    sections.push_back({"sphere.id", true, scene.sphereIds});
    AddSegments("cylinder", scene.cylinders, q, palette, sections);
    sections.push_back(IndexSection("cylinder.radius", scene.cylinderRadii, radii));
    AddSegments("line", scene.lines, q, palette, sections);
    sections.push_back({"dot.pos", false, q.All(scene.dotPositions)});
    sections.push_back(IndexSection("dot.colour", scene.dotColours, palette));
    sections.push_back({"dot.id", true, scene.dotIds});
    m_pickDots = AddPickDots(parts.pickDots, q, sections);
    if (molecule)
        sections.push_back(AtomPositions(*molecule, q));
    for (Section& section : parts.atomSections)
        sections.push_back(std::move(section));
    m_atoms = doc.serials.GetSize();

    std::string bytes, sectionJson;
    Serialise(sections, bytes, sectionJson);
    sections.clear();
    const bool deflated = Deflate(bytes, m_payload);
    if (!deflated)
        m_payload = std::move(bytes);

    std::string rotation;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rotation += (rotation.empty() ? "" : ",") + Number(view.Rotation()(r, c));
    std::string entry;
    if (atoms && !atoms->entryId.empty())
        entry += ",\"entryId\":" + JsonString(atoms->entryId);
    if (atoms && !atoms->title.empty())
        entry += ",\"entryTitle\":" + JsonString(atoms->title);
    m_header = "{\"title\":" + JsonString(SceneTitle(doc, molecule)) + entry + "," + q.Json() + ",\"colours\":[" +
               ColoursJson(scene.colours.Values()) + "],\"radii\":[" + RadiiJson(scene.radii.Values()) +
               "],\"sections\":[" + sectionJson + "],\"labels\":[" + scene.labels + "],\"icons\":[" + scene.icons +
               "]" + parts.atomJson + ",\"view\":[" + rotation + "],\"pickRadius\":" + Number(kPickRadius) +
               ",\"deflated\":" + (deflated ? "true" : "false") + "}";
    m_parts.reset();
}

void HtmlPage::Write(std::ostream& out) const
{
    const std::string importMap = "{\"imports\":{\"three\":\"" + DataUrl(WebAssets::ThreeModule()) +
                                  "\",\"three/core\":\"" + DataUrl(WebAssets::ThreeCore()) +
                                  "\",\"three/addons/controls/OrbitControls.js\":\"" +
                                  DataUrl(WebAssets::OrbitControls()) + "\"}}";
    Fill(out, WebAssets::PageTemplate(),
         {{"IMPORTMAP", importMap},
          {"HEADER", ScriptSafe(m_header)},
          {"DATA", Base64(m_payload)},
          {"SCRIPT", WebAssets::PageScript()}});
}

} // namespace orvscene
