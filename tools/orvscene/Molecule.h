#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace orvscene {

// One atom as a structure file gives it.
struct Atom {
    int serial = 0;
    std::string name;     // atom name, trimmed ("CA", "HG21")
    std::string residue;  // residue name ("GLY")
    char chain = ' ';
    int residueNumber = 0;
    char insertion = ' ';
    double x = 0, y = 0, z = 0;
    std::string element;  // "C", "Cl", "H"
    bool hetero = false;
};

struct Molecule {
    std::string source;  // file name, or the name of the embedded molecule
    std::vector<Atom> atoms;
};

// A malformed input: names the file and the 1-based line.
class ParseError : public std::runtime_error
{
public:
    ParseError(const std::string& file, int line, const std::string& what);
    std::string file;
    int line;
};

// Reads the ATOM and HETATM records of a PDB text (fixed columns). With
// MODEL/ENDMDL, the model numbered `model` is read (0: the first one); of
// atoms with alternate locations only the first location ("A") is read.
Molecule ReadPdb(const std::string& text, const std::string& fileName, int model = 0);

// Reads an XYZ text: a count, a comment line, then "element x y z" lines.
Molecule ReadXyz(const std::string& text, const std::string& fileName);

// Reads a file by its extension (.xyz as XYZ, anything else as PDB). A file
// that cannot be read is a ParseError at line 0.
Molecule ReadStructureFile(const std::string& path, int model = 0);

// The embedded default molecule.
Molecule DefaultMolecule();
const std::string& DefaultMoleculeText();

} // namespace orvscene
