#pragma once
/// \file
/// IntArray and DoubleArray.

#include "orvcore/core/CArray.h"

namespace Orvane {

// Growable arrays of plain numbers, stored as a count and one raw block.
typedef CArray<int, int> IntArray; ///< Growable array of 32-bit ints, stored as a count and one raw block.
typedef CArray<double, double> DoubleArray; ///< Growable array of doubles, stored as a count and one raw block of 8-byte values.

} // namespace Orvane
