#pragma once

// Expected archive images of the fields the primitives store, built from
// scalars independently of the classes under test.

#include "tests/geometry/ArchiveBytes.h"

#include <cstdint>
#include <string>

namespace testing_bytes {

inline Bytes Int32(std::int32_t v)
{
    Bytes out;
    Append(out, v);
    return out;
}

inline Bytes UInt32(std::uint32_t v)
{
    Bytes out;
    Append(out, v);
    return out;
}

inline Bytes Word(std::uint16_t v)
{
    Bytes out;
    Append(out, v);
    return out;
}

inline Bytes Byte(std::uint8_t v)
{
    return Bytes{v};
}

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

} // namespace testing_bytes
