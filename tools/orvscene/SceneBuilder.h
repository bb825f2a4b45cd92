#pragma once

#include "Molecule.h"

#include "orvcore/geometry/Point3d.h"
#include "orvcore/graphics/scene/DisplayList3D.h"

#include <string>
#include <vector>

namespace orvscene {

enum class Style { BallAndStick, Spacefill, Wire };

// Parses "ball-and-stick", "spacefill" or "wire"; false for anything else.
bool ParseStyle(const std::string& text, Style& style);
const char* StyleName(Style style);

// Which text labels the scene carries. Automatic labels residues up to
// kMaxAutomaticLabels of them and leaves larger structures unlabelled, where
// the labels would hide the molecule.
enum class Labels { Automatic, None, Residues, Atoms };
const int kMaxAutomaticLabels = 300;

// Parses "none", "residues" or "atoms"; false for anything else.
bool ParseLabels(const std::string& text, Labels& labels);
const char* LabelsName(Labels labels);

// Ball-and-stick sizes in angstrom: a ball's radius as a share of its
// element's van der Waals radius, and the sticks' radius.
const double kBallScale = 0.22;
const double kStickRadius = 0.14;

struct SceneOptions {
    Style style = Style::BallAndStick;
    bool hydrogens = false;
    Labels labels = Labels::Automatic;
    double bondTolerance = 0.45; // added to the two covalent radii
    int maxBondsPerAtom = 12;    // the nearest bonds win
    unsigned idOffset = 0;       // added to every atom's object identifier
    bool dimmed = false;         // element colours paled (a superposed structure)
    bool axes = true;            // the principal axes and the centroid's icon drawn
    int threads = 1;             // threads the bond search and the scene may use (the same for any number)
};

struct Bond {
    int a, b; // indices into Molecule::atoms
};

// What the builder derived from the structure.
struct StructureFacts {
    std::vector<int> shown;  // indices of the atoms in the scene
    // Per atom of the molecule, its object identifier: its place among the
    // shown atoms + 1 (so the identifier names the document's atom lists'
    // entry id - 1), 0 for an atom not shown.
    std::vector<unsigned> ids;
    std::vector<Bond> bonds; // between shown atoms
    int residues = 0;
    int chains = 0;
    int cappedAtoms = 0;   // atoms that had more bonds within reach than maxBondsPerAtom
    int stackedAtoms = 0;  // atoms at the very position of an earlier atom (given no bonds)
    int statedBonds = 0;   // bonds taken from the file's CONECT records
};

// The principal axes of a set of points, as the library computes them.
struct Axes {
    Orvane::Point3d centroid;
    Orvane::Point3d axis[3];
    double plus[3] = {0, 0, 0};  // reach along +axis
    double minus[3] = {0, 0, 0}; // reach along -axis
    bool planar = false;
};

// Bonds between the shown atoms: pairs closer than the sum of their covalent
// radii plus the tolerance (and farther apart than 0.4 angstrom), found with
// the library's neighbour search, and the bonds the file states (CONECT) that
// are shorter than twice that limit. Never bonded: atoms of two different
// alternate conformers, a water and any atom of another residue, an atom at
// the position of an earlier one. Each atom keeps at most maxBondsPerAtom
// bonds, the shortest (stated bonds first).
StructureFacts AnalyseStructure(const Molecule& molecule, const SceneOptions& options);

// Residues that get a label: those with an alpha carbon (not of a HETATM record).
int LabelledResidues(const Molecule& molecule);
// The labels the scene of the molecule gets: as asked, Automatic resolved.
Labels ResolveLabels(const Molecule& molecule, Labels asked);

// Principal axes of the points (centroid, axes by decreasing spread, reach).
Axes PrincipalAxes(const Orvane::Point3d::Array& points);

// Coordinates of the given atoms as the library's points.
Orvane::Point3d::Array Coordinates(const Molecule& molecule, const std::vector<int>& atoms);

// The scene: a root list with one nested list per chain holding the atoms'
// spheres, the bonds (cylinders, or lines in wire style) and the labels (per
// residue on its alpha carbon, "PRO12", or "PRO A12" when the structure has
// more than one chain; or per shown atom, its name); the principal axes as
// lines and an icon at the centroid in the root. Object identifiers are the
// places of the atoms among the shown ones + 1 (StructureFacts::ids), plus
// options.idOffset.
Orvane::DisplayList3D BuildScene(const Molecule& molecule, const StructureFacts& facts, const Axes& axes,
                                 const SceneOptions& options);

// A residue's label: "PRO12", or with its chain "PRO A12" (insertion code after the number).
std::string ResidueLabel(const Atom& atom, bool withChain);

// "serial name residue chain+number", the way the tool names an atom to people
// (altloc after the name as "CA:B" where there is one).
std::string AtomLabel(const Atom& atom);

// The key that tells chains apart: the chain identifier, and the segment
// where a file uses segments.
std::string ChainKey(const Atom& atom);

} // namespace orvscene
