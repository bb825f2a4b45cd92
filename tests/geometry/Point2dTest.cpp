#include "orvcore/geometry/Point2d.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <iomanip>
#include <sstream>

using namespace Orvane;
using namespace testing_bytes;

namespace {

void ExpectPoint(const Point2d& p, double x, double y, double tol = 0.0)
{
    EXPECT_NEAR(p.GetX(), x, tol);
    EXPECT_NEAR(p.GetY(), y, tol);
}

} // namespace

TEST(Point2d, ConstructionAccessAndConstants)
{
    ExpectPoint(Point2d(), 0, 0);
    ExpectPoint(Point2d(Point3d(1, 2, 3)), 1, 2);
    ExpectPoint(Point2d(static_cast<const double*>(nullptr)), 0, 0);
    const double xy[2] = {0.1, -7};
    ExpectPoint(Point2d(xy), 0.1, -7); // doubles, not rounded to float
    Point2d p(4, 5);
    EXPECT_EQ(&p[2], &p[0]);
    EXPECT_EQ(&p[-1], &p[0]);
    EXPECT_EQ(static_cast<const Point2d&>(p)[1], 5.0);
    p.SetXY(Point3d(8, 9, 10));
    ExpectPoint(p, 8, 9);
    float fx, fy;
    p.GetXY(fx, fy);
    EXPECT_EQ(fx + fy, 17.0f);

    EXPECT_EQ(Point2d::maximum.GetX(), static_cast<double>(FLT_MAX));
    EXPECT_EQ(Point2d::minimum.GetY(), -static_cast<double>(FLT_MAX));
    ExpectPoint(Point2d::iVector, 1, 0);
    ExpectPoint(Point2d::jVector, 0, 1);
    ExpectPoint(Point2d::origin, 0, 0);
}

TEST(Point2d, ArithmeticAndMeasures)
{
    const Point2d a(4, 6), b(2, 3);
    ExpectPoint(a / Point2d(2, 0), 4, 6);
    ExpectPoint(a / b, 2, 2);
    ExpectPoint(a / 0.0, 4, 6);
    ExpectPoint(a / 2.0, 2, 3);
    ExpectPoint(a + b, 6, 9);
    ExpectPoint(a - b, 2, 3);
    ExpectPoint(a * b, 8, 18);
    ExpectPoint(0.5 * a, 2, 3);
    ExpectPoint(-a, -4, -6);
    ExpectPoint(MidPoint(a, b), 3, 4.5);
    ExpectPoint(Direction(a, b), -2, -3);
    EXPECT_EQ(a.Dot(b), 26.0);
    EXPECT_EQ(Distance(Point2d(1, 1), Point2d(4, 5)), 5.0);
    EXPECT_EQ(Distance2(Point2d(1, 1), Point2d(4, 5)), 25.0);
    EXPECT_EQ(SumPowers(Point2d(-1, 2), 3), 7.0);
    EXPECT_EQ(Sum(a), 10.0);
    EXPECT_EQ(Length(Point2d(3, 4)), 5.0);

    Point2d c(3, 4);
    c.ChangeLength(10);
    ExpectPoint(c, 6, 8, 1e-12);
    Point2d zero;
    zero.Normalize();
    ExpectPoint(zero, 0, 0);
    ExpectPoint(Point2d(1, 5).Maximum(Point2d(2, 3)), 2, 5);
    ExpectPoint(Point2d(1, 5).Minimum(Point2d(2, 3)), 1, 3);

    EXPECT_EQ(Point2d(1, 2) == Point2d(1, 2), 1);
    EXPECT_EQ(Point2d(1, 2) == Point2d(1, 2 + 1e-12), 0);
    EXPECT_EQ(Point2d(0, 0) != Point2d(1e-40, 1e-40), 0);
}

TEST(Point2d, AnglesInThePlane)
{
    EXPECT_EQ(Angle(Point2d(1, 1), Point2d(1, 1), Point2d(3, 0)), 90.0);
    EXPECT_EQ(Angle(Point2d(1, 0), Point2d(0, 0), Point2d(-2, 0)), 180.0);
    EXPECT_NEAR(Angle(Point2d(1, 0), Point2d(0, 0), Point2d(1, std::sqrt(3.0))), 60.0, 1e-12);
}

TEST(Point2d, RotationAndItsCache)
{
    // Before any other rotation: 180 degrees comes from the initial cache.
    Point2d p(1, 0);
    p.Rotate(180);
    ExpectPoint(p, -1, 0);
    for (double whole : {360.0, -720.0, 0.0}) {
        Point2d q(1.5, -2);
        q.Rotate(whole);
        ExpectPoint(q, 1.5, -2);
    }
    Point2d q(1, 0);
    q.Rotate(90);
    ExpectPoint(q, 0, 1, 1e-15);
    q.Rotate(90); // the cached angle
    ExpectPoint(q, -1, 0, 1e-15);
    Point2d r(2, 0);
    r.Rotate(30);
    ExpectPoint(r, std::sqrt(3.0), 1, 1e-15);
    r.Rotate(-30);
    ExpectPoint(r, 2, 0, 1e-15);
}

TEST(Point2d, ArchiveFormIsTwoDoublesWhateverTheSchema)
{
    const Bytes image = Doubles({1, 2});
    for (UINT schema : {kUnset, 6u, 7u, 13u}) {
        EXPECT_EQ(Store(schema, [](CArchive& ar) { ar << Point2d(1, 2); }), image);
        Point2d p;
        EXPECT_EQ(Load(image, schema, [&](CArchive& ar) { p.Serialize(ar); }), 0u);
        ExpectPoint(p, 1, 2);
    }
    Load(Doubles({0.1, -3}), 7, [](CArchive& ar) { ExpectPoint(Point2d(ar), 0.1, -3); });

    Point2d::Array a;
    a.SetSize(3);
    ExpectPoint(a[2], 0, 0);
    a[0] = Point2d(1, 2);
    a[1] = Point2d(3, 4);
    a[2] = Point2d(5, 6.5);
    const Bytes arrayImage = Concat({Bytes{3, 0}, Doubles({1, 2, 3, 4, 5, 6.5})});
    EXPECT_EQ(Store(7, [&](CArchive& ar) { a.Serialize(ar); }), arrayImage);
    Point2d::Array b;
    Load(arrayImage, kUnset, [&](CArchive& ar) { b.Serialize(ar); });
    ASSERT_EQ(b.GetSize(), 3);
    ExpectPoint(b[2], 5, 6.5);

    EXPECT_THROW(Load(Doubles({1}), 7, [](CArchive& ar) { Point2d p(ar); }), CArchiveException);
    Point2d::Array c;
    EXPECT_THROW(Load(Concat({Bytes{3, 0}, Doubles({1, 2, 3, 4, 5})}), 7, [&](CArchive& ar) { c.Serialize(ar); }),
                 CArchiveException);
    EXPECT_EQ(c.GetSize(), 0);
}

TEST(Point2d, TextForms)
{
    std::ostringstream plain;
    plain << Point2d(1, -2.5);
    EXPECT_EQ(plain.str(), "1 -2.5");
    std::ostringstream wide;
    wide << std::setw(5) << Point2d(1, 2) << '|';
    EXPECT_EQ(wide.str(), "    1    2|");

    Point2d p(7, 8);
    std::istringstream bad("3 x");
    bad >> p;
    EXPECT_TRUE(bad.fail());
    ExpectPoint(p, 7, 8);
    std::istringstream good("\t3\n4");
    good >> p;
    ExpectPoint(p, 3, 4);

    std::istringstream letter("3 x");
    ExpectPoint(Point2d(letter), 0, 0);
    // The stream constructor accepts a text that ends right after y.
    std::istringstream exact("3 4");
    ExpectPoint(Point2d(exact), 3, 4);
    EXPECT_FALSE(exact.fail());
}
