#include "log/component_stream.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace kest {

std::array<uint8_t, 10> EncodeExtended(double value) {
  uint64_t bits = std::bit_cast<uint64_t>(value);
  uint16_t sign = (bits >> 63) ? 0x8000 : 0;
  int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  uint64_t significand = 0;
  int biased = 0;
  if (exponent == 0x7FF) {  // infinities and NaNs
    biased = 0x7FFF;
    significand = (uint64_t{1} << 63) | (fraction << 11);
  } else if (exponent != 0) {
    biased = exponent - 1023 + 16383;
    significand = (uint64_t{1} << 63) | (fraction << 11);
  } else if (fraction != 0) {  // subnormal doubles are normal extendeds
    int shift = std::countl_zero(fraction);
    significand = fraction << shift;
    biased = 16383 + 63 - 1074 - shift;
  }
  std::array<uint8_t, 10> out{};
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(significand >> (8 * i));
  uint16_t top = static_cast<uint16_t>(sign | biased);
  out[8] = static_cast<uint8_t>(top);
  out[9] = static_cast<uint8_t>(top >> 8);
  return out;
}

double DecodeExtended(const uint8_t* bytes) {
  uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= uint64_t{bytes[i]} << (8 * i);
  int top = bytes[8] | bytes[9] << 8;
  bool negative = (top & 0x8000) != 0;
  int biased = top & 0x7FFF;
  double magnitude;
  if (biased == 0x7FFF)
    magnitude = (significand << 1) == 0 ? HUGE_VAL : std::nan("");
  else
    magnitude = std::ldexp(static_cast<double>(significand), biased - 16383 - 63);
  return negative ? -magnitude : magnitude;
}

}  // namespace kest
