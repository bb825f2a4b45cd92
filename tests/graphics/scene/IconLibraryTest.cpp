#include "orvcore/graphics/scene/IconLibrary.h"

#include <gtest/gtest.h>

#include <set>

using namespace Orvane;

namespace {

// Coordinates are held in single precision: compare with the float nearest
// to the exact value.
void ExpectPoint(const Point3d& p, double x, double y, double z)
{
    EXPECT_EQ(p.GetX(), static_cast<double>(static_cast<float>(x)));
    EXPECT_EQ(p.GetY(), static_cast<double>(static_cast<float>(y)));
    EXPECT_EQ(p.GetZ(), static_cast<double>(static_cast<float>(z)));
}

void ExpectLine(const DisplayList3D& list, int index, const Point3d& end1, const Point3d& end2)
{
    SCOPED_TRACE(index);
    const LinePrimitive& line = list.GetLine(index);
    ExpectPoint(line.GetEnd1(), end1.GetX(), end1.GetY(), end1.GetZ());
    ExpectPoint(line.GetEnd2(), end2.GetX(), end2.GetY(), end2.GetZ());
    EXPECT_EQ(line.GetColor1(), Color(255, 255, 255, 0));
    EXPECT_EQ(line.GetColor2(), Color(255, 255, 255, 0));
    EXPECT_EQ(line.GetWidth(), 1);
    EXPECT_EQ(line.GetID1(), 0u);
    EXPECT_EQ(line.GetID2(), 0u);
}

int CountPrimitives(const DisplayList3D& list)
{
    return list.GetNumLines() + list.GetNumUnlitTriangles();
}

} // namespace

// Runs first in this program: nothing has touched the registry yet.
TEST(IconLibrary, BuiltOnFirstUseWithTheFourNamedIcons)
{
    EXPECT_EQ(IconLibrary::m_pIconDefinitions, nullptr);
    EXPECT_EQ(IconLibrary::m_pIconIndex, nullptr);
    EXPECT_EQ(IconLibrary::m_iconID, 0u);

    const IconLibrary::IconIndexMap& index = IconLibrary::GetIconIndex();
    EXPECT_EQ(&index, IconLibrary::m_pIconIndex);
    ASSERT_NE(IconLibrary::m_pIconDefinitions, nullptr);
    EXPECT_EQ(IconLibrary::m_iconID, 4u);
    EXPECT_EQ(index.GetCount(), 4);
    EXPECT_EQ(index.GetHashTableSize(), 257u);
    EXPECT_EQ(IconLibrary::m_pIconDefinitions->GetHashTableSize(), 257u);
    const char* names[] = {"ORV.jack", "ORV.cross", "ORV.triangle", "ORV.diamond"};
    for (unsigned int id = 1; id <= 4; ++id) {
        unsigned int found = 0;
        EXPECT_TRUE(index.Lookup(CString(names[id - 1]), found)) << names[id - 1];
        EXPECT_EQ(found, id) << names[id - 1];
    }
    unsigned int found = 0;
    EXPECT_FALSE(index.Lookup(CString("ORV.Jack"), found));
}

TEST(IconLibrary, BuiltInShapes)
{
    const IconLibrary::IconDefinitionMap& icons = IconLibrary::GetIconDefinitions();
    ASSERT_EQ(icons.GetCount(), 4);
    DisplayList3D jack, cross, triangle, diamond;
    ASSERT_TRUE(icons.Lookup(1, jack));
    ASSERT_TRUE(icons.Lookup(2, cross));
    ASSERT_TRUE(icons.Lookup(3, triangle));
    ASSERT_TRUE(icons.Lookup(4, diamond));

    // Each stored list keeps the identifier its shape was built with.
    const std::set<unsigned int> ids = {jack.GetID(), cross.GetID(), triangle.GetID(), diamond.GetID()};
    EXPECT_EQ(ids.size(), 4u);
    EXPECT_EQ(ids.count(0u), 0u);
    EXPECT_LT(jack.GetID(), cross.GetID());
    EXPECT_LT(triangle.GetID(), diamond.GetID());

    ASSERT_EQ(jack.GetNumLines(), 3);
    EXPECT_EQ(CountPrimitives(jack), 3);
    ExpectLine(jack, 0, Point3d(-0.5, 0, 0), Point3d(0.5, 0, 0));
    ExpectLine(jack, 1, Point3d(0, -0.5, 0), Point3d(0, 0.5, 0));
    ExpectLine(jack, 2, Point3d(0, 0, -0.5), Point3d(0, 0, 0.5));

    ASSERT_EQ(cross.GetNumLines(), 2);
    EXPECT_EQ(CountPrimitives(cross), 2);
    ExpectLine(cross, 0, Point3d(-0.5, 0, 0), Point3d(0.5, 0, 0));
    ExpectLine(cross, 1, Point3d(0, -0.5, 0), Point3d(0, 0.5, 0));

    // Side 1, centroid at the origin: the base lies r = sqrt(3)/6 below it
    // and the top vertex s = sqrt(3)/3 above it.
    ASSERT_EQ(triangle.GetNumUnlitTriangles(), 1);
    EXPECT_EQ(CountPrimitives(triangle), 1);
    const UnlitTrianglePrimitive& t = triangle.GetUnlitTriangle(0);
    const double r = 0.28867513459481287, s = 0.57735026918962573;
    ExpectPoint(t.GetEnd1(), -0.5, -r, 0);
    ExpectPoint(t.GetEnd2(), 0.5, -r, 0);
    ExpectPoint(t.GetEnd3(), 0, s, 0);
    EXPECT_EQ(t.GetColor(), Color(0, 255, 255, 0));
    EXPECT_EQ(t.GetID(), 0u);

    // The equator square (+-0.5, 0, +-0.5) turned 30 degrees about Y: each
    // corner moves to (x cos 30 + z sin 30, 0, z cos 30 - x sin 30), whose
    // coordinates are +-(cos 30 + sin 30)/2 and +-(cos 30 - sin 30)/2.
    ASSERT_EQ(diamond.GetNumLines(), 24);
    EXPECT_EQ(CountPrimitives(diamond), 24);
    const double a = 0.68301270189221932, b = 0.18301270189221932;
    const Point3d P[4] = {Point3d(-a, 0, -b), Point3d(-b, 0, a), Point3d(a, 0, b), Point3d(b, 0, -a)};
    const Point3d T(0, 1, 0), B(0, -1, 0);
    const Point3d expected[24][2] = {
        {P[0], P[1]}, {P[1], T}, {T, P[0]}, {P[1], P[2]}, {P[2], T}, {T, P[1]},
        {P[2], P[3]}, {P[3], T}, {T, P[2]}, {P[3], P[0]}, {P[0], T}, {T, P[3]},
        {P[0], P[1]}, {P[1], B}, {B, P[0]}, {P[1], P[2]}, {P[2], B}, {B, P[1]},
        {P[2], P[3]}, {P[3], B}, {B, P[2]}, {P[3], P[0]}, {P[0], B}, {B, P[3]}};
    for (int i = 0; i < 24; ++i)
        ExpectLine(diamond, i, expected[i][0], expected[i][1]);
}

TEST(IconLibrary, NewIdentifiersFollowTheBuiltInOnesAndTheMapsAreNotRebuilt)
{
    IconLibrary::IconDefinitionMap& first = IconLibrary::GetIconDefinitions();

    EXPECT_EQ(IconLibrary::GetNewIconID(), 5u);
    EXPECT_EQ(IconLibrary::GetNewIconID(), 6u);

    // A host's own icon stays registered beside the built-in ones.
    DisplayList3D marker;
    marker.Add(LinePrimitive(Point3d(0, 0, 0), Point3d(1, 1, 1), Color::Red(), 2, 0));
    first[5] = marker;
    IconLibrary::GetIconIndex()[CString("host.marker")] = 5;

    // Nothing is built again: no display list draws an identifier.
    const unsigned int lastListID = DisplayList3D::m_lastID;
    IconLibrary::IconDefinitionMap& second = IconLibrary::GetIconDefinitions();
    EXPECT_EQ(DisplayList3D::m_lastID, lastListID);
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(second.GetCount(), 5);
    DisplayList3D stored;
    ASSERT_TRUE(second.Lookup(5, stored));
    EXPECT_EQ(stored.GetID(), marker.GetID());
    EXPECT_EQ(stored.GetNumLines(), 1);
    unsigned int id = 0;
    EXPECT_TRUE(IconLibrary::GetIconIndex().Lookup(CString("host.marker"), id));
    EXPECT_EQ(id, 5u);
    EXPECT_EQ(IconLibrary::m_iconID, 6u);
}
