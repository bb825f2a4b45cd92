#pragma once

/// \file
/// UniqueString, interned strings, and their process-wide table.
#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CMapStringToPtr.h"
#include "orvcore/core/CString.h"

namespace Orvane {

class UniqueString;

/// The process-wide store of interned strings. Each distinct text is held once,
/// in a heap CString that keeps its address for as long as the table lives; the
/// empty text is never stored and is represented by `null`. The table only
/// grows, and it is reached through UniqueString, never copied.
///
/// \threadsafety{The one table is process-wide and has no lock: text is interned by one thread at a
/// time (see UniqueString).}
class ORVCORE_API UniqueStringTable
{
public:
    /// Frees every stored string.
    ~UniqueStringTable();

    /// The shared empty string of every handle made from an empty or null text.
    static const CString null;

protected:
    /// No map exists until the first non-empty text is added, so a table is a
    /// constant until then and needs no start-up code.
    constexpr UniqueStringTable() noexcept : m_pMap(nullptr), m_growAt(0) {}

    /// The stored string equal to the text, stored first when absent.
    const CString* Add(const char* text);
    /// The stored string equal to the text, or the address of null; never stores.
    const CString* Find(const char* text) const;

private:
    friend class UniqueString;

    /// A table is never copied: a copy starts empty, and assignment keeps
    /// what the target holds.
    UniqueStringTable(const UniqueStringTable&) noexcept : UniqueStringTable() {}
    UniqueStringTable& operator=(const UniqueStringTable&) { return *this; }

    void Grow();

    CMapStringToPtr* m_pMap;
    int m_growAt; ///< entry count at which the hash table is enlarged
};

/// A handle to a string stored once per process: handles made from equal texts
/// hold the same pointer, so copies, assignments between handles and equality
/// tests are pointer operations. The pointer is never null.
///
/// \threadsafety{Handles may be copied, compared and read on any thread. Making a handle from text
/// (the constructors and assignments from text, loading) adds to the process-wide table, which has
/// no lock: one thread at a time.}
class ORVCORE_API UniqueString
{
public:
    /// A handle to the text (the shared null for an empty or null text), interning it
    /// when it is new.
    ///@{
    UniqueString() noexcept : m_pString(&UniqueStringTable::null) {}
    UniqueString(const char* text) { Add(text); }
    UniqueString(const CString& text) { Add(text); }
    ///@}
    /// Copies the pointer.
    UniqueString(const UniqueString& other) noexcept = default;
    /// The stored string stays in the table.
    ~UniqueString() = default;

    /// Points the handle at the interned text, interning it when it is new.
    ///@{
    UniqueString& operator=(const char* text)
    {
        Add(text);
        return *this;
    }
    UniqueString& operator=(const CString& text)
    {
        Add(text);
        return *this;
    }
    ///@}
    /// Copies the pointer.
    UniqueString& operator=(const UniqueString& other) noexcept = default;

    /// The text.
    const CString& String() const { return *m_pString; }
    /// The stored string's address, the same for equal texts; never null.
    const CString* StringPtr() const { return m_pString; }

    /// True when both handles hold the same text (one pointer comparison).
    bool operator==(const UniqueString& other) const { return m_pString == other.m_pString; }
    /// Not operator==.
    bool operator!=(const UniqueString& other) const { return m_pString != other.m_pString; }

    /// Stored as one CString in the archive's string form; loading interns it.
    void Serialize(CArchive& ar);

    /// The one table of the process.
    static UniqueStringTable m_table;

private:
    void Add(const char* text) { m_pString = m_table.Add(text); }

    const CString* m_pString;
};

} // namespace Orvane
