#pragma once

/// \file
/// RegExpression, a regular-expression pattern.
#include "orvcore/Export.h"
#include "orvcore/core/CString.h"
#include "orvcore/core/CStringArray.h"
#include "orvcore/text/Pattern.h"

namespace Orvane {

struct RegProgram;

/// A regular-expression pattern. The expression is compiled on the first Match
/// and kept; each Match records the whole match and the groups it found.
///
/// Grammar: branches separated by '|' or a line feed; pieces are atoms with an
/// optional '*', '+' or '?'; atoms are '^' (start of text), '$' (end of text),
/// '.', (group), [set], [^set], \< and \> (word start and end), \c (the
/// character c) and any other character. A pattern written as "*abc" is read
/// as ".*abc".
class ORVCORE_API RegExpression : public Pattern<CString>
{
public:
    /// An expression of pattern (compiled on the first Match) with the caller's flag.
    RegExpression(const CString& pattern, bool flag);
    /// Copies the pattern, the flag and the last match's substrings; the copy compiles
    /// its own program on its first Match.
    ///@{
    RegExpression(const RegExpression& other);
    RegExpression& operator=(const RegExpression& other);
    ///@}
    /// Frees the compiled program.
    ~RegExpression() override;

    /// A new heap copy, owned by the caller.
    Pattern<CString>* Copy() const override;

    /// True when a non-empty match is found (exact false) or when the leftmost
    /// match is the whole text (exact true). An expression that does not
    /// compile never matches.
    bool Match(const CString& text, bool exact) override;

    /// Entry 0 is the whole last match, then the groups in order up to the
    /// first empty or unused one; an empty string outside the list.
    virtual CString GetSubstring(int index) const;
    /// The number of entries GetSubstring has.
    virtual int GetSubstringCount() const;

    /// The expression's text.
    const CString& GetPattern() const { return m_pattern; }

    /// True when the text contains any of the characters *+\.^[]$&().
    static bool IsRegExpression(const CString& text);

private:
    void ReleaseProgram();

    CString m_pattern;
    CStringArray m_substrings;
    RegProgram* m_program = nullptr;
};


/// \class RegExpression
/// \threadsafety{Match is not const: it compiles the expression on first use
/// and records the groups in the pattern, so one pattern is matched by one
/// thread at a time; distinct patterns may match on different threads at once.}
} // namespace Orvane
