#include "Molecule.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unordered_map>

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

// A fixed-point decimal as the PDB coordinate fields hold it: optional
// sign, digits, optional point and digits, blanks around.
bool ParseFixedPoint(const std::string& field, double& value)
{
    std::string t = Trim(field);
    std::size_t i = t.size() && (t[0] == '-' || t[0] == '+') ? 1 : 0;
    std::size_t digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(t[i])))
            ++digits;
        else if (t[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    if (digits == 0)
        return false;
    value = std::strtod(t.c_str(), nullptr);
    return true;
}

// An element symbol as XYZ files give it: one to three letters, perhaps
// followed by a number ("C", "Cl", "C12").
bool IsElementSymbol(const std::string& symbol)
{
    std::size_t letters = 0;
    while (letters < symbol.size() && std::isalpha(static_cast<unsigned char>(symbol[letters])))
        ++letters;
    if (letters == 0 || letters > 3)
        return false;
    for (std::size_t i = letters; i < symbol.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(symbol[i])))
            return false;
    return true;
}

// A decimal number as XYZ files write them, exponent allowed: no
// hexadecimal, no nan or inf, and below 1e6 in size, so that distances and
// picture sizes stay finite.
bool ParseXyzNumber(const std::string& token, double& value)
{
    if (token.empty() || token.find_first_not_of("0123456789+-.eE") != std::string::npos)
        return false;
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    return end && *end == '\0' && std::isfinite(value) && std::fabs(value) < 1e6;
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
        throw ParseError(fileName, lineNumber, "bad atom serial number '" + Printable(Columns(line, 7, 11)) + "'");
    std::string nameField = Columns(line, 13, 16);
    atom.name = Trim(nameField);
    atom.residue = Trim(Columns(line, 18, 20));
    atom.chain = line[21];
    std::string resSeq = Columns(line, 23, 26);
    if (!Trim(resSeq).empty() && !ParseInt(resSeq, atom.residueNumber))
        throw ParseError(fileName, lineNumber, "bad residue number '" + Printable(resSeq) + "'");
    atom.insertion = line[26];
    atom.altLocation = line[16];
    static const struct {
        const char* name;
        std::size_t first;
        double Atom::*value;
    } coordinates[] = {{"x", 31, &Atom::x}, {"y", 39, &Atom::y}, {"z", 47, &Atom::z}};
    for (const auto& c : coordinates) {
        std::string field = Columns(line, c.first, c.first + 7);
        if (!ParseFixedPoint(field, atom.*c.value))
            throw ParseError(fileName, lineNumber,
                             std::string("bad ") + c.name + " coordinate '" + Printable(field) + "' (columns " +
                                 std::to_string(c.first) + "-" + std::to_string(c.first + 7) +
                                 " hold a fixed-point decimal such as -12.345)");
    }
    std::string element = NormaliseElement(Trim(Columns(line, 77, 78)));
    bool symbolic = !element.empty();
    for (char c : Trim(Columns(line, 77, 78)))
        symbolic = symbolic && std::isalpha(static_cast<unsigned char>(c));
    atom.element = symbolic ? element : ElementFromName(nameField);
    if (atom.element.empty())
        throw ParseError(fileName, lineNumber, "no element for atom '" + Printable(atom.name) + "'");
    return atom;
}

} // namespace

namespace {

// Splits a text into lines ending in LF, CR LF or CR alone, counting them.
class LineReader
{
public:
    explicit LineReader(const std::string& text) : m_text(text) {}
    bool Next(std::string& line)
    {
        if (m_at >= m_text.size())
            return false;
        std::size_t end = m_at;
        while (end < m_text.size() && m_text[end] != '\n' && m_text[end] != '\r')
            ++end;
        line.assign(m_text, m_at, end - m_at);
        m_at = end + 1;
        if (end < m_text.size() && m_text[end] == '\r' && m_at < m_text.size() && m_text[m_at] == '\n')
            ++m_at;
        ++m_number;
        return true;
    }
    int Number() const { return m_number; }

private:
    const std::string& m_text;
    std::size_t m_at = 0;
    int m_number = 0;
};

// Of the records of one atom in several alternate locations, keeps one: the
// wanted conformer where the atom has it, else the first in the file.
// Records without an alternate location are all kept, in file order.
std::vector<Atom> ChooseConformers(std::vector<Atom> atoms, char wanted, bool& wantedSeen)
{
    std::unordered_map<std::string, std::size_t> chosen; // atom -> index of the record kept
    auto key = [](const Atom& a) {
        return std::string(1, a.chain) + a.insertion + std::to_string(a.residueNumber) + ' ' + a.name;
    };
    wantedSeen = false;
    bool alternates = false;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const Atom& atom = atoms[i];
        if (atom.altLocation == ' ')
            continue;
        alternates = true;
        wantedSeen = wantedSeen || atom.altLocation == wanted;
        auto entry = chosen.emplace(key(atom), i);
        if (!entry.second && atom.altLocation == wanted && atoms[entry.first->second].altLocation != wanted)
            entry.first->second = i;
    }
    if (!alternates)
        return atoms;
    std::vector<Atom> kept;
    kept.reserve(atoms.size());
    for (std::size_t i = 0; i < atoms.size(); ++i)
        if (atoms[i].altLocation == ' ' || chosen.at(key(atoms[i])) == i)
            kept.push_back(std::move(atoms[i]));
    return kept;
}

} // namespace

Molecule ReadPdb(const std::string& text, const std::string& fileName, const ReadOptions& options)
{
    Molecule molecule;
    molecule.source = fileName;
    std::vector<Atom> records;
    LineReader lines(text);
    std::string line;
    int modelsSeen = 0;
    bool inModel = false;
    bool found = false;   // the model asked for was met
    bool reading = true;  // outside MODEL records every atom counts
    bool done = false;
    while (!done && lines.Next(line)) {
        const int lineNumber = lines.Number();
        std::string record = Columns(line, 1, 6);
        if (record.compare(0, 5, "MODEL") == 0) {
            if (inModel)
                throw ParseError(fileName, lineNumber, "MODEL inside another MODEL");
            int number = modelsSeen + 1;
            ParseInt(Columns(line, 11, 14), number);
            ++modelsSeen;
            inModel = true;
            reading = options.model == 0 ? modelsSeen == 1 : number == options.model;
            found = found || reading;
        } else if (record.compare(0, 6, "ENDMDL") == 0) {
            if (!inModel)
                throw ParseError(fileName, lineNumber, "ENDMDL without MODEL");
            inModel = false;
            if (reading && !records.empty())
                done = true;
            reading = false;
        } else if (record == "ATOM  " || record == "HETATM") {
            if (reading)
                records.push_back(ParseAtomRecord(line, fileName, lineNumber));
        } else if (record.compare(0, 3, "END") == 0 && (record.size() == 3 || record[3] == ' ')) {
            break;
        }
    }
    if (inModel && !done)
        throw ParseError(fileName, lines.Number(), "file ends inside a MODEL (no ENDMDL)");
    if (options.model > 1 && modelsSeen == 0)
        throw ParseError(fileName, 0,
                         "no model " + std::to_string(options.model) + ": the file has no MODEL records (it is model 1)");
    if (options.model > 0 && modelsSeen > 0 && !found)
        throw ParseError(fileName, 0,
                         "no model " + std::to_string(options.model) + " among its " + std::to_string(modelsSeen) +
                             " MODEL records");
    bool wantedSeen = false;
    molecule.atoms = ChooseConformers(std::move(records), options.altLocation, wantedSeen);
    if (options.altLocation && !wantedSeen)
        throw ParseError(fileName, 0, std::string("no atom has alternate location '") + options.altLocation + "'");
    if (molecule.atoms.empty())
        throw ParseError(fileName, lines.Number(), "no atoms");
    return molecule;
}

Molecule ReadXyz(const std::string& text, const std::string& fileName)
{
    Molecule molecule;
    molecule.source = fileName;
    LineReader lines(text);
    std::string line;
    if (!lines.Next(line))
        throw ParseError(fileName, 1, "empty file");
    int count = 0;
    if (!ParseInt(line, count) || count <= 0)
        throw ParseError(fileName, 1, "expected the number of atoms, found '" + Printable(Trim(line)) + "'");
    if (!lines.Next(line))
        throw ParseError(fileName, 2, "missing comment line");
    for (int i = 0; i < count; ++i) {
        int lineNumber = i + 3;
        if (!lines.Next(line))
            throw ParseError(fileName, lineNumber,
                             "file ends after " + std::to_string(i) + " of " + std::to_string(count) + " atoms");
        std::istringstream fields(line);
        std::string symbol, x, y, z;
        Atom atom;
        if (!(fields >> symbol >> x >> y >> z) || !ParseXyzNumber(x, atom.x) || !ParseXyzNumber(y, atom.y) ||
            !ParseXyzNumber(z, atom.z))
            throw ParseError(fileName, lineNumber,
                             "expected 'element x y z' with decimal coordinates, found '" + Printable(Trim(line)) + "'");
        atom.serial = i + 1;
        atom.element = NormaliseElement(symbol);
        if (!IsElementSymbol(symbol))
            throw ParseError(fileName, lineNumber, "bad element '" + Printable(symbol) + "'");
        atom.name = atom.element + std::to_string(i + 1);
        atom.residue = "XYZ";
        atom.chain = 'A';
        atom.residueNumber = 1;
        molecule.atoms.push_back(atom);
    }
    return molecule;
}

Molecule ReadStructureFile(const std::string& path, const ReadOptions& options)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        throw ParseError(path, 0, std::string("cannot open the file: ") + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        throw ParseError(path, 0, "is a directory, not a structure file");
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw ParseError(path, 0, std::string("cannot open the file: ") + std::strerror(errno));
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
    return ReadPdb(text.str(), path, options);
}

std::string Printable(const std::string& text, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == limit)
            return out + "...";
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out;
}

Molecule DefaultMolecule()
{
    return ReadPdb(DefaultMoleculeText(), "embedded 3AL1");
}

} // namespace orvscene
