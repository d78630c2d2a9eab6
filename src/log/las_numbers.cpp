#include "log/las_numbers.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace kest {

namespace {

// Powers of ten that floats hold exactly.
constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
constexpr uint64_t kExactMantissa = uint64_t{1} << 24;

bool FromChars(const char* begin, const char* end, float& value) {
  auto res = std::from_chars(begin, end, value);
  if (res.ptr != end) return false;
  if (res.ec != std::errc::result_out_of_range) return res.ec == std::errc();
  // Beyond the float range: an infinity of its sign; too small: zero of its sign.
  long double wide = 0;
  auto again = std::from_chars(begin, end, wide);
  bool huge = again.ec == std::errc()
                  ? std::fabs(wide) >= 1
                  : std::string_view(begin, static_cast<size_t>(end - begin)).find_first_of("eE") ==
                            std::string_view::npos ||
                        std::string_view(begin, static_cast<size_t>(end - begin)).find("-", 1) ==
                            std::string_view::npos;
  bool negative = *begin == '-';
  value = huge ? (negative ? -HUGE_VALF : HUGE_VALF) : (negative ? -0.0f : 0.0f);
  return true;
}

}  // namespace

bool ParseLasNumber(const char* begin, const char* end, float& value) {
  // The short path: [-]digits[.digits] whose significant digits fit 2^24 and whose
  // decimals are at most ten; m / 10^k is then one correctly rounded float division.
  const char* p = begin;
  bool negative = p < end && *p == '-';
  if (negative) ++p;
  uint64_t m = 0;
  int decimals = 0, digits = 0;
  bool dot = false;
  for (; p < end; ++p) {
    char c = *p;
    if (c >= '0' && c <= '9') {
      if (m >= uint64_t{1} << 59) return FromChars(begin, end, value);
      m = m * 10 + static_cast<uint64_t>(c - '0');
      decimals += dot;
      ++digits;
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      return FromChars(begin, end, value);  // exponents, "inf", "nan" and errors
    }
  }
  if (digits == 0) return FromChars(begin, end, value);
  while (decimals > 0 && m % 10 == 0) {
    m /= 10;
    --decimals;
  }
  if (m > kExactMantissa || decimals > 10) return FromChars(begin, end, value);
  float v = static_cast<float>(m);
  if (decimals > 0) v /= kPow10[decimals];
  value = negative ? -v : v;
  return true;
}

char* PutLasValue(char* out, float value) {
  if (!std::isfinite(value)) {
    *out++ = '0';
    return out;
  }
  // A float times 1000 is exact in a double, so rounding it to an integer (ties to
  // even) is exactly rounding the value to three decimals.
  double thousandths = static_cast<double>(value) * 1000.0;
  if (std::fabs(value) < 1e15f) {
    auto q = static_cast<int64_t>(std::nearbyint(thousandths));
    if (q == 0) {
      *out++ = '0';
      return out;
    }
    if (q < 0) {
      *out++ = '-';
      q = -q;
    }
    auto whole = static_cast<uint64_t>(q) / 1000;
    auto part = static_cast<unsigned>(static_cast<uint64_t>(q) % 1000);
    out = std::to_chars(out, out + 24, whole).ptr;
    if (part != 0) {
      *out++ = '.';
      *out++ = static_cast<char>('0' + part / 100);
      if (part % 100 != 0) {
        *out++ = static_cast<char>('0' + part / 10 % 10);
        if (part % 10 != 0) *out++ = static_cast<char>('0' + part % 10);
      }
    }
    return out;
  }
  // Very large values: as many significant digits as a float has.
  auto res =
      std::to_chars(out, out + 40, static_cast<double>(value), std::chars_format::general, 9);
  return res.ptr;
}

char* PutLasArgument(char* out, int64_t thousandths) {
  if (thousandths % 10 == 0) {
    int64_t hundredths = thousandths / 10;
    if (hundredths < 0) {
      *out++ = '-';
      hundredths = -hundredths;
    }
    out = std::to_chars(out, out + 24, hundredths / 100).ptr;
    *out++ = '.';
    *out++ = static_cast<char>('0' + hundredths % 100 / 10);
    *out++ = static_cast<char>('0' + hundredths % 10);
    return out;
  }
  // Between hundredths the double nearest the value decides, as printf would.
  return std::to_chars(out, out + 32, static_cast<double>(thousandths) / 1000.0,
                       std::chars_format::fixed, 2)
      .ptr;
}

}  // namespace kest
