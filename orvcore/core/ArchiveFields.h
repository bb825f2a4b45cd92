#pragma once

/// \file
/// The helpers every archive form is written with: the schema tests, checked
/// counts, and fields that one call stores or loads by the archive's direction.
#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"

#include <cstddef>
#include <cstdint>

namespace Orvane {

/// Object schema compared as a signed number: an unset schema (kUnsetSchema)
/// counts as -1 and so as older than every version.
inline bool SchemaAboveSigned(const CArchive& ar, int version)
{
    return static_cast<std::int32_t>(ar.m_nObjectSchema) > version;
}

/// Object schema compared as an unsigned number: an unset schema counts as
/// newer than every version.
inline bool SchemaAboveUnsigned(const CArchive& ar, UINT version)
{
    return ar.m_nObjectSchema > version;
}

/// True when coordinates are stored as doubles: documents before schema 7 and
/// archives whose schema is unset. From schema 7 on they are floats.
inline bool StoresDoubles(const CArchive& ar)
{
    return ar.m_nObjectSchema == kUnsetSchema || ar.m_nObjectSchema <= 6;
}

/// Bytes of one three-coordinate point in the archive: 24 or 12 (StoresDoubles).
inline std::size_t ArchivedPointSize(const CArchive& ar)
{
    return StoresDoubles(ar) ? 24 : 12;
}

/// Reads a signed 32-bit element count. A negative count, or one whose
/// elements (at least `elementBytes` each) the archive cannot supply, raises
/// CArchiveException(endOfFile) before anything is allocated for it.
ORVCORE_API int ReadSignedCount(CArchive& ar, std::size_t elementBytes);

/// Fields that one call stores or loads, by the archive's direction.
namespace ArchiveFields {

/// Values the archive has operators for (scalars, points, colours, strings...), in order.
template <typename... T>
inline void Value(CArchive& ar, T&... values)
{
    if (ar.IsStoring())
        (void)(ar << ... << values);
    else
        (void)(ar >> ... >> values);
}

/// A value stored as the type `Stored` (the width its document fixes) and
/// converted back to its own type on load.
template <typename Stored, typename T>
inline void As(CArchive& ar, T& value)
{
    if (ar.IsStoring()) {
        ar << static_cast<Stored>(value);
    } else {
        Stored stored{};
        ar >> stored;
        value = static_cast<T>(stored);
    }
}

/// An enumeration stored as a 32-bit integer and passed through unchanged.
template <typename E>
inline void Enum32(CArchive& ar, E& value)
{
    As<std::int32_t>(ar, value);
}

/// A flag stored as `Stored` 0 or 1; on load, true when the value is non-zero,
/// or (exactlyOne) only when it is 1.
template <typename Stored>
inline void Flag(CArchive& ar, bool& flag, bool exactlyOne)
{
    if (ar.IsStoring()) {
        ar << static_cast<Stored>(flag ? 1 : 0);
    } else {
        Stored stored = 0;
        ar >> stored;
        flag = exactlyOne ? stored == 1 : stored != 0;
    }
}

/// A flag as a 32-bit 0 or 1, loaded as true when the stored value is non-zero.
inline void FlagNonZero(CArchive& ar, bool& flag)
{
    Flag<std::int32_t>(ar, flag, false);
}

/// A flag as a 32-bit 0 or 1, loaded as true only when the stored value is 1.
inline void FlagExactlyOne(CArchive& ar, bool& flag)
{
    Flag<std::int32_t>(ar, flag, true);
}

/// A flag as one byte 0 or 1, loaded as true when the stored byte is non-zero.
inline void FlagByte(CArchive& ar, bool& flag)
{
    Flag<BYTE>(ar, flag, false);
}

} // namespace ArchiveFields
} // namespace Orvane
