#pragma once

// Helpers for the geometry tests: build the expected image of an archive from
// scalars, store into / load from a memory file under a given schema.

#include "orvcore/core/CArchive.h"
#include "orvcore/core/CMemFile.h"

#include <cstring>
#include <initializer_list>
#include <vector>

namespace testing_bytes {

using Bytes = std::vector<BYTE>;

// Little-endian image of a scalar, built byte by byte from its bits so the
// test does not depend on the archive's own copying.
template <typename T>
void Append(Bytes& out, T value)
{
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    unsigned long long bits = 0;
    for (std::size_t i = sizeof(T); i-- > 0;)
        bits = (bits << 8) | raw[i];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<BYTE>(bits >> (8 * i)));
}

inline Bytes Doubles(std::initializer_list<double> values)
{
    Bytes out;
    for (double v : values)
        Append(out, v);
    return out;
}

inline Bytes Floats(std::initializer_list<float> values)
{
    Bytes out;
    for (float v : values)
        Append(out, v);
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// The bytes that `write` stores through an archive with the given schema.
template <typename Write>
Bytes Store(UINT schema, Write write)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar.m_nObjectSchema = schema;
        write(ar);
        ar.Close();
    }
    return file.GetBytes();
}

// Runs `read` on an archive that loads `bytes` with the given schema and
// returns how many bytes were left unread.
template <typename Read>
ULONGLONG Load(const Bytes& bytes, UINT schema, Read read)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    ar.m_nObjectSchema = schema;
    read(ar);
    return ar.GetBytesAvailable();
}

constexpr UINT kUnset = 0xFFFFFFFFu;

} // namespace testing_bytes
