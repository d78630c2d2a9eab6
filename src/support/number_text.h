#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kest {

// Number text in the program's own convention: "." as the decimal separator,
// independent of the process locale.

// The whole text must be a number (surrounding blanks allowed).
std::optional<int64_t> ParseInt64(std::string_view text);
std::optional<int> ParseInt(std::string_view text);
std::optional<double> ParseFloat(std::string_view text);

// Shortest text that reads back to the same double.
std::string FormatFloat(double value);
// printf-style "%.<digits>g" / "%.<decimals>f" without the locale.
std::string FormatGeneral(double value, int digits);
std::string FormatFixed(double value, int decimals);

}  // namespace kest
