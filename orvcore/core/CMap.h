#pragma once

#include "orvcore/core/CString.h"
#include "orvcore/core/Types.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>
/// \file
/// CMap, the framework's hash map, and the hash functions of its keys.

/// Hash values for the keys the library uses. Integers are mixed so that
/// neighbouring keys (cell numbers, identifiers) spread over the buckets.
template <class ARG_KEY>
inline UINT HashKey(ARG_KEY key)
{
    std::uint64_t k = static_cast<std::uint64_t>(static_cast<std::int64_t>(key));
    k *= 0x9E3779B97F4A7C15ull;
    return static_cast<UINT>(k >> 32);
}

/// A null text is the empty string, as CString takes it.
template <>
inline UINT HashKey<const char*>(const char* key)
{
    UINT hash = 0;
    if (!key)
        return hash;
    while (*key)
        hash = (hash << 5) + hash + static_cast<unsigned char>(*key++);
    return hash;
}

/// Hash of a string key: the hash of its text.
template <>
inline UINT HashKey<const CString&>(const CString& key)
{
    return HashKey<const char*>(key.GetString());
}

/// Hash of a string key: the hash of its text.
template <>
inline UINT HashKey<CString>(CString key)
{
    return HashKey<const char*>(key.GetString());
}

/// A hash map with unique keys and the host framework's interface: Lookup
/// says whether a key is there, operator[] inserts or replaces, iteration is by
/// POSITION with GetNextAssoc in no particular order. InitHashTable sets the
/// bucket count; it is used before the first insertion.
///
/// \valuethreads
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap
{
    // A private type, left out of the reference:
    /// \cond
    struct Assoc {
        Assoc* next;
        UINT hash;
        KEY key;
        VALUE value;
    };
    /// \endcond

public:
    /// An empty map whose entries are allocated in blocks of blockSize (10 when not positive).
    explicit CMap(int blockSize = 10) : m_blockSize(blockSize > 0 ? blockSize : 10) {}
    /// A copy with the same entries and bucket count.
    CMap(const CMap& other) : m_blockSize(other.m_blockSize)
    {
        // A copy that fails part-way is never destroyed: free what it holds.
        try {
            CopyFrom(other);
        } catch (...) {
            RemoveAll();
            throw;
        }
    }
    /// Replaces the contents with a copy of other's.
    CMap& operator=(const CMap& other)
    {
        if (this != &other) {
            RemoveAll();
            CopyFrom(other);
        }
        return *this;
    }
    virtual ~CMap() { RemoveAll(); }

    /// Number of entries.
    int GetCount() const { return m_count; }
    /// Number of entries (the same as GetCount).
    int GetSize() const { return m_count; }
    /// True when there are no entries.
    bool IsEmpty() const { return m_count == 0; }
    /// Number of buckets (17 unless InitHashTable set another).
    UINT GetHashTableSize() const { return m_hashSize; }

    /// Sets the number of buckets (17 for 0) while the map is empty; a map that holds
    /// entries keeps its table. allocNow allocates the buckets at once.
    void InitHashTable(UINT hashSize, bool allocNow = true)
    {
        if (m_count != 0)
            return;
        m_table.clear();
        m_hashSize = hashSize ? hashSize : 17;
        if (allocNow)
            m_table.assign(m_hashSize, nullptr);
    }

    /// True when key is present; its value is copied to value. value is untouched otherwise.
    bool Lookup(ARG_KEY key, VALUE& value) const
    {
        UINT hash;
        const Assoc* a = Find(key, hash);
        if (!a)
            return false;
        value = a->value;
        return true;
    }

    /// The value for key, inserted default-constructed when absent.
    VALUE& operator[](ARG_KEY key)
    {
        UINT hash;
        Assoc* a = Find(key, hash);
        if (a)
            return a->value;
        if (m_table.empty())
            m_table.assign(m_hashSize, nullptr);
        a = NewAssoc(key, hash);
        Assoc*& head = m_table[hash % m_hashSize];
        a->next = head;
        head = a;
        return a->value;
    }
    /// Sets the value of key, inserting it when absent.
    void SetAt(ARG_KEY key, ARG_VALUE value) { (*this)[key] = value; }

    /// Removes key; returns false when it was not present.
    bool RemoveKey(ARG_KEY key)
    {
        if (m_table.empty())
            return false;
        UINT hash = HashKey<ARG_KEY>(key);
        Assoc** link = &m_table[hash % m_hashSize];
        for (Assoc* a = *link; a; link = &a->next, a = a->next) {
            if (a->hash == hash && a->key == key) {
                *link = a->next;
                FreeAssoc(a);
                return true;
            }
        }
        return false;
    }

    /// Removes every entry and frees their storage.
    void RemoveAll()
    {
        for (Assoc*& head : m_table) {
            for (Assoc* a = head; a;) {
                Assoc* next = a->next;
                a->~Assoc();
                a = next;
            }
            head = nullptr;
        }
        m_blocks.clear();
        m_free = nullptr;
        m_count = 0;
        m_table.clear();
    }

    /// Start of an iteration over all entries; null when the map is empty.
    POSITION GetStartPosition() const
    {
        return m_count == 0 ? nullptr : reinterpret_cast<POSITION>(const_cast<Assoc*>(FirstFrom(0)));
    }

    /// Copies the entry at pos to key and value and moves pos to the next entry (null
    /// after the last). pos must come from GetStartPosition or GetNextAssoc and the map
    /// must not have changed since.
    void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const
    {
        const Assoc* a = reinterpret_cast<const Assoc*>(pos);
        key = a->key;
        value = a->value;
        const Assoc* next = a->next;
        if (!next)
            next = FirstFrom(a->hash % m_hashSize + 1);
        pos = reinterpret_cast<POSITION>(const_cast<Assoc*>(next));
    }

private:
    Assoc* Find(ARG_KEY key, UINT& hash) const
    {
        hash = HashKey<ARG_KEY>(key);
        if (m_table.empty())
            return nullptr;
        for (Assoc* a = m_table[hash % m_hashSize]; a; a = a->next)
            if (a->hash == hash && a->key == key)
                return a;
        return nullptr;
    }

    const Assoc* FirstFrom(UINT bucket) const
    {
        for (UINT b = bucket; b < m_table.size(); ++b)
            if (m_table[b])
                return m_table[b];
        return nullptr;
    }

    /// Associations come from blocks of m_blockSize, recycled through a free list.
    Assoc* NewAssoc(ARG_KEY key, UINT hash)
    {
        if (!m_free) {
            std::size_t n = static_cast<std::size_t>(m_blockSize);
            m_blocks.emplace_back(new Slot[n]);
            Slot* block = m_blocks.back().get();
            for (std::size_t i = n; i-- > 0;) {
                block[i].next = m_free;
                m_free = &block[i];
            }
        }
        Slot* slot = m_free;
        m_free = slot->next;
        Assoc* a = new (slot->storage) Assoc{nullptr, hash, KEY(key), VALUE()};
        ++m_count;
        return a;
    }

    void FreeAssoc(Assoc* a)
    {
        a->~Assoc();
        Slot* slot = reinterpret_cast<Slot*>(a);
        slot->next = m_free;
        m_free = slot;
        if (--m_count == 0)
            RemoveAll();
    }

    void CopyFrom(const CMap& other)
    {
        m_hashSize = other.m_hashSize;
        for (POSITION pos = other.GetStartPosition(); pos;) {
            KEY k;
            VALUE v;
            other.GetNextAssoc(pos, k, v);
            (*this)[k] = v;
        }
    }

    // A private type, left out of the reference:
    /// \cond
    union Slot {
        Slot* next;
        alignas(Assoc) unsigned char storage[sizeof(Assoc)];
    };
    /// \endcond

    std::vector<Assoc*> m_table;
    UINT m_hashSize = 17;
    int m_count = 0;
    int m_blockSize;
    std::vector<std::unique_ptr<Slot[]>> m_blocks;
    Slot* m_free = nullptr;
};
