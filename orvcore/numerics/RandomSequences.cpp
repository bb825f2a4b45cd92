#include "orvcore/numerics/RandomSequences.h"
#include "orvcore/core/LoadOrder.h"

#include <cmath>

namespace Orvane {

namespace {

std::uint32_t Low32(unsigned long value)
{
    return static_cast<std::uint32_t>(value & 0xFFFFFFFFul);
}

} // namespace

RandomInteger RandomInteger::m_defaultGenerator ORVCORE_LOAD_ORDER(DefaultRandomGenerator)(1);

RandomInteger::RandomInteger(unsigned long seed) : m_firstSeed(Low32(seed)), m_nextSeed(Low32(seed))
{
}

RandomInteger::RandomInteger(const RandomInteger& other)
    : m_firstSeed(other.m_firstSeed), m_nextSeed(other.m_nextSeed)
{
}

RandomInteger& RandomInteger::operator=(const RandomInteger& other)
{
    m_firstSeed = other.m_firstSeed;
    m_nextSeed = other.m_nextSeed;
    return *this;
}

RandomInteger::~RandomInteger() = default;

int RandomInteger::GetMaximumValue() const
{
    return 0x7FFF;
}

int RandomInteger::operator()()
{
    unsigned long seed = m_nextSeed;
    const int value = CalcRandomNumber(seed);
    m_nextSeed = Low32(seed);
    return value;
}

void RandomInteger::SetNextSeed(unsigned long seed)
{
    m_nextSeed = Low32(seed);
}

int RandomInteger::CalcRandomNumber(unsigned long& seed)
{
    const std::uint32_t next = Low32(seed) * 1103515245u + 12345u;
    seed = next;
    return static_cast<int>((next >> 16) & 0x7FFFu);
}

unsigned long RandomInteger::GetDefaultSeed()
{
    return m_defaultGenerator.GetNextSeed();
}

unsigned long RandomInteger::SetDefaultSeed(unsigned long seed)
{
    const unsigned long previous = m_defaultGenerator.GetNextSeed();
    m_defaultGenerator.SetNextSeed(seed);
    return previous;
}

RandomSequence::~RandomSequence() = default;

// The pure function's own body, for derived classes that call it explicitly.
double RandomSequence::operator()()
{
    return 0.0;
}

UniformRandomSequence::UniformRandomSequence(double lower, double upper)
    : m_generator(&RandomInteger::m_defaultGenerator), m_upper(upper), m_lower(lower)
{
}

UniformRandomSequence::UniformRandomSequence(RandomInteger& generator, double lower, double upper)
    : m_generator(&generator), m_upper(upper), m_lower(lower)
{
}

UniformRandomSequence::UniformRandomSequence(const UniformRandomSequence& other) = default;
UniformRandomSequence& UniformRandomSequence::operator=(const UniformRandomSequence& other) = default;
UniformRandomSequence::~UniformRandomSequence() = default;

double UniformRandomSequence::operator()()
{
    const double width = m_upper - m_lower;
    const int r = (*m_generator)();
    const int m = m_generator->GetMaximumValue();
    return (r * width) / m + m_lower;
}

NormalRandomSequence::NormalRandomSequence(double mean, double deviation)
    : m_uniform(RandomInteger::m_defaultGenerator, 0.0, 1.0), m_mean(mean), m_deviation(deviation)
{
}

NormalRandomSequence::NormalRandomSequence(RandomInteger& generator, double mean, double deviation)
    : m_uniform(generator, 0.0, 1.0), m_mean(mean), m_deviation(deviation)
{
}

NormalRandomSequence::NormalRandomSequence(const NormalRandomSequence& other) = default;
NormalRandomSequence& NormalRandomSequence::operator=(const NormalRandomSequence& other) = default;
NormalRandomSequence::~NormalRandomSequence() = default;

double NormalRandomSequence::operator()()
{
    double x, s;
    do {
        x = 2.0 * m_uniform() - 1.0;
        const double y = 2.0 * m_uniform() - 1.0;
        s = y * y + x * x;
    } while (s > 1.0);
    return x * std::sqrt(-2.0 * std::log(s) / s) * m_deviation + m_mean;
}

} // namespace Orvane
