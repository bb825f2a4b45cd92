#include "orvcore/text/RegNumber.h"

#include <cstdint>
#include <cstdlib>

namespace Orvane {

namespace {

// Lenient integer reading: leading white space is skipped, reading stops at
// the first character that does not belong to the number, no number is 0,
// and values beyond the 32-bit range stop at its ends.
int LenientInteger(const char* text)
{
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(value);
}

// Finds the dash between the two parts of a range: the first one, or the
// second one when the first is the lower bound's minus sign. -1 when the
// text is not a range.
int RangeDash(const CString& text)
{
    if (text.IsEmpty())
        return -1;
    int dash = text.Find('-');
    if (dash == 0)
        dash = text.Find('-', 1);
    if (dash < 0 || dash == text.GetLength() - 1)
        return -1;
    return dash;
}

// Decimal digits after at most one leading sign.
bool IsSignedDigits(const CString& part)
{
    int i = 0;
    if (i < part.GetLength() && (part[i] == '+' || part[i] == '-'))
        ++i;
    if (i == part.GetLength())
        return false;
    for (; i < part.GetLength(); ++i) {
        if (part[i] < '0' || part[i] > '9')
            return false;
    }
    return true;
}

} // namespace

RegNumber::RegNumber(const CString& text) : Pattern<CString>(false)
{
    if (text.IsEmpty()) {
        m_lower = 0;
        m_upper = 1;
        return;
    }
    const int dash = RangeDash(text);
    if (dash < 0) {
        m_lower = m_upper = LenientInteger(text);
        return;
    }
    m_lower = LenientInteger(text.Left(dash));
    m_upper = LenientInteger(text.Mid(dash + 1));
}

Pattern<CString>* RegNumber::Copy() const
{
    return new RegNumber(*this);
}

bool RegNumber::Match(const CString& text, bool exact)
{
    const int value = LenientInteger(text);
    if (exact)
        return value == m_lower && value == m_upper;
    return m_lower <= value && value <= m_upper;
}

bool RegNumber::IsRegNumber(const CString& text)
{
    const int dash = RangeDash(text);
    return dash >= 0 && IsSignedDigits(text.Left(dash)) && IsSignedDigits(text.Mid(dash + 1));
}

} // namespace Orvane
