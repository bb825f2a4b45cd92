#pragma once

#include "orvcore/core/CArchive.h"

#include <algorithm>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>
/// \file
/// CArray, the framework's growable array, and the archive form of its elements.

/// Stores `count` elements of a plain record type as one raw block of their
/// images; loading reads them back. Types with an archive form of their own
/// overload this function.
template <class TYPE>
void SerializeElements(CArchive& ar, TYPE* elements, int count)
{
    static_assert(std::is_trivially_copyable<TYPE>::value,
                  "raw element images need a plain record type; overload SerializeElements");
    if (count <= 0)
        return;
    const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(TYPE);
    if (ar.IsStoring())
        ar.WriteFully(elements, bytes);
    else
        ar.ReadFully(elements, bytes);
}

/// The smallest stored image of one element, used to reject counts that a
/// damaged archive cannot back before memory is set aside for them.
template <class TYPE>
constexpr std::size_t ArchivedElementSize()
{
    return std::is_trivially_copyable<TYPE>::value ? sizeof(TYPE) : 1;
}

/// A growable array indexed by int from 0, with the host framework's
/// interface. SetSize default-constructs new elements and destroys surplus
/// ones; Add appends and returns the new element's index.
///
/// Bad indices and sizes never reach memory outside the array:
/// - an element argument may be one of the array's own elements (`a.SetAtGrow(n, a[3])`,
///   `a.InsertAt(0, a[2], 5)`): it is copied before the storage can move;
/// - a negative index to SetAt, SetAtGrow or InsertAt, an index at or past the end
///   to SetAt, and a count of 0 or less to InsertAt or RemoveAt change nothing;
/// - GetAt, ElementAt and operator[] outside 0..GetSize()-1 give a scratch
///   element of this thread, default-constructed on every such call, which is
///   no part of the array (writes to it are lost);
/// - a size beyond what an int can index (more than INT_MAX elements), or more
///   than memory can hold, raises std::bad_alloc and leaves the array unchanged.
///
/// \valuethreads
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray
{
public:
    CArray() = default; ///< An empty array.
    CArray(const CArray&) = default; ///< A copy of every element.
    CArray(CArray&&) noexcept = default; ///< Takes other's elements.
    CArray& operator=(const CArray&) = default; ///< Replaces the elements with copies of other's.
    CArray& operator=(CArray&&) noexcept = default; ///< Replaces the elements with other's.
    virtual ~CArray() = default;

    /// Number of elements.
    int GetSize() const { return static_cast<int>(m_data.size()); }
    /// Number of elements (the same as GetSize).
    int GetCount() const { return GetSize(); }
    /// Index of the last element: GetSize() - 1, so -1 when empty.
    int GetUpperBound() const { return GetSize() - 1; }
    /// True when there are no elements.
    bool IsEmpty() const { return m_data.empty(); }

    /// Resizes to newSize; growBy (when not -1) sets how many elements the
    /// storage grows by at once. A newSize of 0 or less empties the array.
    void SetSize(int newSize, int growBy = -1)
    {
        if (growBy >= 0)
            m_growBy = growBy;
        if (newSize <= 0) {
            m_data.clear();
            return;
        }
        Resize(static_cast<std::size_t>(newSize));
    }
    /// Removes every element.
    void RemoveAll() { m_data.clear(); }
    /// Gives unused capacity back.
    void FreeExtra() { m_data.shrink_to_fit(); }

    /// Element at index; outside 0..GetSize()-1, the scratch element (see the class).
    ///@{
    const TYPE& GetAt(int index) const { return InRange(index) ? m_data[static_cast<std::size_t>(index)] : Scratch(); }
    /// @copydoc GetAt(int) const
    TYPE& GetAt(int index) { return InRange(index) ? m_data[static_cast<std::size_t>(index)] : Scratch(); }
    /// @copydoc GetAt(int) const
    TYPE& ElementAt(int index) { return GetAt(index); }
    /// @copydoc GetAt(int) const
    const TYPE& ElementAt(int index) const { return GetAt(index); }
    /// @copydoc GetAt(int) const
    TYPE& operator[](int index) { return GetAt(index); }
    /// @copydoc GetAt(int) const
    const TYPE& operator[](int index) const { return GetAt(index); }
    ///@}
    /// Replaces the element at index; an index outside 0..GetSize()-1 changes nothing.
    void SetAt(int index, ARG_TYPE element)
    {
        if (InRange(index))
            m_data[static_cast<std::size_t>(index)] = element;
    }
    /// The elements as one contiguous block (may be null when empty); valid until the size changes.
    TYPE* GetData() { return m_data.data(); }
    /// The elements as one contiguous block (may be null when empty); valid until the size changes.
    const TYPE* GetData() const { return m_data.data(); }

    /// Sets the element at index, growing the array first when index is at or past
    /// the end; a negative index changes nothing.
    void SetAtGrow(int index, ARG_TYPE element)
    {
        if (index < 0)
            return;
        if (index < GetSize()) {
            m_data[static_cast<std::size_t>(index)] = element;
            return;
        }
        TYPE copy(element); // element may live in the storage that growing frees
        Resize(static_cast<std::size_t>(index) + 1);
        m_data[static_cast<std::size_t>(index)] = std::move(copy);
    }
    /// Appends element and returns its index.
    int Add(ARG_TYPE element)
    {
        CheckSize(m_data.size() + 1);
        m_data.push_back(element);
        return GetSize() - 1;
    }
    /// Appends a copy of every element of other (also of this array itself) and returns the
    /// index the first of them received (the old size).
    int Append(const CArray& other)
    {
        int old = GetSize();
        CheckSize(m_data.size() + other.m_data.size());
        if (this == &other) {
            // Inserting a vector's own range into it is not allowed.
            std::vector<TYPE> copy(m_data);
            m_data.insert(m_data.end(), copy.begin(), copy.end());
        } else {
            m_data.insert(m_data.end(), other.m_data.begin(), other.m_data.end());
        }
        return old;
    }
    /// Makes this array a copy of other.
    void Copy(const CArray& other)
    {
        if (this != &other)
            m_data = other.m_data;
    }
    /// Inserts count copies of element before index; an index past the end first grows the
    /// array to index elements. A negative index, or a count of 0 or less, inserts nothing.
    void InsertAt(int index, ARG_TYPE element, int count = 1)
    {
        if (index < 0 || count <= 0)
            return;
        const std::size_t at = static_cast<std::size_t>(index);
        const std::size_t n = static_cast<std::size_t>(count);
        CheckSize(std::max(at, m_data.size()) + n);
        TYPE copy(element); // element may live in the storage that growing frees
        if (at > m_data.size())
            Resize(at);
        m_data.insert(m_data.begin() + index, n, copy);
    }
    /// Removes up to count elements from index; an index outside the array, or a count of
    /// 0 or less, removes nothing, and a count past the end stops at the end.
    void RemoveAt(int index, int count = 1)
    {
        if (index < 0 || count <= 0 || index >= GetSize())
            return;
        int last = index + std::min(count, GetSize() - index);
        m_data.erase(m_data.begin() + index, m_data.begin() + last);
    }

    /// Count (WriteCount), then the elements. A count that the archive cannot
    /// back raises CArchiveException before the array is resized.
    void Serialize(CArchive& ar)
    {
        if (ar.IsStoring()) {
            ar.WriteCount(static_cast<DWORD>(GetSize()));
            SerializeElements(ar, GetData(), GetSize());
        } else {
            DWORD count = ar.ReadCheckedCount(ArchivedElementSize<TYPE>());
            if (count > 0x7FFFFFFFu)
                throw CArchiveException(CArchiveException::endOfFile);
            SetSize(static_cast<int>(count));
            SerializeElements(ar, GetData(), GetSize());
        }
    }

    /// Access for the standard algorithms and range-for: the first element.
    typename std::vector<TYPE>::iterator begin() { return m_data.begin(); }
    /// Access for the standard algorithms and range-for: past the last element.
    typename std::vector<TYPE>::iterator end() { return m_data.end(); }
    /// Access for the standard algorithms and range-for: the first element.
    typename std::vector<TYPE>::const_iterator begin() const { return m_data.begin(); }
    /// Access for the standard algorithms and range-for: past the last element.
    typename std::vector<TYPE>::const_iterator end() const { return m_data.end(); }

private:
    bool InRange(int index) const { return index >= 0 && static_cast<std::size_t>(index) < m_data.size(); }

    // Refuses, before anything changes, a size that an int cannot index or memory cannot hold.
    void CheckSize(std::size_t n) const
    {
        if (n > static_cast<std::size_t>(std::numeric_limits<int>::max()) || n > m_data.max_size())
            throw std::bad_alloc();
    }

    // Grows or shrinks to n elements, reserving the grow-by step ahead when the storage moves.
    void Resize(std::size_t n)
    {
        CheckSize(n);
        if (n > m_data.capacity() && !m_data.empty()) {
            std::size_t step = m_growBy > 0 ? static_cast<std::size_t>(m_growBy)
                                            : std::min<std::size_t>(1024, std::max<std::size_t>(4, m_data.size() / 8));
            std::size_t limit = std::min<std::size_t>(m_data.max_size(), static_cast<std::size_t>(std::numeric_limits<int>::max()));
            m_data.reserve(std::max(n, std::min(limit, m_data.size() + step)));
        }
        m_data.resize(n);
    }

    // Where out-of-range accesses land: never memory outside the array.
#if defined(__GNUC__)
    __attribute__((noinline, cold))
#endif
    static TYPE& Scratch()
    {
        thread_local TYPE scratch;
        scratch = TYPE();
        return scratch;
    }

    std::vector<TYPE> m_data;
    int m_growBy = -1;
};
