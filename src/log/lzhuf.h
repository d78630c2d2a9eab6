#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace kest {

class Stream;

// Decompresses LZHUF, the published coder that combines LZSS (a 4 KB ring pre-filled
// with spaces, matches of 3 to 60 bytes) with adaptive Huffman coding (314 symbols,
// the tree rebuilt when the root frequency reaches 0x8000), from the source's
// position:
//
//   | offset | size | content                                                 |
//   |--------|------|---------------------------------------------------------|
//   | 0      | 4    | uncompressed length L, unsigned little-endian            |
//   | 4      | rest | bit stream, most significant bit of each byte first      |
//
// Returns exactly L bytes. Input past the end of the source reads as zero bytes, so
// a truncated stream still yields L bytes and the damage shows in what they hold.
// A length L that the remaining input could not produce even at the coder's best
// ratio (48 bytes per input byte) raises ELSFilerError "Файл поврежден" before any
// memory is taken. `progress` (optional) sees 0, each further hundredth of L
// reached, and 100 at the end.
std::vector<uint8_t> LzhufDecode(Stream& source, const std::function<void(int)>& progress = {});

// The coder's best ratio: a 60-byte match costs at least 1 + 9 bits.
inline constexpr int64_t kLzhufMaxRatio = 48;

}  // namespace kest
