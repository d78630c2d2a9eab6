#include "log/lzhuf.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "log/log_errors.h"
#include "support/stream.h"

namespace kest {

namespace {

constexpr int kRing = 4096;                            // N
constexpr int kLongest = 60;                           // F
constexpr int kThreshold = 2;                          // matches this short are literals
constexpr int kSymbols = 256 - kThreshold + kLongest;  // N_CHAR, 314
constexpr int kTable = 2 * kSymbols - 1;               // T, 627
constexpr int kRoot = kTable - 1;                      // R, 626
constexpr unsigned kMaxFreq = 0x8000;

// Decoding tables of the position's upper 6 bits: for each value of the next input
// byte, the upper bits it codes and the length of that code in bits.
struct PositionTables {
  std::array<uint8_t, 256> code{};
  std::array<uint8_t, 256> length{};
};

PositionTables MakePositionTables() {
  // Code lengths of the 64 upper-bit values: 3 once, 4 three times, 5 eight times,
  // 6 twelve times, 7 twenty-four times, 8 sixteen times; codes are assigned in
  // order (0x00, 0x20, 0x30, 0x40, 0x50, 0x58, ... 0xFF).
  constexpr std::pair<int, int> kRuns[] = {{3, 1}, {4, 3}, {5, 8}, {6, 12}, {7, 24}, {8, 16}};
  PositionTables t;
  int value = 0, code = 0;
  for (auto [length, count] : kRuns) {
    for (int i = 0; i < count; ++i, ++value) {
      int span = 1 << (8 - length);
      for (int k = 0; k < span; ++k) {
        t.code[static_cast<size_t>(code + k)] = static_cast<uint8_t>(value);
        t.length[static_cast<size_t>(code + k)] = static_cast<uint8_t>(length);
      }
      code += span;
    }
  }
  return t;
}

const PositionTables kPositions = MakePositionTables();

// The adaptive Huffman tree: leaves are the symbols, kept ordered by frequency.
class HuffmanTree {
 public:
  HuffmanTree() {
    for (int i = 0; i < kSymbols; ++i) {
      freq_[i] = 1;
      son_[i] = i + kTable;
      prnt_[i + kTable] = i;
    }
    for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
      freq_[j] = freq_[i] + freq_[i + 1];
      son_[j] = i;
      prnt_[i] = prnt_[i + 1] = j;
    }
    freq_[kTable] = 0xFFFF;  // sentinel that stops the reordering scan
    prnt_[kRoot] = 0;
  }

  template <typename NextBit>
  int Decode(NextBit&& next_bit) {
    int c = son_[kRoot];
    while (c < kTable) c = son_[c + next_bit()];
    c -= kTable;
    Update(c);
    return c;
  }

 private:
  // Halves the frequencies and rebuilds the tree.
  void Rebuild() {
    int j = 0;
    for (int i = 0; i < kTable; ++i) {
      if (son_[i] >= kTable) {
        freq_[j] = (freq_[i] + 1) / 2;
        son_[j] = son_[i];
        ++j;
      }
    }
    for (int i = 0, j2 = kSymbols; j2 < kTable; i += 2, ++j2) {
      unsigned f = freq_[j2] = freq_[i] + freq_[i + 1];
      int k = j2 - 1;
      while (f < freq_[k]) --k;
      ++k;
      std::copy_backward(&freq_[k], &freq_[j2], &freq_[j2 + 1]);
      freq_[k] = f;
      std::copy_backward(&son_[k], &son_[j2], &son_[j2 + 1]);
      son_[k] = i;
    }
    for (int i = 0; i < kTable; ++i) {
      int k = son_[i];
      if (k >= kTable)
        prnt_[k] = i;
      else
        prnt_[k] = prnt_[k + 1] = i;
    }
  }

  // Counts symbol c and restores the frequency order on its path to the root.
  void Update(int c) {
    if (freq_[kRoot] == kMaxFreq) Rebuild();
    c = prnt_[c + kTable];
    do {
      unsigned k = ++freq_[c];
      int l = c + 1;
      if (k > freq_[l]) {
        while (k > freq_[++l]) {
        }
        --l;
        freq_[c] = freq_[l];
        freq_[l] = k;
        int i = son_[c];
        prnt_[i] = l;
        if (i < kTable) prnt_[i + 1] = l;
        int j = son_[l];
        son_[l] = i;
        prnt_[j] = c;
        if (j < kTable) prnt_[j + 1] = c;
        son_[c] = j;
        c = l;
      }
    } while ((c = prnt_[c]) != 0);
  }

  std::array<unsigned, kTable + 1> freq_{};
  std::array<int, kTable + kSymbols> prnt_{};  // parents; [T..T+N_CHAR) locate the leaves
  std::array<int, kTable> son_{};              // children son[], son[]+1
};

// Bits of the source, most significant first; zeros past its end.
class BitInput {
 public:
  explicit BitInput(Stream& source) : source_(source), buffer_(size_t{16} * 1024) {}

  int Bit() {
    if (bits_ == 0) {
      byte_ = SourceByte();
      bits_ = 8;
    }
    return (byte_ >> --bits_) & 1;
  }
  int Bits(int count) {
    int v = 0;
    while (count-- > 0) v = (v << 1) | Bit();
    return v;
  }

 private:
  uint8_t SourceByte() {
    if (pos_ == len_) {
      if (at_end_) return 0;
      len_ = source_.Read(buffer_.data(), buffer_.size());
      pos_ = 0;
      if (len_ == 0) {
        at_end_ = true;
        return 0;
      }
    }
    return buffer_[pos_++];
  }
  Stream& source_;
  std::vector<uint8_t> buffer_;
  size_t pos_ = 0;
  size_t len_ = 0;
  bool at_end_ = false;
  unsigned byte_ = 0;
  int bits_ = 0;
};

}  // namespace

std::vector<uint8_t> LzhufDecode(Stream& source, const std::function<void(int)>& progress) {
  auto report = [&](int percent) {
    if (progress) progress(percent);
  };
  uint8_t header[4] = {};
  source.Read(header, sizeof header);  // missing bytes read as 0
  uint64_t length = uint64_t{header[0]} | uint64_t{header[1]} << 8 | uint64_t{header[2]} << 16 |
                    uint64_t{header[3]} << 24;
  std::vector<uint8_t> out;
  report(0);
  if (length == 0) {
    report(100);
    return out;
  }
  int64_t input = std::max<int64_t>(0, source.Size() - source.Position());
  if (length > static_cast<uint64_t>(input * kLzhufMaxRatio + kLongest))
    throw ELSFilerError(kFileDamaged);
  out.resize(length);

  HuffmanTree tree;
  BitInput in(source);
  auto bit = [&] { return in.Bit(); };
  std::array<uint8_t, kRing> ring{};
  std::fill(ring.begin(), ring.begin() + (kRing - kLongest), uint8_t{' '});
  int r = kRing - kLongest;

  size_t produced = 0;
  size_t next_report = (length + 99) / 100;
  while (produced < length) {
    int c = tree.Decode(bit);
    if (c < 256) {
      out[produced++] = static_cast<uint8_t>(c);
      ring[static_cast<size_t>(r)] = static_cast<uint8_t>(c);
      r = (r + 1) & (kRing - 1);
    } else {
      // Position: the next byte selects the upper 6 bits and the length of their
      // code; the bits after the code complete the lower 6 bits.
      int i = in.Bits(8);
      int upper = kPositions.code[static_cast<size_t>(i)] << 6;
      int extra = kPositions.length[static_cast<size_t>(i)] - 2;
      i = (i << extra) | in.Bits(extra);
      int distance = upper | (i & 0x3F);
      int from = (r - distance - 1) & (kRing - 1);
      int count = c - 255 + kThreshold;
      for (int k = 0; k < count && produced < length; ++k) {
        uint8_t b = ring[static_cast<size_t>((from + k) & (kRing - 1))];
        out[produced++] = b;
        ring[static_cast<size_t>(r)] = b;
        r = (r + 1) & (kRing - 1);
      }
    }
    if (produced >= next_report && produced < length) {
      int percent = static_cast<int>(produced * 100 / length);
      report(percent);
      next_report = (static_cast<size_t>(percent + 1) * length + 99) / 100;
    }
  }
  report(100);
  return out;
}

}  // namespace kest
