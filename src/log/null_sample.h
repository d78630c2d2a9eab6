#pragma once

#include <cmath>

namespace kest {

// The program's null value ("NullValue"): a sample equal to it is missing (no data),
// never a measurement. Readers store it for a file's own null, writers put their
// format's null there, views leave a gap and computations skip it. NaN is missing too.
inline constexpr float kDefaultNullValue = -9999.99f;

inline bool IsNullSample(float value, float null_value = kDefaultNullValue) {
  return value == null_value || std::isnan(value);
}

}  // namespace kest
