#include "orvcore/graphics/scene/SceneDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

std::vector<BYTE> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string DataPath(const char* name)
{
    const char* dir = std::getenv("ORVCORE_TEST_DATA");
    return std::string(dir ? dir : "tests/data") + "/" + name;
}

// A document with one atom at (1234.5, 2, 3), a sphere of radius 7.25 in a
// nested list translated by (0, 0, 99.5), and a 3D label.
SceneDocument SmallDocument()
{
    SceneDocument d;
    d.source = "small";
    d.atoms = 1;
    d.coordinates.Add(Point3d(1234.5, 2, 3));
    d.serials.Add(7);
    d.labels.Add("7 CA GLY A1");
    DisplayList3D child;
    child.Add(SpherePrimitive(Point3d(1, 1, 1), 7.25, Color(200, 10, 10, 0), 7));
    Matrix4x4 shift(Matrix4x4::IdentityMatrix);
    shift.SetTranslation(0, 0, 99.5);
    child.SetLocalTransformation(shift);
    d.scene.Add(child);
    return d;
}

// Replaces the first image of `value` in bytes by `with` (same type).
template <class T>
bool Replace(std::vector<BYTE>& bytes, T value, T with)
{
    BYTE from[sizeof(T)], to[sizeof(T)];
    std::memcpy(from, &value, sizeof(T));
    std::memcpy(to, &with, sizeof(T));
    for (std::size_t i = 0; i + sizeof(T) <= bytes.size(); ++i)
        if (std::memcmp(&bytes[i], from, sizeof(T)) == 0) {
            std::memcpy(&bytes[i], to, sizeof(T));
            return true;
        }
    return false;
}

SceneDocument::Status Load(SceneDocument& d, const std::vector<BYTE>& bytes)
{
    return d.FromBytes(bytes.data(), bytes.size());
}

} // namespace

// A document written by orvscene before the document moved into the library
// loads, and is stored again byte for byte.
TEST(SceneDocument, ToolDocumentLoadsAndStoresByteForByte)
{
    const std::vector<BYTE> bytes = ReadBytes(DataPath("scenes/3al1-ball-and-stick.orvs"));
    ASSERT_GT(bytes.size(), 1000u);
    SceneDocument d;
    ASSERT_EQ(Load(d, bytes), SceneDocument::ok);
    EXPECT_EQ(d.source, "embedded 3AL1");
    EXPECT_EQ(d.atoms, 491);
    EXPECT_EQ(d.chains, 3);
    EXPECT_EQ(d.coordinates.GetSize(), d.labels.GetSize());
    EXPECT_GT(d.scene.GetNumDisplayLists(), 0);
    EXPECT_EQ(d.ToBytes(), bytes);
}

TEST(SceneDocument, RoundTripKeepsTreeTransformationsAndPrimitives)
{
    const SceneDocument d = SmallDocument();
    SceneDocument back;
    ASSERT_EQ(Load(back, d.ToBytes()), SceneDocument::ok);
    EXPECT_EQ(back.source, "small");
    ASSERT_EQ(back.coordinates.GetSize(), 1);
    EXPECT_EQ(back.coordinates[0].GetX(), 1234.5);
    EXPECT_EQ(back.serials[0], 7);
    EXPECT_STREQ(back.labels[0].GetString(), "7 CA GLY A1");
    ASSERT_EQ(back.scene.GetNumDisplayLists(), 1);
    const DisplayList3D& child = back.scene.GetDisplayList(0);
    EXPECT_EQ(static_cast<const double*>(child.GetLocalTransformation())[14], 99.5);
    ASSERT_EQ(child.GetNumOpaqueSpheres(), 1);
    EXPECT_EQ(child.GetOpaqueSphere(0).GetRadius(), 7.25);
    EXPECT_EQ(child.GetOpaqueSphere(0).GetID(), 7u);
    EXPECT_EQ(back.ToBytes(), d.ToBytes());
}

// Every failure has its status, and a failed load leaves the document as it was.
TEST(SceneDocument, RefusesDamagedDocumentsAndKeepsItsContent)
{
    const std::vector<BYTE> good = SmallDocument().ToBytes();
    const float nanF = std::numeric_limits<float>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    std::vector<BYTE> nanCoordinate = good, nanRadius = good, infMatrix = good, newer = good, trailing = good;
    ASSERT_TRUE(Replace(nanCoordinate, 1234.5f, nanF));
    ASSERT_TRUE(Replace(nanRadius, 7.25f, nanF));
    ASSERT_TRUE(Replace(infMatrix, 99.5, -inf));
    newer[4] = 14; // the schema word follows the magic word
    trailing.push_back(0);
    std::vector<BYTE> notDocument = good;
    notDocument[0] = 'X';
    std::vector<BYTE> badLabels = good;
    // The label count (one) follows the serials; make it two.
    const BYTE label[] = {1, 0, 11, '7', ' ', 'C', 'A'};
    for (std::size_t i = 0; i + sizeof label <= badLabels.size(); ++i)
        if (std::memcmp(&badLabels[i], label, sizeof label) == 0)
            badLabels[i] = 2;

    const struct {
        const std::vector<BYTE>* bytes;
        std::size_t cut;
        SceneDocument::Status status;
    } cases[] = {
        {&nanCoordinate, 0, SceneDocument::notFinite}, {&nanRadius, 0, SceneDocument::notFinite},
        {&infMatrix, 0, SceneDocument::notFinite},     {&newer, 0, SceneDocument::newerSchema},
        {&trailing, 0, SceneDocument::damaged},        {&notDocument, 0, SceneDocument::notADocument},
        {&badLabels, 0, SceneDocument::damaged},     {&good, 3, SceneDocument::truncated},
        {&good, good.size() / 2, SceneDocument::truncated},
    };
    SceneDocument kept = SmallDocument();
    const std::vector<BYTE> before = kept.ToBytes();
    for (const auto& c : cases) {
        std::vector<BYTE> bytes = *c.bytes;
        if (c.cut)
            bytes.resize(c.cut);
        EXPECT_EQ(Load(kept, bytes), c.status) << &c - cases;
        EXPECT_EQ(kept.ToBytes(), before);
    }
    EXPECT_STREQ(SceneDocument::Describe(SceneDocument::notADocument), "not an orvscene document");
    EXPECT_NE(std::strstr(SceneDocument::Describe(SceneDocument::notFinite), "not a finite number"), nullptr);
}

TEST(SceneDocument, FilesReportWhyTheyFail)
{
    const std::string path = ::testing::TempDir() + "scene-document-test.orvs";
    const SceneDocument d = SmallDocument();
    ASSERT_EQ(d.WriteFile(path.c_str()), SceneDocument::ok);
    EXPECT_EQ(ReadBytes(path), d.ToBytes());
    SceneDocument back;
    EXPECT_EQ(back.ReadFile(path.c_str()), SceneDocument::ok);
    EXPECT_EQ(back.ToBytes(), d.ToBytes());
    std::remove(path.c_str());
    EXPECT_EQ(back.ReadFile(path.c_str()), SceneDocument::cannotOpen);
    EXPECT_EQ(d.WriteFile((path + ".missing/x.orvs").c_str()), SceneDocument::cannotCreate);
}

// The damaged documents of the fuzz corpus are refused for what they are.
TEST(SceneDocument, CorpusOfDamagedDocumentsIsRefused)
{
    const struct {
        const char* prefix;
        SceneDocument::Status status;
    } kinds[] = {{"nan-", SceneDocument::notFinite}, {"inf-", SceneDocument::notFinite},
                 {"cut-", SceneDocument::truncated}, {"newer-", SceneDocument::newerSchema},
                 {"trailing-", SceneDocument::damaged}, {"valid-", SceneDocument::ok}};
    const std::string dir = DataPath("../fuzz/corpus/scenedocument");
    int checked = 0;
    for (const char* name : {"nan-atom-coordinate.orvs", "inf-atom-coordinate.orvs", "nan-root-transformation.orvs",
                             "inf-nested-transformation.orvs", "nan-sphere-centre.orvs", "nan-cylinder-radius.orvs",
                             "nan-view-size.orvs", "cut-in-half.orvs", "newer-schema.orvs", "trailing-byte.orvs",
                             "valid-five-atoms.orvs"}) {
        const std::vector<BYTE> bytes = ReadBytes(dir + "/" + name);
        ASSERT_FALSE(bytes.empty()) << name;
        for (const auto& kind : kinds)
            if (std::string(name).rfind(kind.prefix, 0) == 0) {
                SceneDocument d;
                EXPECT_EQ(Load(d, bytes), kind.status) << name;
                ++checked;
            }
    }
    EXPECT_EQ(checked, 11);
}
