#include "viewer/core/value_format.h"

#include <cmath>
#include <cstdio>

namespace kest {

std::string FormatValue(double v, int min_decimals, int max_decimals, bool groups) {
  if (!std::isfinite(v)) return std::isnan(v) ? "NAN" : (v > 0 ? "INF" : "-INF");
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", max_decimals, v);
  std::string text = buffer;
  size_t dot = text.find('.');
  if (dot != std::string::npos) {
    size_t keep = dot + 1 + static_cast<size_t>(min_decimals);
    while (text.size() > keep && text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  bool negative = !text.empty() && text[0] == '-';
  if (negative && text.find_first_not_of("-0.") == std::string::npos) {
    text.erase(0, 1);
    negative = false;
  }
  if (groups) {
    size_t begin = negative ? 1 : 0;
    size_t end = text.find('.');
    if (end == std::string::npos) end = text.size();
    for (size_t pos = end; pos > begin + 3; pos -= 3) text.insert(pos - 3, " ");
  }
  return text;
}

}  // namespace kest
