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
    char altLocation = ' '; // the conformer the record belongs to (' ' when it has no alternates)
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

// Which model and which alternate locations a PDB text is read with.
struct ReadOptions {
    int model = 0;        // MODEL serial number; 0: the first model (or the whole file without models)
    char altLocation = 0; // 0: per atom, the first conformer in the file; else that conformer where the
                          // atom has it (and the first one where it has not)
};

// Reads the ATOM and HETATM records of a PDB text (fixed columns). Lines end
// in LF, CR LF or CR alone. Coordinates must be fixed-point decimals
// ("-12.345"): anything else (exponents, hexadecimal, nan, inf) is a
// ParseError naming the line and the field. With MODEL/ENDMDL, the model
// asked for is read; a file without MODEL records is model 1, and any other
// model asked of it is an error. Of an atom (chain, residue number, insertion
// code and name) given in several alternate locations, one is kept, as
// ReadOptions says.
Molecule ReadPdb(const std::string& text, const std::string& fileName, const ReadOptions& options = {});

// Reads an XYZ text: a count, a comment line, then "element x y z" lines
// (decimal numbers, an exponent allowed, finite and below 1e6 in size).
Molecule ReadXyz(const std::string& text, const std::string& fileName);

// Reads a file by its extension (.xyz as XYZ, anything else as PDB). A file
// that cannot be read (missing, a directory, unreadable) is a ParseError at
// line 0 giving the system's reason.
Molecule ReadStructureFile(const std::string& path, const ReadOptions& options = {});

// The text with bytes outside printable ASCII written as \xNN, cut after
// `limit` characters with "...", for quoting file contents in messages.
std::string Printable(const std::string& text, std::size_t limit = 60);

// The embedded default molecule.
Molecule DefaultMolecule();
const std::string& DefaultMoleculeText();

} // namespace orvscene
