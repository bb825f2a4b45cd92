#pragma once

#include "orvcore/core/CArchive.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

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
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray
{
public:
    CArray() = default;
    CArray(const CArray&) = default;
    CArray(CArray&&) noexcept = default;
    CArray& operator=(const CArray&) = default;
    CArray& operator=(CArray&&) noexcept = default;
    virtual ~CArray() = default;

    int GetSize() const { return static_cast<int>(m_data.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_data.empty(); }

    /// Resizes to newSize; growBy (when not -1) sets how many elements the
    /// storage grows by at once.
    void SetSize(int newSize, int growBy = -1)
    {
        if (growBy >= 0)
            m_growBy = growBy;
        if (newSize <= 0) {
            m_data.clear();
            return;
        }
        const std::size_t n = static_cast<std::size_t>(newSize);
        if (n > m_data.capacity() && !m_data.empty()) {
            std::size_t step = m_growBy > 0 ? static_cast<std::size_t>(m_growBy)
                                            : std::min<std::size_t>(1024, std::max<std::size_t>(4, m_data.size() / 8));
            m_data.reserve(std::max(n, m_data.size() + step));
        }
        m_data.resize(n);
    }
    void RemoveAll() { m_data.clear(); }
    void FreeExtra() { m_data.shrink_to_fit(); }

    const TYPE& GetAt(int index) const { return m_data[static_cast<std::size_t>(index)]; }
    TYPE& GetAt(int index) { return m_data[static_cast<std::size_t>(index)]; }
    void SetAt(int index, ARG_TYPE element) { m_data[static_cast<std::size_t>(index)] = element; }
    TYPE& ElementAt(int index) { return m_data[static_cast<std::size_t>(index)]; }
    const TYPE& ElementAt(int index) const { return m_data[static_cast<std::size_t>(index)]; }
    TYPE& operator[](int index) { return m_data[static_cast<std::size_t>(index)]; }
    const TYPE& operator[](int index) const { return m_data[static_cast<std::size_t>(index)]; }
    TYPE* GetData() { return m_data.data(); }
    const TYPE* GetData() const { return m_data.data(); }

    void SetAtGrow(int index, ARG_TYPE element)
    {
        if (index >= GetSize())
            SetSize(index + 1);
        m_data[static_cast<std::size_t>(index)] = element;
    }
    int Add(ARG_TYPE element)
    {
        m_data.push_back(element);
        return GetSize() - 1;
    }
    int Append(const CArray& other)
    {
        int old = GetSize();
        if (this == &other) {
            // Inserting a vector's own range into it is not allowed.
            std::vector<TYPE> copy(m_data);
            m_data.insert(m_data.end(), copy.begin(), copy.end());
        } else {
            m_data.insert(m_data.end(), other.m_data.begin(), other.m_data.end());
        }
        return old;
    }
    void Copy(const CArray& other)
    {
        if (this != &other)
            m_data = other.m_data;
    }
    void InsertAt(int index, ARG_TYPE element, int count = 1)
    {
        if (count <= 0)
            return;
        if (index >= GetSize())
            SetSize(index);
        TYPE copy(element);
        m_data.insert(m_data.begin() + index, static_cast<std::size_t>(count), copy);
    }
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

    /// Access for the standard algorithms and range-for.
    typename std::vector<TYPE>::iterator begin() { return m_data.begin(); }
    typename std::vector<TYPE>::iterator end() { return m_data.end(); }
    typename std::vector<TYPE>::const_iterator begin() const { return m_data.begin(); }
    typename std::vector<TYPE>::const_iterator end() const { return m_data.end(); }

private:
    std::vector<TYPE> m_data;
    int m_growBy = -1;
};
