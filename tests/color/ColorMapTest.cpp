#include "orvcore/color/ColorMap.h"

#include "orvcore/color/ColorArray.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace Orvane;

namespace {

std::vector<Color> Entries(const ColorMap& map)
{
    std::vector<Color> entries;
    for (int i = 0; i < map.GetSizeMap(); ++i)
        entries.push_back(map.ColorAtIndex(i));
    return entries;
}

const Color kA(10, 200, 30, 0);
const Color kB(250, 0, 100, 255);
const Color kC(0, 128, 255, 40);

} // namespace

TEST(ColorMapTest, DefaultRampAndRange)
{
    ColorMap map;
    EXPECT_EQ(map.GetSizeMap(), 256);
    EXPECT_EQ(map.SizeColors(), 3);
    EXPECT_TRUE(map.IsBlended());
    EXPECT_EQ(map.Begin(), 0.0);
    EXPECT_EQ(map.End(), 255.0);
    EXPECT_EQ(map.ColorAtEntry(0), Color(0, 0, 1));
    EXPECT_EQ(map.ColorAtEntry(1), Color(0, 1, 0));
    EXPECT_EQ(map.ColorAtEntry(-3), Color(0, 0, 1));
    EXPECT_EQ(map.ColorAtEntry(7), Color(1, 0, 0));

    EXPECT_EQ(map.IndexOfValue(-5), 0);
    EXPECT_EQ(map.IndexOfValue(300), 255);
    EXPECT_EQ(map.IndexOfValue(127.9), 127);
    EXPECT_EQ(map.IndexOfValue(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(map.IndexOfValue(1e300), 255);
    EXPECT_EQ(map.IndexOfValue(-1e300), 0);

    map.Resize(10);
    EXPECT_EQ(map.IndexOfValue(255), 9);
    EXPECT_EQ(map.IndexOfValue(127.5), 4);

    // A reversed range.
    ColorMap reversed(11);
    reversed.SetBeginEnd(10, 0);
    EXPECT_EQ(reversed.IndexOfValue(10), 0);
    EXPECT_EQ(reversed.IndexOfValue(0), 10);
    EXPECT_EQ(reversed.IndexOfValue(2.5), 7);
    reversed.SetColorForRange(8, 2, Color::White());
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(reversed.ColorAtIndex(i) == Color::White(), i >= 2 && i <= 8) << i;
    reversed.SetEnd(10); // begin equal to end: a step at the bound
    EXPECT_EQ(reversed.IndexOfValue(7.5), 0);
    EXPECT_EQ(reversed.IndexOfValue(12), 10);
}

TEST(ColorMapTest, BlendedRampEntryByEntry)
{
    ColorMap map(256);
    map.Ramp(Color(0, 0, 255), Color(255, 0, 0), true);
    EXPECT_EQ(map.ColorAtIndex(0), Color(0, 0, 255));
    EXPECT_EQ(map.ColorAtIndex(126), Color(126, 0, 129));
    EXPECT_EQ(map.ColorAtIndex(127), Color(127, 0, 128));
    EXPECT_EQ(map.ColorAtIndex(128), Color(128, 0, 127));
    EXPECT_EQ(map.ColorAtIndex(255), Color(255, 0, 0));

    // Three colours over 11 entries: segments of 5 and 6 entries; the values
    // were computed separately with the step rounded to single precision.
    map.Resize(11);
    map.Ramp(kA, kB, kC, true);
    const std::vector<Color> expected = {
        Color(10, 200, 30, 0),    Color(58, 160, 44, 51),   Color(106, 120, 58, 102), Color(154, 80, 72, 153),
        Color(202, 40, 86, 204),  Color(250, 0, 100, 255),  Color(200, 25, 131, 212), Color(150, 51, 162, 169),
        Color(100, 76, 193, 126), Color(49, 102, 224, 83),  Color(0, 128, 255, 40)};
    EXPECT_EQ(Entries(map), expected);

    // The default ramp's channel values of 1 survive only at the ends of
    // segments.
    ColorMap small(8);
    EXPECT_EQ(Entries(small), (std::vector<Color>{Color(0, 0, 1), Color(), Color(), Color(), Color(0, 1, 0),
                                                  Color(), Color(), Color(1, 0, 0)}));
}

TEST(ColorMapTest, FlatBandsAndSmallMaps)
{
    ColorMap map(4);
    map.Ramp(kA, kB, false);
    EXPECT_FALSE(map.IsBlended());
    EXPECT_EQ(Entries(map), (std::vector<Color>{kA, kA, kB, kB}));

    map.Resize(10);
    map.Ramp(kA, kB, kC, false);
    EXPECT_EQ(Entries(map), (std::vector<Color>{kA, kA, kA, kB, kB, kB, kC, kC, kC, kC}));

    // As many entries as control colours: a copy, blended or not.
    map.Resize(3);
    EXPECT_EQ(Entries(map), (std::vector<Color>{kA, kB, kC}));
    map.Ramp(kA, kB, kC, true);
    EXPECT_EQ(Entries(map), (std::vector<Color>{kA, kB, kC}));

    // Fewer entries than colours.
    const Color five[5] = {Color(1, 0, 0), Color(2, 0, 0), Color(3, 0, 0), Color(4, 0, 0), Color(5, 0, 0)};
    map.Resize(2);
    map.Ramp(5, five, true);
    EXPECT_EQ(Entries(map), (std::vector<Color>{five[0], five[4]}));
    map.Resize(4); // t = 0, 1.25, 2.5, last
    EXPECT_EQ(Entries(map), (std::vector<Color>{five[0], five[1], five[2], five[4]}));
    // Past the middle half an entry is added before truncating:
    // t = 0, 7/6, 14/6, 21/6, 28/6 + 0.5, last.
    const Color seven[7] = {Color(1, 0, 0), Color(2, 0, 0), Color(3, 0, 0), Color(4, 0, 0),
                            Color(5, 0, 0), Color(6, 0, 0), Color(7, 0, 0)};
    map.Resize(6);
    map.Ramp(7, seven, true);
    EXPECT_EQ(Entries(map), (std::vector<Color>{seven[0], seven[1], seven[2], seven[3], seven[5], seven[6]}));
    map.Resize(4);

    // One colour fills the map.
    map.Ramp(1, five + 2, true);
    EXPECT_EQ(Entries(map), std::vector<Color>(4, five[2]));

    // A colour list gives all its entries.
    ColorArray list;
    list.Add(kC);
    list.Add(kA);
    map.Ramp(list, false);
    EXPECT_EQ(map.SizeColors(), 2);
    EXPECT_EQ(Entries(map), (std::vector<Color>{kC, kC, kA, kA}));
    map.Ramp(ColorArray(), true);
    EXPECT_EQ(Entries(map), std::vector<Color>(4, Color()));
}

TEST(ColorMapTest, EditsInvertAndCopies)
{
    ColorMap map(6);
    map.Ramp(kA, kB, kC, true);
    const std::vector<Color> built = Entries(map);

    map.Invert();
    std::vector<Color> reversed(built.rbegin(), built.rend());
    EXPECT_EQ(Entries(map), reversed);
    EXPECT_EQ(map.ColorAtEntry(0), kC);
    map.Invert();
    EXPECT_EQ(Entries(map), built);

    ColorMap copy(map);
    map.SetColorAtIndex(2, Color::White());
    map.SetColorForValue(100, Color::Grey());
    EXPECT_EQ(map.ColorAtIndex(2), Color::White());
    EXPECT_EQ(map.ColorAtIndex(5), Color::Grey());
    EXPECT_EQ(map.ColorAtValue(-1), built[0]);
    EXPECT_EQ(Entries(copy), built);
    copy = map;
    EXPECT_EQ(copy.ColorAtIndex(2), Color::White());

    // Edits outside the table are ignored; lookups clamp.
    map.SetColorAtIndex(-1, Color::Red());
    map.SetColorAtIndex(6, Color::Red());
    EXPECT_EQ(map.ColorAtIndex(-4), built[0]);
    EXPECT_EQ(map.ColorAtIndex(99), Color::Grey());

    // A rebuild discards the edits.
    map.Resize(6);
    EXPECT_EQ(Entries(map), built);
}

// A table never has fewer than one entry, and a map without control colours
// holds black entries.
TEST(ColorMapTest, DegenerateSizesAndNoColours)
{
    ColorMap empty(0);
    EXPECT_EQ(empty.GetSizeMap(), 1);
    EXPECT_EQ(empty.End(), 0.0);
    // Its single entry is also the last one, so it takes the last colour.
    EXPECT_EQ(empty.ColorAtIndex(0), Color(1, 0, 0));
    EXPECT_EQ(empty.ColorAtValue(12.0), Color(1, 0, 0));
    EXPECT_EQ(empty.IndexOfValue(-3.0), 0);

    // Equal bounds (all values alike): a step at the bound, rising with the value.
    ColorMap flat(11);
    flat.SetBeginEnd(5.0, 5.0);
    EXPECT_EQ(flat.IndexOfValue(-100.0), 0);
    EXPECT_EQ(flat.IndexOfValue(4.9), 0);
    EXPECT_EQ(flat.IndexOfValue(5.0), 0);
    EXPECT_EQ(flat.IndexOfValue(5.1), 10);
    EXPECT_EQ(flat.IndexOfValue(1e300), 10);
    flat.SetEnd(6.0); // a range again: the ordinary mapping
    EXPECT_EQ(flat.IndexOfValue(5.5), 5);

    ColorMap map(5);
    map.Ramp(kA, kB, true);
    map.Resize(-7);
    EXPECT_EQ(map.GetSizeMap(), 1);
    EXPECT_EQ(map.ColorAtIndex(3), kB);
    map.SetColorForRange(-100, 100, kC);
    EXPECT_EQ(map.ColorAtIndex(0), kC);

    map.Resize(5);
    map.Ramp(0, nullptr, false);
    EXPECT_EQ(map.SizeColors(), 0);
    EXPECT_EQ(Entries(map), std::vector<Color>(5, Color()));
    EXPECT_EQ(map.ColorAtEntry(0), Color());
    map.Ramp(0, nullptr, true);
    EXPECT_EQ(Entries(map), std::vector<Color>(5, Color()));
    map.Invert();
    EXPECT_EQ(map.ColorAtEntry(2), Color());
}
