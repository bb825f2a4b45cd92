#include "orvcore/geometry/Plane.h"

#include <gtest/gtest.h>

using namespace Orvane;

TEST(Plane, EquationAndSignedDistance)
{
    EXPECT_EQ(Plane(Point3d(0, 0, 1), Point3d(0, 0, 2)).Apply(Point3d(5, 5, 3)), 4.0);
    EXPECT_EQ(Plane(Point3d(0, 0, 0), Point3d(1, 0, 0)).Apply(Point3d(-3, 7, 7)), -3.0);
    EXPECT_EQ(Plane().Apply(Point3d(1, 2, 3)), 0.0);

    double a, b, c, d;
    Plane(Point3d(1, 2, 3), Point3d(0, 1, 0)).GetABCD(a, b, c, d);
    EXPECT_EQ(a, 0.0);
    EXPECT_EQ(b, 1.0);
    EXPECT_EQ(c, 0.0);
    EXPECT_EQ(d, -2.0);

    // A slanted plane through (1, 1, 1) with normal (1, 2, 2), length 3: a
    // point 2 units along the unit normal gives 2 * 3.
    const Plane slanted(Point3d(1, 1, 1), Point3d(1, 2, 2));
    EXPECT_NEAR(slanted.Apply(Point3d(1 + 2.0 / 3, 1 + 4.0 / 3, 1 + 4.0 / 3)), 6.0, 1e-6);
    EXPECT_NEAR(slanted.Apply(Point3d(3, 0, 1)), 0.0, 1e-12);
}

TEST(Plane, KeepsNormalAsGivenAndCopies)
{
    Plane p(Point3d(1, 2, 3), Point3d(0, 0, 5));
    Point3d point, normal;
    p.Get(point, normal);
    EXPECT_EQ(normal, Point3d(0, 0, 5));
    EXPECT_EQ(point, Point3d(1, 2, 3));

    Plane copy(p);
    p.Set(Point3d(0, 0, 0), Point3d(1, 0, 0));
    copy.Get(point, normal);
    EXPECT_EQ(normal, Point3d(0, 0, 5));
    EXPECT_EQ(copy.Apply(Point3d(0, 0, 4)), 5.0);
    copy = copy;
    EXPECT_EQ(copy.Apply(Point3d(0, 0, 4)), 5.0);
    copy = p;
    EXPECT_EQ(copy.Apply(Point3d(2, 9, 9)), 2.0);
}
