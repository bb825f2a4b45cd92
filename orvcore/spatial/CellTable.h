#pragma once

/// \file
/// CellTable, the open-addressing table of a grid's occupied cells.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace Orvane {

/// The occupied cells of a spatial grid: an open-addressing hash table
/// (linear probing) from a cell key to the items filed in that cell. Each
/// slot holds its cell's key, item count and items directly, so that finding
/// a cell's items costs one probe and one read of the items. Items stay in the
/// order they were added. Item must be a plain record type.
template <class Key, class Item>
class CellTable
{
public:
    /// One slot of the table; a slot whose size is 0 is free.
    struct Slot {
        Key key; ///< The cell's key (meaningful while size is above 0).
        int size; ///< The number of items in the cell; 0 for a free slot.
        Item* items; ///< The cell's items, in the order they were added.
    };

    /// expectedCells: how many cells the table is first made for (it grows
    /// as needed); nothing is allocated before the first item.
    explicit CellTable(std::size_t expectedCells) : m_initialSlots(SlotsFor(expectedCells)) {}
    /// Frees every cell's items and the slots.
    ~CellTable() { Clear(); }
    /// Not copyable.
    CellTable(const CellTable&) = delete;
    /// Not copyable.
    CellTable& operator=(const CellTable&) = delete;

    /// The slot of the cell with this key, or null when the cell is empty.
    const Slot* Find(Key key) const
    {
        if (m_count == 0)
            return nullptr;
        for (std::size_t s = Home(key);; s = (s + 1) & m_mask) {
            const Slot& slot = m_slots[s];
            if (slot.size == 0)
                return nullptr;
            if (slot.key == key)
                return &slot;
        }
    }

    /// Asks for the memory where the search for key begins.
    void Prefetch(Key key) const
    {
        if (m_count != 0)
            __builtin_prefetch(&m_slots[Home(key)]);
    }

    /// Appends item to the cell of key. On std::bad_alloc the table is as it
    /// was.
    void Add(Key key, const Item& item) { Add(key, &item, 1); }

    /// Appends the count items at items (count above 0) to the cell of key,
    /// in their order. On std::bad_alloc the table is as it was.
    void Add(Key key, const Item* items, int count)
    {
        if (m_slots == nullptr || (m_count + 1) * 4 > (m_mask + 1) * 3)
            Rebuild(m_slots == nullptr ? m_initialSlots : 2 * (m_mask + 1));
        std::size_t s = Home(key);
        while (m_slots[s].size != 0 && m_slots[s].key != key)
            s = (s + 1) & m_mask;
        Slot& slot = m_slots[s];
        const int size = slot.size;
        if (size == 0 || Capacity(size + count) > Capacity(size)) {
            Item* grown = new Item[static_cast<std::size_t>(Capacity(size + count))];
            std::copy(slot.items, slot.items + size, grown);
            delete[] slot.items;
            slot.items = grown;
        }
        std::copy(items, items + count, slot.items + size);
        if (size == 0) {
            slot.key = key;
            ++m_count;
        }
        slot.size = size + count;
    }

    /// Number of occupied cells.
    std::size_t GetCount() const { return m_count; }

    /// All slots, free ones included, for visiting every cell: the first slot
    /// (null while nothing was added).
    const Slot* begin() const { return m_slots; }
    /// Past the last slot (null while nothing was added).
    const Slot* end() const { return m_slots ? m_slots + m_mask + 1 : m_slots; }

private:
    // The number of items that a cell's block holds for a cell of `size`
    // items: 4, 6, 8, 12, 16, 24, ... (growing by half or a third), so that
    // the capacity follows from the size and is not stored.
    static int Capacity(int size)
    {
        if (size <= 4)
            return 4;
        int p = 4;
        while (2 * p < size)
            p *= 2;
        return size <= p + p / 2 ? p + p / 2 : 2 * p;
    }

    static std::size_t SlotsFor(std::size_t cells)
    {
        std::size_t slots = 16;
        while (slots < cells && slots < (std::size_t(1) << 22))
            slots *= 2;
        return slots;
    }

    // Keys that differ only in their lowest two bits start in one run of four
    // slots, so cells whose keys follow each other (neighbours along the
    // fastest-varying axis) lie side by side in memory.
    std::size_t Home(Key key) const
    {
        const std::uint64_t k = static_cast<std::uint64_t>(static_cast<std::int64_t>(key));
        const std::uint64_t h = (k >> 2) * 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(((h >> m_shift) & ~std::uint64_t(3)) | (k & 3));
    }

    // Moves every cell into a table of `slots` slots (a power of two).
    void Rebuild(std::size_t slots)
    {
        std::unique_ptr<Slot[]> fresh(new Slot[slots]());
        Slot* old = m_slots;
        const std::size_t oldSlots = old ? m_mask + 1 : 0;
        m_slots = fresh.release();
        m_mask = slots - 1;
        m_shift = 64;
        for (std::size_t s = slots; s > 1; s /= 2)
            --m_shift;
        for (std::size_t s = 0; s < oldSlots; ++s) {
            if (old[s].size == 0)
                continue;
            std::size_t t = Home(old[s].key);
            while (m_slots[t].size != 0)
                t = (t + 1) & m_mask;
            m_slots[t] = old[s];
        }
        delete[] old;
    }

    void Clear()
    {
        for (Slot* s = m_slots; s != end(); ++s)
            delete[] s->items;
        delete[] m_slots;
        m_slots = nullptr;
        m_count = 0;
    }

    Slot* m_slots = nullptr;
    std::size_t m_mask = 0;
    int m_shift = 64;
    std::size_t m_count = 0;
    std::size_t m_initialSlots;
};


/// \class CellTable
/// \threadsafety{As a value: distinct tables on any thread; one table read by
/// several threads while none changes it.}
} // namespace Orvane
