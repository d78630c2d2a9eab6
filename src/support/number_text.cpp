#include "support/number_text.h"

#include <charconv>
#include <limits>

#include "support/trim.h"

namespace kest {

namespace {

// The number without the blanks around it; a line end read along with it may follow it.
std::string_view Unpadded(std::string_view s) {
  return TrimRight(TrimLeft(s, kSpaceTab), kSpaceTabLineEnd);
}

std::string ToChars(double value, std::chars_format format, int precision, bool with_precision) {
  char buffer[400];
  auto result = with_precision
                    ? std::to_chars(buffer, buffer + sizeof buffer, value, format, precision)
                    : std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::optional<int64_t> ParseInt64(std::string_view text) {
  text = Unpadded(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int64_t value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<int> ParseInt(std::string_view text) {
  auto v = ParseInt64(text);
  if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
    return std::nullopt;
  return static_cast<int>(*v);
}

std::optional<double> ParseFloat(std::string_view text) {
  text = Unpadded(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::string FormatFloat(double value) {
  return ToChars(value, std::chars_format::general, 0, false);
}

std::string FormatGeneral(double value, int digits) {
  return ToChars(value, std::chars_format::general, digits, true);
}

std::string FormatFixed(double value, int decimals) {
  return ToChars(value, std::chars_format::fixed, decimals, true);
}

}  // namespace kest
