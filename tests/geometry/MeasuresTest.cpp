#include "orvcore/geometry/Measures.h"

#include "tests/support/ExpectPoint.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

using namespace Orvane;

namespace {

// Torsion angle by the atan2 formula on bond vectors, as an independent check.
double ReferenceDihedral(const Point3d& p0, const Point3d& p1, const Point3d& p2, const Point3d& p3)
{
    auto sub = [](const Point3d& a, const Point3d& b) {
        return std::array<double, 3>{a.GetX() - b.GetX(), a.GetY() - b.GetY(), a.GetZ() - b.GetZ()};
    };
    auto cross = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return std::array<double, 3>{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    };
    auto dot = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    };
    const auto b0 = sub(p1, p0), b1 = sub(p2, p1), b2 = sub(p3, p2);
    const auto n1 = cross(b0, b1), n2 = cross(b1, b2);
    const double b1len = std::sqrt(dot(b1, b1));
    const auto m1 = cross(n1, b1);
    const double x = dot(n1, n2), y = dot(m1, n2) / b1len;
    return -std::atan2(y, x) * 180.0 / M_PI;
}

} // namespace

TEST(Measures, AnglesIncludingCoincidentAndStraight)
{
    const Point3d o(0, 0, 0), p(3, -1, 2);
    EXPECT_EQ(Angle(p, p, Point3d(5, 5, 5)), 90.0);
    EXPECT_EQ(Angle(Point3d(1, 0, 0), o, Point3d(-1, 0, 0)), 180.0);
    EXPECT_EQ(Angle(Point3d(1, 0, 0), o, Point3d(2, 0, 0)), 0.0);
    EXPECT_NEAR(Angle(Point3d(1, 0, 0), o, Point3d(1, 1, 0)), 45.0, 1e-12);
    EXPECT_NEAR(Angle(Point3d(2, 1, 1), Point3d(1, 1, 1), Point3d(1, 1, 4)), 90.0, 1e-12);
    // Tetrahedral angle: acos(-1/3).
    EXPECT_NEAR(Angle(Point3d(1, 1, 1), o, Point3d(-1, -1, 1)), std::acos(-1.0 / 3.0) * 180.0 / M_PI, 1e-12);
}

TEST(Measures, DihedralSignsAndAgreementWithAnIndependentFormula)
{
    const Point3d p1(1, 0, 0), p2(0, 0, 0), p3(0, 0, 1);
    EXPECT_NEAR(Dihedral(p1, p2, p3, Point3d(0, 1, 1)), 90.0, 1e-12);
    EXPECT_NEAR(Dihedral(p1, p2, p3, Point3d(0, -1, 1)), -90.0, 1e-12);
    EXPECT_EQ(Dihedral(p1, p2, p3, Point3d(1, 0, 1)), 0.0);
    EXPECT_EQ(Dihedral(p1, p2, p3, Point3d(-1, 0, 1)), 180.0);
    EXPECT_EQ(Torsion(p1, p2, p3, Point3d(0, 1, 1)), Dihedral(p1, p2, p3, Point3d(0, 1, 1)));

    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-5.0f, 5.0f);
    auto random = [&] { return Point3d(coord(rng), coord(rng), coord(rng)); };
    // The bond vectors and their cross products are points, held as floats.
    for (int i = 0; i < 200; ++i) {
        const Point3d a = random(), b = random(), c = random(), d = random();
        EXPECT_NEAR(Dihedral(a, b, c, d), ReferenceDihedral(a, b, c, d), 1e-4) << i;
    }
}

TEST(Measures, DistancesToLinesAndPlanes)
{
    const Point3d o(0, 0, 0);
    EXPECT_EQ(Distance(Point3d(1, 2, 2), o), 3.0);
    EXPECT_EQ(Point3d(1, 2, 2).Distance2(o), 9.0);
    EXPECT_NEAR(DistanceToLine(Point3d(5, 3, 4), o, Point3d(1, 0, 0)), 5.0, 1e-12);
    EXPECT_NEAR(Point3d(1, 1, 0).DistanceToLine2(Point3d(0, 0, 7), Point3d(2, 2, 7)), 49.0, 1e-9);
    // Defining points closer than 0.001: the line counts as degenerate.
    EXPECT_EQ(DistanceToLine(Point3d(0, 1, 0), o, Point3d(0.0005, 0, 0)), 0.0);

    int side = 0;
    EXPECT_EQ(DistanceToPlane(Point3d(0, 0, -3), o, Point3d(0, 0, 1), side), 3.0);
    EXPECT_EQ(side, -1);
    side = 0;
    EXPECT_EQ(DistanceToPlane(o, o, Point3d(0, 0, 1), side), 0.0);
    EXPECT_EQ(side, -1);
    EXPECT_NEAR(DistanceToPlane2(Point3d(1, 1, 1), o, Point3d(0, 0, 2), side), 1.0, 1e-12);
    EXPECT_EQ(side, 1);
    side = 42;
    EXPECT_EQ(Point3d(1, 2, 3).DistanceToPlane(o, o, side), 0.0);
    EXPECT_EQ(side, 42);
}

TEST(Measures, Projections)
{
    const Point3d o(0, 0, 0);
    double d = 0;
    int s = 0;
    ExpectPoint(ProjectToPlane(Point3d(1, 1, 5), o, Point3d(0, 0, 2), d, s), 1, 1, -5);
    EXPECT_EQ(d, 5.0);
    EXPECT_EQ(s, 1);
    float fd = 0;
    ExpectPoint(Point3d(2, 3, -4).ProjectToPlane(Point3d(0, 0, 1), Point3d(0, 0, 2), fd, s), 2, 3, 1);
    EXPECT_EQ(fd, 5.0f);
    EXPECT_EQ(s, -1);
    s = 9;
    ExpectPoint(ProjectToPlane(Point3d(2, 3, 4), o, o, d, s), 2, 3, 4);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(s, 9);

    ExpectPoint(ProjectToLine(Point3d(3, 4, 0), o, Point3d(2, 0, 0)), 3, 0, 0);
    ExpectPoint(ProjectToLine(Point3d(-3, 4, 0), o, Point3d(2, 0, 0)), -3, 0, 0);
    ExpectPoint(Point3d(1, 5, 1).ProjectToLine(Point3d(1, 1, 1), Point3d(3, 3, 3)), 7.0 / 3, 7.0 / 3, 7.0 / 3);
    ExpectPoint(ProjectToLine(Point3d(1, 2, 3), Point3d(4, 4, 4), Point3d(4, 4, 4)), 4, 4, 4, 0);
}

TEST(Measures, CrossProductsAndPerpendiculars)
{
    const double r2 = 1 / std::sqrt(2.0), r3 = 1 / std::sqrt(3.0);
    ExpectPoint(Point3d(1, 0, 0).Cross(Point3d(0, 1, 0)), 0, 0, 1, 0);
    ExpectPoint(CrossProduct(Point3d(1, 2, 3), Point3d(4, 5, 6)), -3, 6, -3, 0);
    ExpectPoint(Point3d(1, 0, 0).Cross(Point3d(2, 0, 0)), 0, r2, r2);
    Point3d out;
    CrossProduct(Point3d(1, 0, 0), Point3d(-3, 0, 0), out);
    ExpectPoint(out, 0, r2, r2);

    // A product of 1e-40: not exactly zero, but equal to zero by point equality.
    const Point3d a(1e-20, 0, 0), b(0, 1e-20, 0);
    EXPECT_GT(CrossProduct(a, b).GetZ(), 0.0);
    CrossProduct(a, b, out);
    ExpectPoint(out, 0, r2, r2);

    ExpectPoint(Normal(Point3d(1, 2, 3)), -5 / std::sqrt(27.0), 1 / std::sqrt(27.0), 1 / std::sqrt(27.0));
    ExpectPoint(Point3d(0, 0, 5).Normal(), r2, r2, 0);
    ExpectPoint(Normal(Point3d(0, 0, 0)), r3, r3, r3);
    ExpectPoint(Normal(Point3d(0, 0, 0), Point3d(2, 0, 0), Point3d(0, 3, 0)), 0, 0, 1);
    ExpectPoint(Normal(Point3d(0, 0, 0), Point3d(0, 3, 0), Point3d(2, 0, 0)), 0, 0, -1);
}

TEST(Measures, ToleranceAndBoxTests)
{
    EXPECT_TRUE(Compare(Point3d(1, 2, 3), Point3d(1, 2, 3), 0));
    EXPECT_FALSE(Compare(Point3d(1, 2, 3), Point3d(1, 2, 3.0001), 0));
    EXPECT_FALSE(Point3d(0, 0, 0).Compare(Point3d(0.25, 0.25, 0.25), 0.5)); // 0.75 in total
    EXPECT_TRUE(Point3d(0, 0, 0).Compare(Point3d(0.25, 0.25, 0), 0.5));

    const Point3d lo(0, 0, 0), hi(1, 1, 1);
    EXPECT_TRUE(CheckPointInsideBox(lo, hi, Point3d(1, 1, 1)));
    EXPECT_TRUE(CheckPointInsideBox(lo, hi, Point3d(0, 0.5, 1)));
    EXPECT_FALSE(CheckPointInsideBox(lo, hi, Point3d(0.5, 0.5, 1.01)));
    EXPECT_FALSE(Point3d(0.5, 0.5, 0.5).CheckInsideBox(hi, lo));
    EXPECT_TRUE(Point3d(0.5, 0.5, 0.5).CheckInsideBox(lo, hi));
}

// Every vector a measure builds on its way (a difference of points, a cross
// product, a normalised or rescaled direction) is a point and holds floats;
// lengths, dot products and angles are doubles taken from those floats. The
// expected values were computed independently that way; keeping the vectors
// in double moves each of them by far more than the tolerance.
TEST(Measures, VectorsBuiltOnTheWayHoldFloats)
{
    const Point3d p1(1.3, 0.2, -0.7), p2(0.1, 0.3, 0.9), p3(-1.1, 1.7, 0.4), p4(0.6, -0.9, 2.2);
    EXPECT_DOUBLE_EQ(Angle(p1, p2, p3), 101.76398200748517);
    EXPECT_DOUBLE_EQ(Dihedral(p1, p2, p3, p4), -177.75129564627625);
    EXPECT_DOUBLE_EQ(DistanceToLine2(p4, p1, p2), 2.9187535027562546);
    const Point3d foot = ProjectToLine(p4, p1, p2);
    EXPECT_EQ(foot[0], -0.3069826364517212f);
    EXPECT_EQ(foot[1], 0.33391523361206055f);
    EXPECT_EQ(foot[2], 1.442643404006958f);

    const Point3d q1(-1.6, 0.3, -0.8), q2(0.6, 0.8, -2.6), q3(-2.9, 2.0, -1.4);
    double d = 0;
    int side = 0;
    const Point3d moved = ProjectToPlane(q1, q2, q3, d, side);
    EXPECT_DOUBLE_EQ(d, 2.380627913324237);
    EXPECT_EQ(side, 1);
    EXPECT_EQ(moved[0], 6.732198238372803f);
    EXPECT_EQ(moved[1], -2.556753635406494f);
    EXPECT_EQ(moved[2], -3.6567533016204834f);
    // The float overload moves the point by the distance it hands back.
    float fd = 0;
    const Point3d movedByFloat = q1.ProjectToPlane(q2, q3, fd, side);
    EXPECT_EQ(fd, 2.3806278705596924f);
    EXPECT_EQ(movedByFloat[0], 6.732197284698486f);
    EXPECT_EQ(movedByFloat[1], -2.556753635406494f);

    const Point3d n = Normal(q1, q2, q3);
    EXPECT_EQ(n[0], 0.43484628200531006f);
    EXPECT_EQ(n[1], 0.5766439437866211f);
    EXPECT_EQ(n[2], 0.6916577219963074f);
    const Point3d perpendicular = Point3d(2.3, -2.4, -2.2).Normal();
    EXPECT_EQ(perpendicular[0], 0.8164966106414795f);
    EXPECT_EQ(perpendicular[1], 0.40824830532073975f);
    EXPECT_EQ(perpendicular[2], 0.40824830532073975f);

    // A product of 1e-46 is zero once stored: the perpendicular replaces it.
    const float r2 = 0.7071067690849304f;
    for (const Point3d& c : {CrossProduct(Point3d(1e-23, 0, 0), Point3d(0, 1e-23, 0)),
                             Point3d(1e-23, 0, 0).Cross(Point3d(0, 1e-23, 0))}) {
        EXPECT_EQ(c[0], 0.0f);
        EXPECT_EQ(c[1], r2);
        EXPECT_EQ(c[2], r2);
    }
}
