#pragma once

#include <cstdint>
#include <vector>

namespace kest::testing {

// The published LZHUF coder, for producing compressed LS files in tests: a 4-byte
// little-endian length, then LZSS over a 4 KB ring pre-filled with spaces (matches
// of 3..60 bytes, found greedily) with adaptive Huffman coding of the symbols and
// the fixed code of the positions' upper 6 bits.
struct LzhufEncoded {
  std::vector<uint8_t> bytes;
  int matches = 0;
  int matches_into_spaces = 0;  // matches that copy from the initial spaces
};

LzhufEncoded LzhufEncode(const std::vector<uint8_t>& input);

}  // namespace kest::testing
