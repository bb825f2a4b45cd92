#include "SceneBuilder.h"

#include "Elements.h"
#include "Json.h"

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
#include <unordered_set>
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

// Residues are told apart by chain (with segment), number and insertion code.
using ResidueKey = std::tuple<std::string, int, char>;

ResidueKey KeyOf(const Atom& atom)
{
    return ResidueKey(ChainKey(atom), atom.residueNumber, atom.insertion);
}

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
    if (atom.insertion != ' ')
        number += atom.insertion;
    if (withChain && !atom.chain.empty())
        return atom.residue + " " + atom.chain + number;
    return atom.residue + number;
}

std::string ChainKey(const Atom& atom)
{
    return atom.segment.empty() ? atom.chain : atom.chain + "/" + atom.segment;
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
    std::string name = atom.name;
    if (atom.altLocation != ' ')
        name += std::string(":") + atom.altLocation;
    std::string number = std::to_string(atom.residueNumber);
    if (atom.insertion != ' ')
        number += atom.insertion;
    return std::to_string(atom.serial) + " " + name + " " + atom.residue + " " + atom.chain + number;
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
    std::set<std::string> chains;
    double largestRadius = 0;
    const std::size_t n = molecule.atoms.size();
    std::vector<double> radius(n);
    std::vector<char> water(n);
    // Consecutive atoms mostly share their residue, chain and element: each
    // is looked up when it changes.
    const Atom* previous = nullptr;
    for (std::size_t i = 0; i < n; ++i) {
        const Atom& atom = molecule.atoms[i];
        const bool sameResidue = previous && previous->residueNumber == atom.residueNumber &&
                                 previous->insertion == atom.insertion && previous->chain == atom.chain &&
                                 previous->segment == atom.segment && previous->residue == atom.residue;
        if (!sameResidue) {
            residues.insert(KeyOf(atom));
            if (!previous || previous->chain != atom.chain || previous->segment != atom.segment)
                chains.insert(ChainKey(atom));
        }
        radius[i] = previous && previous->element == atom.element ? radius[i - 1]
                                                                  : LookupElement(atom.element).covalentRadius;
        water[i] = sameResidue ? water[i - 1] : IsWater(atom.residue);
        previous = &atom;
        if (!options.hydrogens && IsHydrogen(atom))
            continue;
        facts.shown.push_back(static_cast<int>(i));
        largestRadius = std::max(largestRadius, radius[i]);
    }
    facts.residues = static_cast<int>(residues.size());
    facts.chains = static_cast<int>(chains.size());
    facts.ids.assign(n, 0u);
    for (std::size_t k = 0; k < facts.shown.size(); ++k)
        facts.ids[static_cast<std::size_t>(facts.shown[k])] = static_cast<unsigned>(k + 1);

    // Atoms at the very position of an earlier shown atom are left out of
    // the search: they cannot bond to it, and a pile of them would make every
    // pair of the pile a candidate.
    std::vector<int> searched;
    searched.reserve(facts.shown.size());
    {
        // An open-addressing table of the positions met so far.
        std::size_t size = 16;
        while (size < 2 * facts.shown.size())
            size *= 2;
        std::vector<int> slots(size, -1);
        for (int index : facts.shown) {
            const Atom& a = molecule.atoms[static_cast<std::size_t>(index)];
            const std::hash<double> h;
            // (+ 0.0 makes -0.0 hash as 0.0, which it equals)
            std::size_t slot = (h(a.x + 0.0) * 73856093u ^ h(a.y + 0.0) * 19349663u ^ h(a.z + 0.0) * 83492791u) & (size - 1);
            bool stacked = false;
            for (; slots[slot] >= 0; slot = (slot + 1) & (size - 1)) {
                const Atom& b = molecule.atoms[static_cast<std::size_t>(slots[slot])];
                if (a.x == b.x && a.y == b.y && a.z == b.z) {
                    stacked = true;
                    break;
                }
            }
            if (stacked) {
                ++facts.stackedAtoms;
            } else {
                slots[slot] = index;
                searched.push_back(index);
            }
        }
    }

    // Whether two atoms may be bonded at all.
    auto allowed = [&](std::size_t i, std::size_t j) {
        const Atom& a = molecule.atoms[i];
        const Atom& b = molecule.atoms[j];
        if (a.altLocation != ' ' && b.altLocation != ' ' && a.altLocation != b.altLocation)
            return false;
        if ((water[i] || water[j]) &&
            (a.residueNumber != b.residueNumber || a.insertion != b.insertion || a.chain != b.chain ||
             a.segment != b.segment))
            return false;
        return true;
    };
    struct Candidate {
        double d2;
        int a, b;
        bool stated;
    };
    std::vector<Candidate> candidates;
    std::vector<char> isShown(n, 0);
    for (int index : facts.shown)
        isShown[static_cast<std::size_t>(index)] = 1;
    for (const auto& stated : molecule.statedBonds) {
        const std::size_t i = static_cast<std::size_t>(stated.first), j = static_cast<std::size_t>(stated.second);
        if (!isShown[i] || !isShown[j] || !allowed(i, j))
            continue;
        const double limit = 2 * (radius[i] + radius[j] + options.bondTolerance);
        const double d2 = Position(molecule.atoms[i]).Distance2(Position(molecule.atoms[j]));
        if (d2 <= limit * limit && d2 > 0.4 * 0.4)
            candidates.push_back({d2, std::min(stated.first, stated.second), std::max(stated.first, stated.second), true});
    }
    const std::size_t statedCandidates = candidates.size();

    const double cutoff = 2 * largestRadius + options.bondTolerance;
    NeighborList grid(cutoff, std::max(101, static_cast<int>(searched.size())));
    {
        Point3d::Array points;
        points.SetSize(static_cast<int>(searched.size()));
        for (std::size_t k = 0; k < searched.size(); ++k)
            points[static_cast<int>(k)] = Position(molecule.atoms[static_cast<std::size_t>(searched[k])]);
        grid.Add(points.GetData(), points.GetSize());
    }
    {
        IntArray first, second;
        grid.GetPairs(first, second, options.threads);
        for (int p = 0; p < first.GetSize(); ++p) {
            const int ia = searched[static_cast<std::size_t>(first[p])];
            const int ib = searched[static_cast<std::size_t>(second[p])];
            const std::size_t i = static_cast<std::size_t>(ia), j = static_cast<std::size_t>(ib);
            const double limit = radius[i] + radius[j] + options.bondTolerance;
            const double d2 = Position(molecule.atoms[i]).Distance2(Position(molecule.atoms[j]));
            if (d2 <= limit * limit && d2 > 0.4 * 0.4 && allowed(i, j))
                candidates.push_back({d2, std::min(ia, ib), std::max(ia, ib), false});
        }
    }
    std::vector<int> count(n, 0);
    bool crowded = statedCandidates > 0;
    for (const Candidate& k : candidates) {
        crowded = crowded || ++count[static_cast<std::size_t>(k.a)] > options.maxBondsPerAtom ||
                  ++count[static_cast<std::size_t>(k.b)] > options.maxBondsPerAtom;
    }
    std::fill(count.begin(), count.end(), 0);
    // Stated bonds first, then by length; a pair found both ways counts once.
    // Without stated bonds and with no atom over the cap, every candidate is kept.
    if (crowded)
        std::sort(candidates.begin(), candidates.end(), [](const Candidate& x, const Candidate& y) {
            return std::tie(y.stated, x.d2, x.a, x.b) < std::tie(x.stated, y.d2, y.a, y.b);
        });
    std::vector<char> capped(n, 0);
    std::set<std::pair<int, int>> taken; // with stated bonds, a pair may come twice
    for (const Candidate& k : candidates) {
        if (statedCandidates && !taken.insert({k.a, k.b}).second)
            continue;
        const std::size_t a = static_cast<std::size_t>(k.a), b = static_cast<std::size_t>(k.b);
        if (count[a] >= options.maxBondsPerAtom || count[b] >= options.maxBondsPerAtom) {
            capped[a] = capped[a] || count[a] >= options.maxBondsPerAtom;
            capped[b] = capped[b] || count[b] >= options.maxBondsPerAtom;
            continue;
        }
        ++count[a];
        ++count[b];
        facts.bonds.push_back({k.a, k.b});
        if (k.stated)
            ++facts.statedBonds;
    }
    facts.cappedAtoms = static_cast<int>(std::count(capped.begin(), capped.end(), 1));
    std::sort(facts.bonds.begin(), facts.bonds.end(),
              [](const Bond& x, const Bond& y) { return x.a != y.a ? x.a < y.a : x.b < y.b; });
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
            if (m_index.emplace(ChainKey(atom), m_lists.size()).second)
                m_lists.emplace_back();
    }
    DisplayList3D& operator[](const Atom& atom) { return m_lists[m_index.at(ChainKey(atom))]; }
    std::vector<DisplayList3D>& All() { return m_lists; }

private:
    std::map<std::string, std::size_t> m_index;
    std::vector<DisplayList3D> m_lists;
};

unsigned ObjectId(const StructureFacts& facts, const SceneOptions& options, int index)
{
    const unsigned id = facts.ids[static_cast<std::size_t>(index)];
    return id ? id + options.idOffset : 0u;
}

// The colour an atom or bond is drawn in: its element's, paled for a
// superposed structure so that the two stay apart.
Color AtomColour(const std::string& element, const SceneOptions& options)
{
    Color c = ElementColor(element);
    if (!options.dimmed)
        return c;
    auto pale = [](int v) { return (v + 2 * 235) / 3; };
    return Color(pale(c.GetR()), pale(c.GetG()), pale(c.GetB()));
}

void AddAtoms(const Molecule& molecule, const StructureFacts& facts, const SceneOptions& options,
              ChainLists& lists)
{
    std::vector<bool> bonded(molecule.atoms.size(), false);
    for (const Bond& b : facts.bonds)
        bonded[static_cast<std::size_t>(b.a)] = bonded[static_cast<std::size_t>(b.b)] = true;
    for (int index : facts.shown) {
        const Atom& atom = molecule.atoms[static_cast<std::size_t>(index)];
        const unsigned id = ObjectId(facts, options, index);
        const ElementInfo& e = LookupElement(atom.element);
        DisplayList3D& list = lists[atom];
        if (options.style == Style::Wire) {
            // Atoms without bonds would vanish from a wire drawing: mark them with a dot.
            if (!bonded[static_cast<std::size_t>(index)])
                list.Add(DotPrimitive(Position(atom), AtomColour(atom.element, options), kDotWidth, id));
            continue;
        }
        double radius = options.style == Style::Spacefill ? e.vdwRadius : e.vdwRadius * kBallScale;
        list.Add(SpherePrimitive(Position(atom), radius, AtomColour(atom.element, options), id));
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
        const unsigned ida = ObjectId(facts, options, bond.a), idb = ObjectId(facts, options, bond.b);
        // A bond between chains belongs to the root, where both chains meet.
        DisplayList3D& list = ChainKey(a) == ChainKey(b) ? lists[a] : root;
        if (options.style == Style::Wire) {
            LinePrimitive line(Position(a), AtomColour(a.element, options), Position(b), AtomColour(b.element, options),
                               kWireWidth, ida);
            line.SetID2(idb);
            list.Add(line);
        } else {
            list.Add(CylinderPrimitive(Position(a), AtomColour(a.element, options), Position(b), AtomColour(b.element, options),
                                       kStickRadius, ida, ida, idb));
        }
    }
}

void AddLabels(const Molecule& molecule, const StructureFacts& facts, const SceneOptions& options,
               ChainLists& lists)
{
    const Color labelColour(40, 40, 40);
    auto add = [&](std::size_t index, const std::string& text) {
        const Atom& atom = molecule.atoms[index];
        lists[atom].Add(Text3DPrimitive(ToUtf8(text).c_str(), Position(atom), labelColour, ObjectId(facts, options, static_cast<int>(index))));
    };
    switch (ResolveLabels(molecule, options.labels)) {
    case Labels::Residues:
        for (std::size_t i = 0; i < molecule.atoms.size(); ++i)
            if (CarriesResidueLabel(molecule.atoms[i]))
                add(i, ResidueLabel(molecule.atoms[i], facts.chains > 1));
        break;
    case Labels::Atoms:
        for (int index : facts.shown)
            add(static_cast<std::size_t>(index), molecule.atoms[static_cast<std::size_t>(index)].name);
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
    if (options.axes)
        AddAxes(axes, root);
    return root;
}

} // namespace orvscene
