#pragma once

/// \file
/// Pattern, the base of text patterns.
#include "orvcore/Export.h"

namespace Orvane {

/// A pattern that decides whether a text matches it. Derived classes set the
/// flag in their constructors; its meaning belongs to the caller, and the
/// library only stores and copies it.
///
/// \threadsafety{Match is not const: a pattern is matched by one thread at a time; distinct
/// patterns may match on different threads at once.}
template <class T>
class ORVCORE_API Pattern
{
public:
    /// Destroys the pattern.
    virtual ~Pattern() = default;

    /// A new heap copy, owned by the caller and deleted through this base.
    virtual Pattern<T>* Copy() const = 0;

    /// With exact false: the pattern occurs in the text; with exact true: the
    /// pattern covers the whole text.
    virtual bool Match(const T& text, bool exact) = 0;

    /// The caller's flag given at construction.
    bool GetFlag() const { return m_flag; }

protected:
    /// A pattern carrying flag.
    explicit Pattern(bool flag = false) : m_flag(flag) {}
    /// Copies the flag.
    Pattern(const Pattern&) = default;
    /// Copies the flag.
    Pattern& operator=(const Pattern&) = default;

    bool m_flag; ///< The caller's flag.
};

} // namespace Orvane
