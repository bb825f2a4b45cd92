#include "Elements.h"

namespace orvscene {

namespace {

// Covalent radii of single bonds and van der Waals radii in angstrom, with
// the customary display colours of the elements.
const ElementInfo kElements[] = {
    {"H", 0.31, 1.20, 255, 255, 255},  {"C", 0.76, 1.70, 144, 144, 144}, {"N", 0.71, 1.55, 48, 80, 248},
    {"O", 0.66, 1.52, 255, 13, 13},    {"S", 1.05, 1.80, 255, 255, 48},  {"P", 1.07, 1.80, 255, 128, 0},
    {"F", 0.57, 1.47, 144, 224, 80},   {"Cl", 1.02, 1.75, 31, 240, 31},  {"Br", 1.20, 1.85, 166, 41, 41},
    {"I", 1.39, 1.98, 148, 0, 148},    {"Na", 1.66, 2.27, 171, 92, 242}, {"Mg", 1.41, 1.73, 138, 255, 0},
    {"K", 2.03, 2.75, 143, 64, 212},   {"Ca", 1.76, 2.31, 61, 255, 0},   {"Fe", 1.32, 2.00, 224, 102, 51},
    {"Zn", 1.22, 1.39, 125, 128, 176}, {"Cu", 1.32, 1.40, 200, 128, 51}, {"Mn", 1.39, 2.00, 156, 122, 199},
    {"Se", 1.20, 1.90, 255, 161, 0},   {"Co", 1.26, 2.00, 240, 144, 160}, {"Ni", 1.24, 1.63, 80, 208, 80},
};

const ElementInfo kUnknown = {"?", 0.77, 1.80, 255, 20, 147};

} // namespace

const ElementInfo& LookupElement(const std::string& symbol)
{
    for (const ElementInfo& e : kElements)
        if (symbol == e.symbol)
            return e;
    return kUnknown;
}

} // namespace orvscene
