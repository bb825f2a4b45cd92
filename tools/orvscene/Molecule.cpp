#include "Molecule.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace orvscene {

ParseError::ParseError(const std::string& f, int l, const std::string& what)
    : std::runtime_error(f + (l > 0 ? ":" + std::to_string(l) : std::string()) + ": " + what), file(f), line(l)
{
}

namespace {

std::string Trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

// Columns first..last, 1-based and inclusive, clipped to the line.
std::string Columns(const std::string& line, std::size_t first, std::size_t last)
{
    if (line.size() < first)
        return std::string();
    return line.substr(first - 1, last - first + 1);
}

bool ParseDouble(const std::string& field, double& value)
{
    std::string t = Trim(field);
    if (t.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(t.c_str(), &end);
    return end && *end == '\0';
}

bool ParseInt(const std::string& field, int& value)
{
    std::string t = Trim(field);
    if (t.empty())
        return false;
    char* end = nullptr;
    long v = std::strtol(t.c_str(), &end, 10);
    if (!end || *end != '\0' || v < -999999999L || v > 999999999L)
        return false;
    value = static_cast<int>(v);
    return true;
}

// Serial numbers past 99999 are written in hybrid-36 ("A0000" follows 99999).
bool ParseSerial(const std::string& field, int& value)
{
    if (ParseInt(field, value))
        return true;
    std::string t = Trim(field);
    if (t.size() != 5 || !std::isupper(static_cast<unsigned char>(t[0])))
        return false;
    long v = 0;
    for (char c : t) {
        int digit;
        if (std::isdigit(static_cast<unsigned char>(c)))
            digit = c - '0';
        else if (std::isupper(static_cast<unsigned char>(c)))
            digit = c - 'A' + 10;
        else
            return false;
        v = v * 36 + digit;
    }
    value = static_cast<int>(v - 10L * 36 * 36 * 36 * 36 + 100000);
    return true;
}

std::string NormaliseElement(const std::string& symbol)
{
    std::string e;
    for (char c : symbol)
        if (std::isalpha(static_cast<unsigned char>(c)))
            e += static_cast<char>(e.empty() ? std::toupper(static_cast<unsigned char>(c))
                                             : std::tolower(static_cast<unsigned char>(c)));
    return e;
}

bool IsTwoLetterElement(const std::string& e)
{
    static const char* const known[] = {"Cl", "Br", "Fe", "Zn", "Mg", "Na", "Ca", "Mn", "Cu", "Co", "Ni",
                                        "Se", "Cd", "Hg", "Li", "Al", "Si", "Ar", "Kr", "Xe", "Pt", "Au"};
    for (const char* k : known)
        if (e == k)
            return true;
    return false;
}

// The element of an atom whose record has no element columns: from the atom
// name's first two columns, where a one-letter element stands in the second.
std::string ElementFromName(const std::string& nameField)
{
    std::string field = nameField;
    field.resize(4, ' ');
    unsigned char c0 = static_cast<unsigned char>(field[0]);
    unsigned char c1 = static_cast<unsigned char>(field[1]);
    if (!std::isalpha(c0))
        return std::isalpha(c1) ? NormaliseElement(std::string(1, field[1])) : std::string();
    if (field[0] == 'H' && field[3] != ' ')
        return "H"; // four-character hydrogen names start in the first column
    std::string two = NormaliseElement(field.substr(0, 2));
    if (two.size() == 2 && IsTwoLetterElement(two))
        return two;
    return NormaliseElement(std::string(1, field[0]));
}

Atom ParseAtomRecord(const std::string& line, const std::string& fileName, int lineNumber)
{
    if (line.size() < 54)
        throw ParseError(fileName, lineNumber, "atom record is truncated (" + std::to_string(line.size()) +
                                                   " columns, coordinates need 54)");
    Atom atom;
    atom.hetero = line.compare(0, 6, "HETATM") == 0;
    if (!ParseSerial(Columns(line, 7, 11), atom.serial))
        throw ParseError(fileName, lineNumber, "bad atom serial number '" + Columns(line, 7, 11) + "'");
    std::string nameField = Columns(line, 13, 16);
    atom.name = Trim(nameField);
    atom.residue = Trim(Columns(line, 18, 20));
    atom.chain = line[21];
    std::string resSeq = Columns(line, 23, 26);
    if (!Trim(resSeq).empty() && !ParseInt(resSeq, atom.residueNumber))
        throw ParseError(fileName, lineNumber, "bad residue number '" + resSeq + "'");
    atom.insertion = line[26];
    if (!ParseDouble(Columns(line, 31, 38), atom.x) || !ParseDouble(Columns(line, 39, 46), atom.y) ||
        !ParseDouble(Columns(line, 47, 54), atom.z))
        throw ParseError(fileName, lineNumber, "bad coordinates '" + Columns(line, 31, 54) + "'");
    std::string element = NormaliseElement(Trim(Columns(line, 77, 78)));
    bool symbolic = !element.empty();
    for (char c : Trim(Columns(line, 77, 78)))
        symbolic = symbolic && std::isalpha(static_cast<unsigned char>(c));
    atom.element = symbolic ? element : ElementFromName(nameField);
    if (atom.element.empty())
        throw ParseError(fileName, lineNumber, "no element for atom '" + atom.name + "'");
    return atom;
}

} // namespace

Molecule ReadPdb(const std::string& text, const std::string& fileName, int model)
{
    Molecule molecule;
    molecule.source = fileName;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    int modelsSeen = 0;
    bool inModel = false;
    bool reading = true; // outside MODEL records every atom counts
    bool done = false;
    while (!done && std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string record = Columns(line, 1, 6);
        if (record.compare(0, 5, "MODEL") == 0) {
            if (inModel)
                throw ParseError(fileName, lineNumber, "MODEL inside another MODEL");
            int number = modelsSeen + 1;
            ParseInt(Columns(line, 11, 14), number);
            ++modelsSeen;
            inModel = true;
            reading = model == 0 ? modelsSeen == 1 : number == model;
        } else if (record.compare(0, 6, "ENDMDL") == 0) {
            if (!inModel)
                throw ParseError(fileName, lineNumber, "ENDMDL without MODEL");
            inModel = false;
            if (reading && !molecule.atoms.empty())
                done = true;
            reading = false;
        } else if (record == "ATOM  " || record == "HETATM") {
            // Of atoms with alternate locations, the first location is kept.
            char alt = line.size() > 16 ? line[16] : ' ';
            bool firstLocation = alt == ' ' || alt == 'A' || alt == '1';
            if (reading && firstLocation)
                molecule.atoms.push_back(ParseAtomRecord(line, fileName, lineNumber));
        } else if (record.compare(0, 3, "END") == 0 && record.size() >= 3 &&
                   (record.size() == 3 || record[3] == ' ')) {
            break;
        }
    }
    if (inModel && !done)
        throw ParseError(fileName, lineNumber, "file ends inside a MODEL (no ENDMDL)");
    if (molecule.atoms.empty())
        throw ParseError(fileName, lineNumber,
                         model && modelsSeen ? "no model " + std::to_string(model) : std::string("no atoms"));
    return molecule;
}

Molecule ReadXyz(const std::string& text, const std::string& fileName)
{
    Molecule molecule;
    molecule.source = fileName;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line))
        throw ParseError(fileName, 1, "empty file");
    int count = 0;
    if (!ParseInt(line, count) || count <= 0)
        throw ParseError(fileName, 1, "expected the number of atoms, found '" + Trim(line) + "'");
    if (!std::getline(in, line))
        throw ParseError(fileName, 2, "missing comment line");
    for (int i = 0; i < count; ++i) {
        int lineNumber = i + 3;
        if (!std::getline(in, line))
            throw ParseError(fileName, lineNumber,
                             "file ends after " + std::to_string(i) + " of " + std::to_string(count) + " atoms");
        std::istringstream fields(line);
        std::string symbol, rest;
        Atom atom;
        if (!(fields >> symbol >> atom.x >> atom.y >> atom.z))
            throw ParseError(fileName, lineNumber, "expected 'element x y z', found '" + Trim(line) + "'");
        atom.serial = i + 1;
        atom.element = NormaliseElement(symbol);
        if (atom.element.empty())
            throw ParseError(fileName, lineNumber, "bad element '" + symbol + "'");
        atom.name = atom.element + std::to_string(i + 1);
        atom.residue = "XYZ";
        atom.chain = 'A';
        atom.residueNumber = 1;
        molecule.atoms.push_back(atom);
    }
    return molecule;
}

Molecule ReadStructureFile(const std::string& path, int model)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw ParseError(path, 0, "cannot open the file");
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad())
        throw ParseError(path, 0, "cannot read the file");
    std::size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "xyz")
        return ReadXyz(text.str(), path);
    return ReadPdb(text.str(), path, model);
}

Molecule DefaultMolecule()
{
    return ReadPdb(DefaultMoleculeText(), "embedded 3AL1", 0);
}

} // namespace orvscene
