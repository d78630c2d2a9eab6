#pragma once

#include <array>
#include <cstdint>

#include "support/errors.h"

namespace kest {

// The component stream: a self-describing serialisation of a component and its
// stored properties, used by LS files (a sheet with its tracks nested in binary
// properties) and by the viewer's layout files (a tree of columns).
//
//   | bytes        | content                                                  |
//   |--------------|----------------------------------------------------------|
//   | 4            | "TPF0"                                                   |
//   | short string | class name ("TLogSheet")                                 |
//   | short string | component name (may be empty)                            |
//   | ...          | properties: name as short string, then one value         |
//   | 1            | 0, end of the properties                                 |
//   | ...          | child components, each laid out like the root minus      |
//   |              | the signature; 1 byte 0 ends them                        |
//
// A short string is one length byte and that many Windows-1251 bytes. All integers
// are little-endian. A value is a tag byte and its payload (see ValueTag).
enum class ValueTag : uint8_t {
  kNull = 0,         // end of a list
  kList = 1,         // values up to a kNull
  kInt8 = 2,         // 1 byte, signed
  kInt16 = 3,        // 2 bytes, signed
  kInt32 = 4,        // 4 bytes, signed
  kExtended = 5,     // 10 bytes, 80-bit extended float (layouts)
  kString = 6,       // 1 length byte, Windows-1251 bytes
  kIdent = 7,        // 1 length byte, ASCII bytes
  kFalse = 8,        // none
  kTrue = 9,         // none
  kBinary = 10,      // 4-byte length, bytes
  kSet = 11,         // identifiers as short strings, ended by an empty one (layouts)
  kLString = 12,     // 4-byte length, Windows-1251 bytes
  kNil = 13,         // none (layouts)
  kWString = 18,     // 4-byte count of UTF-16 code units, 2 x count bytes UTF-16LE
  kUTF8String = 20,  // 4-byte length, UTF-8 bytes
};

// Structural faults of a component stream: a wrong signature or class, an unknown
// tag or property, a length beyond the bytes that remain, too deep nesting.
KEST_DECLARE_ERROR(EComponentStreamError, EKestError);

// Limits that hostile input cannot push the readers past.
inline constexpr int kMaxComponentNesting = 32;

// 80-bit extended floats (sign, 15-bit exponent biased by 16383, 64-bit significand
// with an explicit integer bit), little-endian, to and from double. Values beyond
// the range of double read as infinities or zeros.
std::array<uint8_t, 10> EncodeExtended(double value);
double DecodeExtended(const uint8_t* bytes);

}  // namespace kest
