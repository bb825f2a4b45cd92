#pragma once
/// \file
/// CMapStringToPtr, a map from strings to untyped pointers.

#include "orvcore/core/CMap.h"

/// A map from strings to untyped pointers; the map does not own what they point to.
///
/// \valuethreads
class CMapStringToPtr : public CMap<CString, const char*, void*, void*>
{
public:
    /// Associations are allocated in blocks of `blockSize` entries.
    explicit CMapStringToPtr(int blockSize = 10) : CMap(blockSize) {}
};
