#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace orvscene {

// Everything the tool reports about one run: counts of the structure and of
// its scene, geometry of the structure, optional superposition and pick
// results, and the time each stage took.
struct Report {
    std::string source;
    std::string format;  // "PDB", "mmCIF (gzip)" ...; empty for a loaded document
    std::string entryId; // from the file, when it names one
    std::string title;
    int atoms = 0;
    int bonds = 0;
    int residues = 0;
    int chains = 0;
    int repeatedSerials = 0; // atoms whose serial number an earlier atom has
    int statedBonds = 0;     // bonds from CONECT records
    int cappedAtoms = 0;     // atoms with more bonds within reach than the cap
    int bondCap = 0;
    int stackedAtoms = 0;    // atoms at the position of an earlier atom

    std::vector<std::pair<std::string, int>> primitives; // kind -> count, in scene order
    std::vector<std::pair<std::string, int>> notDrawn;   // kinds present that no picture output draws
    int totalPrimitives = 0;
    int pickDots = 0;

    double boxMin[3] = {0, 0, 0};
    double boxMax[3] = {0, 0, 0};
    double centroid[3] = {0, 0, 0};
    double axes[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}; // principal axes, largest spread first
    double extents[3] = {0, 0, 0};                         // spread of the atoms along each axis
    bool planar = false;

    bool superposed = false;
    int superposedPairs = 0;
    double rmsdBefore = 0;
    double rmsdAfter = 0;
    std::string superposedSource; // the other structure, drawn moved onto this one
    int superposedAtoms = 0;

    std::string labels;     // "residues", "atoms" or "none"; empty for a loaded document
    std::string labelsNote; // why, when the labels were left out by default (reported only then)

    bool pickAsked = false;
    double pickX = 0, pickY = 0, pickRadius = 0;
    bool picked = false;
    std::string pickedAtom; // "serial name residue chain"
    int pickedSerial = 0;
    unsigned pickedId = 0;   // the object identifier (atom index + 1)
    bool pickedFields = false; // the structured fields below are known
    std::string pickedName, pickedResidue, pickedChain, pickedSegment, pickedElement;
    int pickedResidueNumber = 0;
    char pickedInsertion = ' ', pickedAltLocation = ' ';
    bool pickedMoved = false; // the atom belongs to the superposed structure
    double pickDistance = 0;

    std::vector<std::pair<std::string, double>> timings; // stage -> milliseconds
};

// The human-readable summary; timings are left out when `withTimings` is false.
void WriteSummary(std::ostream& out, const Report& report, bool withTimings = true);
void WriteJson(std::ostream& out, const Report& report, bool withTimings = true);

} // namespace orvscene
