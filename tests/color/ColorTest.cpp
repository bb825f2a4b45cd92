#include "orvcore/color/Color.h"
#include "orvcore/core/CMemFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iomanip>
#include <limits>
#include <sstream>
#include <vector>

using Orvane::Color;

namespace {

void ExpectRGBA(const Color& c, int r, int g, int b, int a)
{
    EXPECT_EQ(c.GetR(), r);
    EXPECT_EQ(c.GetG(), g);
    EXPECT_EQ(c.GetB(), b);
    EXPECT_EQ(c.GetA(), a);
}

std::uint32_t Bits(float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

} // namespace

TEST(ColorTest, LayoutAndPackedWord)
{
    Color c(10, 20, 30);
    const unsigned char* bytes = c;
    EXPECT_EQ(bytes[0], 10);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(c.GetRGB(), 0x001E140Aul);

    Color t(10, 20, 30, 77);
    EXPECT_EQ(static_cast<unsigned long>(t), 0x001E140Aul);
    EXPECT_EQ(t.GetRGB(), 0x4D1E140Aul);
    EXPECT_NE(c, t); // alpha takes part in equality

    // Only 32 bits of a wide packed value count (where long is wider); int arguments keep low 8 bits.
    ExpectRGBA(Color(static_cast<unsigned long>(0x1234567890ABCDEFull)), 0xEF, 0xCD, 0xAB, 0x90);
    ExpectRGBA(Color(256 + 1, -1, 512, 300), 1, 255, 0, 44);
    ExpectRGBA(Color(), 0, 0, 0, 0);
}

TEST(ColorTest, FloatViewRoundTripsEveryByte)
{
    EXPECT_EQ(Bits(Color(1, 0, 0).GetRFloat()), 0x3B808081u);
    EXPECT_EQ(Color(255, 0, 0).GetRFloat(), 1.0f);
    for (int b = 0; b < 256; ++b) {
        Color c(b, b, b, b);
        Color back;
        back.SetR(c.GetRFloat());
        back.SetG(c.GetGFloat());
        back.SetB(c.GetBFloat());
        back.SetA(c.GetAFloat());
        EXPECT_EQ(back, c) << b;
        float r, g, bb, a;
        c.GetRGB(r, g, bb, a);
        EXPECT_EQ(Color(r, g, bb, a), c) << b;
    }
}

TEST(ColorTest, FloatsTruncateAndWrap)
{
    ExpectRGBA(Color(1.0f, 0.5f, 0.0f), 255, 127, 0, 0);
    Color c(1, 2, 3, 4);
    c.SetRGB(0.999f, 0.0039f, 0.004f);
    ExpectRGBA(c, 254, 0, 1, 4);         // 254.7, 0.99, 1.02 truncated; alpha kept
    ExpectRGBA(Color(2.0f, -1.0f, -0.001f, 1.5f), 254, 1, 0, 126); // 510 -> 254, -255 -> 1
    // Far outside the range, infinite or not a number: defined, never UB.
    ExpectRGBA(Color(1e30f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()), 0, 0, 0, 0);
}

TEST(ColorTest, Scaling)
{
    Color c(200, 100, 50, 9);
    c *= 2.0;
    ExpectRGBA(c, 144, 200, 100, 9);
    Color f(200, 100, 50, 9);
    f *= 2.0f;
    EXPECT_EQ(f, c);

    Color d(10, 20, 30, 40);
    ExpectRGBA(d / 0.0, 10, 20, 30, 40);
    ExpectRGBA(d / 2.0, 5, 10, 15, 0);
    ExpectRGBA(d * 2.0f, 20, 40, 60, 0);
    Color e = d;
    e /= 0.0;
    EXPECT_EQ(e, d);
    e /= std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(e, d);
    e /= 2.0;
    ExpectRGBA(e, 5, 10, 15, 40);
    ExpectRGBA(Color(255, 0, 128) * -1.0, 1, 0, 128, 0); // -255 wraps to 1, -128 to 128
}

TEST(ColorTest, NamedColors)
{
    ExpectRGBA(Color::Grey(), 127, 127, 127, 0);
    ExpectRGBA(Color::ReadOnly(), 230, 230, 230, 0);
    ExpectRGBA(Color::Hidden(), 135, 135, 135, 0);
    EXPECT_EQ(Color::Selected(), Color::Yellow());
    ExpectRGBA(Color::Magenta(), 255, 0, 255, 0);
    ExpectRGBA(Color::Cyan(), 0, 255, 255, 0);
}

TEST(ColorTest, TextForm)
{
    EXPECT_STREQ(Color::ReadOnly().GetRGBString(), "230 230 230");
    EXPECT_STREQ(Color(1, 2, 3, 4).GetRGBString(), "1 2 3");

    Color c(1, 2, 3, 99);
    c.SetRGB(CString("RED"));
    ExpectRGBA(c, 255, 0, 0, 0);
    c.SetRGB(CString("yellow"));
    ExpectRGBA(c, 255, 255, 0, 0);
    c.SetRGB(CString("Grey"));
    ExpectRGBA(c, 127, 127, 127, 0);

    const Color before(7, 8, 9, 10);
    for (const char* bad : {"", "gray", " red", "red ", "selected", "readonly", "1 2", "x 1 2 3", "1 2 99999999999"}) {
        Color u = before;
        u.SetRGB(CString(bad));
        EXPECT_EQ(u, before) << bad;
    }
    Color n = before;
    n.SetRGB(CString("300 -5 128"));
    ExpectRGBA(n, 255, 0, 128, 10);
    n.SetRGB(CString("  +12\t34 56junk"));
    ExpectRGBA(n, 12, 34, 56, 10);
}

TEST(ColorTest, StreamForm)
{
    std::ostringstream plain;
    plain << Color(255, 0, 0);
    EXPECT_EQ(plain.str(), "255 0 0 0");

    std::ostringstream wide;
    wide << std::setw(4) << std::setfill('*') << Color(1, 2, 3, 4) << '|';
    EXPECT_EQ(wide.str(), "***1***2***3***4|");

    Color c(1, 1, 1, 1);
    std::istringstream bad("1 2 x 4");
    bad >> c;
    EXPECT_TRUE(bad.fail());
    ExpectRGBA(c, 1, 1, 1, 1);

    std::istringstream good("  300\n-1 2\t3");
    good >> c;
    EXPECT_FALSE(good.fail());
    ExpectRGBA(c, 44, 255, 2, 3);
}

TEST(ColorTest, ArchiveBytesAreRGBA)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        Color c(1, 2, 3, 4);
        c.Serialize(ar);
        ar << Color(0xAA, 0xBB, 0xCC);
    }
    EXPECT_EQ(file.GetBytes(), (std::vector<BYTE>{1, 2, 3, 4, 0xAA, 0xBB, 0xCC, 0}));
    file.Seek(0, CFile::begin);
    CArchive in(&file, CArchive::load);
    Color a, b;
    a.Serialize(in);
    in >> b;
    ExpectRGBA(a, 1, 2, 3, 4);
    ExpectRGBA(b, 0xAA, 0xBB, 0xCC, 0);
    EXPECT_THROW(in >> b, CArchiveException);
}
