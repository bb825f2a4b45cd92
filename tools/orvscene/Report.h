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
    int atoms = 0;
    int bonds = 0;
    int residues = 0;
    int chains = 0;

    std::vector<std::pair<std::string, int>> primitives; // kind -> count, in scene order
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

    std::string labels;     // "residues", "atoms" or "none"; empty for a loaded document
    std::string labelsNote; // why, when the labels were left out by default (reported only then)

    bool pickAsked = false;
    double pickX = 0, pickY = 0, pickRadius = 0;
    bool picked = false;
    std::string pickedAtom; // "serial name residue chain"
    int pickedSerial = 0;
    double pickDistance = 0;

    std::vector<std::pair<std::string, double>> timings; // stage -> milliseconds
};

// `s` as a JSON string literal, quotes included.
std::string JsonString(const std::string& s);

// The human-readable summary; timings are left out when `withTimings` is false.
void WriteSummary(std::ostream& out, const Report& report, bool withTimings = true);
void WriteJson(std::ostream& out, const Report& report, bool withTimings = true);

} // namespace orvscene
