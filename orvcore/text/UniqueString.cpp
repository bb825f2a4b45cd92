#include "orvcore/text/UniqueString.h"
#include "orvcore/core/LoadOrder.h"

namespace Orvane {

namespace {

// The map starts with 101 buckets and association blocks of 101 entries.
constexpr int initialSize = 101;
// Largest association block used once the map has grown.
constexpr int maxBlockSize = 4096;

bool IsPrime(UINT n)
{
    if (n < 2)
        return false;
    for (UINT d = 2; d <= n / d; ++d)
        if (n % d == 0)
            return false;
    return true;
}

UINT NextPrime(UINT n)
{
    while (!IsPrime(n))
        ++n;
    return n;
}

CMapStringToPtr* NewMap(UINT buckets, int blockSize)
{
    CMapStringToPtr* map = new CMapStringToPtr(blockSize);
    map->InitHashTable(buckets);
    return map;
}

} // namespace

// The table is constant-initialised (no map yet), so it is usable from any
// static constructor; `null` is built with the library's other statics and
// destroyed before the table, which is destroyed last of the two.
UniqueStringTable UniqueString::m_table ORVCORE_LOAD_ORDER(UniqueStringTable);
const CString UniqueStringTable::null ORVCORE_LOAD_ORDER(UniqueStringNull);

UniqueStringTable::~UniqueStringTable()
{
    if (!m_pMap)
        return;
    for (POSITION pos = m_pMap->GetStartPosition(); pos;) {
        CString key;
        void* value = nullptr;
        m_pMap->GetNextAssoc(pos, key, value);
        delete static_cast<CString*>(value);
    }
    delete m_pMap;
    // Anything interned after this point starts a fresh map.
    m_pMap = nullptr;
    m_growAt = 0;
}

const CString* UniqueStringTable::Add(const char* text)
{
    if (!text || !*text)
        return &null;
    if (!m_pMap) {
        m_pMap = NewMap(initialSize, initialSize);
        m_growAt = initialSize;
    }
    void*& slot = (*m_pMap)[text];
    if (slot)
        return static_cast<const CString*>(slot);
    CString* stored = new CString(text);
    slot = stored;
    if (m_pMap->GetCount() > m_growAt)
        Grow();
    return stored;
}

const CString* UniqueStringTable::Find(const char* text) const
{
    void* value = nullptr;
    if (!m_pMap || !text || !*text || !m_pMap->Lookup(text, value) || !value)
        return &null;
    return static_cast<const CString*>(value);
}

// Keeps the chains short as the table fills: the entries move to a map with
// about twice as many buckets. The stored strings themselves do not move.
void UniqueStringTable::Grow()
{
    UINT buckets = NextPrime(2 * m_pMap->GetHashTableSize() + 1);
    int blockSize = static_cast<int>(buckets / 4 < maxBlockSize ? buckets / 4 : maxBlockSize);
    CMapStringToPtr* grown = NewMap(buckets, blockSize);
    for (POSITION pos = m_pMap->GetStartPosition(); pos;) {
        CString key;
        void* value = nullptr;
        m_pMap->GetNextAssoc(pos, key, value);
        (*grown)[key] = value;
    }
    delete m_pMap;
    m_pMap = grown;
    m_growAt = static_cast<int>(buckets);
}

void UniqueString::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << *m_pString;
    } else {
        CString text;
        ar >> text;
        Add(text);
    }
}

} // namespace Orvane
