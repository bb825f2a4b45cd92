#pragma once

#include "orvcore/core/CMap.h"

// A map from strings to untyped pointers; the map does not own what they point to.
class CMapStringToPtr : public CMap<CString, const char*, void*, void*>
{
};
