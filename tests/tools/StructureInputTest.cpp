#include "Elements.h"
#include "Json.h"
#include "Molecule.h"
#include "Orvscene.h"
#include "SceneBuilder.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <sched.h>
#include <dirent.h>
#include <fcntl.h>

using namespace orvscene;

using namespace toolrun;

namespace {

std::string TempDir()
{
    char dir[] = "/tmp/orvscene-input-XXXXXX";
    return ::mkdtemp(dir) ? dir : "/tmp";
}

// The summary without the lines that name the file, its format and its CONECT records.
std::string Facts(const std::string& summary)
{
    std::istringstream in(summary);
    std::string out;
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, 9, "structure") != 0 && line.compare(0, 6, "format") != 0 &&
            line.compare(0, 12, "stated bonds") != 0) // CONECT records are PDB's own
            out += line + "\n";
    return out;
}

// The JSON chunk of a GLB file, parsed by a strict UTF-8 JSON parser.
nlohmann::json GlbJson(const std::string& glb)
{
    const auto word = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(glb[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(glb[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(glb[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(glb[at + 3])) << 24;
    };
    return nlohmann::json::parse(glb.substr(20, word(12)));
}

// "residue:name" of the first n atoms.
std::vector<std::string> Names(const Molecule& m, std::size_t n)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < n && i < m.atoms.size(); ++i)
        names.push_back(m.atoms[i].residue + ":" + m.atoms[i].name);
    return names;
}

} // namespace

// Atom counts with one conformer per residue and the first model, as gemmi's
// Python module counts them (read_structure, remove_alternative_conformations).
TEST(StructureInput, AtomCountsOfEveryFormatAgreeWithGemmi)
{
    const std::pair<const char*, std::size_t> files[] = {
        {"1hpv.pdb", 1631},    {"1hpv.cif.gz", 1631}, {"3al1.cif", 491},          {"microhet.pdb", 19},
        {"mixed.pdb", 49},     {"nmr.pdb", 24},       {"sim-hybrid36.pdb", 18},
    };
    for (const auto& f : files) {
        if (ReadsGzip() || std::string(f.first).find(".gz") == std::string::npos) {
            EXPECT_EQ(ReadStructureFile(DataFile(f.first)).atoms.size(), f.second) << f.first;
        }
    }
    EXPECT_EQ(ReadStructureFile(DataFile("nmr.pdb"), {2}).atoms.size(), 20u);
    if (ReadsGzip()) {
        EXPECT_EQ(ReadStructureFile(DataFile("1hpv.cif.gz")).format, "mmCIF (gzip)");
    }
}

TEST(StructureInput, PdbAndMmcifOfOneEntryGiveOneSummary)
{
    Outcome pdb = RunTool({"--no-timings"}); // the embedded 3AL1
    Outcome cif = RunTool({DataFile("3al1.cif"), "--no-timings"});
    ASSERT_EQ(cif.status, 0) << cif.err;
    EXPECT_EQ(Facts(cif.out), Facts(pdb.out));
    if (ReadsGzip()) {
        pdb = RunTool({DataFile("1hpv.pdb"), "--no-timings"});
        cif = RunTool({DataFile("1hpv.cif.gz"), "--no-timings"});
        ASSERT_EQ(cif.status, 0) << cif.err;
        EXPECT_EQ(Facts(cif.out), Facts(pdb.out));
    }
    Molecule m = ReadStructureFile(DataFile("3al1.cif"));
    EXPECT_EQ(m.entryId, "3AL1");
    EXPECT_EQ(m.title, "DESIGNED PEPTIDE ALPHA-1, RACEMIC P1BAR FORM");
}

// Every bond is a pair within the sum of covalent radii + 0.45 A (and over
// 0.4 A), and every such pair is a bond, recomputed here pair by pair; in
// order, on one thread or several.
TEST(StructureInput, BondsFollowTheDistanceRule)
{
    const Molecule m = ReadStructureFile(DataFile("1hpv.pdb"));
    SceneOptions options;
    options.threads = 3;
    const StructureFacts facts = AnalyseStructure(m, options);
    std::set<std::pair<int, int>> expected, found;
    std::vector<double> radius;
    for (const Atom& a : m.atoms)
        radius.push_back(LookupElement(a.element).covalentRadius);
    for (std::size_t i = 0; i < m.atoms.size(); ++i)
        for (std::size_t j = i + 1; j < m.atoms.size(); ++j) {
            const Atom &a = m.atoms[i], &b = m.atoms[j];
            if (a.element == "H" || b.element == "H")
                continue;
            if ((IsWater(a.residue) || IsWater(b.residue)) &&
                (a.residueNumber != b.residueNumber || a.chain != b.chain))
                continue;
            const double d = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
            if (d > 0.4 && d <= radius[i] + radius[j] + 0.45)
                expected.emplace(static_cast<int>(i), static_cast<int>(j));
        }
    for (const Bond& b : facts.bonds)
        found.emplace(b.a, b.b);
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(std::equal(found.begin(), found.end(), facts.bonds.begin(), facts.bonds.end(),
                           [](const std::pair<int, int>& e, const Bond& b) { return e.first == b.a && e.second == b.b; }));
    EXPECT_EQ(facts.cappedAtoms, 0);
}

// A Leu/Ile site is read as one residue: Leu (conformer A) whole, or Ile
// (conformer B) whole; a ligand that exists only in conformer B is not bonded
// to a glutamate oxygen of conformer A 1.21 A away, nor is a water.
TEST(StructureInput, ConformersArePerResidue)
{
    const Molecule a = ReadStructureFile(DataFile("microhet.pdb"));
    const std::vector<std::string> leu = {"LEU:N", "LEU:CA", "LEU:C", "LEU:O", "LEU:CB", "LEU:CG", "LEU:CD1", "LEU:CD2"};
    EXPECT_EQ(Names(a, 8), leu);
    const Molecule b = ReadStructureFile(DataFile("microhet.pdb"), {0, 'B'});
    const std::vector<std::string> ile = {"LEU:N", "LEU:CA", "LEU:C", "LEU:O", "ILE:CB", "ILE:CG1", "ILE:CG2", "ILE:CD1"};
    EXPECT_EQ(Names(b, 8), ile);
    SceneOptions options;
    const StructureFacts facts = AnalyseStructure(a, options);
    EXPECT_EQ(facts.bonds.size(), 15u); // 7 in Leu, 8 in Glu, by hand
    for (const Bond& bond : facts.bonds)
        for (int end : {bond.a, bond.b})
            EXPECT_TRUE(a.atoms[static_cast<std::size_t>(end)].residue != "EDO" &&
                        a.atoms[static_cast<std::size_t>(end)].residue != "HOH");
}

TEST(StructureInput, SimulationNumbersAndSegments)
{
    const Molecule h = ReadStructureFile(DataFile("sim-hybrid36.pdb"));
    EXPECT_EQ(h.atoms[3].serial, 100000);         // A0000 follows 99999
    EXPECT_EQ(h.atoms[6].residueNumber, 10000);   // A000 follows 9999
    EXPECT_EQ(h.atoms[9].residueNumber, 9998);    // the second segment starts again
    EXPECT_EQ(h.atoms[9].segment, "WAT2");
    SceneOptions options;
    options.hydrogens = true;
    const StructureFacts facts = AnalyseStructure(h, options);
    EXPECT_EQ(facts.chains, 2);   // one blank chain, two segments
    EXPECT_EQ(facts.residues, 6);
    EXPECT_EQ(facts.bonds.size(), 12u); // two O-H in each of six waters
    const Molecule x = ReadStructureFile(DataFile("sim-hex.pdb"));
    std::vector<int> numbers;
    for (const Atom& atom : x.atoms)
        numbers.push_back(atom.residueNumber);
    EXPECT_EQ(numbers, (std::vector<int>{9998, 9999, 10000, 10001, 10010}));
}

// Repeated serials: each atom keeps its own identifier (its place + 1), the
// summary warns; digit chains and insertion codes tell residues apart; a
// Latin-1 title reaches the JSON as UTF-8.
TEST(StructureInput, RepeatedSerialsDigitChainsInsertionCodesLatin1)
{
    const Molecule m = ReadStructureFile(DataFile("mixed.pdb"));
    EXPECT_EQ(m.repeatedSerials, 24);
    SceneOptions options;
    const StructureFacts facts = AnalyseStructure(m, options);
    EXPECT_EQ(facts.residues, 7);
    EXPECT_EQ(facts.chains, 3);
    std::set<unsigned> ids(facts.ids.begin(), facts.ids.end());
    EXPECT_EQ(ids.size(), m.atoms.size());
    Outcome r = RunTool({DataFile("mixed.pdb"), "--json", "--no-timings"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["repeated_serials"], 24);
    EXPECT_EQ(json["title"], "CAF\xc3\x89 AU LAIT: REPEATED SERIALS, DIGIT CHAINS, INSERTION CODES");
}

// Every output's JSON is valid UTF-8 and carries each atom's fields.
TEST(StructureInput, JsonAndGltfAreStrictUtf8WithAtomFields)
{
    EXPECT_EQ(JsonString(std::string("a\"\\\x01<\xe9\xe2\x80\xa8") + "\xc3\xa9"),
              "\"a\\\"\\\\\\u0001\\u003c\xc3\xa9\\u2028\xc3\xa9\"");
    EXPECT_EQ(ToUtf8("\xff\xc3"), "\xc3\xbf\xc3\x83");
    const std::string dir = TempDir(), glb = dir + "/m.glb";
    Outcome r = RunTool({DataFile("mixed.pdb"), "--labels", "atoms", "--gltf", glb, "--json", "--no-timings",
                         "--pick", "400,300"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NO_THROW(nlohmann::json::parse(r.out));
    const nlohmann::json gltf = GlbJson(ReadAll(glb));
    const nlohmann::json& atoms = gltf["scenes"][0]["extras"]["atoms"];
    EXPECT_EQ(atoms["id"].size(), 49u);
    EXPECT_EQ(atoms["residue"][48], "L\xc3\x89G");
    EXPECT_EQ(atoms["chain"][0], "1");
    EXPECT_EQ(atoms["insertionCode"][10], "A");
    EXPECT_EQ(gltf["scenes"][0]["extras"]["entryId"], "0MIX");
    std::remove(glb.c_str());
    ::rmdir(dir.c_str());
}

// At most 12 bonds per atom, the nearest kept; a pile of atoms at one point
// gives no bonds (and no pile of pairs).
TEST(StructureInput, BondsPerAtomAreCapped)
{
    Molecule m;
    Atom centre;
    centre.element = "Cs";
    m.atoms.push_back(centre);
    const double golden = 3.14159265358979 * (3 - std::sqrt(5.0));
    for (int i = 0; i < 14; ++i) {
        Atom h;
        h.element = "H";
        const double y = 1 - 2 * (i + 0.5) / 14, r = std::sqrt(1 - y * y), radius = 2.5 + 0.02 * i;
        h.x = radius * r * std::cos(golden * i);
        h.y = radius * y;
        h.z = radius * r * std::sin(golden * i);
        m.atoms.push_back(h);
    }
    SceneOptions options;
    options.hydrogens = true;
    StructureFacts facts = AnalyseStructure(m, options);
    std::set<int> partners;
    for (const Bond& b : facts.bonds)
        if (b.a == 0 || b.b == 0)
            partners.insert(b.a + b.b);
    EXPECT_EQ(partners, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(facts.cappedAtoms, 1);

    Molecule pile;
    pile.atoms.assign(20000, centre);
    for (Atom& a : pile.atoms)
        a.element = "C";
    for (int threads : {1, 3}) {
        options.threads = threads;
        facts = AnalyseStructure(pile, options);
        EXPECT_TRUE(facts.bonds.empty());
        EXPECT_EQ(facts.stackedAtoms, 19999);
    }
}

// Outputs never replace what a path names, never overwrite an input, and
// two names of one file are refused before anything is written.
TEST(StructureInput, OutputsAreWrittenSafely)
{
    const std::string dir = TempDir();
    const std::string target = dir + "/target.svg", link = dir + "/link.svg", input = dir + "/in.pdb";
    std::ofstream(target) << "old";
    ASSERT_EQ(::symlink("target.svg", link.c_str()), 0);
    Outcome r = RunTool({"--svg", link, "--no-timings"});
    ASSERT_EQ(r.status, 0) << r.err;
    struct stat info;
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadAll(target).compare(0, 5, "<?xml"), 0);

    // Two spellings of one file, or a link and its target: refused, nothing written.
    const std::string a = dir + "/a.svg";
    for (const std::string& other : {dir + "/./a.svg", dir + "/../" + dir.substr(5) + "/a.svg"}) {
        r = RunTool({"--svg", a, "--html", other, "--no-timings"});
        EXPECT_EQ(r.status, 1) << other;
        EXPECT_NE(r.err.find("are the same file"), std::string::npos) << r.err;
        EXPECT_NE(::access(a.c_str(), F_OK), 0);
    }
    r = RunTool({"--svg", target, "--gltf", link, "--no-timings"});
    EXPECT_EQ(r.status, 1);
    std::ofstream(input) << ReadAll(DataFile("microhet.pdb"));
    r = RunTool({input, "--svg", dir + "/../" + dir.substr(5) + "/in.pdb", "--no-timings"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadAll(input), ReadAll(DataFile("microhet.pdb")));

    // A FIFO is written into, not replaced.
    const std::string fifo = dir + "/pipe.svg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadAll(fifo); });
    r = RunTool({"--svg", fifo, "--no-timings"});
    if (r.status != 0) { // release the reader
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    reader.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(received.compare(0, 5, "<?xml"), 0);
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    for (const std::string& f : {target, link, input, fifo})
        std::remove(f.c_str());
    ::rmdir(dir.c_str());
}

// A full disk: in a private mount namespace (when the test may make one), a
// 32 KiB tmpfs takes the page and the picture; the run fails with exit 2 and
// leaves nothing there. /dev/null is written by a process that is not root,
// so the machine's device node can never be replaced.
TEST(StructureInput, FullDiskAndNullDevice)
{
    const std::string dir = TempDir();
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=32k") != 0)
            ::_exit(77);
        std::ostringstream out, err;
        const int status = orvscene::Run({DataFile("1hpv.pdb"), "--svg", dir + "/a.svg", "--gltf", dir + "/a.glb"}, out, err);
        int entries = 0;
        if (DIR* d = ::opendir(dir.c_str())) {
            while (const dirent* e = ::readdir(d))
                entries += e->d_name[0] != '.';
            ::closedir(d);
        }
        ::_exit(status == 2 && entries == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WEXITSTATUS(status) != 77) {
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    ::rmdir(dir.c_str());

    child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && ::setuid(65534) != 0)
            ::_exit(77);
        std::ostringstream out, err;
        ::_exit(orvscene::Run({"--svg", "/dev/null", "--no-timings"}, out, err) == 0 ? 0 : 1);
    }
    ::waitpid(child, &status, 0);
    if (WEXITSTATUS(status) != 77) {
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    struct stat info;
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

// The superposed structure is drawn beside the first (its own spheres) and
// --write-moved writes it back where the first one is: a copy of 1HPV moved
// by 10 A along x lands on 1HPV to the coordinates' precision.
TEST(StructureInput, SuperposedStructureIsDrawnAndWritten)
{
    const std::string dir = TempDir(), shifted = dir + "/shifted.pdb", moved = dir + "/moved.pdb";
    {
        std::istringstream in(ReadAll(DataFile("1hpv.pdb")));
        std::ofstream out(shifted);
        for (std::string line; std::getline(in, line);) {
            if (line.compare(0, 6, "ATOM  ") == 0 || line.compare(0, 6, "HETATM") == 0) {
                char x[16];
                std::snprintf(x, sizeof x, "%8.3f", std::stod(line.substr(30, 8)) + 10.0);
                line.replace(30, 8, x);
            }
            out << line << "\n";
        }
    }
    Outcome r = RunTool({DataFile("1hpv.pdb"), "--superpose", shifted, "--write-moved", moved, "--json", "--no-timings"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["primitives"]["opaque spheres"], 2 * 1631);
    EXPECT_NEAR(json["superposition"]["rmsd_before"].get<double>(), 10.0, 1e-3);
    const Molecule original = ReadStructureFile(DataFile("1hpv.pdb")), back = ReadStructureFile(moved);
    ASSERT_EQ(back.atoms.size(), original.atoms.size());
    double worst = 0;
    for (std::size_t i = 0; i < back.atoms.size(); ++i)
        worst = std::max({worst, std::fabs(back.atoms[i].x - original.atoms[i].x),
                          std::fabs(back.atoms[i].y - original.atoms[i].y),
                          std::fabs(back.atoms[i].z - original.atoms[i].z)});
    EXPECT_LT(worst, 0.002);
    EXPECT_EQ(back.atoms[0].name, original.atoms[0].name);
    EXPECT_EQ(RunTool({"--write-moved", moved}).status, 1); // nothing to move
    for (const std::string& f : {shifted, moved})
        std::remove(f.c_str());
    ::rmdir(dir.c_str());
}

// Files are read in pieces: a file of several pieces (two copies of 1HPV,
// 300 kB), plain and gzip-compressed, reads whole.
TEST(StructureInput, FilesLargerThanOnePieceReadWhole)
{
    const std::string dir = TempDir(), path = dir + "/twice.pdb";
    {
        std::istringstream in(ReadAll(DataFile("1hpv.pdb")));
        std::ofstream out(path);
        std::string second;
        for (std::string line; std::getline(in, line);) {
            if (line.compare(0, 6, "ATOM  ") != 0 && line.compare(0, 6, "HETATM") != 0)
                continue;
            out << line << "\n";
            line[21] = 'Z';
            second += line + "\n";
        }
        out << second;
    }
    EXPECT_EQ(ReadStructureFile(path).atoms.size(), 2u * 1631u);
    if (ReadsGzip()) {
        ASSERT_EQ(std::system(("gzip -k " + path).c_str()), 0);
        EXPECT_EQ(ReadStructureFile(path + ".gz").atoms.size(), 2u * 1631u);
    }
    std::remove(path.c_str());
    std::remove((path + ".gz").c_str());
    ::rmdir(dir.c_str());
}
