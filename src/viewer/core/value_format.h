#pragma once

#include <string>

namespace kest {

// Numbers as the viewer writes them, independent of the locale: at least
// `min_decimals` and at most `max_decimals` digits after ".", trailing zeros
// beyond the minimum dropped, and with `groups` a blank between thousands.
//   "0.##"  -> (v, 0, 2)        "0.00" -> (v, 2, 2)      "#,##0.00" -> (v, 2, 2, true)
std::string FormatValue(double v, int min_decimals, int max_decimals, bool groups = false);

}  // namespace kest
