#include "Molecule.h"
#include "Orvscene.h"
#include "SceneBuilder.h"
#include "SceneDocument.h"
#include "SceneView.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvscene;

using namespace toolrun;

namespace {

std::string TempPath(const std::string& name)
{
    return "/tmp/orvscene-test-" + std::to_string(static_cast<long>(getpid())) + "-" + name;
}

bool Exists(const std::string& path)
{
    return std::ifstream(path).good();
}

// A summary line's value, e.g. Line(summary, "atoms") for "atoms          488".
std::string Field(const std::string& summary, const std::string& key)
{
    std::istringstream in(summary);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0 && line.size() > key.size() && line[key.size()] == ' ') {
            std::string rest = line.substr(key.size());
            return rest.substr(rest.find_first_not_of(' '));
        }
    return "";
}

} // namespace

TEST(Orvscene, EmbeddedMoleculeSummary)
{
    Outcome r = RunTool({"--no-timings"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Of its 679 atom records, one per atom is kept (chain, residue number,
    // insertion code and name tell atoms apart), whatever its alternate locations.
    std::set<std::string> atoms, residues;
    std::istringstream records(DefaultMoleculeText());
    for (std::string line; std::getline(records, line);)
        if (line.compare(0, 6, "ATOM  ") == 0 || line.compare(0, 6, "HETATM") == 0) {
            atoms.insert(line.substr(21, 6) + line.substr(12, 4));
            residues.insert(line.substr(21, 6));
        }
    EXPECT_EQ(Field(r.out, "atoms"), std::to_string(atoms.size()));
    EXPECT_EQ(atoms.size(), 491u); // 488 in a blank, A or 1 location, and three waters present only as B
    EXPECT_EQ(Field(r.out, "residues"), std::to_string(residues.size()));
    EXPECT_EQ(Field(r.out, "chains"), "3");
    Molecule m = DefaultMolecule();
    SceneOptions options;
    StructureFacts facts = AnalyseStructure(m, options);
    int heavy = 0;
    for (const Atom& a : m.atoms)
        heavy += a.element != "H";
    EXPECT_EQ(static_cast<int>(facts.shown.size()), heavy);
    EXPECT_EQ(Field(r.out, "bonds"), std::to_string(facts.bonds.size()));
    EXPECT_EQ(Field(r.out, "  opaque spheres"), std::to_string(heavy));
    EXPECT_EQ(Field(r.out, "  opaque cylinders"), std::to_string(facts.bonds.size()));
    EXPECT_EQ(Field(r.out, "  lines"), "3");
    EXPECT_EQ(Field(r.out, "  icons"), "1");
    // Spheres give a dot each, cylinders three, labels one.
    int labels = std::stoi(Field(r.out, "  3D texts"));
    EXPECT_EQ(labels, 24); // the two 12-residue chains, one label on each alpha carbon
    EXPECT_EQ(Field(r.out, "pick dots"), std::to_string(heavy + 3 * static_cast<int>(facts.bonds.size()) + labels));

    Outcome json = RunTool({"--json", "--no-timings"});
    ASSERT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\"atoms\": 491"), std::string::npos);
    EXPECT_EQ(json.out.front(), '{');
}

// Bonds inside residues of 1HPV (HIV protease, no hydrogens) match the
// known covalent structure of the amino acids.
TEST(Orvscene, BondsFollowTheCovalentStructure)
{
    Molecule m = ReadStructureFile(DataFile("1hpv.pdb"));
    EXPECT_EQ(m.atoms.size(), 1631u);
    SceneOptions options;
    StructureFacts facts = AnalyseStructure(m, options);
    auto bondsOf = [&](char chain, int residue) {
        std::set<std::string> names;
        for (const Bond& b : facts.bonds) {
            const Atom& x = m.atoms[static_cast<std::size_t>(b.a)];
            const Atom& y = m.atoms[static_cast<std::size_t>(b.b)];
            if (x.chain == chain && y.chain == chain && x.residueNumber == residue && y.residueNumber == residue)
                names.insert(std::min(x.name, y.name) + "-" + std::max(x.name, y.name));
        }
        return names;
    };
    auto residueName = [&](char chain, int residue) {
        for (const Atom& a : m.atoms)
            if (a.chain == chain && a.residueNumber == residue)
                return a.residue;
        return std::string();
    };
    const std::set<std::string> backbone = {"C-CA", "C-O", "CA-N"};
    std::set<std::string> glycine = backbone;
    std::set<std::string> alanine = backbone;
    alanine.insert("CA-CB");
    std::set<std::string> proline = alanine;
    proline.insert({"CB-CG", "CD-CG", "CD-N"});
    int checked = 0;
    for (char chain : {'A', 'B'})
        for (int residue = 1; residue <= 99; ++residue) {
            std::string name = residueName(chain, residue);
            const std::set<std::string>* expected =
                name == "GLY" ? &glycine : name == "ALA" ? &alanine : name == "PRO" ? &proline : nullptr;
            if (!expected)
                continue;
            std::set<std::string> found = bondsOf(chain, residue);
            found.erase("C-OXT");
            found.erase("CA-OXT"); // none expected; left out so that C-terminal residues compare too
            EXPECT_EQ(found, *expected) << chain << residue << " " << name;
            ++checked;
        }
    EXPECT_GT(checked, 20);
    // Peptide bonds: each chain of 99 residues has 98.
    int peptide = 0;
    for (const Bond& b : facts.bonds) {
        const Atom& x = m.atoms[static_cast<std::size_t>(b.a)];
        const Atom& y = m.atoms[static_cast<std::size_t>(b.b)];
        if (x.chain == y.chain && std::abs(x.residueNumber - y.residueNumber) == 1 &&
            ((x.name == "C" && y.name == "N") || (x.name == "N" && y.name == "C")))
            ++peptide;
    }
    EXPECT_EQ(peptide, 2 * 98);
}

TEST(Orvscene, SuperposingARotatedCopyGivesZeroRmsd)
{
    // Rotate and shift the embedded molecule, write it as PDB, lay it back.
    std::istringstream in(DefaultMoleculeText());
    std::ostringstream rotated;
    std::string line;
    const double c = std::cos(0.7), s = std::sin(0.7);
    while (std::getline(in, line)) {
        if (line.compare(0, 4, "ATOM") == 0 || line.compare(0, 6, "HETATM") == 0) {
            double x = std::stod(line.substr(30, 8)), y = std::stod(line.substr(38, 8)), z = std::stod(line.substr(46, 8));
            char coords[32];
            std::snprintf(coords, sizeof coords, "%8.3f%8.3f%8.3f", c * x - s * y + 5, s * x + c * y - 3, z + 11);
            line.replace(30, 24, coords);
        }
        rotated << line << "\n";
    }
    std::string path = TempPath("rotated.pdb");
    std::ofstream(path) << rotated.str();
    Outcome r = RunTool({"--superpose", path, "--json", "--no-timings"});
    std::remove(path.c_str());
    ASSERT_EQ(r.status, 0) << r.err;
    std::size_t at = r.out.find("\"rmsd_after\": ");
    ASSERT_NE(at, std::string::npos) << r.out;
    EXPECT_LT(std::stod(r.out.substr(at + 14)), 0.005); // coordinates carry 3 decimals
    at = r.out.find("\"rmsd_before\": ");
    EXPECT_GT(std::stod(r.out.substr(at + 15)), 5.0);
    EXPECT_NE(r.out.find("\"pairs\": 24"), std::string::npos);
}

TEST(Orvscene, DocumentRoundTripGivesTheSameReport)
{
    for (const char* style : {"ball-and-stick", "spacefill", "wire"}) {
        std::string doc = TempPath(std::string("scene-") + style + ".orvs");
        Outcome written = RunTool({"--style", style, "--write", doc, "--no-timings"});
        ASSERT_EQ(written.status, 0) << written.err;
        Outcome read = RunTool({"--read", doc, "--no-timings"});
        ASSERT_EQ(read.status, 0) << read.err;
        // The document keeps the scene, not the file's format and entry lines.
        std::string facts;
        std::istringstream lines(written.out);
        for (std::string line; std::getline(lines, line);)
            if (line.compare(0, 6, "format") != 0 && line.compare(0, 5, "entry") != 0)
                facts += line + "\n";
        EXPECT_EQ(read.out, facts) << style;

        // Every truncation of the document is reported as damage, never a crash.
        std::string bytes = ReadAll(doc);
        ASSERT_GT(bytes.size(), 100u);
        for (std::size_t cut : {std::size_t(0), std::size_t(3), std::size_t(9), bytes.size() / 3, bytes.size() / 2,
                                bytes.size() - 1}) {
            std::ofstream(doc, std::ios::binary | std::ios::trunc) << bytes.substr(0, cut);
            Outcome bad = RunTool({"--read", doc});
            EXPECT_EQ(bad.status, 2) << cut;
            EXPECT_NE(bad.err.find(doc), std::string::npos) << bad.err;
        }
        std::remove(doc.c_str());
    }
    std::string junk = TempPath("junk.orvs");
    std::ofstream(junk) << "this is not a scene document at all";
    Outcome bad = RunTool({"--read", junk});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("not an orvscene document"), std::string::npos) << bad.err;
    std::remove(junk.c_str());
}

TEST(Orvscene, WritesAWellFormedPicture)
{
    std::string svg = TempPath("scene.svg");
    Outcome r = RunTool({"--svg", svg, "--no-timings"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = ReadAll(svg);
    std::remove(svg.c_str());
    ASSERT_EQ(text.rfind("<?xml", 0), 0u);
    // Elements nest properly: every opened tag is closed in order; every
    // shared definition used is defined.
    std::vector<std::string> open;
    std::set<std::string> ids, used;
    std::vector<std::string> labels;
    int balls = 0;
    for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        std::size_t end = text.find('>', at);
        ASSERT_NE(end, std::string::npos);
        std::string tag = text.substr(at + 1, end - at - 1);
        if (tag[0] == '?')
            continue;
        if (tag[0] == '/') {
            ASSERT_FALSE(open.empty());
            EXPECT_EQ(open.back(), tag.substr(1));
            open.pop_back();
            continue;
        }
        std::string name = tag.substr(0, tag.find_first_of(" /"));
        std::size_t id = tag.find(" id=\"");
        if (id != std::string::npos)
            ids.insert(tag.substr(id + 5, tag.find('"', id + 5) - id - 5));
        for (const char* ref : {"href=\"#", "url(#"}) {
            std::size_t refAt = tag.find(ref);
            if (refAt != std::string::npos) {
                refAt += std::strlen(ref);
                used.insert(tag.substr(refAt, tag.find_first_of("\")", refAt) - refAt));
            }
        }
        balls += name == "use";
        if (name == "text")
            labels.push_back(text.substr(end + 1, text.find('<', end) - end - 1));
        if (tag.back() != '/')
            open.push_back(name);
    }
    EXPECT_TRUE(open.empty());
    for (const std::string& u : used)
        EXPECT_EQ(ids.count(u), 1u) << u;
    EXPECT_EQ(std::to_string(balls), Field(r.out, "  opaque spheres"));
    // Two peptide chains of 12 residues: their labels carry the chain.
    ASSERT_EQ(labels.size(), 24u);
    EXPECT_EQ(std::count(labels.begin(), labels.end(), "GLU A101") + std::count(labels.begin(), labels.end(), "GLU B201"),
              2);
}

TEST(Orvscene, BadInputIsReportedWithFileAndLine)
{
    std::string pdb = TempPath("bad.pdb");
    std::ofstream(pdb) << "HEADER    TEST\n"
                          "ATOM      1  N   GLY A   1       1.000   2.000   3.000  1.00  0.00           N\n"
                          "ATOM      2  CA  GLY A   1       1.500   2.\n";
    Outcome r = RunTool({pdb});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(pdb + ":3:"), std::string::npos) << r.err;

    std::ofstream(pdb) << "ATOM      1  N   GLY A   1       1.000   x.000   3.000  1.00  0.00           N\n";
    r = RunTool({pdb});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(pdb + ":1:"), std::string::npos) << r.err;

    std::string xyz = TempPath("bad.xyz");
    std::ofstream(xyz) << "3\ncomment\nC 0 0 0\nO 1.2 0 0\n";
    r = RunTool({xyz});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(xyz + ":5:"), std::string::npos) << r.err;

    std::ofstream(xyz) << "3\nwater and a carbon\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n";
    r = RunTool({xyz, "--hydrogens", "--no-timings"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(r.out, "bonds"), "2");

    r = RunTool({TempPath("missing.pdb")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos);

    // An output that cannot be written leaves nothing behind and says why.
    std::string svg = "/nonexistent-dir/scene.svg";
    r = RunTool({"--svg", svg});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(Exists(svg));
    EXPECT_NE(r.err.find(svg + ": cannot create the file: No such file or directory"), std::string::npos) << r.err;

    EXPECT_EQ(RunTool({"--style", "cartoon"}).status, 1);
    EXPECT_EQ(RunTool({"--pick", "1"}).status, 1);
    std::remove(pdb.c_str());
    std::remove(xyz.c_str());
}

TEST(Orvscene, ModelsAndElementColumns)
{
    std::string text = "MODEL        1\n"
                       "ATOM      1  CA  GLY A   1       0.000   0.000   0.000  1.00  0.00           C\n"
                       "ENDMDL\n"
                       "MODEL        2\n"
                       "ATOM      1  CA  GLY A   1       9.000   0.000   0.000  1.00  0.00           C\n"
                       "HETATM    2 ZN    ZN A   2       5.000   0.000   0.000  1.00  0.00          ZN\n"
                       "HETATM    3 CL1  LIG A   3       5.000   1.000   0.000  1.00  0.00\n"
                       "ATOM      4 HG21 VAL A   4       5.000   2.000   0.000  1.00  0.00\n"
                       "ENDMDL\n";
    Molecule first = ReadPdb(text, "m.pdb");
    ASSERT_EQ(first.atoms.size(), 1u);
    EXPECT_DOUBLE_EQ(first.atoms[0].x, 0.0);
    Molecule second = ReadPdb(text, "m.pdb", {2});
    ASSERT_EQ(second.atoms.size(), 4u);
    EXPECT_DOUBLE_EQ(second.atoms[0].x, 9.0);
    EXPECT_EQ(second.atoms[1].element, "Zn");
    EXPECT_EQ(second.atoms[2].element, "Cl");
    EXPECT_EQ(second.atoms[3].element, "H");
    EXPECT_THROW(ReadPdb(text, "m.pdb", {3}), ParseError);
    EXPECT_THROW(ReadPdb("MODEL 1\nATOM      1  CA  GLY A   1       0.000   0.000   0.000\n", "t.pdb"), ParseError);
}

TEST(Orvscene, OutputsAppearTogetherOrNotAtAll)
{
    std::string svg = TempPath("together.svg"), doc = TempPath("together.orvs");
    // The document cannot be written (its path is a directory): the
    // picture does not appear either.
    ASSERT_EQ(::mkdir(doc.c_str(), 0755), 0);
    Outcome r = RunTool({"--svg", svg, "--write", doc});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(Exists(svg));
    EXPECT_NE(r.err.find(doc), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("is a directory"), std::string::npos) << r.err;
    ::rmdir(doc.c_str());

    r = RunTool({"--svg", svg, "--write", svg});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("are the same file"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(svg));

    r = RunTool({"--svg", svg, "--write", doc, "--no-timings"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Exists(svg));
    EXPECT_TRUE(Exists(doc));
    std::remove(svg.c_str());
    std::remove(doc.c_str());
}

TEST(Orvscene, HelpAndUsageErrors)
{
    Outcome help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, Usage());
    EXPECT_TRUE(help.err.empty());
    EXPECT_NE(Usage().find("--labels none|residues|atoms"), std::string::npos);
    EXPECT_NE(Usage().find("--altloc X"), std::string::npos);
    EXPECT_EQ(RunTool({"-h", "--style", "spacefill"}).status, 0);
    for (std::vector<std::string> bad : {std::vector<std::string>{"--altloc", "AB"}, {"--altloc", " "},
                                         {"--labels", "some"}, {"--model", "0"}, {"--read", "x.orvs", "--model", "2"},
                                         {"--read", "x.orvs", "--labels", "none"}}) {
        Outcome r = RunTool(bad);
        EXPECT_EQ(r.status, 1) << bad[0] << " " << bad[1];
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST(Orvscene, StructureFilesTheToolRefuses)
{
    std::string pdb = TempPath("plain.pdb");
    std::ofstream(pdb) << "ATOM      1  CA  GLY A   1       1.000   2.000   3.000  1.00  0.00           C\n";
    EXPECT_EQ(RunTool({pdb, "--model", "1", "--no-timings"}).status, 0);
    Outcome r = RunTool({pdb, "--model", "2"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(pdb + ": no model 2"), std::string::npos) << r.err;

    std::ofstream(pdb) << "ATOM      1  CA  GLY A   1         nan   2.000   3.000  1.00  0.00           C\n";
    r = RunTool({pdb, "--json"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find(pdb + ":1: bad x coordinate '     nan'"), std::string::npos) << r.err;
    std::remove(pdb.c_str());

    std::string dir = TempPath("folder.pdb");
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    r = RunTool({dir});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(dir + ": is a directory"), std::string::npos) << r.err;
    ::rmdir(dir.c_str());
}

// Residue labels by default up to a few hundred residues; beyond, none and
// the summary says so. --labels chooses.
TEST(Orvscene, LabelsStayReadable)
{
    std::string pdb = TempPath("long.pdb");
    {
        std::ofstream out(pdb);
        for (int i = 1; i <= kMaxAutomaticLabels + 1; ++i) {
            char line[100];
            std::snprintf(line, sizeof line, "ATOM  %5d  CA  ALA A%4d    %8.3f%8.3f%8.3f  1.00  0.00           C\n",
                          i, i, 3.8 * (i % 20), 3.8 * (i / 20), 0.0);
            out << line;
        }
    }
    Outcome r = RunTool({pdb, "--no-timings"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(r.out, "  3D texts"), "");
    EXPECT_EQ(Field(r.out, "labels"), "none: " + std::to_string(kMaxAutomaticLabels + 1) + " residues, more than " +
                                          std::to_string(kMaxAutomaticLabels) + " (--labels residues shows them)");
    r = RunTool({pdb, "--labels", "residues", "--no-timings"});
    EXPECT_EQ(Field(r.out, "  3D texts"), std::to_string(kMaxAutomaticLabels + 1));
    EXPECT_EQ(Field(r.out, "labels"), "");
    std::remove(pdb.c_str());

    r = RunTool({"--labels", "none", "--no-timings"});
    EXPECT_EQ(Field(r.out, "  3D texts"), "");
    EXPECT_EQ(Field(r.out, "labels"), "");
    r = RunTool({"--labels", "atoms", "--no-timings"});
    EXPECT_EQ(Field(r.out, "  3D texts"), Field(r.out, "  opaque spheres"));
}

// The picture stays small: shared gradients, symbols and style classes, and
// coordinates to a tenth of a pixel, within 200 bytes per atom drawn.
TEST(Orvscene, PictureSizePerAtom)
{
    std::string svg = TempPath("1hpv.svg");
    for (const char* style : {"ball-and-stick", "spacefill", "wire"}) {
        Outcome r = RunTool({DataFile("1hpv.pdb"), "--style", style, "--svg", svg, "--no-timings"});
        ASSERT_EQ(r.status, 0) << r.err;
        std::string text = ReadAll(svg);
        EXPECT_LE(text.size(), 200u * 1631u) << style;
        EXPECT_EQ(text.find("e+"), std::string::npos); // numbers are plain decimals
        EXPECT_EQ(text.find("nan"), std::string::npos);
    }
    std::remove(svg.c_str());
}

// Names with bytes that are not UTF-8 reach the picture as Latin-1 letters,
// control bytes as '?', so that it stays well-formed UTF-8 XML.
TEST(Orvscene, PictureTextIsUtf8)
{
    std::string pdb = TempPath("bytes.pdb"), svg = TempPath("bytes.svg");
    std::ofstream(pdb) << "ATOM      1  CA  G\xff\x01 A   1       1.000   2.000   3.000  1.00  0.00           C\n";
    Outcome r = RunTool({pdb, "--svg", svg, "--no-timings"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = ReadAll(svg);
    EXPECT_NE(text.find(">G\xc3\xbf?1</text>"), std::string::npos);
    for (char c : text)
        EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20);
    std::remove(pdb.c_str());
    std::remove(svg.c_str());
}

// Every output is the same bytes whatever the number of threads; the thread
// count is checked like any other option.
TEST(Orvscene, OutputsAreTheSameOnOneAndOnFourThreads)
{
    const char* names[] = {"svg", "html", "gltf", "write"};
    std::string outputs[2][4], summaries[2];
    const unsigned lastID = Orvane::DisplayList3D::m_lastID; // both runs number their lists alike
    for (int run = 0; run < 2; ++run) {
        Orvane::DisplayList3D::m_lastID = lastID;
        std::vector<std::string> args = {DataFile("1hpv.pdb"), "--threads", run ? "4" : "1", "--no-timings",
                                         "--superpose", DataFile("1hpv.pdb"), "--labels", "residues"};
        for (int n = 0; n < 4; ++n) {
            args.push_back(std::string("--") + names[n]);
            args.push_back(TempPath(std::string("threads.") + names[n]));
        }
        const Outcome r = RunTool(args);
        ASSERT_EQ(r.status, 0) << r.err;
        summaries[run] = r.out;
        for (int n = 0; n < 4; ++n) {
            outputs[run][n] = ReadAll(TempPath(std::string("threads.") + names[n]));
            std::remove(TempPath(std::string("threads.") + names[n]).c_str());
        }
    }
    for (int n = 0; n < 4; ++n) {
        EXPECT_GT(outputs[0][n].size(), 10000u) << names[n];
        EXPECT_TRUE(outputs[0][n] == outputs[1][n]) << names[n] << " differs";
    }
    EXPECT_EQ(summaries[0], summaries[1]);
    // Side by side, an output that cannot be written leaves no other behind.
    const Outcome failed = RunTool({DataFile("1hpv.pdb"), "--threads", "2", "--svg", TempPath("threads.kept.svg"),
                                    "--gltf", TempPath("threads.missing/x.gltf")});
    EXPECT_NE(failed.status, 0);
    EXPECT_NE(failed.err.find("threads.missing/x.gltf"), std::string::npos) << failed.err;
    EXPECT_FALSE(std::ifstream(TempPath("threads.kept.svg")).good());
    for (const char* bad : {"0", "-2", "257", "two", ""})
        EXPECT_EQ(RunTool({"--threads", bad}).status, 1) << bad;
}
