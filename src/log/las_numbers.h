#pragma once

#include <cstdint>

namespace kest {

// Number text of LAS data lines, read and written without the locale and fast
// enough for files of millions of rows.

// Reads the whole field [begin, end) as a float, exactly as std::from_chars does
// (nearest float; a value beyond the float range becomes an infinity of its sign).
// Plain decimals of up to seven significant digits take a short exact path.
// Returns false when the field is not a number.
bool ParseLasNumber(const char* begin, const char* end, float& value);

// Writes a sample as "0.###" (at most three decimals, no trailing zeros, "0" for
// zero of either sign and for values that are not finite) and returns the end.
// Room for 48 characters is needed.
char* PutLasValue(char* out, float value);

// Writes an argument in thousandths (mm, ms) as "0.00" of its unit (m, s) and
// returns the end. Room for 32 characters is needed.
char* PutLasArgument(char* out, int64_t thousandths);

}  // namespace kest
