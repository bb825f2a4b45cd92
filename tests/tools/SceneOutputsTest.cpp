// The scene walk that feeds every output, and the page and glTF writers on
// scenes built here (the browser tests check them in a real browser and with
// Khronos' validator on the tool's own scenes).
#include "GltfWriter.h"
#include "HtmlPage.h"
#include "Orvscene.h"
#include "SceneWalk.h"

#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace orvscene;
using Orvane::Color;
using Orvane::DisplayList3D;
using Orvane::Matrix4x4;
using Orvane::Point3d;
using Orvane::SpherePrimitive;

namespace {

Matrix4x4 Translation(double x, double y, double z)
{
    Matrix4x4 m(Matrix4x4::IdentityMatrix);
    m.SetTranslation(x, y, z);
    return m;
}

// root (turned 90 degrees about z) > a (moved by (5, 0, 0)) > b (scaled by 2),
// one sphere in each, identifiers 1, 2 and 3; b's sphere is see-through.
DisplayList3D NestedScene()
{
    DisplayList3D root, a, b;
    root.SetLocalTransformation(Matrix4x4(Orvane::ZAxis, 90));
    a.SetLocalTransformation(Translation(5, 0, 0));
    Matrix4x4 scale(Matrix4x4::IdentityMatrix);
    scale.SetScale(2);
    b.SetLocalTransformation(scale);
    root.Add(SpherePrimitive(Point3d(1, 0, 0), 0.5, Color(200, 0, 0), 1u));
    a.Add(SpherePrimitive(Point3d(1, 0, 0), 0.5, Color(0, 200, 0), 2u));
    Color seeThrough(0, 0, 200);
    seeThrough.SetA(static_cast<unsigned char>(100));
    b.Add(SpherePrimitive(Point3d(1, 1, 0), 0.5, seeThrough, 3u));
    a.Add(b);
    root.Add(a);
    return root;
}

void ExpectNear(const Point3d& p, double x, double y, double z)
{
    EXPECT_NEAR(p.GetX(), x, 1e-9);
    EXPECT_NEAR(p.GetY(), y, 1e-9);
    EXPECT_NEAR(p.GetZ(), z, 1e-9);
}

struct Recorder : SceneVisitor {
    std::vector<std::string> events;
    std::vector<Point3d> placed; // sphere centres through their list's aggregate
    void EnterList(const SceneListVisit& at)
    {
        events.push_back("enter " + std::to_string(at.index) + " parent " + std::to_string(at.parent) + " depth " +
                         std::to_string(at.depth));
    }
    using SceneVisitor::Primitive;
    void Primitive(const SpherePrimitive& s, const char* kind, const SceneListVisit& at)
    {
        events.push_back(std::string(kind) + " " + std::to_string(s.GetID()));
        placed.push_back(at.aggregate.Transform(s.GetCenter()));
    }
    void LeaveList(const SceneListVisit& at) { events.push_back("leave " + std::to_string(at.index)); }
};

// The walk applies the parent's transformation first, as the display lists'
// aggregate does: b's point (1, 1, 0) is scaled last, after the move and the turn.
TEST(SceneWalk, VisitsListsDepthFirstWithTheirAggregateTransformation)
{
    DisplayList3D scene = NestedScene();
    Recorder r;
    EXPECT_EQ(WalkScene(scene, r), 3);
    const std::vector<std::string> expected = {"enter 0 parent -1 depth 0", "opaque spheres 1",
                                               "enter 1 parent 0 depth 1",  "opaque spheres 2",
                                               "enter 2 parent 1 depth 2",  "transparent spheres 3",
                                               "leave 2",                   "leave 1",
                                               "leave 0"};
    EXPECT_EQ(r.events, expected);
    ASSERT_EQ(r.placed.size(), 3u);
    ExpectNear(r.placed[0], 0, 1, 0);           // (1,0,0) turned
    ExpectNear(r.placed[1], 5, 1, 0);           // turned, then moved
    ExpectNear(r.placed[2], 2 * 4, 2 * 1, 0);   // (1,1,0) turned to (-1,1,0), moved to (4,1,0), scaled
    // The library's own pick dots agree on where each object is.
    std::vector<Orvane::DotPrimitive> dots;
    scene.GetPickDots(dots);
    ASSERT_EQ(dots.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(dots[static_cast<std::size_t>(i)].GetCoord().Distance(r.placed[static_cast<std::size_t>(i)]), 0,
                    1e-9);
}

// --- glTF

struct Glb {
    std::string json, bin;
};

std::uint32_t Little32(const std::string& s, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

Glb WriteGlb(const DisplayList3D& scene)
{
    std::ostringstream out;
    GltfWriter(scene, "test").Write(out);
    const std::string bytes = out.str();
    Glb glb;
    EXPECT_EQ(bytes.substr(0, 4), "glTF");
    EXPECT_EQ(Little32(bytes, 4), 2u);
    EXPECT_EQ(Little32(bytes, 8), bytes.size());
    const std::uint32_t jsonLength = Little32(bytes, 12);
    EXPECT_EQ(jsonLength % 4, 0u);
    EXPECT_EQ(bytes.substr(16, 4), "JSON");
    glb.json = bytes.substr(20, jsonLength);
    if (bytes.size() > 20 + jsonLength) {
        const std::size_t at = 20 + jsonLength;
        EXPECT_EQ(bytes.substr(at + 4, 4), std::string("BIN\0", 4));
        glb.bin = bytes.substr(at + 8, Little32(bytes, at));
        EXPECT_EQ(glb.bin.size() % 4, 0u);
        EXPECT_EQ(at + 8 + glb.bin.size(), bytes.size());
    }
    return glb;
}

// The numbers of the JSON array that follows `key` after `from`.
std::vector<double> NumbersAfter(const std::string& json, const std::string& key, std::size_t from = 0)
{
    std::size_t at = json.find(key, from);
    EXPECT_NE(at, std::string::npos) << key;
    std::vector<double> out;
    if (at == std::string::npos)
        return out;
    std::istringstream in(json.substr(at + key.size(), json.find(']', at) - at - key.size()));
    for (std::string item; std::getline(in, item, ',');)
        out.push_back(std::stod(item));
    return out;
}

// The glTF node matrix (column major, column vectors) applied to p.
Point3d ApplyGltf(const std::vector<double>& m, const Point3d& p)
{
    const double v[4] = {p.GetX(), p.GetY(), p.GetZ(), 1};
    double r[3];
    for (int row = 0; row < 3; ++row)
        r[row] = m[static_cast<std::size_t>(row)] * v[0] + m[static_cast<std::size_t>(4 + row)] * v[1] +
                 m[static_cast<std::size_t>(8 + row)] * v[2] + m[static_cast<std::size_t>(12 + row)] * v[3];
    return Point3d(r[0], r[1], r[2]);
}

// The floats of accessor `index`, cut from the binary chunk.
std::vector<float> AccessorFloats(const Glb& glb, int index)
{
    auto objects = [&](const std::string& key) {
        std::size_t at = glb.json.find(key) + key.size();
        std::vector<std::string> out;
        for (std::size_t end; (end = glb.json.find('}', at)) != std::string::npos; at = end + 2) {
            out.push_back(glb.json.substr(at, end - at + 1));
            if (glb.json[end + 1] != ',')
                break;
        }
        return out;
    };
    const std::string accessor = objects("\"accessors\":[").at(static_cast<std::size_t>(index));
    std::smatch m;
    std::regex_search(accessor, m, std::regex("\"bufferView\":(\\d+).*\"count\":(\\d+),\"type\":\"(\\w+)\""));
    const std::string bufferView = objects("\"bufferViews\":[").at(std::stoul(m[1]));
    std::smatch v;
    std::regex_search(bufferView, v, std::regex("\"byteOffset\":(\\d+),\"byteLength\":(\\d+)"));
    std::vector<float> out(std::stoul(v[2]) / 4);
    std::memcpy(out.data(), glb.bin.data() + std::stoul(v[1]), out.size() * 4);
    const std::size_t components = m[3] == "VEC4" ? 4 : m[3] == "VEC3" ? 3 : 1;
    EXPECT_EQ(out.size(), std::stoul(m[2]) * components);
    return out;
}

// glTF applies a child's matrix before its parent's, display lists after: the
// nodes' matrices must still give each list's content its aggregate place.
TEST(GltfWriter, NodesGiveEveryListItsAggregateTransformation)
{
    DisplayList3D scene = NestedScene();
    Glb glb = WriteGlb(scene);
    std::vector<double> world = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const Point3d local[3] = {Point3d(1, 0, 0), Point3d(1, 0, 0), Point3d(1, 1, 0)};
    const Point3d expected[3] = {Point3d(0, 1, 0), Point3d(5, 1, 0), Point3d(8, 2, 0)};
    for (int list = 0; list < 3; ++list) {
        std::size_t node = glb.json.find("\"name\":\"display list " + std::to_string(list) + "\"");
        ASSERT_NE(node, std::string::npos);
        std::vector<double> m = NumbersAfter(glb.json, "\"matrix\":[", node);
        ASSERT_EQ(m.size(), 16u);
        // world = world * m, column major.
        std::vector<double> product(16, 0);
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                for (int k = 0; k < 4; ++k)
                    product[static_cast<std::size_t>(c * 4 + r)] +=
                        world[static_cast<std::size_t>(k * 4 + r)] * m[static_cast<std::size_t>(c * 4 + k)];
        world = product;
        Point3d p = ApplyGltf(world, local[list]);
        EXPECT_NEAR(p.Distance(expected[list]), 0, 1e-6) << "list " << list;
    }
    // Each sphere is an instance under its list with its identifier.
    EXPECT_NE(glb.json.find("\"objectIds\":[1]"), std::string::npos);
    EXPECT_NE(glb.json.find("\"objectIds\":[2]"), std::string::npos);
    EXPECT_NE(glb.json.find("\"objectIds\":[3]"), std::string::npos);
}

// A sheared list cannot be a glTF node matrix: its node carries none and its
// content is written already in place; cylinders become two halves whose
// rotation turns +y onto the axis.
TEST(GltfWriter, ShearedListsAreBakedAndCylindersSplitInHalves)
{
    DisplayList3D root, sheared;
    Matrix4x4 shear(Matrix4x4::IdentityMatrix);
    shear(1, 0) = 1; // y adds to x
    sheared.SetLocalTransformation(shear);
    sheared.Add(SpherePrimitive(Point3d(0, 2, 0), 1, Color(10, 20, 30), 7u));
    root.Add(sheared);
    root.Add(Orvane::CylinderPrimitive(Point3d(0, 0, 0), Color(255, 0, 0), Point3d(0, 0, 4), Color(0, 0, 255), 0.2,
                                       9u, 10u, 11u));
    Glb glb = WriteGlb(root);
    std::size_t node = glb.json.find("\"name\":\"display list 1\"");
    ASSERT_NE(node, std::string::npos);
    EXPECT_EQ(glb.json.substr(node, glb.json.find('}', node) - node).find("matrix"), std::string::npos);

    std::smatch m;
    std::string rest = glb.json.substr(glb.json.find("\"name\":\"spheres #0a141e\""));
    ASSERT_TRUE(std::regex_search(rest, m, std::regex("\"TRANSLATION\":(\\d+)")));
    std::vector<float> t = AccessorFloats(glb, std::stoi(m[1]));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_FLOAT_EQ(t[0], 2); // (0, 2, 0) sheared
    EXPECT_FLOAT_EQ(t[1], 2);

    EXPECT_NE(glb.json.find("\"objectIds\":[[9,10]]"), std::string::npos);
    EXPECT_NE(glb.json.find("\"objectIds\":[[9,11]]"), std::string::npos);
    rest = glb.json.substr(glb.json.find("\"name\":\"cylinder halves #0000ff\""));
    ASSERT_TRUE(std::regex_search(rest, m, std::regex("\"TRANSLATION\":(\\d+),\"ROTATION\":(\\d+),\"SCALE\":(\\d+)")));
    std::vector<float> start = AccessorFloats(glb, std::stoi(m[1])), q = AccessorFloats(glb, std::stoi(m[2])),
                       scale = AccessorFloats(glb, std::stoi(m[3]));
    EXPECT_FLOAT_EQ(start[2], 2); // the second half starts at the middle
    EXPECT_FLOAT_EQ(scale[1], 2); // and is half as long
    EXPECT_FLOAT_EQ(scale[0], 0.2f);
    // Rotating +y by q gives +z: q is a quarter turn about x.
    EXPECT_NEAR(q[0], std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(q[3], std::sqrt(0.5), 1e-6);
}

TEST(GltfWriter, AnEmptySceneIsAValidContainerWithOneNode)
{
    Glb glb = WriteGlb(DisplayList3D());
    EXPECT_TRUE(glb.bin.empty());
    EXPECT_EQ(glb.json.find("\"buffers\""), std::string::npos);
    EXPECT_NE(glb.json.find("\"nodes\":[{\"name\":\"display list 0\""), std::string::npos);
}

// --- the page

TEST(HtmlPage, Base64AndDeflate)
{
    EXPECT_EQ(Base64(""), "");
    EXPECT_EQ(Base64("f"), "Zg==");
    EXPECT_EQ(Base64("fo"), "Zm8=");
    EXPECT_EQ(Base64("foo"), "Zm9v");
    EXPECT_EQ(Base64(std::string("\xff\x00\xfe", 3)), "/wD+");
    std::string deflated;
    if (Deflate(std::string(1000, 'a'), deflated)) {
        EXPECT_LT(deflated.size(), 100u);
        EXPECT_EQ(static_cast<unsigned char>(deflated[0]), 0x78); // the zlib header
    }
}

// A document of two atoms in two lists, a sphere each and a cylinder between them.
SceneDocument TwoAtomDocument(const std::string& title)
{
    SceneDocument doc;
    doc.source = title;
    doc.coordinates.Add(Point3d(0, 0, 0));
    doc.coordinates.Add(Point3d(3, 0, 0));
    doc.serials.Add(12);
    doc.serials.Add(13);
    doc.labels.Add("12 CA GLU A101");
    doc.labels.Add("13 O HOH 7");
    DisplayList3D chain;
    chain.Add(SpherePrimitive(Point3d(0, 0, 0), 0.4, Color(144, 144, 144), 12u));
    chain.Add(Orvane::CylinderPrimitive(Point3d(0, 0, 0), Color(144, 144, 144), Point3d(3, 0, 0),
                                        Color(255, 13, 13), 0.1, 12u, 12u, 13u));
    doc.scene.Add(SpherePrimitive(Point3d(3, 0, 0), 0.4, Color(255, 13, 13), 13u));
    doc.scene.Add(chain);
    return doc;
}

std::string PageText(const SceneDocument& doc)
{
    View view = View::FromAngles(0, 0, 0);
    view.Fit(doc.coordinates, 800, 600);
    HtmlPage page(doc, view);
    std::ostringstream out;
    page.Write(out);
    return out.str();
}

TEST(HtmlPage, CountsAtomsAndDistinctPickDots)
{
    SceneDocument doc = TwoAtomDocument("two atoms");
    View view = View::FromAngles(0, 0, 0);
    view.Fit(doc.coordinates, 800, 600);
    HtmlPage page(doc, view);
    EXPECT_EQ(page.AtomCount(), 2);
    // Dots: sphere 13, sphere 12, the cylinder's ends (12 at 0, 13 at 3: both
    // already there) and one in the middle of each half: four distinct.
    EXPECT_EQ(page.PickDotCount(), 4);
    // Titles name the file, never its directories.
    EXPECT_EQ(SceneTitle(TwoAtomDocument("/data/shared/1abc.pdb")), "1abc.pdb");
    EXPECT_EQ(SceneTitle(TwoAtomDocument("embedded 3AL1")), "embedded 3AL1");
}

// Texts of the scene cannot end the page's script elements or fill its
// markers; the atoms' fields are split for the info box.
TEST(HtmlPage, TextsStayInsideTheirScriptAndAtomsAreSplit)
{
    if (!HtmlPage::Available())
        GTEST_SKIP() << "built without three.js";
    const std::string page = PageText(TwoAtomDocument("<script>alert(1)<!--<script> {{DATA}}"));
    EXPECT_EQ(page.find("<script>alert"), std::string::npos);
    EXPECT_NE(page.find("\\u003cscript>alert(1)\\u003c!--\\u003cscript> {{DATA}}"), std::string::npos);
    // Four script elements, each closed once.
    std::size_t closes = 0;
    for (std::size_t at = page.find("</script>"); at != std::string::npos; at = page.find("</script>", at + 1))
        ++closes;
    EXPECT_EQ(closes, 4u);
    EXPECT_NE(page.find("\"residues\":[[\"A\",\"GLU\",\"101\",\"\"],[\"\",\"HOH\",\"7\",\"\"]]"), std::string::npos);
    EXPECT_NE(page.find("\"names\":[\"CA\",\"O\"]"), std::string::npos);
    EXPECT_NE(page.find("\"pickRadius\":6"), std::string::npos);
    EXPECT_NE(page.find("data:text/javascript;base64,"), std::string::npos);
}

// --- the options

bool Exists(const std::string& path)
{
    return std::ifstream(path).good();
}

std::string Head(const std::string& path, std::size_t n)
{
    std::ifstream in(path, std::ios::binary);
    std::string text(n, '\0');
    in.read(&text[0], static_cast<std::streamsize>(n));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

int RunTool(const std::vector<std::string>& args, std::string* error = nullptr)
{
    std::ostringstream out, err;
    int status = Run(args, out, err);
    if (error)
        *error = err.str();
    return status;
}

TEST(OrvsceneOutputs, PageAndGltfCombineWithTheOptionsAndAppearTogetherOrNotAtAll)
{
    const std::string dir = ::testing::TempDir();
    const std::string html = dir + "/outputs-test.html", glb = dir + "/outputs-test.glb";
    std::remove(html.c_str());
    std::remove(glb.c_str());
    if (HtmlPage::Available()) {
        ASSERT_EQ(RunTool({"--style", "wire", "--hydrogens", "--model", "1", "--html", html, "--gltf", glb}), 0);
        EXPECT_EQ(Head(html, 15), "<!DOCTYPE html>");
        EXPECT_EQ(Head(glb, 4), "glTF");
        std::remove(html.c_str());
    }
    std::remove(glb.c_str());

    // An output that cannot be written: exit 2, and the other is not left behind.
    std::string error;
    EXPECT_EQ(RunTool({"--gltf", glb, "--html", dir + "/no-such-folder/x.html"}, &error), 2);
    EXPECT_FALSE(Exists(glb));
    EXPECT_NE(error.find("no-such-folder"), std::string::npos) << error;

    // Damaged input: exit 2, nothing written.
    const std::string bad = dir + "/outputs-test-bad.pdb";
    std::ofstream(bad) << "ATOM      1  CA  GLY A   1         nan   0.000   0.000  1.00  0.00           C\n";
    EXPECT_EQ(RunTool({bad, "--gltf", glb}), 2);
    EXPECT_FALSE(Exists(glb));
    std::remove(bad.c_str());

    EXPECT_EQ(RunTool({"--gltf"}), 1);
}

} // namespace

// Sphere and cylinder detail: full in small scenes, and 100,000 atoms with
// their bonds stay within about 8 million triangles.
TEST(GltfWriter, DetailFallsWithTheNumberOfShapes)
{
    const MeshDetail small = ChooseDetail(2000, 4000);
    EXPECT_EQ(small.Triangles(1, 0), 2 * 24 * 16);
    const MeshDetail large = ChooseDetail(100000, 2 * 105000);
    EXPECT_LE(large.Triangles(100000, 2 * 105000), 8000000);
    EXPECT_GE(large.Triangles(1, 0), 48);
}
