#pragma once

/// \file
/// RandomInteger and the random sequences of doubles built on it.
#include "orvcore/Export.h"

#include <cstdint>

namespace Orvane {

/// A seeded linear congruential generator of integers 0..32767. The state is
/// 32 bits wide and wraps modulo 2^32 whatever the width of `unsigned long`,
/// so a seed always gives the same sequence. The step is that of the example
/// rand() of the C standard (ISO/IEC 9899, 7.22.2): state * 1103515245 +
/// 12345, giving bits 16 to 30 of the new state.
///
/// \threadsafety{One generator is drawn from by one thread at a time. m_defaultGenerator is
/// process-wide, shared by every sequence and random point made without a generator of its own.}
class ORVCORE_API RandomInteger
{
public:
    /// A generator starting from seed (its low 32 bits).
    RandomInteger(unsigned long seed = 1);
    /// Copies the first and next seeds.
    ///@{
    RandomInteger(const RandomInteger& other);
    RandomInteger& operator=(const RandomInteger& other);
    ///@}
    /// Destroys the generator.
    virtual ~RandomInteger();

    /// The largest value operator() returns; the smallest is 0.
    virtual int GetMaximumValue() const;

    /// The next number of the sequence.
    int operator()();

    /// The seed the generator was made with.
    unsigned long GetFirstSeed() const { return m_firstSeed; }
    /// The current state: the seed of the next number.
    unsigned long GetNextSeed() const { return m_nextSeed; }
    /// Sets the current state (its low 32 bits); the first seed is kept.
    void SetNextSeed(unsigned long seed);
    /// Starts the sequence over from the first seed.
    void Reset() { m_nextSeed = m_firstSeed; }

    /// The state of the process-wide generator that sequences built without a
    /// generator draw from. SetDefaultSeed returns the state it replaces.
    ///@{
    static unsigned long GetDefaultSeed();
    static unsigned long SetDefaultSeed(unsigned long seed);
    ///@}

    /// The process-wide default generator (seed 1).
    static RandomInteger m_defaultGenerator;

private:
    /// Advances `seed` by one step and returns the number it gives.
    virtual int CalcRandomNumber(unsigned long& seed);

    std::uint32_t m_firstSeed;
    std::uint32_t m_nextSeed;
};

/// A source of doubles.
///
/// \threadsafety{A sequence changes itself and its generator with every draw: sequences that share
/// a generator (the process-wide default one unless given) are used from one thread at a time.}
class ORVCORE_API RandomSequence
{
public:
    /// Destroys the sequence.
    virtual ~RandomSequence();
    /// The next value.
    virtual double operator()() = 0;
};

/// Doubles uniform on [lower, upper], on a grid of GetMaximumValue() + 1
/// points; both ends are reachable. The generator is shared, not owned.
///
/// \threadsafety{Every draw advances the generator: sequences that share one (the process-wide
/// default generator unless given) are used from one thread at a time.}
class ORVCORE_API UniformRandomSequence : public RandomSequence
{
public:
    /// Draws from the process-wide default generator (RandomInteger::m_defaultGenerator).
    UniformRandomSequence(double lower = 0.0, double upper = 1.0);
    /// Draws from generator, which must outlive the sequence.
    UniformRandomSequence(RandomInteger& generator, double lower, double upper);
    /// Copies share the generator.
    ///@{
    UniformRandomSequence(const UniformRandomSequence& other);
    UniformRandomSequence& operator=(const UniformRandomSequence& other);
    ///@}
    /// Destroys the sequence (not the generator).
    ~UniformRandomSequence() override;

    double operator()() override;

private:
    RandomInteger* m_generator;
    double m_upper;
    double m_lower;
};

/// Normally distributed doubles by the polar method: each accepted pair of
/// uniform draws gives one value (G. Marsaglia, T. A. Bray, "A convenient
/// method for generating normal variables", SIAM Review 6 (1964) 260-264).
///
/// \threadsafety{Every draw advances the generator: sequences that share one (the process-wide
/// default generator unless given) are used from one thread at a time.}
class ORVCORE_API NormalRandomSequence : public RandomSequence
{
public:
    /// Values of the given mean and standard deviation, from the process-wide default
    /// generator.
    NormalRandomSequence(double mean = 0.0, double deviation = 1.0);
    /// Values of the given mean and standard deviation, from generator, which must
    /// outlive the sequence.
    NormalRandomSequence(RandomInteger& generator, double mean, double deviation);
    /// Copies share the generator.
    ///@{
    NormalRandomSequence(const NormalRandomSequence& other);
    NormalRandomSequence& operator=(const NormalRandomSequence& other);
    ///@}
    /// Destroys the sequence (not the generator).
    ~NormalRandomSequence() override;

    double operator()() override;

private:
    UniformRandomSequence m_uniform;
    double m_mean;
    double m_deviation;
};

} // namespace Orvane
