#include "orvcore/graphics/scene/DisplayListKinds.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <type_traits>
#include <vector>

using namespace Orvane;

// Every array of the list is listed once, in field order, and its accessors
// reach that array: a list holding one transparent sphere, two cones and a
// volume shows them under those arrays and nowhere else.
TEST(DisplayListKinds, EveryArrayOnceWithItsOwnAccessors)
{
    std::set<std::string> names, labels;
    int expected = 0, volumes = 0;
    ForEachPrimitiveArray([&](const auto& array) {
        using Kind = typename std::decay_t<decltype(array)>::Type;
        EXPECT_EQ(array.index, expected++);
        names.insert(array.name);
        labels.insert(array.label);
        volumes += std::is_same<Kind, VolumePrimitive>::value;
    });
    EXPECT_EQ(expected, kNumPrimitiveArrays);
    EXPECT_EQ(kNumPrimitiveArrays, 30);
    EXPECT_EQ(names.size(), 30u);
    EXPECT_EQ(labels.size(), 30u);
    EXPECT_EQ(volumes, 1);

    DisplayList3D list;
    list.Add(SpherePrimitive(Point3d(1, 2, 3), 1.5, Color(10, 20, 30, 40), 7u));
    list.Add(ConePrimitive(Point3d(0, 0, 0), Point3d(0, 0, 1), Color(1, 2, 3), 0.5, 8u));
    list.Add(ConePrimitive(Point3d(0, 0, 0), Point3d(0, 1, 0), Color(1, 2, 3), 0.5, 9u));
    list.Add(VolumePrimitive());
    std::vector<std::string> seen;
    std::vector<unsigned> ids;
    VisitPrimitives(list, [&](const auto& primitive, const auto& array) {
        seen.push_back(array.name);
        ids.push_back(primitive.GetID());
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"TransparentSpheres", "Cones", "Cones", "Volume"}));
    EXPECT_EQ(ids[0], 7u);
    EXPECT_EQ(ids[1], 8u);
    EXPECT_EQ(ids[2], 9u);
}
