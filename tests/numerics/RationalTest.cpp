#include "orvcore/numerics/Rational.h"

#include "orvcore/core/CArchive.h"
#include "orvcore/core/CMemFile.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <sstream>
#include <vector>

using namespace Orvane;

namespace {

void ExpectFraction(const Rational& r, int numerator, int denominator)
{
    EXPECT_EQ(r.GetNumerator(), numerator) << r.String();
    EXPECT_EQ(r.GetDenominator(), denominator) << r.String();
}

std::vector<BYTE> Store(const Rational& r)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << r;
    }
    return file.GetBytes();
}

Rational Load(const std::vector<BYTE>& bytes, Rational r = Rational(9, 7))
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    ar >> r;
    return r;
}

} // namespace

TEST(RationalTest, NormalForms)
{
    ExpectFraction(Rational(), 0, 1);
    ExpectFraction(Rational(6, -8), -3, 4);
    ExpectFraction(Rational(-6, -8), 3, 4);
    ExpectFraction(Rational(4, 4), 1, 1);
    ExpectFraction(Rational(-7, 7), -1, 1);
    ExpectFraction(Rational(5, -1), -5, 1);
    ExpectFraction(Rational(35, 49), 5, 7);
    ExpectFraction(Rational(0, 7), 0, 7);
    ExpectFraction(Rational(0, -5), 0, -5);
    ExpectFraction(Rational(0, -1), 0, -1);
    ExpectFraction(Rational(6, 0), 6, 0);

    EXPECT_TRUE(!Rational(0, 7));
    EXPECT_FALSE(!Rational(3, 0));
    EXPECT_FALSE(!Rational(0, 0));
    EXPECT_EQ(Rational(3, 0).CalcValue(), DBL_MAX);
    EXPECT_EQ(Rational(-3, 0).CalcValue(), -DBL_MAX);
    EXPECT_EQ(static_cast<double>(Rational(0, 0)), DBL_MAX);
    EXPECT_EQ(static_cast<double>(Rational(-3, 4)), -0.75);

    Rational r(1, 2);
    ExpectFraction(r.SetNumerator(4), 2, 1);
    ExpectFraction(r.SetDenominator(-6), -1, 3);
    short s1, s2;
    long l1, l2;
    r.GetFraction(s1, s2);
    r.GetFraction(l1, l2);
    EXPECT_EQ(s1, -1);
    EXPECT_EQ(s2, 3);
    EXPECT_EQ(l1, -1);
    EXPECT_EQ(l2, 3);

    EXPECT_EQ(Rational(10, 4).String(), "5/2");
    EXPECT_EQ(Rational(5).String(), "5/1");
}

TEST(RationalTest, ArithmeticAndComparison)
{
    ExpectFraction(Rational(1, 2) + Rational(1, 3), 5, 6);
    ExpectFraction(Rational(1, 2) - Rational(1, 3), 1, 6);
    ExpectFraction(Rational(2, 3) * Rational(3, 4), 1, 2);
    ExpectFraction(Rational(1, 2) / Rational(1, 4), 2, 1);
    ExpectFraction(Rational(1, 2) / Rational(-1, 4), -2, 1);
    ExpectFraction(Rational(1, 2) / Rational(0, 5), 5, 0);
    ExpectFraction(Rational(1, 2) - Rational(1, 2), 0, 4); // zeros are not reduced

    Rational a(1, 2);
    a += Rational(1, 6);
    ExpectFraction(a, 2, 3);
    a *= Rational(3, 1);
    ExpectFraction(a, 2, 1);

    // Unary operators give new values and leave the operand alone.
    Rational b(3, 4);
    ExpectFraction(-b, -3, 4);
    ExpectFraction(b, 3, 4);
    ExpectFraction(+b, 3, 4);
    ExpectFraction(-Rational(0, -5), 0, 5);

    EXPECT_TRUE(Rational(1, 2) == Rational(2, 4));
    EXPECT_TRUE(Rational(-1, 2) < Rational(1, 3));
    EXPECT_FALSE(Rational(1, 3) < Rational(-1, 2));
    EXPECT_TRUE(Rational(1, 3) <= Rational(2, 6));
    EXPECT_TRUE(Rational(1, 3) >= Rational(2, 6));
    EXPECT_TRUE(Rational(1, 2) > Rational(1, 3));
    EXPECT_TRUE(Rational(1, 2) != Rational(1, 3));
    EXPECT_TRUE(Rational(3, 0) == Rational(-5, 0)); // infinite values compare equal
}

// Results are computed exactly and reduced before they are stored; values
// that have no 16-bit form leave the rational unchanged.
TEST(RationalTest, ValuesBeyondSixteenBits)
{
    ExpectFraction(Rational(200, 1) * Rational(1, 200), 1, 1);
    ExpectFraction(Rational(40000, 80000), 1, 2);
    ExpectFraction(Rational(300, 1) / Rational(300, 1), 1, 1);

    Rational small(1, 200);
    small *= Rational(1, 200);
    ExpectFraction(small, 1, 200);

    Rational extreme(-32768, 1);
    extreme += Rational(-32768, 1);
    ExpectFraction(extreme, -32768, 1);
    extreme -= Rational(32767, 1);
    ExpectFraction(extreme, -32768, 1);
    extreme *= extreme;
    ExpectFraction(extreme, -32768, 1);
    extreme.SetFraction(-32768, -1);
    ExpectFraction(extreme, -32768, 1);
    ExpectFraction(Rational(-32768, 32767) + Rational(-32768, 32767), -32768, 32767);
    ExpectFraction(Rational(1, -32768), 0, 1);
    ExpectFraction(Rational(70000, 0), 0, 1);
    ExpectFraction(Rational(0, 70000), 0, 1);
    ExpectFraction(Rational(-32768, 1) / Rational(-1, 1), -32768, 1);
    ExpectFraction(Rational(-32768, 3) / Rational(-1, 2), -32768, 3);
}

TEST(RationalTest, StreamForms)
{
    std::ostringstream plain;
    plain << Rational(-3, 4);
    EXPECT_EQ(plain.str(), "-3/4");
    std::ostringstream wide;
    wide.width(3);
    wide << Rational(-3, 4) << '|';
    EXPECT_EQ(wide.str(), " -3  /  4|");

    Rational r(1, 9);
    std::istringstream spaced("3 / 4");
    EXPECT_TRUE(spaced >> r);
    ExpectFraction(r, 3, 4);
    std::istringstream reduced("-6/8 rest");
    reduced >> r;
    ExpectFraction(r, -3, 4);

    std::istringstream bare("7x");
    EXPECT_FALSE(bare >> r);
    ExpectFraction(r, -3, 4);
    bare.clear();
    EXPECT_EQ(bare.get(), 'x');

    // Fractions read whole but without a 16-bit normal form (-1/32768 and
    // 32768/1) fail the stream too; -32768/-2 reduces to 16384/1 and fits.
    std::istringstream halved("-32768/-2");
    EXPECT_TRUE(halved >> r);
    ExpectFraction(r, 16384, 1);
    r.SetFraction(-3, 4);

    for (const char* text : {"7", "x/2", "7/", "7/y", "70000/1", "1/-32768", "-32768/-1", "-32768/-3"}) {
        std::istringstream in(text);
        in >> r;
        EXPECT_TRUE(in.fail()) << text;
        ExpectFraction(r, -3, 4);
    }
}

TEST(RationalTest, ArchiveForm)
{
    EXPECT_EQ(Store(Rational(-3, 4)), (std::vector<BYTE>{0xFD, 0xFF, 0x04, 0x00}));
    EXPECT_EQ(Store(Rational(0, -5)), (std::vector<BYTE>{0x00, 0x00, 0xFB, 0xFF}));
    ExpectFraction(Load(Store(Rational(0, 7))), 0, 7);
    ExpectFraction(Load({0x02, 0x00, 0x04, 0x00}), 1, 2);
    ExpectFraction(Load({0x06, 0x00, 0xF8, 0xFF}), -3, 4);
    EXPECT_THROW(Load({0x02, 0x00, 0x04}), CArchiveException);
}
