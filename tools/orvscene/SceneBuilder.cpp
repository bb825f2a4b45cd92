#include "SceneBuilder.h"

#include "Elements.h"

#include "orvcore/color/Color.h"
#include "orvcore/core/Arrays.h"
#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Superposition.h"
#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"
#include "orvcore/spatial/NeighborList.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

using namespace Orvane;

namespace orvscene {

namespace {

// Scene constants: radii in angstrom, line widths in pixels.
const int kWireWidth = 2;
const int kDotWidth = 6;             // pixels across the dot that marks a lone atom in wire style
const unsigned kJackIcon = 1;        // the library's built-in three-axis jack

Color ElementColor(const std::string& symbol)
{
    const ElementInfo& e = LookupElement(symbol);
    return Color(static_cast<int>(e.r), static_cast<int>(e.g), static_cast<int>(e.b));
}

Point3d Position(const Atom& atom)
{
    return Point3d(atom.x, atom.y, atom.z);
}

bool IsHydrogen(const Atom& atom)
{
    return atom.element == "H";
}

// Residues are told apart by chain, number and insertion code.
struct ResidueKey {
    char chain;
    int number;
    char insertion;
    bool operator<(const ResidueKey& o) const
    {
        return std::tie(chain, number, insertion) < std::tie(o.chain, o.number, o.insertion);
    }
};

} // namespace

bool ParseStyle(const std::string& text, Style& style)
{
    if (text == "ball-and-stick")
        style = Style::BallAndStick;
    else if (text == "spacefill")
        style = Style::Spacefill;
    else if (text == "wire")
        style = Style::Wire;
    else
        return false;
    return true;
}

bool ParseLabels(const std::string& text, Labels& labels)
{
    for (Labels l : {Labels::None, Labels::Residues, Labels::Atoms})
        if (text == LabelsName(l)) {
            labels = l;
            return true;
        }
    return false;
}

const char* LabelsName(Labels labels)
{
    switch (labels) {
    case Labels::None: return "none";
    case Labels::Residues: return "residues";
    case Labels::Atoms: return "atoms";
    default: return "automatic";
    }
}

std::string ResidueLabel(const Atom& atom, bool withChain)
{
    std::string number = std::to_string(atom.residueNumber);
    if (withChain && atom.chain != ' ')
        return atom.residue + " " + atom.chain + number;
    return atom.residue + number;
}

namespace {

bool CarriesResidueLabel(const Atom& atom)
{
    return atom.name == "CA" && atom.element == "C" && !atom.hetero;
}

} // namespace

int LabelledResidues(const Molecule& molecule)
{
    return static_cast<int>(std::count_if(molecule.atoms.begin(), molecule.atoms.end(), CarriesResidueLabel));
}

Labels ResolveLabels(const Molecule& molecule, Labels asked)
{
    if (asked != Labels::Automatic)
        return asked;
    return LabelledResidues(molecule) <= kMaxAutomaticLabels ? Labels::Residues : Labels::None;
}

const char* StyleName(Style style)
{
    switch (style) {
    case Style::Spacefill: return "spacefill";
    case Style::Wire: return "wire";
    default: return "ball-and-stick";
    }
}

std::string AtomLabel(const Atom& atom)
{
    std::string chain = atom.chain == ' ' ? std::string() : std::string(1, atom.chain);
    return std::to_string(atom.serial) + " " + atom.name + " " + atom.residue + " " + chain +
           std::to_string(atom.residueNumber);
}

Point3d::Array Coordinates(const Molecule& molecule, const std::vector<int>& atoms)
{
    Point3d::Array points;
    points.SetSize(static_cast<int>(atoms.size()));
    for (std::size_t i = 0; i < atoms.size(); ++i)
        points[static_cast<int>(i)] = Position(molecule.atoms[static_cast<std::size_t>(atoms[i])]);
    return points;
}

StructureFacts AnalyseStructure(const Molecule& molecule, const SceneOptions& options)
{
    StructureFacts facts;
    std::set<ResidueKey> residues;
    std::set<char> chains;
    double largestRadius = 0;
    for (std::size_t i = 0; i < molecule.atoms.size(); ++i) {
        const Atom& atom = molecule.atoms[i];
        residues.insert({atom.chain, atom.residueNumber, atom.insertion});
        chains.insert(atom.chain);
        if (!options.hydrogens && IsHydrogen(atom))
            continue;
        facts.shown.push_back(static_cast<int>(i));
        largestRadius = std::max(largestRadius, LookupElement(atom.element).covalentRadius);
    }
    facts.residues = static_cast<int>(residues.size());
    facts.chains = static_cast<int>(chains.size());

    const double cutoff = 2 * largestRadius + options.bondTolerance;
    NeighborList grid(cutoff, std::max(101, static_cast<int>(facts.shown.size())));
    for (int index : facts.shown)
        grid.Add(Position(molecule.atoms[static_cast<std::size_t>(index)]));
    IntArray first, second;
    grid.GetPairs(first, second);
    for (int p = 0; p < first.GetSize(); ++p) {
        const Atom& a = molecule.atoms[static_cast<std::size_t>(facts.shown[static_cast<std::size_t>(first[p])])];
        const Atom& b = molecule.atoms[static_cast<std::size_t>(facts.shown[static_cast<std::size_t>(second[p])])];
        double limit = LookupElement(a.element).covalentRadius + LookupElement(b.element).covalentRadius +
                       options.bondTolerance;
        double d2 = Position(a).Distance2(Position(b));
        if (d2 <= limit * limit && d2 > 0.4 * 0.4)
            facts.bonds.push_back({facts.shown[static_cast<std::size_t>(first[p])],
                                   facts.shown[static_cast<std::size_t>(second[p])]});
    }
    std::sort(facts.bonds.begin(), facts.bonds.end(), [](const Bond& x, const Bond& y) {
        return std::minmax(x.a, x.b) < std::minmax(y.a, y.b);
    });
    return facts;
}

Axes PrincipalAxes(const Point3d::Array& points)
{
    Axes axes;
    axes.centroid = Point3d(0, 0, 0);
    Matrix3x3::PCA(points, axes.centroid, axes.axis[0], axes.axis[1], axes.axis[2], axes.plus[0], axes.minus[0],
                   axes.plus[1], axes.minus[1], axes.plus[2], axes.minus[2]);
    axes.planar = IsPlanar(points, 0.25);
    return axes;
}

namespace {

// The nested list of each chain, created in the order chains first appear.
class ChainLists
{
public:
    explicit ChainLists(const Molecule& molecule)
    {
        for (const Atom& atom : molecule.atoms)
            if (m_index.emplace(atom.chain, m_lists.size()).second)
                m_lists.emplace_back();
    }
    DisplayList3D& operator[](char chain) { return m_lists[m_index.at(chain)]; }
    std::vector<DisplayList3D>& All() { return m_lists; }

private:
    std::map<char, std::size_t> m_index;
    std::vector<DisplayList3D> m_lists;
};

void AddAtoms(const Molecule& molecule, const StructureFacts& facts, const SceneOptions& options,
              ChainLists& lists)
{
    std::vector<bool> bonded(molecule.atoms.size(), false);
    for (const Bond& b : facts.bonds)
        bonded[static_cast<std::size_t>(b.a)] = bonded[static_cast<std::size_t>(b.b)] = true;
    for (int index : facts.shown) {
        const Atom& atom = molecule.atoms[static_cast<std::size_t>(index)];
        const unsigned id = static_cast<unsigned>(atom.serial);
        const ElementInfo& e = LookupElement(atom.element);
        DisplayList3D& list = lists[atom.chain];
        if (options.style == Style::Wire) {
            // Atoms without bonds would vanish from a wire drawing: mark them with a dot.
            if (!bonded[static_cast<std::size_t>(index)])
                list.Add(DotPrimitive(Position(atom), ElementColor(atom.element), kDotWidth, id));
            continue;
        }
        double radius = options.style == Style::Spacefill ? e.vdwRadius : e.vdwRadius * kBallScale;
        list.Add(SpherePrimitive(Position(atom), radius, ElementColor(atom.element), id));
    }
}

void AddBonds(const Molecule& molecule, const StructureFacts& facts, const SceneOptions& options,
              DisplayList3D& root, ChainLists& lists)
{
    if (options.style == Style::Spacefill)
        return;
    for (const Bond& bond : facts.bonds) {
        const Atom& a = molecule.atoms[static_cast<std::size_t>(bond.a)];
        const Atom& b = molecule.atoms[static_cast<std::size_t>(bond.b)];
        const unsigned ida = static_cast<unsigned>(a.serial), idb = static_cast<unsigned>(b.serial);
        // A bond between chains belongs to the root, where both chains meet.
        DisplayList3D& list = a.chain == b.chain ? lists[a.chain] : root;
        if (options.style == Style::Wire) {
            LinePrimitive line(Position(a), ElementColor(a.element), Position(b), ElementColor(b.element),
                               kWireWidth, ida);
            line.SetID2(idb);
            list.Add(line);
        } else {
            list.Add(CylinderPrimitive(Position(a), ElementColor(a.element), Position(b), ElementColor(b.element),
                                       kStickRadius, ida, ida, idb));
        }
    }
}

void AddLabels(const Molecule& molecule, const StructureFacts& facts, const SceneOptions& options,
               ChainLists& lists)
{
    const Color labelColour(40, 40, 40);
    auto add = [&](const Atom& atom, const std::string& text) {
        lists[atom.chain].Add(
            Text3DPrimitive(text.c_str(), Position(atom), labelColour, static_cast<unsigned>(atom.serial)));
    };
    switch (ResolveLabels(molecule, options.labels)) {
    case Labels::Residues:
        for (const Atom& atom : molecule.atoms)
            if (CarriesResidueLabel(atom))
                add(atom, ResidueLabel(atom, facts.chains > 1));
        break;
    case Labels::Atoms:
        for (int index : facts.shown)
            add(molecule.atoms[static_cast<std::size_t>(index)], molecule.atoms[static_cast<std::size_t>(index)].name);
        break;
    default:
        break;
    }
}

void AddAxes(const Axes& axes, DisplayList3D& root)
{
    const Color colours[3] = {Color(220, 40, 40), Color(40, 170, 40), Color(40, 80, 220)};
    for (int k = 0; k < 3; ++k) {
        Point3d plus = axes.centroid + axes.axis[k] * axes.plus[k];
        Point3d minus = axes.centroid - axes.axis[k] * axes.minus[k];
        root.Add(LinePrimitive(minus, plus, colours[k], 1, 0u));
    }
    root.Add(IconPrimitive(axes.centroid, kJackIcon, true, true, Color(255, 140, 0), 0u));
}

} // namespace

DisplayList3D BuildScene(const Molecule& molecule, const StructureFacts& facts, const Axes& axes,
                         const SceneOptions& options)
{
    DisplayList3D root;
    ChainLists lists(molecule);
    AddAtoms(molecule, facts, options, lists);
    AddBonds(molecule, facts, options, root, lists);
    AddLabels(molecule, facts, options, lists);
    for (DisplayList3D& chain : lists.All())
        root.Add(chain);
    AddAxes(axes, root);
    return root;
}

} // namespace orvscene
