#include "orvcore/graphics/primitives/VolumePrimitive.h"

#include "orvcore/core/CArchiveException.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Orvane;
using namespace testing_bytes;

TEST(VolumePrimitiveTest, DefaultsAndCopiesShareTheGrid)
{
    VolumePrimitive v;
    EXPECT_EQ(v.GetVolume(), nullptr);
    ASSERT_EQ(v.GetColors().GetSize(), 2);
    EXPECT_EQ(v.GetColors()[0], Color::Blue());
    EXPECT_EQ(v.GetColors()[1], Color::Red());
    EXPECT_EQ(v.GetColors().GetName(), CString("Undefined"));
    ASSERT_EQ(v.GetTransferFunction().GetSize(), 2);
    EXPECT_TRUE(v.GetTransferFunction()[0]);
    EXPECT_TRUE(v.GetTransferFunction()[1]);
    EXPECT_EQ(v.GetTransparency(), 0.3f);
    EXPECT_FALSE(v.GetClipOutsideRange());
    EXPECT_EQ(v.GetDataMin(), 0.0f);
    EXPECT_EQ(v.GetDisplayMax(), 0.0f);

    NComponentVolume<float> grid;
    ColorArray colors(3, 0);
    colors.SetName("ramp");
    BoolArray transfer;
    transfer.Add(false);
    VolumePrimitive w(&grid, 1, 2, 3, 4, true, colors, 0.5f, transfer, 8);
    VolumePrimitive copy(w);
    VolumePrimitive assigned;
    assigned = w;
    EXPECT_EQ(copy.GetVolume(), &grid);
    EXPECT_EQ(assigned.GetVolume(), &grid);
    EXPECT_EQ(assigned.GetColors().GetSize(), 3);
    EXPECT_EQ(assigned.GetColors().GetName(), CString("ramp"));
    EXPECT_EQ(assigned.GetTransferFunction().GetSize(), 1);
    EXPECT_EQ(assigned.GetID(), 8u);

    // Set from its own lists: nothing changes.
    w.SetColors(w.GetColors());
    w.SetTransferFunction(w.GetTransferFunction());
    EXPECT_EQ(w.GetColors().GetName(), CString("ramp"));
    EXPECT_EQ(w.GetTransferFunction().GetSize(), 1);
    v.SetColors(colors);
    EXPECT_EQ(v.GetColors().GetName(), CString("ramp"));

    Matrix4x4 move;
    move.SetTranslation(5, 5, 5);
    w.Transform(move);
    EXPECT_EQ(w.GetVolume(), &grid);
    EXPECT_EQ(w.GetDisplayMin(), 3.0f);
    EXPECT_EQ(w.GetColors().GetSize(), 3);
}

TEST(VolumePrimitiveTest, ArchiveBytesAndLoading)
{
    NComponentVolume<float> grid;
    ColorArray colors;
    colors.Add(Color(1, 2, 3, 4));
    colors.Add(Color(5, 6, 7, 0));
    BoolArray transfer;
    transfer.Add(true);
    transfer.Add(false);
    transfer.Add(true);
    VolumePrimitive v(&grid, -1.5f, 2.0f, 0.25f, 1.0f, true, colors, 0.75f, transfer, 21);

    const Bytes expected = Concat({UInt32(21), Floats({-1.5f, 2.0f, 0.25f, 1.0f}), Int32(1), Int32(2),
                                   Rgba(1, 2, 3, 4), Rgba(5, 6, 7, 0), Floats({0.75f}), Int32(3), Int32(1),
                                   Int32(0), Int32(1)});
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { v.Serialize(ar); }), expected);
    EXPECT_EQ(Store(12, [&](CArchive& ar) { v.Serialize(ar); }), expected);

    // Flags stored as 2 read as set; the grid is dropped, the list's name kept.
    Bytes stored = Concat({UInt32(3), Floats({1, 2, 3, 4}), Int32(2), Int32(1), Rgba(9, 8, 7, 6),
                           Floats({0.5f}), Int32(2), Int32(0), Int32(2)});
    VolumePrimitive loaded(&grid, 0, 0, 0, 0, false, colors, 0.3f, transfer, 0);
    loaded.GetColors().SetName("kept");
    EXPECT_EQ(Load(stored, kUnset, [&](CArchive& ar) { loaded.Serialize(ar); }), 0u);
    EXPECT_EQ(loaded.GetVolume(), nullptr);
    EXPECT_EQ(loaded.GetID(), 3u);
    EXPECT_EQ(loaded.GetDataMax(), 2.0f);
    EXPECT_EQ(loaded.GetDisplayMax(), 4.0f);
    EXPECT_TRUE(loaded.GetClipOutsideRange());
    ASSERT_EQ(loaded.GetColors().GetSize(), 1);
    EXPECT_EQ(loaded.GetColors()[0], Color(9, 8, 7, 6));
    EXPECT_EQ(loaded.GetColors().GetName(), CString("kept"));
    EXPECT_EQ(loaded.GetTransparency(), 0.5f);
    ASSERT_EQ(loaded.GetTransferFunction().GetSize(), 2);
    EXPECT_FALSE(loaded.GetTransferFunction()[0]);
    EXPECT_TRUE(loaded.GetTransferFunction()[1]);

    // 256 colours into a default primitive.
    Bytes many = Concat({UInt32(0), Floats({0, 0, 0, 0}), Int32(0), Int32(256)});
    for (int i = 0; i < 256; ++i)
        many = Concat({many, Rgba(static_cast<BYTE>(i), 0, 0, 0)});
    many = Concat({many, Floats({0.3f}), Int32(0)});
    VolumePrimitive big;
    Load(many, 11, [&](CArchive& ar) { big.Serialize(ar); });
    ASSERT_EQ(big.GetColors().GetSize(), 256);
    EXPECT_EQ(big.GetColors()[255].GetR(), 255);
    EXPECT_EQ(big.GetTransferFunction().GetSize(), 0);
}

TEST(VolumePrimitiveTest, DamagedCountsAreRejectedBeforeTheListsGrow)
{
    const Bytes head = Concat({UInt32(3), Floats({1, 2, 3, 4}), Int32(0)});
    for (std::int32_t count : {-1, 1000000, 0x7FFFFFFF}) {
        VolumePrimitive v;
        Bytes bytes = Concat({head, Int32(count), Rgba(1, 1, 1, 1)});
        EXPECT_THROW(Load(bytes, kUnset, [&](CArchive& ar) { v.Serialize(ar); }), CArchiveException) << count;
        EXPECT_EQ(v.GetColors().GetSize(), 2) << count;
    }
    VolumePrimitive v;
    Bytes bytes = Concat({head, Int32(0), Floats({0.5f}), Int32(-3)});
    EXPECT_THROW(Load(bytes, kUnset, [&](CArchive& ar) { v.Serialize(ar); }), CArchiveException);
    EXPECT_EQ(v.GetTransferFunction().GetSize(), 2);
}

TEST(VolumePrimitiveTest, ColorAndBoolArraysOwnForms)
{
    ColorArray sized(3, -5);
    EXPECT_EQ(sized.GetSize(), 3);
    EXPECT_EQ(sized[2], Color());
    EXPECT_EQ(ColorArray().GetSize(), 0);
    EXPECT_EQ(ColorArray(-2, 4).GetSize(), 0);

    ColorArray named;
    named.Add(Color(1, 2, 3, 4));
    named.SetName("ab");
    const Bytes colorBytes = Concat({Count(1), Rgba(1, 2, 3, 4), Text("ab")});
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { named.Serialize(ar); }), colorBytes);
    ColorArray back(5);
    Load(colorBytes, kUnset, [&](CArchive& ar) { back.Serialize(ar); });
    ASSERT_EQ(back.GetSize(), 1);
    EXPECT_EQ(back[0], Color(1, 2, 3, 4));
    EXPECT_EQ(back.GetName(), CString("ab"));

    BoolArray flags;
    flags.Add(true);
    flags.SetSize(3);
    EXPECT_TRUE(flags[0]);
    EXPECT_FALSE(flags[1]);
    EXPECT_FALSE(flags[2]);
    flags[2] = true;
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { flags.Serialize(ar); }), Concat({Count(3), Bytes{1, 0, 1}}));

    // Any non-zero byte loads as a true flag, never as a broken bool.
    BoolArray loaded;
    Load(Concat({Count(4), Bytes{0, 2, 255, 1}}), kUnset, [&](CArchive& ar) { loaded.Serialize(ar); });
    ASSERT_EQ(loaded.GetSize(), 4);
    EXPECT_EQ(static_cast<bool>(loaded[0]), false);
    EXPECT_EQ(static_cast<bool>(loaded[1]), true);
    EXPECT_EQ(static_cast<bool>(loaded[2]), true);
    EXPECT_EQ(static_cast<bool>(loaded[3]), true);
    EXPECT_THROW(Load(Concat({Count(5), Bytes{1, 1}}), kUnset, [&](CArchive& ar) { loaded.Serialize(ar); }),
                 CArchiveException);
    EXPECT_EQ(loaded.GetSize(), 4);
}

TEST(VolumePrimitiveTest, GridBoxCornersInUnitCubeOrder)
{
    NComponentVolume<float> grid;
    grid.SetBox(Point3d(1, 2, 3), Point3d(4, 6, 8));
    EXPECT_TRUE(grid.IsOrthogonal());
    Point3d corners[8];
    grid.GetBoxCorners(corners);
    const double expected[8][3] = {{1, 2, 3}, {4, 2, 3}, {4, 6, 3}, {1, 6, 3},
                                   {1, 2, 8}, {4, 2, 8}, {4, 6, 8}, {1, 6, 8}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(corners[i].GetX(), expected[i][0]) << i;
        EXPECT_EQ(corners[i].GetY(), expected[i][1]) << i;
        EXPECT_EQ(corners[i].GetZ(), expected[i][2]) << i;
    }

    // A cell with gamma = 60 degrees: the box spans a, b and c from the first
    // corner; the other corners are sums of the cell's edge vectors
    // a = (2, 0, 0), b = (1, sqrt 3, 0), c = (0, 0, 3).
    const double r3 = std::sqrt(3.0);
    grid.SetCellLengths(2, 2, 3);
    grid.SetCellAngles(90, 90, 60);
    EXPECT_FALSE(grid.IsOrthogonal());
    grid.SetBox(Point3d(0, 0, 0), Point3d(3, r3, 3));
    grid.GetBoxCorners(corners);
    const double oblique[8][3] = {{0, 0, 0}, {2, 0, 0}, {3, r3, 0}, {1, r3, 0},
                                  {0, 0, 3}, {2, 0, 3}, {3, r3, 3}, {1, r3, 3}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(corners[i].GetX(), oblique[i][0], 1e-5) << i;
        EXPECT_NEAR(corners[i].GetY(), oblique[i][1], 1e-5) << i;
        EXPECT_NEAR(corners[i].GetZ(), oblique[i][2], 1e-5) << i;
    }
    double a, b, c;
    grid.GetCellAngles(a, b, c);
    EXPECT_EQ(c, 60.0);
    grid.GetCellLengths(a, b, c);
    EXPECT_EQ(c, 3.0);
}
