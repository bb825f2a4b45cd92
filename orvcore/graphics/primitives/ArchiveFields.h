#pragma once

/// \file
/// ArchiveFields: helpers for the scalar fields of the primitives' archive forms.
///
/// Each helper stores when the archive is storing and loads otherwise.
#include "orvcore/core/CArchive.h"

#include <cstdint>

namespace Orvane {
/// Scalar fields stored or loaded by the one call, depending on the archive's direction.
namespace ArchiveFields {

/// Any scalar the archive has an operator for (int, unsigned int, float, ...).
template <typename T>
inline void Scalar(CArchive& ar, T& value)
{
    if (ar.IsStoring())
        ar << value;
    else
        ar >> value;
}

/// A flag as a 32-bit 0 or 1, loaded as true when the stored value is non-zero.
inline void FlagNonZero(CArchive& ar, bool& flag)
{
    if (ar.IsStoring()) {
        ar << static_cast<std::int32_t>(flag ? 1 : 0);
    } else {
        std::int32_t v = 0;
        ar >> v;
        flag = v != 0;
    }
}

/// A flag as a 32-bit 0 or 1, loaded as true only when the stored value is 1.
inline void FlagExactlyOne(CArchive& ar, bool& flag)
{
    if (ar.IsStoring()) {
        ar << static_cast<std::int32_t>(flag ? 1 : 0);
    } else {
        std::int32_t v = 0;
        ar >> v;
        flag = v == 1;
    }
}

/// An enumeration stored as a 32-bit integer and passed through unchanged.
template <typename E>
inline void Enum32(CArchive& ar, E& value)
{
    std::int32_t v = static_cast<std::int32_t>(value);
    Scalar(ar, v);
    if (ar.IsLoading())
        value = static_cast<E>(v);
}

} // namespace ArchiveFields
} // namespace Orvane
