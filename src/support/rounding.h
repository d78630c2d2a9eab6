#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace kest {

namespace detail {
template <typename Int>
Int Saturate(double v) {
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(std::numeric_limits<Int>::min()))
    return std::numeric_limits<Int>::min();
  if (v >= static_cast<double>(std::numeric_limits<Int>::max()))
    return std::numeric_limits<Int>::max();
  return static_cast<Int>(v);
}
}  // namespace detail

// Nearest integer with exact halves going to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2), the rule used wherever the system rounds. Independent of the FPU
// rounding mode; out-of-range values saturate and NaN gives 0.
inline double RoundHalfEvenValue(double v) {
  double f = std::floor(v);
  double d = v - f;
  if (d > 0.5 || (d == 0.5 && std::fmod(f, 2.0) != 0.0)) f += 1.0;
  return f;
}
inline int64_t RoundHalfEven(double v) { return detail::Saturate<int64_t>(RoundHalfEvenValue(v)); }
inline int32_t RoundHalfEven32(double v) {
  return detail::Saturate<int32_t>(RoundHalfEvenValue(v));
}

// Cuts towards zero (saturating like RoundHalfEven).
inline int64_t Trunc(double v) { return detail::Saturate<int64_t>(std::trunc(v)); }
inline int32_t Trunc32(double v) { return detail::Saturate<int32_t>(std::trunc(v)); }

}  // namespace kest
