#include "orvcore/numerics/RandomSequences.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Orvane;

namespace {

std::vector<int> Draw(RandomInteger& g, int n)
{
    std::vector<int> values;
    for (int i = 0; i < n; ++i)
        values.push_back(g());
    return values;
}

// Puts the default generator back as it was when the test ends.
struct DefaultSeedGuard
{
    unsigned long saved = RandomInteger::GetDefaultSeed();
    ~DefaultSeedGuard() { RandomInteger::SetDefaultSeed(saved); }
};

} // namespace

// Expected values below come from the recurrence evaluated separately with
// arbitrary-precision integers reduced modulo 2^32.
TEST(RandomIntegerTest, KnownSequencesAndReset)
{
    RandomInteger g;
    EXPECT_EQ(g.GetFirstSeed(), 1ul);
    EXPECT_EQ(Draw(g, 5), (std::vector<int>{16838, 5758, 10113, 17515, 31051}));
    EXPECT_EQ(g.GetNextSeed(), 4182499122ul);
    EXPECT_EQ(g.GetFirstSeed(), 1ul);
    g.Reset();
    EXPECT_EQ(Draw(g, 3), (std::vector<int>{16838, 5758, 10113}));

    RandomInteger zero(0);
    EXPECT_EQ(Draw(zero, 3), (std::vector<int>{0, 21468, 9988}));
    EXPECT_EQ(zero.GetNextSeed(), 2802067423ul);

    // The copy carries both seeds and then runs on its own.
    RandomInteger a(42);
    a();
    RandomInteger b(a);
    EXPECT_EQ(b.GetFirstSeed(), 42ul);
    EXPECT_EQ(Draw(b, 2), (std::vector<int>{17033, 15269}));
    EXPECT_EQ(Draw(a, 2), (std::vector<int>{17033, 15269}));
    b.Reset();
    EXPECT_EQ(b(), 19081);
    RandomInteger c(5);
    c = a;
    EXPECT_EQ(c.GetNextSeed(), a.GetNextSeed());
    EXPECT_EQ(c.GetFirstSeed(), 42ul);
    c = c;
    EXPECT_EQ(c.GetFirstSeed(), 42ul);
}

TEST(RandomIntegerTest, StateWrapsModulo2To32)
{
    RandomInteger top(0xFFFFFFFFul);
    EXPECT_EQ(Draw(top, 3), (std::vector<int>{15929, 4409, 9862}));
    EXPECT_EQ(top.GetNextSeed(), 646343466ul);

    // Seeds wider than 32 bits (where long is) keep their low 32 bits.
    RandomInteger wide(static_cast<unsigned long>(0x10000002Aull));
    EXPECT_EQ(wide.GetFirstSeed(), 42ul);
    EXPECT_EQ(Draw(wide, 3), (std::vector<int>{19081, 17033, 15269}));
    wide.SetNextSeed(static_cast<unsigned long>(0x300000001ull));
    EXPECT_EQ(wide.GetNextSeed(), 1ul);
    EXPECT_EQ(wide(), 16838);
    EXPECT_EQ(wide.GetFirstSeed(), 42ul);

    for (int i = 0; i < 1000; ++i) {
        const int v = top();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, top.GetMaximumValue());
        ASSERT_LE(top.GetNextSeed(), 0xFFFFFFFFul);
    }
    EXPECT_EQ(top.GetMaximumValue(), 32767);
}

TEST(RandomIntegerTest, DefaultGeneratorState)
{
    DefaultSeedGuard guard;
    const unsigned long before = RandomInteger::GetDefaultSeed();
    EXPECT_EQ(RandomInteger::SetDefaultSeed(42), before);
    EXPECT_EQ(RandomInteger::GetDefaultSeed(), 42ul);
    EXPECT_EQ(RandomInteger::SetDefaultSeed(static_cast<unsigned long>(0x100000001ull)), 42ul);
    EXPECT_EQ(RandomInteger::GetDefaultSeed(), 1ul);

    // Sequences built without a generator draw from the default one.
    UniformRandomSequence counts(0.0, 32767.0);
    EXPECT_EQ(counts(), 16838.0);
    NormalRandomSequence constant(10.0, 0.0);
    EXPECT_EQ(constant(), 10.0);
    // 5758 and 10113 went to the normal sequence's first (accepted) pair.
    EXPECT_EQ(counts(), 17515.0);
}

TEST(UniformRandomSequenceTest, GridEndsAndValues)
{
    RandomInteger g(7);
    UniformRandomSequence s(g, 2.0, 4.0);
    EXPECT_DOUBLE_EQ(s(), 3.194128238776818);
    EXPECT_DOUBLE_EQ(s(), 2.598529007843257);
    EXPECT_DOUBLE_EQ(s(), 2.6633503219702748);
    EXPECT_DOUBLE_EQ(s(), 3.3839533677175204);

    for (int i = 0; i < 2000; ++i) {
        const double v = s();
        ASSERT_GE(v, 2.0);
        ASSERT_LE(v, 4.0);
        const double r = (v - 2.0) * 32767.0 / 2.0;
        ASSERT_NEAR(r, std::round(r), 1e-6);
    }

    // A state whose next number is 0 reaches the lower end, one whose next
    // number is 32767 the upper end.
    g.SetNextSeed(0);
    EXPECT_EQ(s(), 2.0);
    g.SetNextSeed(2433918595ul);
    EXPECT_EQ(s(), 4.0);
}

TEST(UniformRandomSequenceTest, SharedGeneratorInterleaves)
{
    RandomInteger g(1);
    UniformRandomSequence a(g, 0.0, 32767.0);
    UniformRandomSequence b(g, 0.0, 32767.0);
    UniformRandomSequence copy(a);
    EXPECT_EQ(a(), 16838.0);
    EXPECT_EQ(b(), 5758.0);
    EXPECT_EQ(copy(), 10113.0);
    EXPECT_EQ(a(), 17515.0);
    g.Reset();
    EXPECT_EQ(b(), 16838.0);
}

TEST(NormalRandomSequenceTest, PolarMethodValues)
{
    RandomInteger g(3);
    NormalRandomSequence n(g, 5.0, 2.0);
    EXPECT_DOUBLE_EQ(n(), 5.434557135214388);
    EXPECT_DOUBLE_EQ(n(), 3.331597154838218);
    EXPECT_DOUBLE_EQ(n(), 9.590846633853419);
    EXPECT_EQ(g.GetNextSeed(), 1035215989ul); // six integers, no pair rejected

    // From seed 2 the first pair (908, 22817) lies outside the unit circle and
    // is dropped; the value comes from the second pair.
    RandomInteger h(2);
    NormalRandomSequence standard(h, 0.0, 1.0);
    NormalRandomSequence copy(standard);
    EXPECT_DOUBLE_EQ(copy(), -1.5983808350817486);
    EXPECT_EQ(h.GetNextSeed(), 2993822286ul);

    // A zero deviation gives the mean exactly and still draws a pair.
    RandomInteger k(1);
    NormalRandomSequence flat(k, 10.0, 0.0);
    EXPECT_EQ(flat(), 10.0);
    RandomInteger twoSteps(1);
    Draw(twoSteps, 2);
    EXPECT_EQ(k.GetNextSeed(), twoSteps.GetNextSeed());
}
