#pragma once

/// \file
/// The numeric constants the geometry shares: angle units and the limits of the
/// single-precision storage of coordinates.

namespace Orvane {
/// Angle units and single-precision limits, as doubles.
namespace NumericConstants {

constexpr double kRadiansPerDegree = 0.017453292519943295; ///< pi / 180.
constexpr double kDegreesPerRadian = 57.29577951308232;    ///< 180 / pi.
constexpr double kFloatEpsilon = 1.1920928955078125e-07;   ///< 2^-23: the spacing of floats at 1.
constexpr double kSmallestNormalFloat = 1.1754943508222875e-38; ///< 2^-126: the smallest normal float.
constexpr double kLargestFloat = 3.4028234663852886e38;    ///< The largest finite float.

} // namespace NumericConstants
} // namespace Orvane
