#pragma once

// Helpers of the archive tests: expected archive images built byte by byte
// from scalars, independently of the classes under test, and objects stored
// to / loaded from a memory file under a given schema.
//
// Two ways of writing an image are offered: free functions that return byte
// vectors to concatenate (Doubles, Int32, Concat, ...), and the chained
// ByteImage (Bytes().U32(1).F32(2).v), which the namespace
// testing_bytes::chained offers under the name Bytes.

#include "orvcore/core/CArchive.h"
#include "orvcore/core/CMemFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_bytes {

using Bytes = std::vector<BYTE>;

constexpr UINT kUnset = Orvane::kUnsetSchema;

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

template <typename T>
Bytes Scalars(std::initializer_list<T> values)
{
    Bytes out;
    for (T v : values)
        Append(out, v);
    return out;
}

inline Bytes Doubles(std::initializer_list<double> values) { return Scalars(values); }
inline Bytes Floats(std::initializer_list<float> values) { return Scalars(values); }
inline Bytes Int32(std::int32_t v) { return Scalars({v}); }
inline Bytes UInt32(std::uint32_t v) { return Scalars({v}); }
inline Bytes Word(std::uint16_t v) { return Scalars({v}); }
inline Bytes Byte(std::uint8_t v) { return Bytes{v}; }

// A colour as its packed word: the bytes R, G, B, A.
inline Bytes Rgba(BYTE r, BYTE g, BYTE b, BYTE a)
{
    return Bytes{r, g, b, a};
}

// A short string (under 255 characters): its length as one byte, then the text.
inline Bytes Text(const std::string& s)
{
    Bytes out{static_cast<BYTE>(s.size())};
    out.insert(out.end(), s.begin(), s.end());
    return out;
}

// A small element count (under 0xFFFF) as the framework writes it: one WORD.
inline Bytes Count(std::uint16_t n)
{
    return Word(n);
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// An image written field by field: little-endian scalars appended in order.
struct ByteImage
{
    Bytes v;

    template <typename T>
    ByteImage& Raw(T value)
    {
        Append(v, value);
        return *this;
    }
    ByteImage& U8(unsigned x) { return Raw(static_cast<BYTE>(x)); }
    ByteImage& U16(unsigned x) { return Raw(static_cast<std::uint16_t>(x)); }
    ByteImage& U32(std::uint32_t x) { return Raw(x); }
    ByteImage& I32(std::int32_t x) { return Raw(x); }
    ByteImage& F32(float f) { return Raw(f); }
    ByteImage& F64(double d) { return Raw(d); }
    ByteImage& Rgba(unsigned r, unsigned g, unsigned b, unsigned a) { return U8(r).U8(g).U8(b).U8(a); }

    // A point as floats or as doubles.
    ByteImage& Point(float x, float y, float z, bool floats)
    {
        if (floats)
            return F32(x).F32(y).F32(z);
        return F64(x).F64(y).F64(z);
    }
    // A point as the schema stores it: doubles when unset or up to 6.
    ByteImage& Pt(float x, float y, float z, UINT schema)
    {
        return Point(x, y, z, schema != kUnset && schema > 6);
    }
    // A 4 x 4 matrix of doubles, row by row.
    ByteImage& Matrix(const double* m)
    {
        for (int i = 0; i < 16; ++i)
            F64(m[i]);
        return *this;
    }
    ByteImage& Add(const ByteImage& other)
    {
        v.insert(v.end(), other.v.begin(), other.v.end());
        return *this;
    }
};

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

// The bytes that object.Serialize stores with the given schema.
template <class T>
Bytes Store(T& object, UINT schema)
{
    return Store(schema, [&](CArchive& ar) { object.Serialize(ar); });
}

// Loads object with Serialize and returns how many bytes were left unread.
template <class T>
ULONGLONG Load(T& object, const Bytes& bytes, UINT schema)
{
    return Load(bytes, schema, [&](CArchive& ar) { object.Serialize(ar); });
}

// The same helpers with the chained image under the name Bytes.
namespace chained {
using Bytes = ByteImage;
using testing_bytes::kUnset;
using testing_bytes::Load;
using testing_bytes::Store;
} // namespace chained

} // namespace testing_bytes
