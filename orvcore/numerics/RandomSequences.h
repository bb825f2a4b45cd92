#pragma once

#include "orvcore/Export.h"

#include <cstdint>

namespace Orvane {

/// A seeded linear congruential generator of integers 0..32767. The state is
/// 32 bits wide and wraps modulo 2^32 whatever the width of `unsigned long`,
/// so a seed always gives the same sequence.
class ORVCORE_API RandomInteger
{
public:
    RandomInteger(unsigned long seed = 1);
    RandomInteger(const RandomInteger& other);
    RandomInteger& operator=(const RandomInteger& other);
    virtual ~RandomInteger();

    /// The largest value operator() returns; the smallest is 0.
    virtual int GetMaximumValue() const;

    /// The next number of the sequence.
    int operator()();

    unsigned long GetFirstSeed() const { return m_firstSeed; }
    unsigned long GetNextSeed() const { return m_nextSeed; }
    void SetNextSeed(unsigned long seed);
    /// Starts the sequence over from the first seed.
    void Reset() { m_nextSeed = m_firstSeed; }

    /// The state of the process-wide generator that sequences built without a
    /// generator draw from. SetDefaultSeed returns the state it replaces.
    static unsigned long GetDefaultSeed();
    static unsigned long SetDefaultSeed(unsigned long seed);

    /// The process-wide default generator (seed 1).
    static RandomInteger m_defaultGenerator;

private:
    /// Advances `seed` by one step and returns the number it gives.
    virtual int CalcRandomNumber(unsigned long& seed);

    std::uint32_t m_firstSeed;
    std::uint32_t m_nextSeed;
};

/// A source of doubles.
class ORVCORE_API RandomSequence
{
public:
    virtual ~RandomSequence();
    virtual double operator()() = 0;
};

/// Doubles uniform on [lower, upper], on a grid of GetMaximumValue() + 1
/// points; both ends are reachable. The generator is shared, not owned.
class ORVCORE_API UniformRandomSequence : public RandomSequence
{
public:
    UniformRandomSequence(double lower = 0.0, double upper = 1.0);
    UniformRandomSequence(RandomInteger& generator, double lower, double upper);
    UniformRandomSequence(const UniformRandomSequence& other);
    UniformRandomSequence& operator=(const UniformRandomSequence& other);
    ~UniformRandomSequence() override;

    double operator()() override;

private:
    RandomInteger* m_generator;
    double m_upper;
    double m_lower;
};

/// Normally distributed doubles by the polar method: each accepted pair of
/// uniform draws gives one value.
class ORVCORE_API NormalRandomSequence : public RandomSequence
{
public:
    NormalRandomSequence(double mean = 0.0, double deviation = 1.0);
    NormalRandomSequence(RandomInteger& generator, double mean, double deviation);
    NormalRandomSequence(const NormalRandomSequence& other);
    NormalRandomSequence& operator=(const NormalRandomSequence& other);
    ~NormalRandomSequence() override;

    double operator()() override;

private:
    UniformRandomSequence m_uniform;
    double m_mean;
    double m_deviation;
};

} // namespace Orvane
