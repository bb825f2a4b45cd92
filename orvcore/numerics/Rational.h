#pragma once

/// \file
/// Rational, an exact fraction of two 16-bit integers.
#include "orvcore/Export.h"
#include "orvcore/core/CString.h"

#include <cstdint>
#include <iosfwd>

class CArchive;

namespace Orvane {

/// An exact fraction of two 16-bit integers, kept in lowest terms with the
/// sign on the numerator. A zero numerator is kept as given (0/5 stays 0/5),
/// and a zero denominator stands for an infinite value.
///
/// Every value is computed exactly in wide integers and reduced before it is
/// stored. A fraction whose reduced numerator or positive denominator does not
/// fit in 16 bits cannot be represented: the operation that would produce it
/// leaves the rational unchanged.
///
/// \valuethreads
class ORVCORE_API Rational
{
public:
    /// The fraction numerator/denominator in lowest terms; 0/1 when it cannot be
    /// represented.
    Rational(int numerator = 0, int denominator = 1);
    /// Copies.
    ///@{
    Rational(const Rational&) = default;
    Rational& operator=(const Rational&) = default;
    ///@}

    /// Sets numerator/denominator in lowest terms; unchanged when it cannot be
    /// represented.
    Rational& SetFraction(int numerator, int denominator);
    /// Sets the numerator, keeping the denominator (then reduces).
    Rational& SetNumerator(int numerator) { return SetFraction(numerator, m_denominator); }
    /// Sets the denominator, keeping the numerator (then reduces).
    Rational& SetDenominator(int denominator) { return SetFraction(m_numerator, denominator); }

    /// The reduced numerator (carries the sign).
    int GetNumerator() const { return m_numerator; }
    /// The denominator: positive in lowest terms, 0 for an infinite value; with a
    /// zero numerator it is the one given.
    int GetDenominator() const { return m_denominator; }
    /// Copies numerator and denominator out.
    ///@{
    void GetFraction(short& numerator, short& denominator) const;
    void GetFraction(int& numerator, int& denominator) const;
    void GetFraction(long& numerator, long& denominator) const;
    ///@}

    /// numerator / denominator; an infinite value gives the largest finite
    /// double with the numerator's sign (positive for 0/0).
    double CalcValue() const;
    /// The value as a double: CalcValue().
    operator double() const { return CalcValue(); }

    /// True for a zero value (a zero numerator over a non-zero denominator).
    bool operator!() const { return m_numerator == 0 && m_denominator != 0; }

    /// "numerator/denominator", e.g. 3/4 or 5/1.
    CString String() const;

    /// Exact arithmetic; a result without a 16-bit normal form leaves the rational
    /// unchanged. Dividing by zero gives an infinite value.
    ///@{
    Rational& operator+=(const Rational& other);
    Rational& operator-=(const Rational& other);
    Rational& operator*=(const Rational& other);
    Rational& operator/=(const Rational& other);
    ///@}

    /// New values; the operand is not changed. +r is a copy of r.
    Rational operator+() const;
    /// New values; the operand is not changed. -r has the opposite sign.
    Rational operator-() const;

private:
    /// Stores numerator/denominator in normal form when it fits; returns
    /// whether it did.
    bool Assign(long long numerator, long long denominator);

    friend ORVCORE_API std::istream& operator>>(std::istream& is, Rational& r);

    std::int16_t m_numerator = 0;
    std::int16_t m_denominator = 1;
};

static_assert(sizeof(Rational) == 4, "a rational is two 16-bit fields");

/// Exact arithmetic on copies of a, as the compound operators.
///@{
ORVCORE_API Rational operator+(const Rational& a, const Rational& b);
ORVCORE_API Rational operator-(const Rational& a, const Rational& b);
ORVCORE_API Rational operator*(const Rational& a, const Rational& b);
ORVCORE_API Rational operator/(const Rational& a, const Rational& b);
///@}

/// Comparisons by cross-multiplication, exact for normalised values; any two
/// infinite values compare equal.
///@{
ORVCORE_API bool operator==(const Rational& a, const Rational& b);
ORVCORE_API bool operator!=(const Rational& a, const Rational& b);
ORVCORE_API bool operator<(const Rational& a, const Rational& b);
ORVCORE_API bool operator<=(const Rational& a, const Rational& b);
ORVCORE_API bool operator>(const Rational& a, const Rational& b);
ORVCORE_API bool operator>=(const Rational& a, const Rational& b);
///@}

/// Text form numerator/denominator. With a field width w > 0 each of the
/// numerator, the slash and the denominator is written in a field of width w.
ORVCORE_API std::ostream& operator<<(std::ostream& os, const Rational& r);
/// Reads numerator, '/', denominator (white space allowed between them). A
/// number without a slash, or a fraction with no 16-bit normal form (such as
/// 1/-32768), fails the stream and leaves the value unchanged.
ORVCORE_API std::istream& operator>>(std::istream& is, Rational& r);

/// Archive form: numerator then denominator, 16 bits each, as stored; loading
/// normalises.
///@{
ORVCORE_API CArchive& operator<<(CArchive& ar, const Rational& r);
/// A short archive raises CArchiveException(endOfFile).
ORVCORE_API CArchive& operator>>(CArchive& ar, Rational& r);
///@}

} // namespace Orvane
