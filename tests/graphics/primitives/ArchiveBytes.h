#pragma once

// Helpers of the primitive tests: expected archive images written by hand,
// byte by byte, and objects stored to / loaded from memory under a schema.

#include "orvcore/core/CArchive.h"
#include "orvcore/core/CMemFile.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace PrimitiveTest {

constexpr UINT kUnset = 0xFFFFFFFFu;

// Little-endian images appended in order.
struct Bytes
{
    std::vector<BYTE> v;

    Bytes& Raw(const void* p, std::size_t n)
    {
        const BYTE* b = static_cast<const BYTE*>(p);
        v.insert(v.end(), b, b + n);
        return *this;
    }
    Bytes& U8(unsigned x) { v.push_back(static_cast<BYTE>(x)); return *this; }
    Bytes& U16(unsigned x) { U8(x & 0xFF); return U8((x >> 8) & 0xFF); }
    Bytes& U32(std::uint32_t x)
    {
        for (int i = 0; i < 4; ++i)
            U8((x >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& I32(std::int32_t x) { return U32(static_cast<std::uint32_t>(x)); }
    Bytes& F32(float f)
    {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return U32(u);
    }
    Bytes& F64(double d)
    {
        std::uint64_t u;
        std::memcpy(&u, &d, 8);
        for (int i = 0; i < 8; ++i)
            U8(static_cast<unsigned>((u >> (8 * i)) & 0xFF));
        return *this;
    }
    // A point as the schema stores it: doubles when unset or up to 6.
    Bytes& Pt(float x, float y, float z, UINT schema)
    {
        if (schema == kUnset || schema <= 6)
            return F64(x).F64(y).F64(z);
        return F32(x).F32(y).F32(z);
    }
    Bytes& Rgba(unsigned r, unsigned g, unsigned b, unsigned a) { return U8(r).U8(g).U8(b).U8(a); }
    Bytes& Add(const Bytes& other)
    {
        v.insert(v.end(), other.v.begin(), other.v.end());
        return *this;
    }
};

template <class T>
std::vector<BYTE> Store(T& object, UINT schema)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar.m_nObjectSchema = schema;
        object.Serialize(ar);
    }
    return file.GetBytes();
}

// Loads and reports how many bytes were left unread.
template <class T>
ULONGLONG Load(T& object, const std::vector<BYTE>& bytes, UINT schema)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    ar.m_nObjectSchema = schema;
    object.Serialize(ar);
    return ar.GetBytesAvailable();
}

} // namespace PrimitiveTest
