#pragma once

#include "orvcore/Export.h"

#include <cstdarg>
#include <cstddef>
#include <iosfwd>
#include <string>
/// \file
/// CString, the framework's 8-bit string, and its operators.

/// An 8-bit character string with value semantics and the host framework's
/// interface: indices are int from 0, searches return -1 when nothing is found,
/// Mid/Left/Right clamp their arguments to the string.
///
/// \valuethreads
class ORVCORE_API CString
{
public:
    /// Constructs a string: empty, a copy of a NUL-terminated text (a null pointer
    /// gives the empty string), the first length characters of text (none when text
    /// is null or length is not positive), ch repeated (none when repeat is not
    /// positive), or a copy of a std::string.
    ///@{
    CString() = default;
    CString(const char* text);
    CString(const char* text, int length);
    CString(char ch, int repeat = 1);
    CString(const std::string& text) : m_text(text) {}
    ///@}
    /// Copies and moves.
    ///@{
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    ///@}
    /// Assigns a text (a null pointer gives the empty string) or a single character.
    ///@{
    CString& operator=(const char* text);
    CString& operator=(char ch);
    ///@}

    /// Number of characters.
    int GetLength() const { return static_cast<int>(m_text.size()); }
    /// True when there are no characters.
    bool IsEmpty() const { return m_text.empty(); }
    /// Makes the string empty.
    void Empty() { m_text.clear(); }

    /// Character at index (0-based); the index must be within the string.
    ///@{
    char GetAt(int index) const { return m_text[static_cast<std::size_t>(index)]; }
    void SetAt(int index, char ch) { m_text[static_cast<std::size_t>(index)] = ch; }
    char operator[](int index) const { return GetAt(index); }
    ///@}

    /// The characters, NUL-terminated; valid until the string changes.
    ///@{
    operator const char*() const { return m_text.c_str(); }
    const char* GetString() const { return m_text.c_str(); }
    ///@}
    /// The underlying std::string.
    const std::string& str() const { return m_text; }

    /// Appends a string, a text (a null pointer appends nothing) or a character.
    ///@{
    CString& operator+=(const CString& other);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);
    ///@}

    /// strcmp of the two texts: negative, 0 or positive; a null text compares as empty.
    int Compare(const char* text) const;
    /// Compares ignoring ASCII case: negative, 0 or positive.
    int CompareNoCase(const char* text) const;
    /// The same as Compare (byte order; no locale is consulted).
    int Collate(const char* text) const { return Compare(text); }

    /// The characters from first (clamped to the string) to the end, or at most count
    /// of them; arguments outside the string are clamped, so the result may be empty.
    ///@{
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    ///@}
    /// The first count characters (clamped to 0..length).
    CString Left(int count) const;
    /// The last count characters (clamped to 0..length).
    CString Right(int count) const;
    /// The leading characters that are all in set.
    CString SpanIncluding(const char* set) const;
    /// The leading characters up to the first one in set (the whole string when none is).
    CString SpanExcluding(const char* set) const;

    /// ASCII letters to upper case.
    void MakeUpper();
    /// ASCII letters to lower case.
    void MakeLower();
    /// Reverses the order of the characters.
    void MakeReverse();
    /// Replaces every occurrence and returns how many were replaced; an empty or
    /// null oldText replaces nothing, a null newText removes.
    ///@{
    int Replace(char oldCh, char newCh);
    int Replace(const char* oldText, const char* newText);
    ///@}
    /// Removes every ch and returns how many were removed.
    int Remove(char ch);
    /// Inserts before index (clamped to 0..length) and returns the new length; a null text inserts nothing.
    ///@{
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    ///@}
    /// Removes count characters from index (a negative index counts as 0) and returns the new length.
    int Delete(int index, int count = 1);

    /// Removes leading white space, or leading characters equal to target or in targets.
    ///@{
    void TrimLeft();
    void TrimLeft(char target);
    void TrimLeft(const char* targets);
    ///@}
    /// Removes trailing white space, or trailing characters equal to target or in targets.
    ///@{
    void TrimRight();
    void TrimRight(char target);
    void TrimRight(const char* targets);
    ///@}

    /// Index of the first ch or sub at or after start (negative start counts as 0), or -1.
    ///@{
    int Find(char ch) const { return Find(ch, 0); }
    int Find(char ch, int start) const;
    int Find(const char* sub) const { return Find(sub, 0); }
    int Find(const char* sub, int start) const;
    ///@}
    /// Index of the last ch, or -1.
    int ReverseFind(char ch) const;
    /// Index of the first character that is in set, or -1.
    int FindOneOf(const char* set) const;

    /// Replaces the contents with printf-style formatted text; an encoding error leaves the string empty.
    ///@{
    void Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void FormatV(const char* format, va_list args);
    ///@}

    /// Writable access to the characters: GetBuffer(n) gives room for at least
    /// n characters and a terminator; ReleaseBuffer(-1) takes the length up to
    /// the first NUL, ReleaseBuffer(n) sets it to n.
    char* GetBuffer(int minLength = 0);
    /// Resizes to exactly length characters (padding with NUL) and returns the buffer.
    char* GetBufferSetLength(int length);
    /// Ends writing through the buffer: the length becomes newLength (at most the
    /// buffer's size), or with -1 the length up to the first NUL.
    void ReleaseBuffer(int newLength = -1);
    /// Gives unused capacity back.
    void FreeExtra() { m_text.shrink_to_fit(); }

private:
    std::string m_text;
};

/// Concatenation.
///@{
ORVCORE_API CString operator+(const CString& a, const CString& b);
ORVCORE_API CString operator+(const CString& a, const char* b);
ORVCORE_API CString operator+(const char* a, const CString& b);
ORVCORE_API CString operator+(const CString& a, char b);
ORVCORE_API CString operator+(char a, const CString& b);
///@}

/// Comparisons by byte order (strcmp); a null text compares as the empty string.
///@{
inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const CString& b) { return !(a == b); }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator>(const CString& a, const char* b) { return a.Compare(b) > 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator<=(const CString& a, const char* b) { return a.Compare(b) <= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
inline bool operator>=(const CString& a, const char* b) { return a.Compare(b) >= 0; }
///@}

/// Writes the characters.
ORVCORE_API std::ostream& operator<<(std::ostream& os, const CString& s);
