#include "log/lzhuf_encoder.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace kest::testing {

namespace {

constexpr int N = 4096, F = 60, THRESHOLD = 2;
constexpr int N_CHAR = 256 - THRESHOLD + F, T = 2 * N_CHAR - 1, R = T - 1;
constexpr unsigned MAX_FREQ = 0x8000;

constexpr uint8_t p_len[64] = {3, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
                               6, 6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
                               7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};
constexpr uint8_t p_code[64] = {
    0x00, 0x20, 0x30, 0x40, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78, 0x80, 0x88, 0x90, 0x94, 0x98, 0x9C,
    0xA0, 0xA4, 0xA8, 0xAC, 0xB0, 0xB4, 0xB8, 0xBC, 0xC0, 0xC2, 0xC4, 0xC6, 0xC8, 0xCA, 0xCC, 0xCE,
    0xD0, 0xD2, 0xD4, 0xD6, 0xD8, 0xDA, 0xDC, 0xDE, 0xE0, 0xE2, 0xE4, 0xE6, 0xE8, 0xEA, 0xEC, 0xEE,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};

class Coder {
 public:
  Coder() {
    for (int i = 0; i < N_CHAR; i++) {
      freq[i] = 1;
      son[i] = i + T;
      prnt[i + T] = i;
    }
    for (int i = 0, j = N_CHAR; j <= R; i += 2, j++) {
      freq[j] = freq[i] + freq[i + 1];
      son[j] = i;
      prnt[i] = prnt[i + 1] = j;
    }
    freq[T] = 0xFFFF;
    prnt[R] = 0;
  }

  void EncodeChar(int c) {
    std::vector<int> path;  // leaf to root; the published coder packs it into 16 bits
    int k = prnt[c + T];
    do {
      path.push_back(k & 1);
    } while ((k = prnt[k]) != R);
    for (auto it = path.rbegin(); it != path.rend(); ++it) PutBit(*it);
    update(c);
  }

  void EncodePosition(int c) {
    int i = c >> 6;
    PutBits(p_len[i], p_code[i] >> (8 - p_len[i]));
    PutBits(6, c & 0x3F);
  }

  std::vector<uint8_t> Finish() {
    if (bits_ > 0) out_.push_back(static_cast<uint8_t>(byte_ << (8 - bits_)));
    return std::move(out_);
  }

 private:
  void PutBit(int b) {
    byte_ = (byte_ << 1) | b;
    if (++bits_ == 8) {
      out_.push_back(static_cast<uint8_t>(byte_));
      byte_ = bits_ = 0;
    }
  }
  void PutBits(int count, int value) {
    for (int i = count - 1; i >= 0; --i) PutBit((value >> i) & 1);
  }

  void reconst() {
    int j = 0;
    for (int i = 0; i < T; i++)
      if (son[i] >= T) {
        freq[j] = (freq[i] + 1) / 2;
        son[j] = son[i];
        j++;
      }
    for (int i = 0, j = N_CHAR; j < T; i += 2, j++) {
      unsigned f = freq[j] = freq[i] + freq[i + 1];
      int k;
      for (k = j - 1; f < freq[k]; k--) {
      }
      k++;
      for (int m = j; m > k; --m) {
        freq[m] = freq[m - 1];
        son[m] = son[m - 1];
      }
      freq[k] = f;
      son[k] = i;
    }
    for (int i = 0; i < T; i++) {
      int k = son[i];
      if (k >= T)
        prnt[k] = i;
      else
        prnt[k] = prnt[k + 1] = i;
    }
  }

  void update(int c) {
    if (freq[R] == MAX_FREQ) reconst();
    c = prnt[c + T];
    do {
      unsigned k = ++freq[c];
      int l;
      if (k > freq[l = c + 1]) {
        while (k > freq[++l]) {
        }
        l--;
        freq[c] = freq[l];
        freq[l] = k;
        int i = son[c];
        prnt[i] = l;
        if (i < T) prnt[i + 1] = l;
        int j = son[l];
        son[l] = i;
        prnt[j] = c;
        if (j < T) prnt[j + 1] = c;
        son[c] = j;
        c = l;
      }
    } while ((c = prnt[c]) != 0);
  }

  unsigned freq[T + 1] = {};
  int prnt[T + N_CHAR] = {};
  int son[T] = {};
  std::vector<uint8_t> out_;
  int byte_ = 0, bits_ = 0;
};

}  // namespace

LzhufEncoded LzhufEncode(const std::vector<uint8_t>& input) {
  LzhufEncoded result;
  auto size = static_cast<uint32_t>(input.size());
  for (int i = 0; i < 4; ++i) result.bytes.push_back(static_cast<uint8_t>(size >> (8 * i)));
  if (input.empty()) return result;

  // Absolute positions: 0..N-F-1 are the ring's initial spaces, the input follows.
  const int start = N - F;
  const int end = start + static_cast<int>(input.size());
  auto at = [&](int p) -> uint8_t {
    return p < start ? ' ' : input[static_cast<size_t>(p - start)];
  };
  auto key = [&](int p) { return at(p) | at(p + 1) << 8 | at(p + 2) << 16; };
  std::unordered_map<int, std::vector<int>> chains;
  auto insert = [&](int p) {
    if (p + 2 < end) chains[key(p)].push_back(p);
  };
  for (int p = 0; p < start; ++p) insert(p);

  Coder coder;
  for (int a = start; a < end;) {
    int best_len = 0, best_pos = 0;
    if (a + 2 < end) {
      auto found = chains.find(key(a));
      if (found != chains.end()) {
        const auto& chain = found->second;
        int tried = 0;
        for (auto it = chain.rbegin(); it != chain.rend() && *it >= a - N && tried < 512;
             ++it, ++tried) {
          int q = *it, len = 0;
          while (len < F && a + len < end && at(q + len) == at(a + len)) ++len;
          if (len > best_len) best_len = len, best_pos = q;
          if (len == F) break;
        }
      }
    }
    int advance = 1;
    if (best_len > THRESHOLD) {
      coder.EncodeChar(255 - THRESHOLD + best_len);
      coder.EncodePosition(a - best_pos - 1);
      ++result.matches;
      if (best_pos < start) ++result.matches_into_spaces;
      advance = best_len;
    } else {
      coder.EncodeChar(at(a));
    }
    for (int k = 0; k < advance; ++k) insert(a + k);
    a += advance;
  }
  auto bits = coder.Finish();
  result.bytes.insert(result.bytes.end(), bits.begin(), bits.end());
  return result;
}

}  // namespace kest::testing
