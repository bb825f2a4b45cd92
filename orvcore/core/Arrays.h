#pragma once

#include "orvcore/core/CArray.h"

namespace Orvane {

/// Growable arrays of plain numbers, stored as a count and one raw block.
typedef CArray<int, int> IntArray;
typedef CArray<double, double> DoubleArray;

} // namespace Orvane
