#pragma once

#include <string>

namespace orvscene {

// The tool's one table of chemical elements, used by the readers (which
// symbols are elements) and by the scene (radii and colours).
struct ElementInfo {
    int number;            // atomic number; 0 for the unknown entry
    const char* symbol;    // "C", "Cl"
    double covalentRadius; // single-bond covalent radius, angstrom
    double vdwRadius;      // van der Waals radius, angstrom
    unsigned char r, g, b; // display colour (the customary CPK-like colours)
    bool metal;
};

// All 118 elements, by atomic number (index 0 is hydrogen).
const ElementInfo* ElementTable();
const int kNumElements = 118;

// The entry of a symbol, matched without regard to case ("FE", "fe", "Fe");
// deuterium and tritium ("D", "T") are hydrogen. Unknown symbols get a
// neutral entry with number 0 and symbol "?".
const ElementInfo& LookupElement(const std::string& symbol);

// True when the symbol (in any case, D and T included) names an element.
bool IsElement(const std::string& symbol);

} // namespace orvscene
