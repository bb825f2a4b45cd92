#include "orvcore/geometry/Point3d.h"
#include "orvcore/numerics/RandomSequences.h"
#include "tests/support/ExpectPoint.h"

#include <gtest/gtest.h>

using namespace Orvane;

// From seed 1 the generator gives 16838, 5758, 10113; on [-1, 1] these are
// 0.0277413251, -0.6485488449, -0.3827326273, of length 0.7535746.
TEST(Point3dRandomTest, DrawsInCoordinateOrder)
{
    RandomInteger g(1);
    UniformRandomSequence counts(g, 0.0, 32767.0);
    ExpectPoint(Point3d::Random(counts), 16838, 5758, 10113);

    g.Reset();
    UniformRandomSequence unit(g, -1.0, 1.0);
    Point3d p(3, 4, 0);
    EXPECT_EQ(&p.Randomize(unit), &p);
    ExpectPoint(p, 0.1840657369682733, -4.303169390883126, -2.5394591939704148); // length 5 kept

    g.Reset();
    Point3d zero;
    zero.Randomize(unit); // no length to keep
    ExpectPoint(zero, 0.027741325113681548, -0.6485488448744163, -0.3827326273384808);
}

TEST(Point3dRandomTest, DefaultGeneratorDirections)
{
    const unsigned long saved = RandomInteger::SetDefaultSeed(1);
    ExpectPoint(Point3d::Random(), 0.03681314739365466, -0.8606338781766253, -0.507891838794083);
    RandomInteger threeSteps(1);
    threeSteps();
    threeSteps();
    threeSteps();
    EXPECT_EQ(RandomInteger::GetDefaultSeed(), threeSteps.GetNextSeed());

    RandomInteger::SetDefaultSeed(1);
    Point3d p(0, 0, -2);
    p.Randomize();
    ExpectPoint(p, 2 * 0.03681314739365466, 2 * -0.8606338781766253, 2 * -0.507891838794083);
    RandomInteger::SetDefaultSeed(saved);
}
