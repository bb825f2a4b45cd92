#pragma once

#include "Error.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace orvscene {

// One atom as a structure file gives it. An atom is known by its index in
// Molecule::atoms; the serial number is data from the file and may repeat.
struct Atom {
    int serial = 0;
    std::string name;     // atom name, trimmed ("CA", "HG21")
    std::string residue;  // residue name ("GLY")
    std::string chain;    // author chain identifier, trimmed ("A", "1", "AA"); empty when blank
    std::string segment;  // segment identifier (PDB columns 73-76), trimmed; empty when blank
    int residueNumber = 0;
    char insertion = ' ';   // insertion code, ' ' when none
    char altLocation = ' '; // the conformer the record belongs to, ' ' when it has no alternates
    double x = 0, y = 0, z = 0;
    std::string element;  // "C", "Cl", "H" (deuterium and tritium read as "H")
    double occupancy = 1;
    double bFactor = 0;
    bool hetero = false;
};

struct Molecule {
    std::string source;  // file name, or the name of the embedded molecule
    std::string entryId; // PDB ID (HEADER columns 63-66, or _entry.id); may be empty
    std::string title;   // TITLE records joined, or _struct.title; may be empty
    std::vector<Atom> atoms;
    // Bonds the file states (CONECT records), as pairs of atom indices, each once.
    std::vector<std::pair<int, int>> statedBonds;
    int repeatedSerials = 0; // atoms whose serial number an earlier atom already has
    std::string format;      // "PDB", "mmCIF" or "XYZ", with " (gzip)" when compressed
};

// The atoms of a scene in the order of their object identifiers (the atom
// with identifier id is atoms[id - 1]), with the entry they come from: what
// the page, the glTF and the summary show of an atom, field by field.
struct SceneAtoms {
    std::string entryId;
    std::string title;
    std::vector<const Atom*> atoms;
};

// The message's file and line come from the reader; old callers know it by this name.
using ParseError = Error;

// Which model and which alternate locations a structure is read with.
struct ReadOptions {
    int model = 0;        // model number; 0: the first model (or the whole file without models)
    char altLocation = 0; // 0: per residue, the first conformer in the file; else that conformer in the
                          // residues that have it (and the first one in the others)
    int threads = 1;      // threads that parse a PDB text's atom records (the atoms are the same for any number)
    long threadedFrom = 131072; // atom records a PDB text has before threads beyond the caller's parse them
};

// A text read line by line, lines ending in LF, CR LF or CR alone, counted
// from 1. Implementations read a string or a file (plain or gzip) in pieces.
class LineSource
{
public:
    virtual ~LineSource() = default;
    // The next line without its end; false at the end of the text.
    virtual bool Next(std::string& line) = 0;
    long Number() const { return m_number; }

protected:
    long m_number = 0;
};

// Reads the ATOM and HETATM records of a PDB text (fixed columns).
// Coordinates must be fixed-point decimals ("-12.345"): anything else
// (exponents, hexadecimal, nan, inf) is an Error naming the line and the
// field. Serial numbers and residue numbers may be hybrid-36 ("A0000" after
// 99999, "A000" after 9999); residue numbers written in hexadecimal past 9999
// ("270f", "2710", "271a") are read as such once the file has counted up to
// 9999. With MODEL/ENDMDL, the model asked for is read; a file without MODEL
// records is model 1. HEADER gives the entry ID, TITLE the title, CONECT
// records the stated bonds. Conformers are chosen per residue (see ReadOptions).
Molecule ReadPdb(LineSource& lines, const std::string& fileName, const ReadOptions& options = {});
Molecule ReadPdb(const std::string& text, const std::string& fileName, const ReadOptions& options = {});

// Reads the _atom_site loop of the first data block of an mmCIF (PDBx)
// text: author chain, residue number and atom name where given (label ones
// otherwise), the insertion code, the model asked for (pdbx_PDB_model_num),
// conformers as for PDB; _entry.id and _struct.title. Coordinates may have
// an exponent but must be finite and below 1e6 in size.
Molecule ReadCif(LineSource& lines, const std::string& fileName, const ReadOptions& options = {});
Molecule ReadCif(const std::string& text, const std::string& fileName, const ReadOptions& options = {});

// Reads an XYZ text: a count, a comment line, then "element x y z" lines
// (decimal numbers, an exponent allowed, finite and below 1e6 in size).
Molecule ReadXyz(LineSource& lines, const std::string& fileName);
Molecule ReadXyz(const std::string& text, const std::string& fileName);

// Reads a structure file, or standard input for "-": plain or gzip (told by
// its content), mmCIF when its first line that is not blank or a comment
// starts a data block, XYZ when named .xyz (.xyz.gz) or its first line is a
// count, PDB otherwise. The file is read in pieces, never held whole. A file
// that cannot be read (missing, a directory, unreadable, a damaged gzip
// stream) is an Error giving the system's reason.
Molecule ReadStructureFile(const std::string& path, const ReadOptions& options = {});

// Writes the atoms as PDB ATOM/HETATM records (serials and residue numbers
// past the columns' room in hybrid-36, the first character of a longer chain
// identifier) and END.
void WritePdb(std::ostream& out, const Molecule& molecule);

// Whether this build reads gzip-compressed files (it does when built with zlib).
bool ReadsGzip();

// The text with bytes outside printable ASCII written as \xNN, cut after
// `limit` characters with "...", for quoting file contents in messages.
std::string Printable(const std::string& text, std::size_t limit = 60);

// True for the residue names of water ("HOH", "WAT", "H2O", "DOD", "TIP3", "SOL" ...).
bool IsWater(const std::string& residue);

// The embedded default molecule.
Molecule DefaultMolecule();
const std::string& DefaultMoleculeText();

} // namespace orvscene
