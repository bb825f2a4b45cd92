#pragma once

/// \file
/// RegNumber, an integer-range pattern.
#include "orvcore/Export.h"
#include "orvcore/core/CString.h"
#include "orvcore/text/Pattern.h"

namespace Orvane {

/// An integer-range pattern such as 5-10 or -5--1; any other text is the single
/// value it starts with. Texts are read leniently as integers (no number is 0).
///
/// \threadsafety{Match is not const: a pattern is matched by one thread at a time; distinct
/// patterns may match on different threads at once.}
class ORVCORE_API RegNumber : public Pattern<CString>
{
public:
    /// The range of text ("5-10", "-5--1"), or the single value it starts with.
    explicit RegNumber(const CString& text);
    /// Copies.
    ///@{
    RegNumber(const RegNumber& other) = default;
    RegNumber& operator=(const RegNumber& other) = default;
    ///@}
    /// Destroys the pattern.
    ~RegNumber() override = default;

    /// A new heap copy, owned by the caller.
    Pattern<CString>* Copy() const override;

    /// exact false: the text's value lies within the bounds; exact true: the
    /// value equals both bounds.
    bool Match(const CString& text, bool exact) override;

    /// The lower bound.
    int GetLowerBound() const { return m_lower; }
    /// The upper bound.
    int GetUpperBound() const { return m_upper; }

    /// True when the text is a range whose two parts are integers (digits
    /// after at most one sign), with no spaces.
    static bool IsRegNumber(const CString& text);

private:
    int m_upper;
    int m_lower;
};

} // namespace Orvane
