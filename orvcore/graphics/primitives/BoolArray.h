#pragma once

/// \file
/// BoolArray, a growable array of one-byte flags.
#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CArray.h"

namespace Orvane {

/// One element of a BoolArray: a one-byte flag that reads and assigns as a bool.
///
/// \valuethreads
class BoolArrayElement
{
public:
    /// A flag of the given value.
    BoolArrayElement(bool value = false) : m_value(value) {}
    /// The flag's value.
    operator bool() const { return m_value; }

private:
    bool m_value;
};

static_assert(sizeof(BoolArrayElement) == 1, "a flag of a BoolArray is one byte");

/// Raw images of flags: stored as bytes 0 or 1, loaded as true when non-zero
/// (a byte other than 0 or 1 is never taken as a bool's image).
ORVCORE_API void SerializeElements(CArchive& ar, BoolArrayElement* elements, int count);

/// A growable array of one-byte flags; growing adds false. Its archive form
/// is the count (WriteCount), then one byte per flag.
///
/// \valuethreads
class ORVCORE_API BoolArray : public CArray<BoolArrayElement, bool>
{
public:
    /// An empty array; copies take the flags with them.
    ///@{
    BoolArray() = default;
    BoolArray(const BoolArray&) = default;
    BoolArray& operator=(const BoolArray&) = default;
    ///@}
    ~BoolArray() override;
};

} // namespace Orvane
