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
/// The grammar, complete (matching is byte by byte and case-sensitive):
/// - An expression is one or more branches separated by `|` or by a line feed;
///   the first branch that matches, from left to right, is taken.
/// - A branch is a sequence of pieces; a piece is an atom, optionally followed
///   by one quantifier: `*` (zero or more), `+` (one or more) or `?` (zero or
///   one). Repetitions are greedy. Two quantifiers in a row, a quantifier with
///   no atom before it, and `*` or `+` on an atom that can match the empty
///   text (such as `(a*)*`) do not compile.
/// - Atoms:
///   - `.` any character;
///   - `^` the start of the text and `$` its end, wherever they stand (`a^b`
///     never matches; there are no lines);
///   - `(` expression `)` a group, numbered 1 to 9 by its opening parenthesis
///     (a tenth group does not compile);
///   - `[set]` one character of the set, `[^set]` one not in it; `a-z` in a set
///     is the range of byte values from a to z (`[a-c]`, `[0-9]`); a `]` or `-`
///     first in the set and a `-` last in it are members; a backslash in a set
///     is a member, and there are no classes such as `[:digit:]`;
///   - `\<` the start of a word and `\>` its end (word characters are letters,
///     digits and `_`);
///   - `\` followed by any other character is that character: `\.` a dot, `\*`
///     a star, `\\` a backslash, and `\d`, `\n`, `\w` the letters d, n, w
///     (there are no escape classes);
///   - any other character is itself; `{`, `}`, `]` and `&` are ordinary.
/// - In a run of ordinary characters a quantifier repeats the last one only:
///   `abc*` is ab followed by any number of c.
/// - A pattern written as `*abc` is read as `.*abc`; white space around the
///   pattern is removed.
///
/// The answer is exact for every text: the leftmost match, the first
/// alternative that leads to a match, repetitions as long as the rest allows;
/// a group repeated by a quantifier records its last repetition. Matching
/// takes time polynomial in the lengths of the pattern and the text, usually
/// linear. Match changes the object: one object must not be matched from two
/// threads at once.
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
    /// match is the whole text (exact true: the match starts at the first
    /// character and ends at the last, which is not "the longest match": `C|CA`
    /// does not match CA exactly). An empty text never matches, except that
    /// the pattern `*` (read as `.*`) matches it. An expression that does not
    /// compile never matches; IsValid tells these apart.
    bool Match(const CString& text, bool exact) override;

    /// True when the expression compiles (it then is kept compiled for Match).
    bool IsValid() const;

    /// True when the last Match could not be decided because the matcher's
    /// bookkeeping would have needed more memory than it may take (a text of
    /// hundreds of megabytes); that Match returned false without meaning that
    /// nothing matches. False after every other Match.
    bool IsMatchUndecided() const;

    /// Entry 0 is the whole last match, then the groups in order up to the
    /// first empty or unused one; an empty string outside the list.
    virtual CString GetSubstring(int index) const;
    /// The number of entries GetSubstring has.
    virtual int GetSubstringCount() const;

    /// The expression's text.
    const CString& GetPattern() const { return m_pattern; }

    /// True when the text contains any of the characters *+\.^[]$&(). Note
    /// that `|` and `?` are not among them although they are operators (so
    /// "CA|CB" and "C?" are false) and `&` is although it is an ordinary
    /// character ("A&B" is true).
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
