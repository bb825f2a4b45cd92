#include "Molecule.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvscene;

namespace {

// An ATOM record with the given name, alternate location, residue, chain,
// number and coordinate fields (8 columns each, as written).
std::string Record(const std::string& name, char alt, const std::string& residue, char chain, int number,
                   const std::string& x = "   1.000", const std::string& y = "   2.000",
                   const std::string& z = "   3.000")
{
    char head[32];
    std::snprintf(head, sizeof head, "ATOM  %5d %-4s%c%-3s %c%4d    ", number, name.c_str(), alt, residue.c_str(),
                  chain, number);
    return std::string(head) + x + y + z + "  1.00  0.00           " + name.substr(0, 1);
}

// The message of the ParseError that reading the text raises ("" if none).
std::string Failure(const std::string& text, const ReadOptions& options = {})
{
    try {
        ReadPdb(text, "f.pdb", options);
    } catch (const ParseError& e) {
        return e.what();
    }
    return "";
}

std::vector<std::string> Names(const Molecule& m)
{
    std::vector<std::string> names;
    for (const Atom& a : m.atoms)
        names.push_back(a.name + (a.altLocation == ' ' ? "" : std::string(":") + a.altLocation) + "/" +
                        std::to_string(a.residueNumber));
    return names;
}

} // namespace

TEST(Molecule, CoordinatesAreFixedPointDecimalsOnly)
{
    const char* bad[] = {"     nan", "     inf", "    -inf", "   1e300", "   0x1p3", "   1e+09", " 1.2.3  ",
                         "       -", "   +-1.0", "        ", "  1 000 ", "   12,5 "};
    for (const char* field : bad) {
        for (int axis = 0; axis < 3; ++axis) {
            std::string fields[3] = {"   1.000", "   2.000", "   3.000"};
            fields[axis] = field;
            std::string text = "HEADER    TEST\n" + Record("CA", ' ', "GLY", 'A', 1) + "\n" +
                               Record("CB", ' ', "GLY", 'A', 1, fields[0], fields[1], fields[2]) + "\n";
            std::string message = Failure(text);
            const char* names[] = {"x", "y", "z"};
            EXPECT_NE(message.find("f.pdb:3: bad " + std::string(names[axis]) + " coordinate '" + field + "'"),
                      std::string::npos)
                << message;
            EXPECT_NE(message.find("columns " + std::to_string(31 + 8 * axis)), std::string::npos) << message;
        }
    }
    Molecule m = ReadPdb(Record("CA", ' ', "GLY", 'A', 1, "-999.999", "    +2.5", "      12") + "\n" +
                             Record("CB", ' ', "GLY", 'A', 1, "9999.999", "     .25", "  -0.000"),
                         "f.pdb");
    ASSERT_EQ(m.atoms.size(), 2u);
    EXPECT_DOUBLE_EQ(m.atoms[0].x, -999.999);
    EXPECT_DOUBLE_EQ(m.atoms[0].y, 2.5);
    EXPECT_DOUBLE_EQ(m.atoms[0].z, 12);
    EXPECT_DOUBLE_EQ(m.atoms[1].x, 9999.999);
    EXPECT_DOUBLE_EQ(m.atoms[1].y, 0.25);
}

TEST(Molecule, LinesEndInLfCrLfOrCrAlone)
{
    const std::string a = Record("N", ' ', "GLY", 'A', 1), b = Record("CA", ' ', "GLY", 'A', 1);
    for (const char* end : {"\n", "\r\n", "\r"}) {
        Molecule m = ReadPdb("HEADER    TEST" + std::string(end) + a + end + b + end + "END" + end, "f.pdb");
        EXPECT_EQ(m.atoms.size(), 2u) << int(end[0]);
        // Line numbers count the same lines.
        std::string message = Failure("HEADER" + std::string(end) + a + end + b.substr(0, 40) + end);
        EXPECT_NE(message.find("f.pdb:3: atom record is truncated"), std::string::npos) << message;
    }
    Molecule mixed = ReadPdb(a + "\r\n" + b + "\r" + Record("C", ' ', "GLY", 'A', 1) + "\n", "f.pdb");
    EXPECT_EQ(mixed.atoms.size(), 3u);
}

TEST(Molecule, EachResidueKeepsOneConformer)
{
    const std::string text = Record("N", ' ', "SER", 'A', 5) + "\n" +      // no alternates
                             Record("CA", 'A', "SER", 'A', 5) + "\n" +      // A then B
                             Record("CA", 'B', "SER", 'A', 5) + "\n" +
                             Record("OG", 'B', "SER", 'A', 5) + "\n" +      // B first, then C
                             Record("OG", 'C', "SER", 'A', 5) + "\n" +
                             Record("O", 'B', "HOH", 'A', 322) + "\n" +     // B only
                             Record("CA", 'A', "SER", 'B', 5) + "\n";       // another chain: another atom
    // Residue A5 takes its first conformer, A, whole: OG exists only in B and C.
    EXPECT_EQ(Names(ReadPdb(text, "f.pdb")), (std::vector<std::string>{"N/5", "CA:A/5", "O:B/322", "CA:A/5"}));
    EXPECT_EQ(Names(ReadPdb(text, "f.pdb", {0, 'B'})),
              (std::vector<std::string>{"N/5", "CA:B/5", "OG:B/5", "O:B/322", "CA:A/5"}));
    EXPECT_EQ(Names(ReadPdb(text, "f.pdb", {0, 'C'})), (std::vector<std::string>{"N/5", "OG:C/5", "O:B/322", "CA:A/5"}));
    EXPECT_NE(Failure(text, {0, 'D'}).find("no atom has alternate location 'D'"), std::string::npos);
    // A file of one atom in location B has that atom.
    EXPECT_EQ(ReadPdb(Record("ZN", 'B', "ZN", 'A', 1), "f.pdb").atoms.size(), 1u);
}

TEST(Molecule, ModelsAskedOfAFile)
{
    const std::string plain = Record("CA", ' ', "GLY", 'A', 1) + "\n";
    EXPECT_EQ(ReadPdb(plain, "f.pdb", {1}).atoms.size(), 1u);
    EXPECT_NE(Failure(plain, {2}).find("f.pdb: no model 2: the file has no MODEL records"), std::string::npos)
        << Failure(plain, {2});
    const std::string models = "MODEL        1\n" + plain + "ENDMDL\nMODEL        2\n" + plain + "ENDMDL\n";
    EXPECT_EQ(ReadPdb(models, "f.pdb", {2}).atoms.size(), 1u);
    EXPECT_NE(Failure(models, {3}).find("no model 3 among its 2 MODEL records"), std::string::npos)
        << Failure(models, {3});
}

TEST(Molecule, MessagesQuoteDamagedBytesEscaped)
{
    EXPECT_EQ(Printable("a\x01" "b\xff\\"), "a\\x01b\\xff\\x5c");
    EXPECT_EQ(Printable(std::string(100, 'x'), 10), std::string(10, 'x') + "...");

    std::string xyz = std::string("2\ncomment\nC 0 0 0\n\x89PNG\x1a") + '\0' + "\xfe 1 2 3\n";
    try {
        ReadXyz(xyz, "d.xyz");
        FAIL() << "damaged XYZ read";
    } catch (const ParseError& e) {
        std::string message = e.what();
        EXPECT_NE(message.find("d.xyz:4:"), std::string::npos) << message;
        for (char c : message)
            EXPECT_TRUE(c >= 0x20 && c < 0x7f) << message;
        EXPECT_NE(message.find("\\x89PNG"), std::string::npos) << message;
    }
    // XYZ numbers: exponents allowed; hexadecimal, nan, inf and huge values not.
    EXPECT_DOUBLE_EQ(ReadXyz("1\n\nC 1.5e-1 -2E2 +3\n", "x.xyz").atoms[0].x, 0.15);
    for (const char* bad : {"nan", "inf", "0x1p3", "1e7", "1e400", "1,5"})
        EXPECT_THROW(ReadXyz(std::string("1\n\nC 0 ") + bad + " 0\n", "x.xyz"), ParseError) << bad;
}

TEST(Molecule, FilesThatAreNotStructures)
{
    char dir[] = "/tmp/molecule-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    try {
        ReadStructureFile(dir);
        FAIL();
    } catch (const ParseError& e) {
        EXPECT_NE(std::string(e.what()).find("is a directory"), std::string::npos) << e.what();
    }
    try {
        ReadStructureFile(std::string(dir) + "/missing.pdb");
        FAIL();
    } catch (const ParseError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot open the file: No such file or directory"), std::string::npos)
            << e.what();
    }
    ::rmdir(dir);
}

// A file longer than the reader's pieces is read to its end, whatever line
// a piece boundary cuts.
TEST(Molecule, FilesLongerThanAPieceAreReadWhole)
{
    char path[] = "/tmp/molecule-long-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    {
        std::ofstream out(path);
        char line[96];
        for (int i = 1; i <= 12000; ++i) { // about 970 kB
            std::snprintf(line, sizeof line, "ATOM  %5d  CA  GLY A%4d    %8.3f%8.3f%8.3f  1.00 10.00           C\n",
                          i % 100000, i % 10000, i * 0.5, 1.0, 2.0);
            out << line;
        }
    }
    const Molecule m = ReadStructureFile(path);
    EXPECT_EQ(m.atoms.size(), 12000u);
    EXPECT_DOUBLE_EQ(m.atoms.back().x, 6000.0);
    std::remove(path);
}

namespace {

// Everything a reading gives, field by field, or the message of its failure.
std::string Outcome(const std::string& text, ReadOptions options)
{
    std::ostringstream out;
    try {
        const Molecule m = ReadPdb(text, "f.pdb", options);
        out.precision(17);
        out << m.entryId << '|' << m.title << '|' << m.repeatedSerials << '\n';
        for (const Atom& a : m.atoms)
            out << a.serial << ' ' << a.name << ' ' << a.residue << ' ' << a.chain << ' ' << a.segment << ' '
                << a.residueNumber << a.insertion << a.altLocation << ' ' << a.x << ' ' << a.y << ' ' << a.z << ' '
                << a.element << ' ' << a.occupancy << ' ' << a.bFactor << ' ' << a.hetero << '\n';
        for (const auto& bond : m.statedBonds)
            out << bond.first << '-' << bond.second << '\n';
    } catch (const ParseError& e) {
        out << e.what();
    }
    return out.str();
}

// The text with its line `number` (from 1) replaced.
std::string WithLine(const std::string& text, int number, const std::string& line)
{
    std::size_t at = 0;
    for (int n = 1; n < number; ++n)
        at = text.find('\n', at) + 1;
    return text.substr(0, at) + line + text.substr(text.find('\n', at));
}

} // namespace

// Records parsed on several threads, each in a piece of its own, read as on
// one thread: the same atoms, or the same first failure in file order.
TEST(Molecule, ThreadedReadingMatchesOneThread)
{
    struct Case {
        std::string text;
        ReadOptions options;
        std::string start; // of the outcome; "" to leave it unchecked
    };
    const std::string hpv = toolrun::ReadAll(toolrun::DataFile("1hpv.pdb"));
    std::vector<Case> cases = {{hpv, {}, "1HPV||0\n"}};
    for (const char* name : {"nmr.pdb", "microhet.pdb", "mixed.pdb", "sim-hex.pdb", "sim-hybrid36.pdb"})
        for (ReadOptions options : {ReadOptions{}, ReadOptions{2}, ReadOptions{0, 'B'}})
            cases.push_back({toolrun::ReadAll(toolrun::DataFile(name)), options, ""});
    const std::string atom = hpv.substr(hpv.find("\nATOM    500 ") + 1, 80);
    const std::pair<std::string, std::string> damaged[] = {
        {atom.substr(0, 30) + "   x.000" + atom.substr(38), "bad x coordinate"},
        {atom.substr(0, 22) + "12#4" + atom.substr(26), "bad residue number '12#4'"},
        {"ATOM  1#345" + atom.substr(11, 11) + "12#4" + atom.substr(26), "bad atom serial number '1#345'"},
        {atom.substr(0, 50), "atom record is truncated"},
        {"ENDMDL", "ENDMDL without MODEL"},
    };
    const std::string twoModels = "MODEL        1\nMODEL";
    for (const auto& line : damaged) {
        cases.push_back({WithLine(hpv, 520, line.first), {}, "f.pdb:520: " + line.second});
        // The first failure in the file wins, wherever the other is.
        for (const std::string& later : {twoModels, damaged[0].first})
            cases.push_back({WithLine(WithLine(hpv, 1200, later), 520, line.first), {}, "f.pdb:520: " + line.second});
        cases.push_back({WithLine(WithLine(hpv, 1200, line.first), 520, twoModels), {},
                         "f.pdb:521: MODEL inside another MODEL"});
    }
    for (const Case& c : cases) {
        ReadOptions threaded = c.options;
        threaded.threads = 3;
        threaded.threadedFrom = 1;
        const std::string serial = Outcome(c.text, c.options);
        EXPECT_EQ(Outcome(c.text, threaded), serial);
        EXPECT_EQ(serial.substr(0, c.start.size()), c.start);
    }
}
