#include "SceneBuilder.h"

#include "Elements.h"
#include "Json.h"
#include "Parallel.h"

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
#include <limits>
#include <map>
#include <memory>
#include <numeric>
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

namespace {

// What AnalyseStructure learns of a run of atoms.
struct RunSurvey {
    std::vector<int> shown;
    std::set<ResidueKey> residues;
    std::set<std::string> chains;
    double largestRadius = 0;
};

// ... and of each atom, and of all.
struct AtomSurvey : RunSurvey {
    std::vector<double> radius; // covalent
    std::vector<char> water;
};

// The survey of the atoms [begin, end): their radius and water entries in
// `all`, the rest in `run`.
void SurveyRun(const Molecule& molecule, bool hydrogens, std::size_t begin, std::size_t end, AtomSurvey& all,
               RunSurvey& run)
{
    // Consecutive atoms mostly share their residue, chain and element: each
    // is looked up when it changes.
    const Atom* previous = nullptr;
    for (std::size_t i = begin; i < end; ++i) {
        const Atom& atom = molecule.atoms[i];
        const bool sameResidue = previous && previous->residueNumber == atom.residueNumber &&
                                 previous->insertion == atom.insertion && previous->chain == atom.chain &&
                                 previous->segment == atom.segment && previous->residue == atom.residue;
        if (!sameResidue) {
            run.residues.insert(KeyOf(atom));
            if (!previous || previous->chain != atom.chain || previous->segment != atom.segment)
                run.chains.insert(ChainKey(atom));
        }
        all.radius[i] = previous && previous->element == atom.element ? all.radius[i - 1]
                                                                      : LookupElement(atom.element).covalentRadius;
        all.water[i] = sameResidue ? all.water[i - 1] : IsWater(atom.residue);
        previous = &atom;
        if (!hydrogens && IsHydrogen(atom))
            continue;
        run.shown.push_back(static_cast<int>(i));
        run.largestRadius = std::max(run.largestRadius, all.radius[i]);
    }
}

// The survey of every atom, in runs side by side.
AtomSurvey Survey(const Molecule& molecule, const SceneOptions& options)
{
    const std::size_t n = molecule.atoms.size();
    const std::vector<std::size_t> runs = Runs(n, options.threads);
    AtomSurvey all;
    all.radius.resize(n);
    all.water.resize(n);
    std::vector<RunSurvey> parts(runs.size() - 2);
    RunTasks(runs.size() - 1, options.threads, [&](std::size_t k) {
        SurveyRun(molecule, options.hydrogens, runs[k], runs[k + 1], all, k == 0 ? all : parts[k - 1]);
    });
    for (RunSurvey& part : parts) {
        all.residues.merge(part.residues);
        all.chains.merge(part.chains);
        all.shown.insert(all.shown.end(), part.shown.begin(), part.shown.end());
        all.largestRadius = std::max(all.largestRadius, part.largestRadius);
    }
    return all;
}

// Of the shown atoms, those at the very position of an earlier shown atom.
// The positions are hashed; each thread takes the positions of one share of
// the hash values (the same position always falls in the same share), in
// file order.
std::vector<char> StackedAtoms(const Molecule& molecule, const std::vector<int>& shown, int threads)
{
    const std::size_t count = shown.size();
    std::vector<std::size_t> hashes(count);
    const std::vector<std::size_t> runs = Runs(count, threads);
    RunTasks(runs.size() - 1, threads, [&](std::size_t k) {
        const std::hash<double> h;
        for (std::size_t s = runs[k]; s < runs[k + 1]; ++s) {
            const Atom& a = molecule.atoms[static_cast<std::size_t>(shown[s])];
            // (+ 0.0 makes -0.0 hash as 0.0, which it equals)
            hashes[s] = h(a.x + 0.0) * 73856093u ^ h(a.y + 0.0) * 19349663u ^ h(a.z + 0.0) * 83492791u;
        }
    });
    std::vector<char> stacked(count, 0);
    const std::size_t shares = runs.size() - 1;
    RunTasks(shares, threads, [&](std::size_t share) {
        // (the high half of the hash picks the share, the low bits the slot)
        auto mine = [&](std::size_t s) {
            return (hashes[s] >> std::numeric_limits<std::size_t>::digits / 2) % shares == share;
        };
        std::size_t size = 16;
        for (std::size_t s = 0, members = 0; s < count; ++s)
            if (mine(s) && 2 * ++members > size)
                size *= 2;
        // An open-addressing table of the positions met so far.
        std::vector<int> slots(size, -1);
        for (std::size_t s = 0; s < count; ++s) {
            if (!mine(s))
                continue;
            const Atom& a = molecule.atoms[static_cast<std::size_t>(shown[s])];
            std::size_t slot = hashes[s] & (size - 1);
            for (; slots[slot] >= 0; slot = (slot + 1) & (size - 1)) {
                const Atom& b = molecule.atoms[static_cast<std::size_t>(slots[slot])];
                if (a.x == b.x && a.y == b.y && a.z == b.z) {
                    stacked[s] = 1;
                    break;
                }
            }
            if (!stacked[s])
                slots[slot] = shown[s];
        }
    });
    return stacked;
}

// A pair of atoms that may be bonded, and how far apart they are.
struct Candidate {
    double d2;
    int a, b; // a < b
    bool stated;
};

// Whether two atoms may be bonded as far as their conformers go: not when of two different ones.
bool SameConformer(char a, char b)
{
    return a == ' ' || b == ' ' || a == b;
}

bool SameResidue(const Atom& a, const Atom& b)
{
    return a.residueNumber == b.residueNumber && a.insertion == b.insertion && a.chain == b.chain &&
           a.segment == b.segment;
}

// Whether two atoms may be bonded at all: of one conformer, and a water only within its residue.
bool Allowed(const Molecule& molecule, const std::vector<char>& water, std::size_t i, std::size_t j)
{
    const Atom& a = molecule.atoms[i];
    const Atom& b = molecule.atoms[j];
    return SameConformer(a.altLocation, b.altLocation) && (!(water[i] || water[j]) || SameResidue(a, b));
}

// What the filter of the pairs needs of each searched atom, packed close
// together (the pairs visit the atoms all over the molecule).
struct SearchedAtoms {
    Point3d::Array points;
    std::vector<double> radius;
    std::vector<char> altLocation, water;
};

SearchedAtoms Pack(const Molecule& molecule, const AtomSurvey& survey, const std::vector<int>& searched, int threads)
{
    SearchedAtoms packed;
    packed.points.SetSize(static_cast<int>(searched.size()));
    packed.radius.resize(searched.size());
    packed.altLocation.resize(searched.size());
    packed.water.resize(searched.size());
    ForEachInRuns(searched.size(), threads, [&](std::size_t k) {
        const std::size_t i = static_cast<std::size_t>(searched[k]);
        packed.points[static_cast<int>(k)] = Position(molecule.atoms[i]);
        packed.radius[k] = survey.radius[i];
        packed.altLocation[k] = molecule.atoms[i].altLocation;
        packed.water[k] = survey.water[i];
    });
    return packed;
}

// The pairs of searched atoms within the cutoff that are close enough to
// bond, in the order of the pairs; the pairs are looked at in runs side by side.
std::vector<Candidate> FoundCandidates(const Molecule& molecule, const AtomSurvey& survey,
                                       const std::vector<int>& searched, double tolerance, int threads)
{
    const SearchedAtoms packed = Pack(molecule, survey, searched, threads);
    const double cutoff = 2 * survey.largestRadius + tolerance;
    std::unique_ptr<NeighborList> grid(new NeighborList(cutoff, std::max(101, static_cast<int>(searched.size()))));
    grid->Add(packed.points.GetData(), packed.points.GetSize());
    IntArray first, second;
    grid->GetPairs(first, second, threads);
    const std::vector<std::size_t> runs = Runs(static_cast<std::size_t>(first.GetSize()), threads);
    std::vector<std::vector<Candidate>> parts(runs.size() - 1);
    // The grid, of many cells that take a while to free, goes first, beside the filter's runs.
    RunTasks(parts.size() + 1, threads, [&](std::size_t task) {
        if (task == 0) {
            grid.reset();
            return;
        }
        const std::size_t k = task - 1;
        for (std::size_t p = runs[k]; p < runs[k + 1]; ++p) {
            const std::size_t u = static_cast<std::size_t>(first[static_cast<int>(p)]);
            const std::size_t v = static_cast<std::size_t>(second[static_cast<int>(p)]);
            const double limit = packed.radius[u] + packed.radius[v] + tolerance;
            const double d2 = packed.points[static_cast<int>(u)].Distance2(packed.points[static_cast<int>(v)]);
            if (d2 > limit * limit || d2 <= 0.4 * 0.4 || !SameConformer(packed.altLocation[u], packed.altLocation[v]))
                continue;
            const int ia = searched[u], ib = searched[v];
            if ((packed.water[u] || packed.water[v]) &&
                !SameResidue(molecule.atoms[static_cast<std::size_t>(ia)], molecule.atoms[static_cast<std::size_t>(ib)]))
                continue;
            parts[k].push_back({d2, std::min(ia, ib), std::max(ia, ib), false});
        }
    });
    if (parts.size() == 1)
        return std::move(parts[0]);
    std::vector<Candidate> candidates;
    candidates.reserve(std::accumulate(parts.begin(), parts.end(), std::size_t(0),
                                       [](std::size_t sum, const std::vector<Candidate>& part) { return sum + part.size(); }));
    for (const std::vector<Candidate>& part : parts)
        candidates.insert(candidates.end(), part.begin(), part.end());
    return candidates;
}

// Sorts bonds by their first atom, then their second: counted out by first
// atom (of `atoms`), each atom's few bonds then sorted in place.
void SortBonds(std::vector<Bond>& bonds, std::size_t atoms)
{
    std::vector<std::size_t> start(atoms + 1, 0);
    for (const Bond& bond : bonds)
        ++start[static_cast<std::size_t>(bond.a) + 1];
    for (std::size_t i = 0; i < atoms; ++i)
        start[i + 1] += start[i];
    std::vector<Bond> sorted(bonds.size());
    for (const Bond& bond : bonds)
        sorted[start[static_cast<std::size_t>(bond.a)]++] = bond;
    for (std::size_t i = 0, begin = 0; i < atoms; begin = start[i++])
        std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(begin), sorted.begin() + static_cast<std::ptrdiff_t>(start[i]),
                  [](const Bond& x, const Bond& y) { return x.b < y.b; });
    bonds.swap(sorted);
}

} // namespace

StructureFacts AnalyseStructure(const Molecule& molecule, const SceneOptions& options)
{
    StructureFacts facts;
    const std::size_t n = molecule.atoms.size();
    const AtomSurvey survey = Survey(molecule, options);
    facts.shown = survey.shown;
    facts.residues = static_cast<int>(survey.residues.size());
    facts.chains = static_cast<int>(survey.chains.size());
    facts.ids.assign(n, 0u);
    for (std::size_t k = 0; k < facts.shown.size(); ++k)
        facts.ids[static_cast<std::size_t>(facts.shown[k])] = static_cast<unsigned>(k + 1);

    // Atoms at the very position of an earlier shown atom are left out of
    // the search: they cannot bond to it, and a pile of them would make every
    // pair of the pile a candidate.
    std::vector<int> searched;
    searched.reserve(facts.shown.size());
    {
        const std::vector<char> stacked = StackedAtoms(molecule, facts.shown, options.threads);
        for (std::size_t s = 0; s < stacked.size(); ++s)
            if (!stacked[s])
                searched.push_back(facts.shown[s]);
        facts.stackedAtoms = static_cast<int>(facts.shown.size() - searched.size());
    }

    std::vector<Candidate> candidates;
    std::vector<char> isShown(n, 0);
    for (int index : facts.shown)
        isShown[static_cast<std::size_t>(index)] = 1;
    for (const auto& stated : molecule.statedBonds) {
        const std::size_t i = static_cast<std::size_t>(stated.first), j = static_cast<std::size_t>(stated.second);
        if (!isShown[i] || !isShown[j] || !Allowed(molecule, survey.water, i, j))
            continue;
        const double limit = 2 * (survey.radius[i] + survey.radius[j] + options.bondTolerance);
        const double d2 = Position(molecule.atoms[i]).Distance2(Position(molecule.atoms[j]));
        if (d2 <= limit * limit && d2 > 0.4 * 0.4)
            candidates.push_back({d2, std::min(stated.first, stated.second), std::max(stated.first, stated.second), true});
    }
    const std::size_t statedCandidates = candidates.size();
    {
        std::vector<Candidate> found = FoundCandidates(molecule, survey, searched, options.bondTolerance, options.threads);
        if (candidates.empty())
            candidates.swap(found);
        else
            candidates.insert(candidates.end(), found.begin(), found.end());
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
    SortBonds(facts.bonds, n);
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

// Each atom's chain, numbered in the order chains first appear (`count` of them).
std::vector<int> ChainNumbers(const Molecule& molecule, int& count)
{
    std::vector<int> number(molecule.atoms.size());
    std::map<std::string, int> numbers;
    const Atom* previous = nullptr;
    for (std::size_t i = 0; i < molecule.atoms.size(); ++i) {
        const Atom& atom = molecule.atoms[i];
        if (previous && previous->chain == atom.chain && previous->segment == atom.segment)
            number[i] = number[i - 1];
        else
            number[i] = numbers.emplace(ChainKey(atom), static_cast<int>(numbers.size())).first->second;
        previous = &atom;
    }
    count = static_cast<int>(numbers.size());
    return number;
}

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

// What the lists of a scene are made of.
struct SceneInput {
    const Molecule& molecule;
    const StructureFacts& facts;
    const SceneOptions& options;
    Labels labels;
    std::vector<char> bonded; // per atom, in wire style: whether a bond reaches it
};

// What one list holds: atoms (indices into the molecule's atoms), bonds
// (places in the facts' bonds) and the atoms that carry a label, in order.
struct ListContent {
    std::vector<int> atoms, bonds, labelled;
};

void AddAtoms(const SceneInput& in, const std::vector<int>& atoms, DisplayList3D& list)
{
    for (int index : atoms) {
        const Atom& atom = in.molecule.atoms[static_cast<std::size_t>(index)];
        const unsigned id = ObjectId(in.facts, in.options, index);
        const ElementInfo& e = LookupElement(atom.element);
        if (in.options.style == Style::Wire) {
            // Atoms without bonds would vanish from a wire drawing: mark them with a dot.
            if (!in.bonded[static_cast<std::size_t>(index)])
                list.Add(DotPrimitive(Position(atom), AtomColour(atom.element, in.options), kDotWidth, id));
            continue;
        }
        double radius = in.options.style == Style::Spacefill ? e.vdwRadius : e.vdwRadius * kBallScale;
        list.Add(SpherePrimitive(Position(atom), radius, AtomColour(atom.element, in.options), id));
    }
}

void AddBonds(const SceneInput& in, const std::vector<int>& bonds, DisplayList3D& list)
{
    if (in.options.style == Style::Spacefill)
        return;
    for (int place : bonds) {
        const Bond& bond = in.facts.bonds[static_cast<std::size_t>(place)];
        const Atom& a = in.molecule.atoms[static_cast<std::size_t>(bond.a)];
        const Atom& b = in.molecule.atoms[static_cast<std::size_t>(bond.b)];
        const unsigned ida = ObjectId(in.facts, in.options, bond.a), idb = ObjectId(in.facts, in.options, bond.b);
        const Color ca = AtomColour(a.element, in.options), cb = AtomColour(b.element, in.options);
        if (in.options.style == Style::Wire) {
            LinePrimitive line(Position(a), ca, Position(b), cb, kWireWidth, ida);
            line.SetID2(idb);
            list.Add(line);
        } else {
            list.Add(CylinderPrimitive(Position(a), ca, Position(b), cb, kStickRadius, ida, ida, idb));
        }
    }
}

// Per residue on its alpha carbon, or per shown atom, its name.
void AddLabels(const SceneInput& in, const std::vector<int>& labelled, DisplayList3D& list)
{
    const Color labelColour(40, 40, 40);
    for (int index : labelled) {
        const Atom& atom = in.molecule.atoms[static_cast<std::size_t>(index)];
        const std::string text = in.labels == Labels::Atoms ? atom.name : ResidueLabel(atom, in.facts.chains > 1);
        list.Add(Text3DPrimitive(ToUtf8(text).c_str(), Position(atom), labelColour, ObjectId(in.facts, in.options, index)));
    }
}

// The content of each chain's list (and, last, of the root: the bonds between chains).
std::vector<ListContent> ChainContents(const SceneInput& in, const std::vector<int>& chainOf, int chains)
{
    std::vector<ListContent> lists(static_cast<std::size_t>(chains) + 1);
    auto chainList = [&](int index) -> ListContent& { return lists[static_cast<std::size_t>(chainOf[static_cast<std::size_t>(index)])]; };
    for (int index : in.facts.shown)
        chainList(index).atoms.push_back(index);
    for (std::size_t k = 0; k < in.facts.bonds.size(); ++k) {
        const Bond& bond = in.facts.bonds[k];
        const int a = chainOf[static_cast<std::size_t>(bond.a)], b = chainOf[static_cast<std::size_t>(bond.b)];
        lists[static_cast<std::size_t>(a == b ? a : chains)].bonds.push_back(static_cast<int>(k));
    }
    if (in.labels == Labels::Atoms) {
        for (int index : in.facts.shown)
            chainList(index).labelled.push_back(index);
    } else if (in.labels == Labels::Residues) {
        for (std::size_t i = 0; i < in.molecule.atoms.size(); ++i)
            if (CarriesResidueLabel(in.molecule.atoms[i]))
                chainList(static_cast<int>(i)).labelled.push_back(static_cast<int>(i));
    }
    return lists;
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
    SceneInput in{molecule, facts, options, ResolveLabels(molecule, options.labels), {}};
    if (options.style == Style::Wire) {
        in.bonded.assign(molecule.atoms.size(), 0);
        for (const Bond& b : facts.bonds)
            in.bonded[static_cast<std::size_t>(b.a)] = in.bonded[static_cast<std::size_t>(b.b)] = 1;
    }
    int chains = 0;
    const std::vector<int> chainOf = ChainNumbers(molecule, chains);
    const std::vector<ListContent> contents = ChainContents(in, chainOf, chains);
    // One nested list per chain, numbered in the order chains first appear,
    // each filled in place on a thread of its own (the largest first); a
    // bond between chains belongs to the root, where both chains meet.
    for (int c = 0; c < chains; ++c)
        root.Add(DisplayList3D());
    std::vector<std::size_t> order(static_cast<std::size_t>(chains));
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        return contents[x].atoms.size() + contents[x].bonds.size() > contents[y].atoms.size() + contents[y].bonds.size();
    });
    RunTasks(order.size(), options.threads, [&](std::size_t k) {
        const ListContent& content = contents[order[k]];
        DisplayList3D& list = root.GetDisplayList(static_cast<int>(order[k]));
        AddAtoms(in, content.atoms, list);
        AddBonds(in, content.bonds, list);
        AddLabels(in, content.labelled, list);
    });
    AddBonds(in, contents.back().bonds, root);
    if (options.axes)
        AddAxes(axes, root);
    return root;
}

} // namespace orvscene
