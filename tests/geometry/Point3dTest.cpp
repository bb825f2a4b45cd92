#include "orvcore/geometry/Point3d.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <iomanip>
#include <sstream>

using namespace Orvane;
using namespace testing_bytes;

namespace {

void ExpectPoint(const Point3d& p, double x, double y, double z, double tol = 0.0)
{
    EXPECT_NEAR(p.GetX(), x, tol);
    EXPECT_NEAR(p.GetY(), y, tol);
    EXPECT_NEAR(p.GetZ(), z, tol);
}

} // namespace

TEST(Point3d, ConstructionRoundsToFloatAndHandlesNullPointers)
{
    ExpectPoint(Point3d(), 0, 0, 0);
    ExpectPoint(Point3d(static_cast<const double*>(nullptr)), 0, 0, 0);
    ExpectPoint(Point3d(static_cast<const float*>(nullptr)), 0, 0, 0);
    const double d[3] = {0.1, -2.5, 1e300};
    Point3d p(d);
    EXPECT_EQ(p.GetX(), static_cast<double>(0.1f));
    EXPECT_EQ(p.GetY(), -2.5);
    EXPECT_TRUE(std::isinf(p.GetZ()));
    const float f[3] = {1.5f, 2.5f, 3.5f};
    ExpectPoint(Point3d(f), 1.5, 2.5, 3.5);

    // The constants, with the float limits rather than the double ones.
    EXPECT_EQ(Point3d::maximum[0], FLT_MAX);
    EXPECT_EQ(Point3d::maximum[2], FLT_MAX);
    EXPECT_EQ(Point3d::minimum[1], -FLT_MAX);
    ExpectPoint(Point3d::iVector, 1, 0, 0);
    ExpectPoint(Point3d::jVector, 0, 1, 0);
    ExpectPoint(Point3d::kVector, 0, 0, 1);
    ExpectPoint(Point3d::origin, 0, 0, 0);
    ExpectPoint(Point3d::zero, 0, 0, 0);
}

TEST(Point3d, AccessAndChainedSetters)
{
    Point3d p(1, 2, 3);
    EXPECT_EQ(&p[3], &p[0]);
    EXPECT_EQ(&p[-1], &p[0]);
    EXPECT_EQ(&p[2], static_cast<float*>(p) + 2);
    p[1] = 7.0f;
    EXPECT_EQ(p.GetY(), 7.0);
    p.SetX(4).SetY(5).SetZ(6);
    double x, y, z;
    p.GetXYZ(x, y, z);
    EXPECT_EQ(x + y + z, 15.0);
    EXPECT_EQ(p.SetXYZ(Point3d(9, 8, 7)).Sum(), 24.0);
}

TEST(Point3d, DivisionByZeroIsSkipped)
{
    ExpectPoint(Point3d(1, 2, 3) / Point3d(0, 1, 1), 1, 2, 3);
    ExpectPoint(Point3d(2, 4, 6) / 2.0, 1, 2, 3);
    ExpectPoint(Point3d(2, 4, 6) / 0.0, 2, 4, 6);
    ExpectPoint(Point3d(2, 4, 6) / Point3d(2, 4, 3), 1, 1, 2);
    Point3d p(5, 5, 5);
    p /= 0.0;
    p /= Point3d(1, 1, 0);
    ExpectPoint(p, 5, 5, 5);
}

TEST(Point3d, ArithmeticAndAlgebra)
{
    const Point3d a(1, 2, 3), b(4, -5, 6);
    ExpectPoint(a + b, 5, -3, 9);
    ExpectPoint(a - b, -3, 7, -3);
    ExpectPoint(a * b, 4, -10, 18);
    ExpectPoint(2.0 * a, 2, 4, 6);
    ExpectPoint(-a, -1, -2, -3);
    ExpectPoint(Point3d(a) += 1.5, 2.5, 3.5, 4.5);
    ExpectPoint(Point3d(a) -= 1.0, 0, 1, 2);
    EXPECT_EQ(DotProduct(a, b), 4 - 10 + 18);
    EXPECT_EQ(Length2(a), 14.0);
    EXPECT_DOUBLE_EQ(Length(a), std::sqrt(14.0));
    EXPECT_EQ(SumPowers(a, -2), 14.0);
    EXPECT_EQ(a.SumPowers(3), 36.0);
    ExpectPoint(MidPoint(a, b), 2.5, -1.5, 4.5);
    ExpectPoint(a.Direction(b), 3, -7, 3);
    ExpectPoint(Direction(a, b), 3, -7, 3);
    ExpectPoint(Maximum(a, b), 4, 2, 6);
    ExpectPoint(Minimum(a, b), 1, -5, 3);
}

TEST(Point3d, MaximumKeepsFirstOnTiesMinimumUnlessStrictlyLarger)
{
    // -0 and +0 compare equal, so the sign shows whose value was kept.
    const Point3d negZero(-0.0, -0.0, -0.0), posZero(0.0, 0.0, 0.0);
    EXPECT_TRUE(std::signbit(Point3d(negZero).Maximum(posZero)[0]));
    EXPECT_FALSE(std::signbit(Point3d(posZero).Maximum(negZero)[0]));
    EXPECT_TRUE(std::signbit(Point3d(negZero).Minimum(posZero)[1]));
    EXPECT_FALSE(std::signbit(Point3d(posZero).Minimum(negZero)[1]));
}

TEST(Point3d, EqualityToleratesOnlySubnormalDifferences)
{
    EXPECT_FALSE(Point3d(1, 2, 3) == Point3d(1, 2, 3.00001));
    EXPECT_TRUE(Point3d(1, 2, 3) != Point3d(1, 2, 3.00001));
    EXPECT_TRUE(Point3d(0, 0, 0) == Point3d(4e-40, 4e-40, 0));
    EXPECT_FALSE(Point3d(0, 0, 0) == Point3d(1e-38, 1e-38, 0));
    EXPECT_TRUE(Point3d(1, 2, 3) == Point3d(1, 2, 3));
}

TEST(Point3d, LengthChanges)
{
    ExpectPoint(Point3d(0, 0, 0).Normalize(), 0, 0, 0);
    ExpectPoint(Point3d(1, 0, 0).ChangeLength(-2), -2, 0, 0);
    ExpectPoint(Normalize(Point3d(3, 0, 4)), 0.6, 0, 0.8, 1e-7);
    ExpectPoint(ChangeLength(Point3d(0, 3, 4), 10), 0, 6, 8, 1e-6);
}

TEST(Point3d, RotationsAboutTheAxesAreRightHanded)
{
    ExpectPoint(Point3d(1, 0, 0).RotateAboutZ(90), 0, 1, 0, 1e-7);
    ExpectPoint(Point3d(0, 1, 0).RotateAboutX(90), 0, 0, 1, 1e-7);
    ExpectPoint(Point3d(0, 0, 1).RotateAboutY(90), 1, 0, 0, 1e-7);
    ExpectPoint(Point3d(1, 0, 0).RotateAboutY(90), 0, 0, -1, 1e-7);
    ExpectPoint(Point3d(1, 2, 3).RotateAboutX(0).RotateAboutY(360), 1, 2, 3, 1e-6);
    // 30 degrees about z, checked against cos/sin of pi/6.
    ExpectPoint(Point3d(2, 0, 5).RotateAboutZ(30), std::sqrt(3.0), 1, 5, 1e-6);
}

TEST(Point3d, ArchiveFormDependsOnSchema)
{
    const Point3d p(1.5, -0.1, 1e20);
    const Bytes doubles = Doubles({1.5, static_cast<double>(-0.1f), static_cast<double>(1e20f)});
    const Bytes floats = Floats({1.5f, -0.1f, 1e20f});
    for (UINT schema : {kUnset, 0u, 6u}) {
        EXPECT_EQ(Store(schema, [&](CArchive& ar) { ar << p; }), doubles) << schema;
        Point3d q;
        EXPECT_EQ(Load(doubles, schema, [&](CArchive& ar) { ar >> q; }), 0u);
        EXPECT_EQ(q, p);
    }
    for (UINT schema : {7u, 13u, 0x7FFFFFFFu}) {
        EXPECT_EQ(Store(schema, [&](CArchive& ar) { Point3d(p).Serialize(ar); }), floats) << schema;
        Point3d q;
        EXPECT_EQ(Load(floats, schema, [&](CArchive& ar) { q.Serialize(ar); }), 0u);
        EXPECT_EQ(q, p);
    }
    // Old documents hold doubles; loading rounds them to float.
    Point3d q;
    Load(Doubles({0.1, 0.2, 0.3}), 6, [&](CArchive& ar) { ar >> q; });
    EXPECT_EQ(q[0], 0.1f);
    EXPECT_EQ(q[2], 0.3f);
}

TEST(Point3d, TruncatedArchiveRaisesAndLeavesPointUnchanged)
{
    Bytes shortImage = Doubles({1.0, 2.0});
    Point3d q(7, 8, 9);
    try {
        Load(shortImage, 6, [&](CArchive& ar) { ar >> q; });
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    EXPECT_EQ(q, Point3d(7, 8, 9));
}

TEST(Point3d, ArrayIsCountThenOneFloatBlockWhateverTheSchema)
{
    Point3d::Array a;
    a.SetSize(2);
    ExpectPoint(a[1], 0, 0, 0); // new elements are the origin
    a[0] = Point3d(1, 2, 3);
    a[1] = Point3d(-4, 0.5, 6);
    const Bytes expected = Concat({Bytes{2, 0}, Floats({1, 2, 3, -4, 0.5f, 6})});
    for (UINT schema : {kUnset, 6u, 7u}) {
        EXPECT_EQ(Store(schema, [&](CArchive& ar) { a.Serialize(ar); }), expected);
        Point3d::Array b;
        b.SetSize(5);
        Load(expected, schema, [&](CArchive& ar) { b.Serialize(ar); });
        ASSERT_EQ(b.GetSize(), 2);
        EXPECT_EQ(b[0], a[0]);
        EXPECT_EQ(b[1], a[1]);
    }
    // A count that the archive cannot back fails before the array changes.
    Point3d::Array c;
    c.SetSize(1);
    const Bytes damaged = Concat({Bytes{0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40}, Floats({1, 2, 3})});
    EXPECT_THROW(Load(damaged, 7, [&](CArchive& ar) { c.Serialize(ar); }), CArchiveException);
    EXPECT_EQ(c.GetSize(), 1);
}

TEST(Point3d, TextOutputWithAndWithoutWidth)
{
    std::ostringstream plain;
    plain << Point3d(1, 2.5, -3);
    EXPECT_EQ(plain.str(), "1 2.5 -3");

    std::ostringstream wide;
    wide << std::setw(8) << Point3d(1, 2, 3) << '|';
    EXPECT_EQ(wide.str(), "       1       2       3|");

    std::ostringstream precise;
    precise.precision(3);
    precise << Point3d(3.14159, 0.5, 100);
    EXPECT_EQ(precise.str(), "3.14 0.5 100");
}

TEST(Point3d, TextInputIsAllOrNothing)
{
    Point3d p(7, 8, 9);
    std::istringstream bad("1 2 x");
    bad >> p;
    EXPECT_TRUE(bad.fail());
    EXPECT_EQ(p, Point3d(7, 8, 9));

    std::istringstream shortText("1 2");
    shortText >> p;
    EXPECT_TRUE(shortText.fail());
    EXPECT_EQ(p, Point3d(7, 8, 9));

    std::istringstream good("1\n2\t3");
    good >> p;
    EXPECT_FALSE(good.fail());
    EXPECT_EQ(p, Point3d(1, 2, 3)); // ends right after the last number

    std::istringstream roundTrip;
    std::ostringstream out;
    out << Point3d(0.25, -1e-3, 12345);
    roundTrip.str(out.str());
    roundTrip >> p;
    EXPECT_EQ(p, Point3d(0.25, -1e-3, 12345));
}
