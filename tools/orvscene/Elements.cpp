#include "Elements.h"

#include <array>
#include <cctype>

namespace orvscene {

namespace {

// Atomic number, symbol, covalent radius (single bonds) and van der Waals
// radius in angstrom, display colour, and whether the element is a metal.
// Elements past meitnerium share its colour.
const ElementInfo kElements[kNumElements] = {
    {1, "H", 0.31, 1.20, 255, 255, 255, false},
    {2, "He", 0.28, 1.40, 217, 255, 255, false},
    {3, "Li", 1.28, 1.82, 204, 128, 255, true},
    {4, "Be", 0.96, 1.53, 194, 255, 0, true},
    {5, "B", 0.84, 1.92, 255, 181, 181, false},
    {6, "C", 0.76, 1.70, 144, 144, 144, false},
    {7, "N", 0.71, 1.55, 48, 80, 248, false},
    {8, "O", 0.66, 1.52, 255, 13, 13, false},
    {9, "F", 0.57, 1.47, 144, 224, 80, false},
    {10, "Ne", 0.58, 1.54, 179, 227, 245, false},
    {11, "Na", 1.66, 2.27, 171, 92, 242, true},
    {12, "Mg", 1.41, 1.73, 138, 255, 0, true},
    {13, "Al", 1.21, 1.84, 191, 166, 166, true},
    {14, "Si", 1.11, 2.10, 240, 200, 160, false},
    {15, "P", 1.07, 1.80, 255, 128, 0, false},
    {16, "S", 1.05, 1.80, 255, 255, 48, false},
    {17, "Cl", 1.02, 1.75, 31, 240, 31, false},
    {18, "Ar", 1.06, 1.88, 128, 209, 227, false},
    {19, "K", 2.03, 2.75, 143, 64, 212, true},
    {20, "Ca", 1.76, 2.31, 61, 255, 0, true},
    {21, "Sc", 1.70, 2.11, 230, 230, 230, true},
    {22, "Ti", 1.60, 1.95, 191, 194, 199, true},
    {23, "V", 1.53, 1.06, 166, 166, 171, true},
    {24, "Cr", 1.39, 1.13, 138, 153, 199, true},
    {25, "Mn", 1.39, 2.00, 156, 122, 199, true},
    {26, "Fe", 1.32, 2.00, 224, 102, 51, true},
    {27, "Co", 1.26, 2.00, 240, 144, 160, true},
    {28, "Ni", 1.24, 1.63, 80, 208, 80, true},
    {29, "Cu", 1.32, 1.40, 200, 128, 51, true},
    {30, "Zn", 1.22, 1.39, 125, 128, 176, true},
    {31, "Ga", 1.22, 1.87, 194, 143, 143, true},
    {32, "Ge", 1.20, 2.11, 102, 143, 143, true},
    {33, "As", 1.19, 1.85, 189, 128, 227, false},
    {34, "Se", 1.20, 1.90, 255, 161, 0, false},
    {35, "Br", 1.20, 1.85, 166, 41, 41, false},
    {36, "Kr", 1.16, 2.02, 92, 184, 209, false},
    {37, "Rb", 2.20, 3.03, 112, 46, 176, true},
    {38, "Sr", 1.95, 2.49, 0, 255, 0, true},
    {39, "Y", 1.90, 1.61, 148, 255, 255, true},
    {40, "Zr", 1.75, 1.42, 148, 224, 224, true},
    {41, "Nb", 1.64, 1.33, 115, 194, 201, true},
    {42, "Mo", 1.54, 1.75, 84, 181, 181, true},
    {43, "Tc", 1.47, 2.00, 59, 158, 158, true},
    {44, "Ru", 1.46, 1.20, 36, 143, 143, true},
    {45, "Rh", 1.42, 1.22, 10, 125, 140, true},
    {46, "Pd", 1.39, 1.63, 0, 105, 133, true},
    {47, "Ag", 1.45, 1.72, 192, 192, 192, true},
    {48, "Cd", 1.44, 1.58, 255, 217, 143, true},
    {49, "In", 1.42, 1.93, 166, 117, 115, true},
    {50, "Sn", 1.39, 2.17, 102, 128, 128, true},
    {51, "Sb", 1.39, 2.06, 158, 99, 181, true},
    {52, "Te", 1.38, 2.06, 212, 122, 0, false},
    {53, "I", 1.39, 1.98, 148, 0, 148, false},
    {54, "Xe", 1.40, 2.16, 66, 158, 176, false},
    {55, "Cs", 2.44, 3.43, 87, 23, 143, true},
    {56, "Ba", 2.15, 2.68, 0, 201, 0, true},
    {57, "La", 2.07, 1.83, 112, 212, 255, true},
    {58, "Ce", 2.04, 1.86, 255, 255, 199, true},
    {59, "Pr", 2.03, 1.62, 217, 255, 199, true},
    {60, "Nd", 2.01, 1.79, 199, 255, 199, true},
    {61, "Pm", 1.99, 1.76, 163, 255, 199, true},
    {62, "Sm", 1.98, 1.74, 143, 255, 199, true},
    {63, "Eu", 1.98, 1.96, 97, 255, 199, true},
    {64, "Gd", 1.96, 1.69, 69, 255, 199, true},
    {65, "Tb", 1.94, 1.66, 48, 255, 199, true},
    {66, "Dy", 1.92, 1.63, 31, 255, 199, true},
    {67, "Ho", 1.92, 1.61, 0, 255, 156, true},
    {68, "Er", 1.89, 1.59, 0, 230, 117, true},
    {69, "Tm", 1.90, 1.57, 0, 212, 82, true},
    {70, "Yb", 1.87, 1.54, 0, 191, 56, true},
    {71, "Lu", 1.75, 1.53, 0, 171, 36, true},
    {72, "Hf", 1.87, 1.40, 77, 194, 255, true},
    {73, "Ta", 1.70, 1.22, 77, 166, 255, true},
    {74, "W", 1.62, 1.26, 33, 148, 214, true},
    {75, "Re", 1.51, 1.30, 38, 125, 171, true},
    {76, "Os", 1.44, 1.58, 38, 102, 150, true},
    {77, "Ir", 1.41, 1.22, 23, 84, 135, true},
    {78, "Pt", 1.36, 1.75, 208, 208, 224, true},
    {79, "Au", 1.36, 1.66, 255, 209, 35, true},
    {80, "Hg", 1.32, 1.55, 184, 184, 208, true},
    {81, "Tl", 1.45, 1.96, 166, 84, 77, true},
    {82, "Pb", 1.46, 2.02, 87, 89, 97, true},
    {83, "Bi", 1.48, 2.07, 158, 79, 181, true},
    {84, "Po", 1.40, 1.97, 171, 92, 0, true},
    {85, "At", 1.50, 2.02, 117, 79, 69, false},
    {86, "Rn", 1.50, 2.20, 66, 130, 150, false},
    {87, "Fr", 2.60, 3.48, 66, 0, 102, true},
    {88, "Ra", 2.21, 2.83, 0, 125, 0, true},
    {89, "Ac", 2.15, 2.12, 112, 171, 250, true},
    {90, "Th", 2.06, 1.84, 0, 186, 255, true},
    {91, "Pa", 2.00, 1.60, 0, 161, 255, true},
    {92, "U", 1.96, 1.86, 0, 143, 255, true},
    {93, "Np", 1.90, 1.71, 0, 128, 255, true},
    {94, "Pu", 1.87, 1.67, 0, 107, 255, true},
    {95, "Am", 1.80, 1.66, 84, 92, 242, true},
    {96, "Cm", 1.69, 1.65, 120, 92, 227, true},
    {97, "Bk", 1.68, 1.64, 138, 79, 227, true},
    {98, "Cf", 1.68, 1.63, 161, 54, 212, true},
    {99, "Es", 1.65, 1.62, 179, 31, 212, true},
    {100, "Fm", 1.67, 1.61, 179, 31, 186, true},
    {101, "Md", 1.73, 1.60, 179, 13, 166, true},
    {102, "No", 1.76, 1.59, 189, 13, 135, true},
    {103, "Lr", 1.61, 1.58, 199, 0, 102, true},
    {104, "Rf", 1.57, 1.00, 204, 0, 89, true},
    {105, "Db", 1.49, 1.00, 209, 0, 79, true},
    {106, "Sg", 1.43, 1.00, 217, 0, 69, true},
    {107, "Bh", 1.41, 1.00, 224, 0, 56, true},
    {108, "Hs", 1.34, 1.00, 230, 0, 46, true},
    {109, "Mt", 1.29, 1.00, 235, 0, 38, true},
    {110, "Ds", 1.28, 1.00, 235, 0, 38, true},
    {111, "Rg", 1.21, 1.00, 235, 0, 38, true},
    {112, "Cn", 1.22, 1.00, 235, 0, 38, true},
    {113, "Nh", 1.50, 1.00, 235, 0, 38, true},
    {114, "Fl", 1.50, 1.00, 235, 0, 38, true},
    {115, "Mc", 1.50, 1.00, 235, 0, 38, true},
    {116, "Lv", 1.50, 1.00, 235, 0, 38, true},
    {117, "Ts", 1.50, 1.00, 235, 0, 38, false},
    {118, "Og", 1.50, 1.00, 235, 0, 38, false},
};

const ElementInfo kUnknown = {0, "?", 0.77, 1.80, 255, 20, 147, false};

// The symbol in its usual case: capital first letter, lower-case second.
bool Normalise(const std::string& symbol, char out[3])
{
    if (symbol.empty() || symbol.size() > 2)
        return false;
    for (char c : symbol)
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return false;
    out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0])));
    out[1] = symbol.size() > 1 ? static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[1]))) : '\0';
    out[2] = '\0';
    if ((out[0] == 'D' || out[0] == 'T') && out[1] == '\0')
        out[0] = 'H';
    return true;
}

// A normalised symbol's place in a table of every capital letter followed
// by nothing or a small letter; -1 for anything else.
int Slot(const char s[3])
{
    if (s[0] < 'A' || s[0] > 'Z' || (s[1] != '\0' && (s[1] < 'a' || s[1] > 'z')))
        return -1;
    return (s[0] - 'A') * 27 + (s[1] ? s[1] - 'a' + 1 : 0);
}

const ElementInfo* Find(const std::string& symbol)
{
    // Every symbol's entry, looked up directly (the scene looks up an element per atom and bond).
    static const std::array<const ElementInfo*, 26 * 27> table = [] {
        std::array<const ElementInfo*, 26 * 27> entries{};
        for (const ElementInfo& e : kElements)
            entries[static_cast<std::size_t>(Slot(e.symbol))] = &e;
        return entries;
    }();
    char s[3];
    if (!Normalise(symbol, s))
        return nullptr;
    const int slot = Slot(s);
    return slot < 0 ? nullptr : table[static_cast<std::size_t>(slot)];
}

} // namespace

const ElementInfo* ElementTable()
{
    return kElements;
}

const ElementInfo& LookupElement(const std::string& symbol)
{
    const ElementInfo* e = Find(symbol);
    return e ? *e : kUnknown;
}

bool IsElement(const std::string& symbol)
{
    return Find(symbol) != nullptr;
}

} // namespace orvscene
