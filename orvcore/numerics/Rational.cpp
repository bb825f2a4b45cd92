#include "orvcore/numerics/Rational.h"

#include "orvcore/core/CArchive.h"

#include <cfloat>
#include <istream>
#include <limits>
#include <ostream>

namespace Orvane {

namespace {

bool Fits16(long long value)
{
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

// Greatest common divisor of two positive magnitudes.
long long CommonDivisor(long long a, long long b)
{
    if (a < b) {
        const long long t = a;
        a = b;
        b = t;
    }
    while (b != 0) {
        const long long r = a % b;
        if (r == 1)
            return 1;
        a = b;
        b = r;
    }
    return a;
}

} // namespace

Rational::Rational(int numerator, int denominator)
{
    SetFraction(numerator, denominator);
}

Rational& Rational::SetFraction(int numerator, int denominator)
{
    Assign(numerator, denominator);
    return *this;
}

bool Rational::Assign(long long numerator, long long denominator)
{
    if (denominator == 1 || denominator == 0 || numerator == 0) {
        // kept as given: whole numbers, infinite values and zeros
    } else if (denominator == -1) {
        numerator = -numerator;
        denominator = 1;
    } else {
        const bool negative = (numerator < 0) != (denominator < 0);
        const long long n = numerator < 0 ? -numerator : numerator;
        const long long d = denominator < 0 ? -denominator : denominator;
        const long long divisor = n == d ? n : CommonDivisor(n, d);
        numerator = negative ? -(n / divisor) : n / divisor;
        denominator = d / divisor;
    }
    if (!Fits16(numerator) || !Fits16(denominator))
        return false;
    m_numerator = static_cast<std::int16_t>(numerator);
    m_denominator = static_cast<std::int16_t>(denominator);
    return true;
}

void Rational::GetFraction(short& numerator, short& denominator) const
{
    numerator = m_numerator;
    denominator = m_denominator;
}

void Rational::GetFraction(int& numerator, int& denominator) const
{
    numerator = m_numerator;
    denominator = m_denominator;
}

void Rational::GetFraction(long& numerator, long& denominator) const
{
    numerator = m_numerator;
    denominator = m_denominator;
}

double Rational::CalcValue() const
{
    if (m_denominator == 0)
        return m_numerator < 0 ? -DBL_MAX : DBL_MAX;
    return static_cast<double>(m_numerator) / m_denominator;
}

CString Rational::String() const
{
    CString text;
    text.Format("%d%c%d", static_cast<int>(m_numerator), '/', static_cast<int>(m_denominator));
    return text;
}

// The products of two 16-bit values fit in 31 bits; their sums need more.
Rational& Rational::operator+=(const Rational& other)
{
    const long long n = static_cast<long long>(m_denominator) * other.m_numerator +
                        static_cast<long long>(other.m_denominator) * m_numerator;
    Assign(n, static_cast<long long>(m_denominator) * other.m_denominator);
    return *this;
}

Rational& Rational::operator-=(const Rational& other)
{
    const long long n = static_cast<long long>(other.m_denominator) * m_numerator -
                        static_cast<long long>(m_denominator) * other.m_numerator;
    Assign(n, static_cast<long long>(m_denominator) * other.m_denominator);
    return *this;
}

Rational& Rational::operator*=(const Rational& other)
{
    Assign(static_cast<long long>(m_numerator) * other.m_numerator,
           static_cast<long long>(other.m_denominator) * m_denominator);
    return *this;
}

Rational& Rational::operator/=(const Rational& other)
{
    Assign(static_cast<long long>(m_numerator) * other.m_denominator,
           static_cast<long long>(other.m_numerator) * m_denominator);
    return *this;
}

Rational Rational::operator+() const
{
    return Rational(m_numerator, m_denominator);
}

Rational Rational::operator-() const
{
    if (m_denominator < 0)
        return Rational(m_numerator, -m_denominator);
    return Rational(-m_numerator, m_denominator);
}

Rational operator+(const Rational& a, const Rational& b)
{
    Rational result(a);
    return result += b;
}

Rational operator-(const Rational& a, const Rational& b)
{
    Rational result(a);
    return result -= b;
}

Rational operator*(const Rational& a, const Rational& b)
{
    Rational result(a);
    return result *= b;
}

Rational operator/(const Rational& a, const Rational& b)
{
    Rational result(a);
    return result /= b;
}

namespace {

// a.num × b.den and b.num × a.den.
struct CrossProducts
{
    CrossProducts(const Rational& a, const Rational& b)
        : left(static_cast<long long>(a.GetNumerator()) * b.GetDenominator()),
          right(static_cast<long long>(b.GetNumerator()) * a.GetDenominator())
    {
    }
    long long left;
    long long right;
};

} // namespace

bool operator==(const Rational& a, const Rational& b)
{
    const CrossProducts p(a, b);
    return p.left == p.right;
}

bool operator<(const Rational& a, const Rational& b)
{
    const CrossProducts p(a, b);
    return p.left < p.right;
}

bool operator<=(const Rational& a, const Rational& b)
{
    const CrossProducts p(a, b);
    return p.right >= p.left;
}

bool operator!=(const Rational& a, const Rational& b)
{
    return !(a == b);
}

bool operator>(const Rational& a, const Rational& b)
{
    return !(a <= b);
}

bool operator>=(const Rational& a, const Rational& b)
{
    return !(a < b);
}

std::ostream& operator<<(std::ostream& os, const Rational& r)
{
    const std::streamsize width = os.width();
    if (width <= 0) {
        os << r.GetNumerator() << '/' << r.GetDenominator();
    } else {
        os.width(width);
        os << r.GetNumerator();
        os.width(width);
        os << '/';
        os.width(width);
        os << r.GetDenominator();
    }
    return os;
}

std::istream& operator>>(std::istream& is, Rational& r)
{
    short numerator;
    if (!(is >> numerator))
        return is;
    char separator;
    if (!(is >> separator))
        return is;
    if (separator != '/') {
        is.putback(separator);
        is.setstate(std::ios::failbit);
        return is;
    }
    short denominator;
    if (is >> denominator && !r.Assign(numerator, denominator))
        is.setstate(std::ios::failbit);
    return is;
}

CArchive& operator<<(CArchive& ar, const Rational& r)
{
    return ar << static_cast<short>(r.GetNumerator()) << static_cast<short>(r.GetDenominator());
}

CArchive& operator>>(CArchive& ar, Rational& r)
{
    short numerator;
    short denominator;
    ar >> numerator >> denominator;
    r.SetFraction(numerator, denominator);
    return ar;
}

} // namespace Orvane
