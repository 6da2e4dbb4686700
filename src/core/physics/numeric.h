// Constants and small numeric helpers that the core's computations share.
#pragma once

#include <cmath>
#include <limits>

namespace mtvuk {

inline constexpr double kDegPerRad = 57.29577951308232;
inline constexpr double kRadPerDeg = 0.017453292519943295;
inline constexpr double kLn10 = 2.302585092994046;
inline constexpr double kQuarterPi = 0.7853981633974483;
inline constexpr double kOneOverPi = 0.3183098861837907;
// Added to a magnitude before its logarithm or a division by it.
inline constexpr double kTiny = 1e-14;
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

inline double Log10Abs(double v) { return std::log10(std::fabs(v) + kTiny); }

}  // namespace mtvuk
